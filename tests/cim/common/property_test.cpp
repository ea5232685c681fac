// CIMProperty: construction rules, the fixed type, qualifier lists, sharing
// versus clone().
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace
{

Array<Uint32> uints(Uint32 n)
{
    Array<Uint32> a;
    for (Uint32 i = 0; i < n; i++)
        a.append(i);
    return a;
}
}

TEST(CIMPropertyTest, ConstructorRejectsInconsistentDeclarations)
{
    const CIMObjectPath ref("C.k=1");
    const std::function<void()> bad[] = {
        // Fixed size with a scalar, or with an array of another size.
        [] { CIMProperty("P", CIMValue(Uint32(1)), 2); },
        [] { CIMProperty("P", CIMValue(uints(3)), 2); },
        // Arrays of references are not property types.
        [&] {
            Array<CIMObjectPath> refs;
            refs.append(ref);
            CIMProperty("P", CIMValue(refs));
        },
        // A reference class only goes with a reference value.
        [] { CIMProperty("P", CIMValue(String("x")), 0, "CIM_Foo"); },
    };
    for (const auto& f : bad)
        EXPECT_THROW(f(), TypeMismatchException);

    EXPECT_THROW(CIMProperty(CIMName(), CIMValue(true)), UninitializedObjectException);

    CIMProperty fixed("P", CIMValue(uints(2)), 2);
    EXPECT_EQ(fixed.getArraySize(), 2u);
    CIMProperty nullFixed("P", CIMValue(CIMTYPE_UINT8, true, 4), 4);
    EXPECT_EQ(nullFixed.getArraySize(), 4u);
    CIMProperty r("R", CIMValue(ref), 0, "C");
    EXPECT_EQ(text(r.getReferenceClassName().getString()), "C");
    EXPECT_EQ(r.getType(), CIMTYPE_REFERENCE);
}

TEST(CIMPropertyTest, ValueKeepsTypeArrayNessAndFixedSize)
{
    CIMProperty p("Count", CIMValue(Uint32(5)));
    p.setValue(CIMValue(Uint32(6)));
    p.setValue(CIMValue(CIMTYPE_UINT32, false));
    EXPECT_TRUE(p.getValue().isNull());
    EXPECT_THROW(p.setValue(CIMValue(Uint64(6))), TypeMismatchException);
    EXPECT_THROW(p.setValue(CIMValue(uints(1))), TypeMismatchException);
    EXPECT_EQ(p.getType(), CIMTYPE_UINT32);

    CIMProperty fixed("A", CIMValue(uints(2)), 2);
    fixed.setValue(CIMValue(uints(2)));
    EXPECT_THROW(fixed.setValue(CIMValue(uints(3))), TypeMismatchException);
    EXPECT_EQ(fixed.getValue().getArraySize(), 2u);

    CIMProperty variable("V", CIMValue(uints(2)));
    variable.setValue(CIMValue(uints(5)));
    EXPECT_EQ(variable.getValue().getArraySize(), 5u);
}

TEST(CIMPropertyTest, OriginAndPropagated)
{
    CIMProperty p("Caption", CIMValue(String()), 0, CIMName(), "CIM_ManagedElement", true);
    EXPECT_EQ(text(p.getClassOrigin().getString()), "CIM_ManagedElement");
    EXPECT_TRUE(p.getPropagated());
    p.setClassOrigin(CIMName());
    p.setPropagated(false);
    EXPECT_TRUE(p.getClassOrigin().isNull());
    EXPECT_FALSE(p.getPropagated());
    EXPECT_FALSE(CIMProperty("X", CIMValue(true)).getPropagated());
}

TEST(CIMPropertyTest, QualifierList)
{
    CIMProperty p("Name", CIMValue(String()));
    p.addQualifier(CIMQualifier("Key", CIMValue(true)))
        .addQualifier(CIMQualifier("MaxLen", CIMValue(Uint32(256))));
    EXPECT_EQ(p.getQualifierCount(), 2u);
    EXPECT_EQ(p.findQualifier("key"), 0u);
    EXPECT_EQ(p.findQualifier("MAXLEN"), 1u);
    EXPECT_EQ(p.findQualifier("Description"), PEG_NOT_FOUND);

    try
    {
        p.addQualifier(CIMQualifier("KEY", CIMValue(false)));
        ADD_FAILURE() << "duplicate accepted";
    }
    catch (const AlreadyExistsException& e)
    {
        EXPECT_EQ(text(e.getMessage()), "already exists: qualifier \"KEY\"");
    }
    EXPECT_THROW(p.addQualifier(CIMQualifier()), UninitializedObjectException);
    EXPECT_EQ(p.getQualifierCount(), 2u);

    EXPECT_THROW(p.getQualifier(2), IndexOutOfBoundsException);
    EXPECT_THROW(p.removeQualifier(2), IndexOutOfBoundsException);
    const CIMProperty& cp = p;
    EXPECT_THROW(cp.getQualifier(7), IndexOutOfBoundsException);

    p.removeQualifier(0);
    EXPECT_EQ(p.getQualifierCount(), 1u);
    EXPECT_EQ(p.findQualifier("MaxLen"), 0u);
    EXPECT_EQ(p.findQualifier("Key"), PEG_NOT_FOUND);
}

TEST(CIMPropertyTest, FetchedQualifiersAreShared)
{
    CIMProperty p("Name", CIMValue(String()));
    p.addQualifier(CIMQualifier("MaxLen", CIMValue(Uint32(16))));
    p.getQualifier(0).setValue(CIMValue(Uint32(32)));
    EXPECT_EQ(text(p.getQualifier(0).getValue().toString()), "32");
}

TEST(CIMPropertyTest, CloneIsDeepAndIdentical)
{
    CIMProperty p("Name", CIMValue(String("a")));
    p.addQualifier(CIMQualifier("MaxLen", CIMValue(Uint32(16))));
    CIMProperty alias = p;
    CIMProperty copy = p.clone();
    EXPECT_TRUE(copy.identical(p));

    p.setValue(CIMValue(String("b")));
    p.getQualifier(0).setValue(CIMValue(Uint32(8)));
    EXPECT_EQ(text(alias.getValue().toString()), "b");
    EXPECT_EQ(text(copy.getValue().toString()), "a");
    EXPECT_EQ(text(copy.getQualifier(0).getValue().toString()), "16");
    EXPECT_FALSE(copy.identical(p));

    // The clone is in no container, so it may be renamed.
    copy.setName("Other");
    EXPECT_EQ(text(p.getName().getString()), "Name");
}

TEST(CIMPropertyTest, UninitializedHandleThrowsOnUse)
{
    CIMProperty p;
    CIMConstProperty cp;
    EXPECT_TRUE(p.isUninitialized());
    EXPECT_TRUE(cp.isUninitialized());
    const std::function<void()> uses[] = {
        [&] { p.getName(); },
        [&] { p.getValue(); },
        [&] { p.setValue(CIMValue(true)); },
        [&] { p.getArraySize(); },
        [&] { p.getQualifierCount(); },
        [&] { p.addQualifier(CIMQualifier("Key", CIMValue(true))); },
        [&] { p.findQualifier("Key"); },
        [&] { cp.getType(); },
        [&] { cp.getQualifierCount(); },
    };
    for (const auto& use : uses)
        EXPECT_THROW(use(), UninitializedObjectException);
}
