// CIMName and CIMNamespaceName: what is legal, how names compare, and the
// exceptions raised for illegal ones.
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Constants.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

PEGASUS_USING_PEGASUS;

TEST(CIMNameTest, LegalNames)
{
    struct Case
    {
        const char* name;
        bool legal;
    };
    const Case cases[] = {
        {"CIM_ComputerSystem", true},
        {"_private", true},
        {"a1", true},
        {"\xC3\xA9t\xC3\xA9", true},   // non-ASCII start and body
        {"", false},
        {"1abc", false},
        {"has space", false},
        {"dash-ed", false},
        {"dot.ted", false},
        {"colon:", false},
        {"\xEF\xBF\xB0x", false},       // U+FFF0 is past the allowed range
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.legal, CIMName::legal(String(c.name))) << c.name;
        if (c.legal)
            EXPECT_NO_THROW(CIMName n(c.name)) << c.name;
        else
            EXPECT_THROW(CIMName n(c.name), InvalidNameException) << c.name;
    }
}

TEST(CIMNameTest, InvalidNameMessageAndAssignment)
{
    try
    {
        CIMName n("bad name");
        FAIL() << "no exception";
    }
    catch (const InvalidNameException& e)
    {
        EXPECT_EQ(String("The CIM name is not valid: bad name"), e.getMessage());
    }
    CIMName n("Good");
    EXPECT_THROW(n = String("9"), InvalidNameException);
    EXPECT_EQ(String("Good"), n.getString());   // unchanged by the failed assignment
    n = "Other";
    EXPECT_EQ(String("Other"), n.getString());
}

TEST(CIMNameTest, NullAndCaseInsensitiveEquality)
{
    CIMName null;
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(String(), null.getString());
    CIMName a("Caption");
    EXPECT_TRUE(a == CIMName("CAPTION"));
    EXPECT_TRUE(a.equal("caption"));
    EXPECT_TRUE(a == "cApTiOn");
    EXPECT_TRUE(a != CIMName("Captions"));
    EXPECT_EQ(String("Caption"), a.getString());   // case preserved
    a.clear();
    EXPECT_TRUE(a.isNull());
}

TEST(CIMNamespaceNameTest, LegalNamespaces)
{
    struct Case
    {
        const char* name;
        bool legal;
        const char* stored;
    };
    const Case cases[] = {
        {"root", true, "root"},
        {"root/cimv2", true, "root/cimv2"},
        {"/root/PG_InterOp", true, "root/PG_InterOp"},
        {"a/b/c", true, "a/b/c"},
        {"", false, 0},
        {"/", false, 0},
        {"root/", false, 0},
        {"root//x", false, 0},
        {"//root", false, 0},
        {"root/1x", false, 0},
        {"root cimv2", false, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.legal, CIMNamespaceName::legal(String(c.name))) << c.name;
        if (c.legal)
            EXPECT_EQ(String(c.stored), CIMNamespaceName(c.name).getString()) << c.name;
        else
            EXPECT_THROW(CIMNamespaceName n(c.name), InvalidNamespaceNameException)
                << c.name;
    }
}

TEST(CIMNamespaceNameTest, MessageEqualityAndConstants)
{
    try
    {
        CIMNamespaceName n("root/");
        FAIL() << "no exception";
    }
    catch (const InvalidNamespaceNameException& e)
    {
        EXPECT_EQ(String("invalid CIM namespace name: root/"), e.getMessage());
    }
    EXPECT_TRUE(CIMNamespaceName("ROOT/CIMV2") == CIMNamespaceName("root/cimv2"));
    EXPECT_TRUE(CIMNamespaceName("root/cimv2") == "/Root/CimV2");
    EXPECT_TRUE(CIMNamespaceName("root/a") != CIMNamespaceName("root/b"));
    EXPECT_TRUE(CIMNamespaceName().isNull());

    EXPECT_EQ(String("root/PG_Internal"), PEGASUS_NAMESPACENAME_INTERNAL.getString());
    EXPECT_EQ(String("root/PG_Internal"), PEGASUS_NAMESPACENAME_CONFIG.getString());
    EXPECT_EQ(String("root/PG_InterOp"), PEGASUS_NAMESPACENAME_PROVIDERREG.getString());
    EXPECT_EQ(String("root/cimv2"), PEGASUS_NAMESPACENAME_CIMV2.getString());
    EXPECT_EQ(String("PG_ShutdownService"), PEGASUS_CLASSNAME_SHUTDOWN.getString());
    EXPECT_EQ(String("__Namespace"), PEGASUS_CLASSNAME___NAMESPACE.getString());
}
