// CIMFlavor: bit values as seen through hasFlavor/equal, and the exact
// text of toString().
#include <Pegasus/Common/CIMFlavor.h>

#include <gtest/gtest.h>

#include <string>

using namespace Pegasus;

namespace
{
std::string text(const CIMFlavor& f)
{
    return std::string(f.toString().getCString());
}
}

TEST(CIMFlavorTest, ToStringListsSetBitsInFixedOrder)
{
    struct Case
    {
        CIMFlavor flavor;
        const char* expected;
    };
    const Case cases[] = {
        {CIMFlavor::NONE, ""},
        {CIMFlavor(), ""},
        {CIMFlavor::OVERRIDABLE, "OVERRIDABLE"},
        {CIMFlavor::ENABLEOVERRIDE, "OVERRIDABLE"},
        {CIMFlavor::TOSUBCLASS, "TOSUBCLASS"},
        {CIMFlavor::TOSUBELEMENTS, "TOSUBCLASS"},
        {CIMFlavor::TOINSTANCE, "TOINSTANCE"},
        {CIMFlavor::TRANSLATABLE, "TRANSLATABLE"},
        {CIMFlavor::DISABLEOVERRIDE, "DISABLEOVERRIDE"},
        {CIMFlavor::RESTRICTED, "RESTRICTED"},
        {CIMFlavor::DEFAULTS, "OVERRIDABLE TOSUBCLASS"},
        // Added in reverse order, printed in the fixed order.
        {CIMFlavor::RESTRICTED + CIMFlavor::TRANSLATABLE + CIMFlavor::OVERRIDABLE,
         "OVERRIDABLE TRANSLATABLE RESTRICTED"},
        // Contradictions are printed as they are.
        {CIMFlavor::OVERRIDABLE + CIMFlavor::DISABLEOVERRIDE,
         "OVERRIDABLE DISABLEOVERRIDE"},
        {CIMFlavor::DEFAULTS + CIMFlavor::TOINSTANCE + CIMFlavor::TRANSLATABLE +
             CIMFlavor::DISABLEOVERRIDE + CIMFlavor::RESTRICTED,
         "OVERRIDABLE TOSUBCLASS TOINSTANCE TRANSLATABLE DISABLEOVERRIDE "
         "RESTRICTED"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c.flavor), c.expected);
}

TEST(CIMFlavorTest, AliasesShareBits)
{
    EXPECT_TRUE(CIMFlavor::ENABLEOVERRIDE.equal(CIMFlavor::OVERRIDABLE));
    EXPECT_TRUE(CIMFlavor::TOSUBELEMENTS.equal(CIMFlavor::TOSUBCLASS));
    EXPECT_TRUE(
        CIMFlavor::DEFAULTS.equal(CIMFlavor::OVERRIDABLE + CIMFlavor::TOSUBCLASS));
    EXPECT_FALSE(CIMFlavor::TOINSTANCE.equal(CIMFlavor::TRANSLATABLE));
}

TEST(CIMFlavorTest, HasFlavorNeedsEveryBit)
{
    CIMFlavor f = CIMFlavor::TOSUBCLASS;
    EXPECT_TRUE(f.hasFlavor(CIMFlavor::NONE));
    EXPECT_TRUE(CIMFlavor().hasFlavor(CIMFlavor::NONE));
    EXPECT_TRUE(f.hasFlavor(CIMFlavor::TOSUBCLASS));
    EXPECT_FALSE(f.hasFlavor(CIMFlavor::DEFAULTS));
    f.addFlavor(CIMFlavor::OVERRIDABLE);
    EXPECT_TRUE(f.hasFlavor(CIMFlavor::DEFAULTS));
}

TEST(CIMFlavorTest, AddRemoveAndCopiesAreIndependent)
{
    CIMFlavor f = CIMFlavor::DEFAULTS;
    CIMFlavor copy = f;
    f.removeFlavor(CIMFlavor::OVERRIDABLE);
    f.addFlavor(CIMFlavor::TRANSLATABLE);
    EXPECT_EQ(text(f), "TOSUBCLASS TRANSLATABLE");
    EXPECT_EQ(text(copy), "OVERRIDABLE TOSUBCLASS");

    // Removing bits that are not set changes nothing.
    f.removeFlavor(CIMFlavor::RESTRICTED);
    EXPECT_EQ(text(f), "TOSUBCLASS TRANSLATABLE");

    // operator+ leaves both operands alone.
    CIMFlavor sum = copy + CIMFlavor::TOINSTANCE;
    EXPECT_EQ(text(copy), "OVERRIDABLE TOSUBCLASS");
    EXPECT_EQ(text(sum), "OVERRIDABLE TOSUBCLASS TOINSTANCE");
}
