// TCIMDateTime: parsing, intervals, user texts and ordering.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TCIMDateTime.h"
#include "TKTAException.h"

using namespace NQRVKTA20;

TEST(DateTimeParse, ValidTextsReadBackUnchanged) {
    const std::vector<std::pair<std::string, bool>> texts = {
        {"00000000000000.000000:000", true},
        {"99999999235959.999999:000", true},
        {"00000001010101.000001:000", true},
        {"00000001******.******:000", true},
        {"20240305140709.123456+060", false},
        {"20240305140709.000000-999", false},
        {"00000101000000.000000+000", false},
        {"20240229235959.999999+000", false},  // leap day
        {"20000229000000.000000+000", false},  // leap century
        {"2024030514****.******+000", false},
        {"20240305140709.12****+000", false},
        {"**************.******+000", false},
        {"**************.******:000", true},
    };
    for (const auto& t : texts) {
        const TCIMDateTime d(t.first);
        EXPECT_EQ(d.ToString(), t.first);
        EXPECT_EQ(d.IsInterval(), t.second) << t.first;
        EXPECT_EQ(d.HasWildcards(), t.first.find('*') != std::string::npos) << t.first;
    }
}

TEST(DateTimeParse, MalformedTextsThrow14WithAReason) {
    const std::vector<std::string> texts = {
        "",
        "20240305140709.123456+06",     // 24 characters
        "20240305140709.123456+0600",   // 26
        "20240305140709,123456+060",    // no '.'
        "20240305140709.123456#060",    // bad sign
        "00000001010101.000000:001",    // interval suffix
        "2024O305140709.123456+060",    // letter O
        "20241305140709.123456+060",    // month 13
        "20240005140709.123456+060",    // month 00
        "20240132140709.123456+060",    // day 32
        "20240100140709.123456+060",    // day 00
        "20240230140709.123456+060",    // 30 February
        "20230229140709.123456+060",    // no leap year
        "19000229140709.123456+060",    // century, no leap year
        "20240305240709.123456+060",    // hour 24
        "20240305146009.123456+060",    // minute 60
        "20240305140760.123456+060",    // second 60
        "00000001240000.000000:000",    // interval hour 24
        "00000001006000.000000:000",    // interval minute 60
        "2024******0709.000000+000",    // digits after wildcards
        "202*0305140709.000000+000",    // year partly wildcarded
        "2024030514*7**.******+000",    // minute partly wildcarded
        "20240305140709.1*3***+000",    // digit after asterisk in microseconds
        "2024030514****.******+0*0",    // wildcard in the offset
        "20240305140709.123456 060",    // blank sign
        "-0240305140709.123456+060",
    };
    for (const auto& t : texts) {
        try {
            TCIMDateTime d(t);
            ADD_FAILURE() << "accepted \"" << t << "\"";
        } catch (const TKTAException& e) {
            EXPECT_EQ(e.GetStatusCode(), 14u) << t;
            EXPECT_NE(e.GetDetail().find(t), std::string::npos) << e.GetDetail();
        }
    }
}

TEST(DateTimeDefault, IsTheZeroInterval) {
    const TCIMDateTime d;
    EXPECT_TRUE(d.IsInterval());
    EXPECT_EQ(d.ToString(), "00000000000000.000000:000");
    EXPECT_EQ(d.ToUIString(), "00:00:00");
    EXPECT_EQ(d, TCIMDateTime("00000000000000.000000:000"));
}

TEST(DateTimeInterval, SetNormalisesAndShows) {
    struct Case {
        uint32_t days;
        uint16_t hours, minutes, seconds;
        uint32_t us;
        std::string cim;
        std::string ui;
    };
    const std::vector<Case> cases = {
        {1, 1, 1, 1, 0, "00000001010101.000000:000", "1 day 01:01:01"},
        {2, 0, 0, 5, 0, "00000002000005.000000:000", "2 days 00:00:05"},
        {0, 1, 1, 1, 0, "00000000010101.000000:000", "01:01:01"},
        {0, 0, 0, 1, 500000, "00000000000001.500000:000", "00:00:01.500000"},
        {0, 0, 0, 0, 7, "00000000000000.000007:000", "00:00:00.000007"},
        {0, 0, 0, 90, 0, "00000000000130.000000:000", "00:01:30"},
        {0, 23, 59, 59, 1000000, "00000001000000.000000:000", "1 day 00:00:00"},
        {0, 25, 0, 0, 0, "00000001010000.000000:000", "1 day 01:00:00"},
        {0, 65535, 65535, 65535, 4294967295u, "00002776223849.967295:000", "2776 days 22:38:49.967295"},
        {99999999, 23, 59, 59, 999999, "99999999235959.999999:000", "99999999 days 23:59:59.999999"},
        {10, 0, 0, 0, 0, "00000010000000.000000:000", "10 days 00:00:00"},
    };
    for (const auto& c : cases) {
        TCIMDateTime d("20240305140709.000000+060");
        d.Set(c.days, c.hours, c.minutes, c.seconds, c.us);
        EXPECT_TRUE(d.IsInterval());
        EXPECT_EQ(d.ToString(), c.cim);
        EXPECT_EQ(d.ToUIString(), c.ui);
    }
}

TEST(DateTimeInterval, SetBeyondTheLargestIntervalThrowsAndKeepsTheValue) {
    TCIMDateTime d("00000003000000.000000:000");
    try {
        d.Set(99999999, 24, 0, 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const TKTAException& e) {
        EXPECT_EQ(e.GetStatusCode(), 14u);
    }
    EXPECT_EQ(d.ToString(), "00000003000000.000000:000");
}

TEST(DateTimeUIString, TimestampsAndWildcards) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"20240305140709.000000+060", "2024-03-05 14:07:09 UTC+01:00"},
        {"20240305140709.000000-300", "2024-03-05 14:07:09 UTC-05:00"},
        {"20240305140709.000000+000", "2024-03-05 14:07:09 UTC"},
        {"20240305140709.123456+045", "2024-03-05 14:07:09.123456 UTC+00:45"},
        {"2024030514****.******+000", "2024-03-05 14:**:** UTC"},
        {"20240305140709.12****+000", "2024-03-05 14:07:09.12**** UTC"},
        {"00000002******.******:000", "2 days **:**:**"},
        {"**************.******:000", "**:**:**"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCIMDateTime(c.first).ToUIString(), c.second) << c.first;
}

TEST(DateTimeCompare, TimestampsOrderByInstantAndStayDistinct) {
    // 14:07:09 at UTC+1 is 13:07:09 UTC, earlier than 13:30 UTC.
    const TCIMDateTime a("20240305140709.000000+060");
    const TCIMDateTime b("20240305133000.000000+000");
    EXPECT_LT(a, b);
    EXPECT_FALSE(b < a);
    // The same instant written twice: distinct values, ordered by text.
    const TCIMDateTime c("20240305130709.000000+000");
    EXPECT_NE(a, c);
    EXPECT_TRUE((a < c) != (c < a));
    // A negative offset moves the instant later; across midnight and years.
    EXPECT_LT(TCIMDateTime("20241231230000.000000+000"), TCIMDateTime("20241231200000.000000-240"));
    EXPECT_LT(TCIMDateTime("99991231235959.999999:000"), TCIMDateTime("00000101000000.000000+000"));
}

TEST(DateTimeCompare, OrderingIsStrictWeak) {
    const std::vector<TCIMDateTime> values = {
        TCIMDateTime(),
        TCIMDateTime("00000001000000.000000:000"),
        TCIMDateTime("00000000235959.999999:000"),
        TCIMDateTime("00000001******.******:000"),
        TCIMDateTime("20240305140709.000000+060"),
        TCIMDateTime("20240305130709.000000+000"),
        TCIMDateTime("20240305133000.000000+000"),
        TCIMDateTime("20240305140709.000000-060"),
        TCIMDateTime("00000101000000.000000+999"),
        TCIMDateTime("2024030514****.******+000"),
        TCIMDateTime("2023**********.******+000"),
        TCIMDateTime("**************.******+000"),
    };
    const size_t n = values.size();
    for (size_t i = 0; i < n; ++i) {
        EXPECT_FALSE(values[i] < values[i]);
        for (size_t j = 0; j < n; ++j) {
            const bool lt = values[i] < values[j], gt = values[j] < values[i];
            EXPECT_FALSE(lt && gt) << i << " " << j;
            EXPECT_EQ(!lt && !gt, values[i] == values[j]) << i << " " << j;
            for (size_t k = 0; k < n; ++k) {
                if (lt && values[j] < values[k]) {
                    EXPECT_TRUE(values[i] < values[k]) << i << " " << j << " " << k;
                }
            }
        }
    }
}
