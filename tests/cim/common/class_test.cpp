// CIMClass and CIMObject: class-level rules (association/abstract, key
// names, reference properties, path), method lists, buildInstance, and
// objects sharing their class.
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace
{

CIMProperty keyProperty(const char* name, const CIMValue& value)
{
    CIMProperty p(name, value);
    p.addQualifier(CIMQualifier("Key", CIMValue(true), CIMFlavor::TOSUBCLASS));
    return p;
}

// Acme_Disk: two keys (one of them spelt with a lower-case qualifier name),
// a non-key property with a qualifier and a class origin, and a method.
CIMClass diskClass()
{
    CIMClass c("Acme_Disk", "CIM_LogicalDevice");
    c.addQualifier(CIMQualifier("Description", CIMValue(String("A disk"))));
    c.addProperty(keyProperty("DeviceID", CIMValue(String())));
    CIMProperty size("Size", CIMValue(Uint64(0)), 0, CIMName(), "CIM_StorageExtent");
    size.addQualifier(CIMQualifier("Units", CIMValue(String("Bytes"))));
    c.addProperty(size);
    CIMProperty sys("SystemName", CIMValue(String("host")));
    sys.addQualifier(CIMQualifier("key", CIMValue(true)));
    c.addProperty(sys);
    c.addMethod(CIMMethod("Reset", CIMTYPE_UINT32));
    return c;
}
}

TEST(CIMClassTest, AssociationAndAbstractNeedABooleanTrueQualifier)
{
    struct Case
    {
        const char* qualifier;
        CIMValue value;
        bool association;
        bool abstract;
    };
    const Case cases[] = {
        {"Association", CIMValue(true), true, false},
        {"ASSOCIATION", CIMValue(true), true, false},
        {"Association", CIMValue(false), false, false},
        {"Association", CIMValue(String("true")), false, false},
        {"Association", CIMValue(CIMTYPE_BOOLEAN, false), false, false},
        {"Abstract", CIMValue(true), false, true},
        {"abstract", CIMValue(Uint32(1)), false, false},
        {"Description", CIMValue(true), false, false},
    };
    for (const Case& c : cases)
    {
        CIMClass cls("C");
        cls.addQualifier(CIMQualifier(c.qualifier, c.value));
        EXPECT_EQ(cls.isAssociation(), c.association) << c.qualifier;
        EXPECT_EQ(cls.isAbstract(), c.abstract) << c.qualifier;
        EXPECT_EQ(CIMConstClass(cls).isAssociation(), c.association);
    }
    CIMClass bare("C");
    EXPECT_FALSE(bare.isAssociation());
    EXPECT_FALSE(bare.isAbstract());
}

TEST(CIMClassTest, NamesPathAndSuperclass)
{
    CIMClass c = CIMName("PG_ProviderModule");   // implicit from CIMName
    EXPECT_TRUE(c.getSuperClassName().isNull());
    EXPECT_EQ(text(c.getPath().toString()), "PG_ProviderModule");
    c.setSuperClassName("CIM_LogicalElement");
    EXPECT_EQ(text(c.getSuperClassName().getString()), "CIM_LogicalElement");

    c.setPath(CIMObjectPath("//h/root/cimv2:pg_providermodule"));
    EXPECT_EQ(text(c.getPath().toString()), "//h/root/cimv2:pg_providermodule");
    EXPECT_EQ(text(c.getClassName().getString()), "PG_ProviderModule");
    EXPECT_THROW(c.setPath(CIMObjectPath("Other")), TypeMismatchException);
    EXPECT_THROW(c.setPath(CIMObjectPath()), UninitializedObjectException);

    EXPECT_THROW(CIMClass{CIMName()}, UninitializedObjectException);
}

TEST(CIMClassTest, ReferencePropertiesNeedAReferenceClass)
{
    CIMClass c("Acme_Assoc");
    CIMObjectPath target("Acme_Disk.DeviceID=\"sda\"");
    EXPECT_THROW(c.addProperty(CIMProperty("Antecedent", CIMValue(target))),
                 TypeMismatchException);
    EXPECT_EQ(c.getPropertyCount(), 0u);
    c.addProperty(CIMProperty("Antecedent", CIMValue(target), 0, "Acme_Disk"));
    EXPECT_EQ(c.getPropertyCount(), 1u);

    // The rule is the class's: an object wrapping the class applies it too,
    // an instance does not.
    CIMObject o = c;
    EXPECT_THROW(o.addProperty(CIMProperty("Dependent", CIMValue(target))),
                 TypeMismatchException);
    CIMInstance i("Acme_Assoc");
    i.addProperty(CIMProperty("Dependent", CIMValue(target)));
    EXPECT_EQ(i.getPropertyCount(), 1u);
}

TEST(CIMClassTest, ElementListsAndDuplicates)
{
    CIMClass c = diskClass();
    EXPECT_EQ(c.getPropertyCount(), 3u);
    EXPECT_EQ(c.findProperty("size"), 1u);
    EXPECT_EQ(c.findMethod("RESET"), 0u);
    EXPECT_EQ(c.findMethod("Format"), PEG_NOT_FOUND);
    EXPECT_EQ(c.findQualifier("description"), 0u);

    struct Dup
    {
        std::function<void()> add;
        const char* message;
    };
    const Dup dups[] = {
        {[&] { c.addProperty(CIMProperty("deviceid", CIMValue(String()))); },
         "already exists: property \"deviceid\""},
        {[&] { c.addMethod(CIMMethod("reset", CIMTYPE_UINT32)); },
         "already exists: method \"reset\""},
        {[&] { c.addQualifier(CIMQualifier("DESCRIPTION", CIMValue(String()))); },
         "already exists: qualifier \"DESCRIPTION\""},
    };
    for (const Dup& d : dups)
    {
        try
        {
            d.add();
            ADD_FAILURE() << d.message;
        }
        catch (const AlreadyExistsException& e)
        {
            EXPECT_EQ(text(e.getMessage()), d.message);
        }
    }

    EXPECT_THROW(c.getMethod(1), IndexOutOfBoundsException);
    EXPECT_THROW(c.removeProperty(3), IndexOutOfBoundsException);
    EXPECT_THROW(c.addMethod(CIMMethod()), UninitializedObjectException);
    EXPECT_THROW(c.addProperty(CIMProperty()), UninitializedObjectException);

    c.removeMethod(0);
    c.removeProperty(0);
    EXPECT_EQ(c.getMethodCount(), 0u);
    EXPECT_EQ(c.findProperty("Size"), 0u);
}

TEST(CIMClassTest, KeyNames)
{
    CIMClass c = diskClass();
    // A Key qualifier set to false, or not boolean, does not make a key.
    CIMProperty notKey("Label", CIMValue(String()));
    notKey.addQualifier(CIMQualifier("Key", CIMValue(false)));
    c.addProperty(notKey);

    Array<CIMName> keys;
    keys.append("stale");
    c.getKeyNames(keys);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(text(keys[0].getString()), "DeviceID");
    EXPECT_EQ(text(keys[1].getString()), "SystemName");
    EXPECT_TRUE(c.hasKeys());
    EXPECT_FALSE(CIMClass("NoKeys").hasKeys());
}

TEST(CIMClassTest, BuildInstance)
{
    CIMClass c = diskClass();

    CIMInstance all = c.buildInstance(true, true, CIMPropertyList());
    EXPECT_EQ(text(all.getPath().toString()), "Acme_Disk");
    EXPECT_EQ(all.getQualifierCount(), 1u);
    ASSERT_EQ(all.getPropertyCount(), 3u);
    EXPECT_EQ(text(all.getProperty(2).getValue().toString()), "host");
    EXPECT_EQ(all.getProperty(1).getQualifierCount(), 1u);
    EXPECT_EQ(text(all.getProperty(1).getClassOrigin().getString()), "CIM_StorageExtent");

    Array<CIMName> names;
    names.append("SIZE");
    names.append("NotThere");
    CIMInstance some = c.buildInstance(false, false, CIMPropertyList(names));
    EXPECT_EQ(some.getQualifierCount(), 0u);
    ASSERT_EQ(some.getPropertyCount(), 1u);
    EXPECT_EQ(text(some.getProperty(0).getName().getString()), "Size");
    EXPECT_EQ(some.getProperty(0).getQualifierCount(), 0u);
    EXPECT_TRUE(some.getProperty(0).getClassOrigin().isNull());

    // The instance holds copies: the class is unchanged.
    EXPECT_EQ(c.getProperty(1).getQualifierCount(), 1u);
    all.getProperty(2).setValue(CIMValue(String("other")));
    EXPECT_EQ(text(c.getProperty(2).getValue().toString()), "host");

    EXPECT_EQ(c.buildInstance(true, true, CIMPropertyList(Array<CIMName>()))
                  .getPropertyCount(), 0u);
}

TEST(CIMClassTest, ObjectsShareTheClassAndCastBack)
{
    CIMClass c = diskClass();
    CIMObject o = c;
    EXPECT_TRUE(o.isClass());
    EXPECT_FALSE(o.isInstance());
    EXPECT_EQ(text(o.toString()).rfind("<CLASS ", 0), 0u);
    o.addProperty(CIMProperty("Extra", CIMValue(true)));
    EXPECT_EQ(c.getPropertyCount(), 4u);

    CIMClass back(o);
    back.removeProperty(3);
    EXPECT_EQ(c.getPropertyCount(), 3u);
    EXPECT_TRUE(CIMConstClass(CIMConstObject(o)).identical(c));

    CIMObject inst = CIMInstance("Acme_Disk");
    EXPECT_THROW(CIMClass x(inst), DynamicCastFailedException);
    EXPECT_THROW(CIMConstClass x(inst), DynamicCastFailedException);
    EXPECT_THROW(CIMInstance x(o), DynamicCastFailedException);
}

TEST(CIMClassTest, CloneIsDeepAndIdentical)
{
    CIMClass c = diskClass();
    CIMClass copy = c.clone();
    EXPECT_TRUE(copy.identical(c));
    EXPECT_TRUE(CIMObject(c).clone().identical(c));

    c.getMethod(0).addParameter(CIMParameter("Force", CIMTYPE_BOOLEAN));
    EXPECT_EQ(copy.getMethod(0).getParameterCount(), 0u);
    EXPECT_FALSE(copy.identical(c));

    CIMClass other = diskClass();
    other.setSuperClassName("CIM_Other");
    EXPECT_FALSE(other.identical(diskClass()));
    EXPECT_TRUE(diskClass().identical(diskClass()));
    // A class is never identical to an instance of the same name.
    EXPECT_FALSE(CIMObject(CIMClass("X")).identical(CIMInstance("X")));
}

TEST(CIMClassTest, UninitializedHandlesThrow)
{
    CIMClass c;
    CIMConstClass cc;
    CIMObject o;
    EXPECT_TRUE(c.isUninitialized());
    EXPECT_TRUE(o.isUninitialized());
    EXPECT_THROW(c.getClassName(), UninitializedObjectException);
    EXPECT_THROW(c.isAssociation(), UninitializedObjectException);
    EXPECT_THROW(c.getMethodCount(), UninitializedObjectException);
    EXPECT_THROW(c.hasKeys(), UninitializedObjectException);
    EXPECT_THROW(cc.getSuperClassName(), UninitializedObjectException);
    EXPECT_THROW(o.isClass(), UninitializedObjectException);
    EXPECT_THROW(o.getPath(), UninitializedObjectException);
    EXPECT_THROW(diskClass().identical(c), UninitializedObjectException);
    // A wrapper of an uninitialized class is itself uninitialized.
    EXPECT_TRUE(CIMObject(c).isUninitialized());
}
