// CIMScope: bit values as seen through hasScope/equal, and the exact text of
// toString().
#include <Pegasus/Common/CIMScope.h>

#include <gtest/gtest.h>

#include <string>

using namespace Pegasus;

namespace
{
std::string text(const CIMScope& s)
{
    return std::string(s.toString().getCString());
}
}

TEST(CIMScopeTest, ToStringListsSetBitsInFixedOrder)
{
    struct Case
    {
        CIMScope scope;
        const char* expected;
    };
    const Case cases[] = {
        {CIMScope::NONE, ""},
        {CIMScope(), ""},
        {CIMScope::CLASS, "CLASS"},
        {CIMScope::ASSOCIATION, "ASSOCIATION"},
        {CIMScope::INDICATION, "INDICATION"},
        {CIMScope::PROPERTY, "PROPERTY"},
        {CIMScope::REFERENCE, "REFERENCE"},
        {CIMScope::METHOD, "METHOD"},
        {CIMScope::PARAMETER, "PARAMETER"},
        {CIMScope::REFERENCE + CIMScope::PROPERTY, "PROPERTY REFERENCE"},
        {CIMScope::PARAMETER + CIMScope::CLASS + CIMScope::METHOD,
         "CLASS METHOD PARAMETER"},
        {CIMScope::ANY,
         "CLASS ASSOCIATION INDICATION PROPERTY REFERENCE METHOD PARAMETER"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c.scope), c.expected);
}

TEST(CIMScopeTest, AnyIsTheUnionOfAllSeven)
{
    CIMScope all;
    const CIMScope each[] = {CIMScope::CLASS, CIMScope::ASSOCIATION,
        CIMScope::INDICATION, CIMScope::PROPERTY, CIMScope::REFERENCE,
        CIMScope::METHOD, CIMScope::PARAMETER};
    for (const CIMScope& s : each)
    {
        EXPECT_TRUE(CIMScope::ANY.hasScope(s));
        EXPECT_FALSE(all.hasScope(s));
        all.addScope(s);
    }
    EXPECT_TRUE(all.equal(CIMScope::ANY));
}

TEST(CIMScopeTest, HasScopeNeedsEveryBit)
{
    CIMScope s = CIMScope::PROPERTY;
    EXPECT_TRUE(s.hasScope(CIMScope::NONE));
    EXPECT_FALSE(s.hasScope(CIMScope::PROPERTY + CIMScope::REFERENCE));
    CIMScope copy = s;
    s.addScope(CIMScope::REFERENCE);
    EXPECT_TRUE(s.hasScope(CIMScope::PROPERTY + CIMScope::REFERENCE));
    EXPECT_FALSE(copy.hasScope(CIMScope::REFERENCE));
    EXPECT_FALSE(s.equal(copy));
}
