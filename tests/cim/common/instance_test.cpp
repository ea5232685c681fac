// CIMInstance: property and qualifier lists, buildPath, instanceFilter,
// paths, and handle sharing through getProperty().
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

#include <gtest/gtest.h>

#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace
{

CIMClass keyedClass()
{
    CIMClass c("Acme_Disk");
    const char* keys[] = {"SystemName", "DeviceID", "Index"};
    const CIMValue values[] = {
        CIMValue(String()), CIMValue(String()), CIMValue(Uint32(0))};
    for (int i = 0; i < 3; i++)
    {
        CIMProperty p(keys[i], values[i]);
        p.addQualifier(CIMQualifier("Key", CIMValue(true)));
        c.addProperty(p);
    }
    c.addProperty(CIMProperty("Size", CIMValue(Uint64(0))));
    return c;
}

CIMInstance disk()
{
    CIMInstance i("Acme_Disk");
    i.addProperty(CIMProperty("deviceid", CIMValue(String("sd\"a"))));
    i.addProperty(CIMProperty("Size", CIMValue(Uint64(512))));
    i.addProperty(CIMProperty("Index", CIMValue(Uint32(3))));
    i.addProperty(CIMProperty("SystemName", CIMValue(String("host"))));
    return i;
}
}

TEST(CIMInstanceTest, BuildPathUsesTheClassKeys)
{
    CIMObjectPath path = disk().buildPath(keyedClass());
    EXPECT_EQ(text(path.toString()),
              "Acme_Disk.DeviceID=\"sd\\\"a\",Index=3,SystemName=\"host\"");
    EXPECT_TRUE(path.getHost().size() == 0);
    EXPECT_TRUE(path.getNameSpace().isNull());

    // A class without keys gives the class name alone.
    EXPECT_EQ(text(disk().buildPath(CIMClass("Acme_Disk")).toString()), "Acme_Disk");
}

TEST(CIMInstanceTest, BuildPathWithAMissingKeyThrows)
{
    CIMInstance i = disk();
    i.removeProperty(i.findProperty("Index"));
    EXPECT_THROW(i.buildPath(keyedClass()), NoSuchProperty);
    EXPECT_THROW(CIMConstInstance(i).buildPath(keyedClass()), NoSuchProperty);
}

TEST(CIMInstanceTest, PathDefaultsAndChecks)
{
    CIMInstance i = CIMName("Acme_Disk");   // implicit from CIMName
    EXPECT_EQ(text(i.getPath().toString()), "Acme_Disk");
    CIMObjectPath p("//h/root/cimv2:ACME_DISK.DeviceID=\"sda\"");
    i.setPath(p);
    EXPECT_EQ(text(i.getPath().toString()), text(p.toString()));
    EXPECT_THROW(i.setPath(CIMObjectPath("Acme_Other.DeviceID=\"sda\"")),
                 TypeMismatchException);
    EXPECT_THROW(i.setPath(CIMObjectPath()), UninitializedObjectException);
    EXPECT_EQ(text(i.getPath().toString()), text(p.toString()));
}

TEST(CIMInstanceTest, PropertiesAreSharedThroughHandles)
{
    CIMInstance i = disk();
    CIMProperty p = i.getProperty(i.findProperty("SIZE"));
    p.setValue(CIMValue(Uint64(1024)));
    EXPECT_EQ(text(i.getProperty(1).getValue().toString()), "1024");

    CIMInstance alias = i;
    CIMInstance copy = i.clone();
    alias.addProperty(CIMProperty("Extra", CIMValue(true)));
    EXPECT_EQ(i.getPropertyCount(), 5u);
    EXPECT_EQ(copy.getPropertyCount(), 4u);
    i.getProperty(0).setValue(CIMValue(String("sdb")));
    EXPECT_EQ(text(copy.getProperty(0).getValue().toString()), "sd\"a");
}

TEST(CIMInstanceTest, ListsRejectDuplicatesAndBadIndexes)
{
    CIMInstance i = disk();
    try
    {
        i.addProperty(CIMProperty("DEVICEID", CIMValue(String())));
        ADD_FAILURE() << "duplicate accepted";
    }
    catch (const AlreadyExistsException& e)
    {
        EXPECT_EQ(text(e.getMessage()), "already exists: property \"DEVICEID\"");
    }
    EXPECT_EQ(i.findProperty("Missing"), PEG_NOT_FOUND);
    EXPECT_THROW(i.getProperty(4), IndexOutOfBoundsException);
    EXPECT_THROW(i.removeProperty(4), IndexOutOfBoundsException);
    EXPECT_THROW(i.getQualifier(0), IndexOutOfBoundsException);

    i.addQualifier(CIMQualifier("Description", CIMValue(String())));
    EXPECT_THROW(i.addQualifier(CIMQualifier("description", CIMValue(String()))),
                 AlreadyExistsException);
    EXPECT_EQ(i.findQualifier("DESCRIPTION"), 0u);

    // A property that belongs to an instance cannot be renamed.
    CIMProperty p = i.getProperty(0);
    EXPECT_THROW(p.setName("Other"), Exception);
}

TEST(CIMInstanceTest, InstanceFilter)
{
    CIMInstance i = disk();
    i.addQualifier(CIMQualifier("Description", CIMValue(String())));
    CIMProperty size = i.getProperty(1);
    size.setClassOrigin("CIM_StorageExtent");
    size.addQualifier(CIMQualifier("Units", CIMValue(String("Bytes"))));

    CIMInstance kept = i.clone();
    kept.instanceFilter(true, true, CIMPropertyList());
    EXPECT_TRUE(kept.identical(i));

    Array<CIMName> names;
    names.append("size");
    names.append("SystemName");
    i.instanceFilter(false, false, CIMPropertyList(names));
    EXPECT_EQ(i.getQualifierCount(), 0u);
    ASSERT_EQ(i.getPropertyCount(), 2u);
    EXPECT_EQ(text(i.getProperty(0).getName().getString()), "Size");
    EXPECT_EQ(text(i.getProperty(1).getName().getString()), "SystemName");
    EXPECT_EQ(i.getProperty(0).getQualifierCount(), 0u);
    EXPECT_TRUE(i.getProperty(0).getClassOrigin().isNull());

    // The deprecated filter() changes nothing.
    kept.filter(false, false, CIMPropertyList(Array<CIMName>()));
    EXPECT_EQ(kept.getPropertyCount(), 4u);
}

TEST(CIMInstanceTest, ObjectView)
{
    CIMInstance i = disk();
    CIMObject o = i;
    EXPECT_TRUE(o.isInstance());
    EXPECT_EQ(text(o.toString()).rfind("<INSTANCE ", 0), 0u);
    EXPECT_EQ(text(o.getClassName().getString()), "Acme_Disk");
    o.removeProperty(0);
    EXPECT_EQ(i.getPropertyCount(), 3u);
    CIMInstance back(o);
    EXPECT_TRUE(back.identical(i));
    CIMConstInstance view{CIMConstObject(o)};
    EXPECT_EQ(view.getPropertyCount(), 3u);
}

TEST(CIMInstanceTest, IdenticalComparesContent)
{
    EXPECT_TRUE(disk().identical(disk()));
    CIMInstance other = disk();
    other.getProperty(1).setValue(CIMValue(Uint64(1)));
    EXPECT_FALSE(other.identical(disk()));
    EXPECT_FALSE(CIMInstance("Acme_Disk").identical(CIMInstance("Acme_Tape")));
    EXPECT_TRUE(CIMInstance("Acme_Disk").identical(CIMInstance("ACME_DISK")));
}

TEST(CIMInstanceTest, UninitializedHandlesThrow)
{
    CIMInstance i;
    CIMConstInstance ci;
    EXPECT_THROW(i.getClassName(), UninitializedObjectException);
    EXPECT_THROW(i.addProperty(CIMProperty("P", CIMValue(true))), UninitializedObjectException);
    EXPECT_THROW(i.buildPath(keyedClass()), UninitializedObjectException);
    EXPECT_THROW(disk().buildPath(CIMClass()), UninitializedObjectException);
    EXPECT_THROW(ci.getPropertyCount(), UninitializedObjectException);
    EXPECT_THROW(disk().addProperty(CIMProperty()), UninitializedObjectException);
    EXPECT_THROW(CIMInstance{CIMName()}, UninitializedObjectException);
}
