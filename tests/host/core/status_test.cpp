// TKTAStatusCode texts and TKTAException.

#include <gtest/gtest.h>

#include <set>

#include "TKTAException.h"
#include "TKTAStatusCode.h"

using namespace NQRVKTA20;

TEST(StatusCode, NamedCodesHaveTheContractNumbersAndDistinctTexts) {
    const std::vector<std::pair<uint32_t, uint32_t>> codes = {
        {TKTAStatusCode::kSuccess, 0},           {TKTAStatusCode::kNotSupported, 1},
        {TKTAStatusCode::kInvalidPath, 3},       {TKTAStatusCode::kOutOfMemory, 4},
        {TKTAStatusCode::kCannotOpenDirectory, 11}, {TKTAStatusCode::kWrongType, 14},
        {TKTAStatusCode::kNotFound, 15},         {TKTAStatusCode::kAlreadyDefined, 16},
        {TKTAStatusCode::kPropertyNotAllowed, 22}, {TKTAStatusCode::kInvalidName, 25},
        {TKTAStatusCode::kQualifierNotAllowed, 28}, {TKTAStatusCode::kReadOnly, 31},
        {TKTAStatusCode::kInvalidRepository, 38}, {TKTAStatusCode::kConnectionFailed, 42},
    };
    std::set<std::string> texts;
    for (const auto& c : codes) {
        EXPECT_EQ(c.first, c.second);
        const std::string text = TKTAStatusCode::TranslateStatusCode(c.first);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("unknown"), std::string::npos) << c.second << ": " << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), codes.size());
    EXPECT_EQ(TKTAStatusCode::TranslateStatusCode(14), "wrong type");
}

TEST(StatusCode, OtherCodesAreUnknown) {
    EXPECT_EQ(TKTAStatusCode::TranslateStatusCode(2), "unknown status code 2");
    EXPECT_EQ(TKTAStatusCode::TranslateStatusCode(43), "unknown status code 43");
    EXPECT_EQ(TKTAStatusCode::TranslateStatusCode(4294967295u), "unknown status code 4294967295");
}

TEST(Exception, CarriesCodeAndText) {
    try {
        throw TKTAException(TKTAStatusCode::kNotFound);
    } catch (const std::exception& e) {
        const TKTAException* k = dynamic_cast<const TKTAException*>(&e);
        ASSERT_NE(k, nullptr);
        EXPECT_EQ(k->GetStatusCode(), 15u);
        EXPECT_EQ(std::string(e.what()), TKTAStatusCode::TranslateStatusCode(15));
        EXPECT_EQ(k->GetDetail(), "");
    }
}

// what() is the code's text alone; the detail is kept apart.
TEST(Exception, DetailStaysOutOfWhat) {
    const TKTAException e(14, "cannot convert string to uint32");
    EXPECT_STREQ(e.what(), "wrong type");
    EXPECT_EQ(e.GetDetail(), "cannot convert string to uint32");
    EXPECT_STREQ(TKTAException(14, "").what(), "wrong type");
    EXPECT_STREQ(TKTAException(99, "x").what(), "unknown status code 99");
    EXPECT_EQ(TKTAException(99, "x").GetDetail(), "x");
    // Copies keep their own text and detail.
    TKTAException copy = e;
    EXPECT_STREQ(copy.what(), "wrong type");
    EXPECT_NE(copy.what(), e.what());
    EXPECT_EQ(copy.GetDetail(), e.GetDetail());
    EXPECT_EQ(copy.GetStatusCode(), 14u);
}
