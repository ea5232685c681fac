// TCIMChar16: decimal code texts, UTF-8 texts, comparison.

#include <gtest/gtest.h>

#include "TCIMChar16.h"
#include "TKTAException.h"

using namespace NQRVKTA20;

TEST(Char16, DecimalCodeTextGivesTheCharacter) {
    const std::vector<std::tuple<std::string, uint16_t, std::string>> cases = {
        {"65", 65, "A"},
        {"065", 65, "A"},
        {"0", 0, ""},
        {"127", 127, "\x7F"},
        {"128", 128, "\xC2\x80"},
        {"233", 233, "\xC3\xA9"},
        {"2047", 2047, "\xDF\xBF"},
        {"2048", 2048, "\xE0\xA0\x80"},
        {"8364", 8364, "\xE2\x82\xAC"},
        {"65535", 65535, "\xEF\xBF\xBF"},
        {"55296", 0xD800, "\xEF\xBF\xBD"},  // lone surrogate: replacement character
        {"57343", 0xDFFF, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        const TCIMChar16 ch(std::get<0>(c));
        EXPECT_EQ(ch.GetValue(), std::get<1>(c)) << std::get<0>(c);
        EXPECT_EQ(ch.ToString(), std::get<2>(c)) << std::get<0>(c);
    }
    EXPECT_EQ(TCIMChar16(static_cast<uint16_t>(66)).ToString(), "B");
    EXPECT_EQ(TCIMChar16().GetValue(), 0);
}

TEST(Char16, BadCodeTextThrows14) {
    for (const std::string text : {"", "-1", "+65", " 65", "65 ", "65536", "0x41", "A", "6.5",
                                   "99999999999999999999"}) {
        try {
            TCIMChar16 ch(text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const TKTAException& e) {
            EXPECT_EQ(e.GetStatusCode(), 14u) << text;
        }
    }
}

TEST(Char16, FromUTF8ReadsOneCharacter) {
    EXPECT_EQ(TCIMChar16::FromUTF8("A").GetValue(), 65);
    EXPECT_EQ(TCIMChar16::FromUTF8("\xC3\xA9").GetValue(), 0xE9);
    EXPECT_EQ(TCIMChar16::FromUTF8("\xE2\x82\xAC").GetValue(), 0x20AC);
    for (const std::string& text : {std::string(""), std::string("AB"),
                                   std::string("\xF0\x9F\x98\x80"),  // beyond U+FFFF
                                   std::string("\xC3"),              // cut short
                                   std::string("\xC3\x41"),          // bad continuation
                                   std::string("\xC1\x81"),          // overlong 'A'
                                   std::string("\xE0\x81\x81"),      // overlong
                                   std::string("\x80")}) {
        try {
            TCIMChar16::FromUTF8(text);
            ADD_FAILURE() << "accepted a text of " << text.size() << " bytes";
        } catch (const TKTAException& e) {
            EXPECT_EQ(e.GetStatusCode(), 14u);
        }
    }
}

TEST(Char16, RoundTripsThroughUTF8) {
    for (uint32_t code = 1; code <= 0xFFFF; code += 97) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        const TCIMChar16 ch(static_cast<uint16_t>(code));
        EXPECT_EQ(TCIMChar16::FromUTF8(ch.ToString()), ch) << code;
    }
}

TEST(Char16, ComparesByCode) {
    EXPECT_EQ(TCIMChar16("65"), TCIMChar16(static_cast<uint16_t>(65)));
    EXPECT_NE(TCIMChar16("65"), TCIMChar16("66"));
    EXPECT_LT(TCIMChar16("65"), TCIMChar16("66"));
    EXPECT_FALSE(TCIMChar16("66") < TCIMChar16("65"));
}
