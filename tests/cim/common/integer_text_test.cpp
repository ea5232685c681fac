// The integer-text parser and its two syntaxes.
#include <string>

#include <gtest/gtest.h>

#include "IntegerText.h"

PEGASUS_USING_PEGASUS;

namespace
{
struct Case
{
    const char* text;
    IntegerTextResult keyValue;
    IntegerTextResult value;
    bool negative;
    Uint64 magnitude;
};

const IntegerTextResult Ok = IntegerTextResult::Ok;
const IntegerTextResult Bad = IntegerTextResult::Malformed;
const IntegerTextResult Big = IntegerTextResult::Overflow;

TEST(IntegerText, BothSyntaxesOverTheSameTexts)
{
    const Case cases[] = {
        {"0", Ok, Ok, false, 0},
        {"-0", Ok, Ok, false, 0},
        {"42", Ok, Ok, false, 42},
        {"-42", Ok, Ok, true, 42},
        {"+42", Bad, Ok, false, 42},
        {"007", Bad, Ok, false, 7},
        {"0x1F", Ok, Ok, false, 31},
        {"-0X1f", Ok, Ok, true, 31},
        {"+0x10", Bad, Ok, false, 16},
        {"0x", Bad, Bad, false, 0},
        {"-", Bad, Bad, false, 0},
        {"", Bad, Bad, false, 0},
        {"12x", Bad, Bad, false, 0},
        {"0x1G", Bad, Bad, false, 0},
        {" 1", Bad, Bad, false, 0},
        {"18446744073709551615", Ok, Ok, false, 18446744073709551615ULL},
        {"18446744073709551616", Big, Big, false, 0},
        {"0xFFFFFFFFFFFFFFFF", Ok, Ok, false, 18446744073709551615ULL},
        {"0x10000000000000000", Big, Big, false, 0},
        {"99999999999999999999x", Bad, Bad, false, 0},
    };
    for (const Case& c : cases)
    {
        const std::string text = c.text;
        for (IntegerSyntax syntax : {IntegerSyntax::KeyValue, IntegerSyntax::Value})
        {
            const IntegerTextResult expected =
                syntax == IntegerSyntax::KeyValue ? c.keyValue : c.value;
            bool negative = true;
            Uint64 magnitude = 12345;
            SCOPED_TRACE(text + (syntax == IntegerSyntax::KeyValue ? " (key value)" : " (value)"));
            EXPECT_EQ(parseIntegerText(text.data(), text.size(), syntax, negative, magnitude),
                      expected);
            if (expected == Ok)
            {
                EXPECT_EQ(negative, c.negative);
                EXPECT_EQ(magnitude, c.magnitude);
            }
        }
    }
}

TEST(IntegerText, KeyValueTextsFromStringsAndTheirRanges)
{
    Sint64 s = 0;
    Uint64 u = 0;
    EXPECT_TRUE(parseSignedIntegerText(String("-9223372036854775808"), s));
    EXPECT_EQ(s, Sint64(-0x7FFFFFFFFFFFFFFFLL - 1));
    EXPECT_FALSE(parseSignedIntegerText(String("9223372036854775808"), s));
    EXPECT_FALSE(parseUnsignedIntegerText(String("-1"), u));
    EXPECT_FALSE(parseUnsignedIntegerText(String("-0"), u));
    EXPECT_FALSE(parseUnsignedIntegerText(String("1\xC3\xA9"), u)) << "non-ASCII";
    EXPECT_TRUE(parseUnsignedIntegerText(String("0x10"), u));
    EXPECT_EQ(u, 16u);
}
}
