// CIMQualifier and CIMQualifierDecl: flavors as stored, declaration flavor
// completion, handle sharing versus clone(), uninitialized handles.
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "CommonTestSupport.h"

using namespace Pegasus;

TEST(CIMQualifierTest, FlavorIsKeptAsGiven)
{
    CIMQualifier plain("Description", CIMValue(String("x")));
    EXPECT_EQ(text(plain.getFlavor().toString()), "");

    CIMQualifier q("Key", CIMValue(true), CIMFlavor::TOSUBCLASS);
    EXPECT_EQ(text(q.getFlavor().toString()), "TOSUBCLASS");

    q.setFlavor(CIMFlavor::DISABLEOVERRIDE + CIMFlavor::TRANSLATABLE);
    EXPECT_EQ(text(q.getFlavor().toString()), "TRANSLATABLE DISABLEOVERRIDE");
    q.unsetFlavor(CIMFlavor::TRANSLATABLE);
    EXPECT_EQ(text(q.getFlavor().toString()), "DISABLEOVERRIDE");
}

TEST(CIMQualifierTest, PropagatedIsUint32)
{
    static_assert(
        std::is_same<decltype(CIMQualifier().getPropagated()), Uint32>::value,
        "CIMQualifier::getPropagated returns Uint32");
    static_assert(
        std::is_same<decltype(CIMConstQualifier().getPropagated()), Uint32>::value,
        "CIMConstQualifier::getPropagated returns Uint32");

    CIMQualifier q("Key", CIMValue(true), CIMFlavor::NONE, true);
    EXPECT_EQ(q.getPropagated(), 1u);
    q.setPropagated(false);
    EXPECT_EQ(q.getPropagated(), 0u);
}

TEST(CIMQualifierTest, TypeComesFromTheValue)
{
    Array<String> a;
    a.append("a");
    CIMQualifier q("ValueMap", CIMValue(a));
    EXPECT_EQ(q.getType(), CIMTYPE_STRING);
    EXPECT_TRUE(q.isArray());
    q.setValue(CIMValue(Uint32(7)));
    EXPECT_EQ(q.getType(), CIMTYPE_UINT32);
    EXPECT_FALSE(q.isArray());
}

TEST(CIMQualifierTest, CopiesShareAndClonesDoNot)
{
    CIMQualifier q("Units", CIMValue(String("Bytes")));
    CIMQualifier alias = q;
    CIMConstQualifier view = q;
    CIMQualifier copy = q.clone();

    q.setValue(CIMValue(String("KiloBytes")));
    q.setName("UNITS");
    EXPECT_EQ(text(alias.getValue().toString()), "KiloBytes");
    EXPECT_EQ(text(view.getValue().toString()), "KiloBytes");
    EXPECT_EQ(text(alias.getName().getString()), "UNITS");
    EXPECT_EQ(text(copy.getValue().toString()), "Bytes");
    EXPECT_EQ(text(copy.getName().getString()), "Units");
}

TEST(CIMQualifierTest, Identical)
{
    CIMQualifier a("Key", CIMValue(true), CIMFlavor::TOSUBCLASS);
    EXPECT_TRUE(a.identical(CIMQualifier("KEY", CIMValue(true), CIMFlavor::TOSUBCLASS)));
    EXPECT_FALSE(a.identical(CIMQualifier("Key", CIMValue(false), CIMFlavor::TOSUBCLASS)));
    EXPECT_FALSE(a.identical(CIMQualifier("Key", CIMValue(true))));
    EXPECT_FALSE(a.identical(CIMQualifier("Key", CIMValue(true), CIMFlavor::TOSUBCLASS, true)));
    EXPECT_FALSE(a.identical(CIMQualifier("Override", CIMValue(true), CIMFlavor::TOSUBCLASS)));
    EXPECT_TRUE(CIMConstQualifier(a).identical(a.clone()));
}

TEST(CIMQualifierTest, NullNameThrows)
{
    EXPECT_THROW(CIMQualifier(CIMName(), CIMValue(true)), UninitializedObjectException);
    EXPECT_THROW(
        CIMQualifierDecl(CIMName(), CIMValue(true), CIMScope::ANY),
        UninitializedObjectException);
}

TEST(CIMQualifierTest, UninitializedHandleThrowsOnUse)
{
    CIMQualifier q;
    CIMConstQualifier cq;
    EXPECT_TRUE(q.isUninitialized());
    EXPECT_TRUE(cq.isUninitialized());
    CIMQualifier copy = q;   // copying is fine
    EXPECT_TRUE(copy.isUninitialized());

    CIMQualifier good("Key", CIMValue(true));
    const std::function<void()> uses[] = {
        [&] { q.getName(); },
        [&] { q.setName("X"); },
        [&] { q.getType(); },
        [&] { q.isArray(); },
        [&] { q.getValue(); },
        [&] { q.setValue(CIMValue(true)); },
        [&] { q.setFlavor(CIMFlavor::NONE); },
        [&] { q.unsetFlavor(CIMFlavor::NONE); },
        [&] { q.getFlavor(); },
        [&] { q.getPropagated(); },
        [&] { q.setPropagated(true); },
        [&] { q.identical(good); },
        [&] { good.identical(q); },
        [&] { cq.getName(); },
        [&] { cq.getValue(); },
        [&] { cq.identical(good); },
    };
    for (const auto& use : uses)
    {
        try
        {
            use();
            ADD_FAILURE() << "no exception";
        }
        catch (const UninitializedObjectException& e)
        {
            EXPECT_EQ(text(e.getMessage()), "uninitialized object");
        }
    }
}

TEST(CIMQualifierTest, RenameInsideAContainerThrows)
{
    CIMQualifier q("Description", CIMValue(String("d")));
    CIMProperty p("Name", CIMValue(String("n")));
    p.addQualifier(q);
    EXPECT_THROW(q.setName("Caption"), Exception);
    EXPECT_EQ(text(p.getQualifier(0).getName().getString()), "Description");

    // Once removed, the qualifier may be renamed again; a clone always may.
    CIMQualifier c = q.clone();
    c.setName("Caption");
    p.removeQualifier(0);
    q.setName("Caption");
    EXPECT_EQ(text(q.getName().getString()), "Caption");
}

TEST(CIMQualifierDeclTest, FlavorIsCompleted)
{
    struct Case
    {
        CIMFlavor given;
        const char* expected;
    };
    const Case cases[] = {
        {CIMFlavor::NONE, "OVERRIDABLE TOSUBCLASS"},
        {CIMFlavor::DEFAULTS, "OVERRIDABLE TOSUBCLASS"},
        {CIMFlavor::RESTRICTED + CIMFlavor::DISABLEOVERRIDE,
         "DISABLEOVERRIDE RESTRICTED"},
        {CIMFlavor::TOSUBCLASS + CIMFlavor::RESTRICTED, "OVERRIDABLE RESTRICTED"},
        {CIMFlavor::OVERRIDABLE + CIMFlavor::DISABLEOVERRIDE,
         "TOSUBCLASS DISABLEOVERRIDE"},
        {CIMFlavor::TRANSLATABLE, "OVERRIDABLE TOSUBCLASS TRANSLATABLE"},
        {CIMFlavor::TOINSTANCE + CIMFlavor::RESTRICTED,
         "OVERRIDABLE TOINSTANCE RESTRICTED"},
    };
    for (const Case& c : cases)
    {
        CIMQualifierDecl d("Q", CIMValue(false), CIMScope::CLASS, c.given);
        EXPECT_EQ(text(d.getFlavor().toString()), c.expected);
    }
    CIMQualifierDecl byDefault("Q", CIMValue(false), CIMScope::CLASS);
    EXPECT_EQ(text(byDefault.getFlavor().toString()), "OVERRIDABLE TOSUBCLASS");
}

TEST(CIMQualifierDeclTest, MembersSharingAndClone)
{
    CIMQualifierDecl d(
        "ValueMap", CIMValue(CIMTYPE_STRING, true), CIMScope::PROPERTY + CIMScope::METHOD,
        CIMFlavor::NONE, 3);
    EXPECT_EQ(d.getType(), CIMTYPE_STRING);
    EXPECT_TRUE(d.isArray());
    EXPECT_EQ(d.getArraySize(), 3u);
    EXPECT_EQ(text(d.getScope().toString()), "PROPERTY METHOD");

    CIMConstQualifierDecl view = d;
    CIMQualifierDecl copy = d.clone();
    EXPECT_TRUE(copy.identical(d));
    d.setValue(CIMValue(Uint32(1)));
    EXPECT_EQ(view.getType(), CIMTYPE_UINT32);
    EXPECT_EQ(copy.getType(), CIMTYPE_STRING);
    EXPECT_FALSE(copy.identical(d));

    CIMQualifierDecl empty;
    EXPECT_THROW(empty.getScope(), UninitializedObjectException);
    EXPECT_THROW(d.identical(empty), UninitializedObjectException);
}
