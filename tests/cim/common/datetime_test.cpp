// CIMDateTime: the 25-character text, the two kinds of error, comparisons
// across UTC offsets, and interval arithmetic.
#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

PEGASUS_USING_PEGASUS;

namespace
{
std::string text(const CIMDateTime& d)
{
    CString c = d.toString().getCString();
    return std::string(static_cast<const char*>(c));
}

const Uint64 kSec = 1000000ULL;
const Uint64 kDay = 86400ULL * kSec;
}

TEST(CIMDateTimeTest, TextsRoundTrip)
{
    const char* texts[] = {
        "20240102030405.123456+060",
        "20240102030405.123456-330",
        "00000101000000.000000+000",
        "99991231235959.999999+999",
        "20000229120000.000000+000",   // leap day of a 400-year
        "00000229000000.000000+000",   // year 0 is a leap year
        "00000000000000.000000:000",
        "99999999235959.999999:000",
        "00000012235612.500000:000",
        "2024010203****.******+000",
        "20240102030405.12****+000",
        "202401********.******+000",
        "2024**********.******+000",
        "**************.******+000",
        "00000001******.******:000",
        "0000000102****.******:000",
    };
    for (const char* t : texts)
        EXPECT_EQ(t, text(CIMDateTime(String(t))));
}

TEST(CIMDateTimeTest, MalformedTextsAreFormatErrors)
{
    const char* texts[] = {
        "",
        "20240102030405.123456+06",       // 24 chars
        "20240102030405.123456+0600",     // 26 chars
        "2024010203040X.123456+060",
        "20240102030405,123456+060",      // char 14 not '.'
        "20240102030405.123456*060",      // bad sign
        "20240102030405.123456+0x0",
        "00000001020304.000000:001",      // interval suffix not 000
        "2024**0203****.******+000",      // digits after a wildcard
        "20240102030405.1*3***+000",
        "2024010203040*.******+000",      // half a field wildcarded
        " 0240102030405.123456+060",      // space is not a digit
        "20240102030405.123456+***",
    };
    for (const char* t : texts)
        EXPECT_THROW(CIMDateTime d{String(t)}, InvalidDateTimeFormatException) << t;
    // Wildcarding only part of the days of an interval is not a field boundary.
    EXPECT_THROW(CIMDateTime(String("0000****000000.000000:000")),
                 InvalidDateTimeFormatException);
}

TEST(CIMDateTimeTest, OutOfRangeFieldsHaveTheirOwnException)
{
    struct Case
    {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"20241302030405.000000+000", "DateTime is out of range : illegal month number"},
        {"20240002030405.000000+000", "DateTime is out of range : illegal month number"},
        {"20240132030405.000000+000", "DateTime is out of range : illegal day number"},
        {"20230229030405.000000+000", "DateTime is out of range : illegal day number"},
        {"20240230030405.000000+000", "DateTime is out of range : illegal day number"},
        {"20240100030405.000000+000", "DateTime is out of range : illegal day number"},
        {"20240102240405.000000+000", "DateTime is out of range : illegal hours number "},
        {"00000001240000.000000:000", "DateTime is out of range : illegal hours number "},
    };
    for (const Case& c : cases)
    {
        try
        {
            CIMDateTime d{String(c.text)};
            ADD_FAILURE() << "no exception for " << c.text;
        }
        catch (const DateTimeOutOfRangeException& e)
        {
            EXPECT_EQ(String(c.message), e.getMessage()) << c.text;
        }
    }
    EXPECT_THROW(CIMDateTime(String("20240102036005.000000+000")),
                 DateTimeOutOfRangeException);
    EXPECT_THROW(CIMDateTime(String("20240102030460.000000+000")),
                 DateTimeOutOfRangeException);
}

TEST(CIMDateTimeTest, DefaultAndMicrosecondConstructors)
{
    CIMDateTime zero;
    EXPECT_EQ("00000000000000.000000:000", text(zero));
    EXPECT_TRUE(zero.isInterval());
    EXPECT_FALSE(zero.isTimeStamp());

    EXPECT_EQ("00000101000001.000000+000", text(CIMDateTime(kSec, false)));
    EXPECT_EQ("00000001000001.000001:000", text(CIMDateTime(kDay + kSec + 1, true)));
    CIMDateTime parsed(String("20240102030405.123456+000"));
    EXPECT_EQ(text(parsed), text(CIMDateTime(parsed.toMicroSeconds(), false)));

    EXPECT_THROW(CIMDateTime(100000000ULL * kDay, true), DateTimeOutOfRangeException);
    EXPECT_NO_THROW(CIMDateTime(100000000ULL * kDay - 1, true));
    CIMDateTime year10000 = CIMDateTime(String("99991231235959.999999+000"));
    EXPECT_THROW(CIMDateTime(year10000.toMicroSeconds() + 1, false),
                 DateTimeOutOfRangeException);

    CIMDateTime d(String("20240102030405.123456+060"));
    d.clear();
    EXPECT_EQ("00000000000000.000000:000", text(d));
}

TEST(CIMDateTimeTest, FieldConstructors)
{
    EXPECT_EQ("20240229235958.123456-300",
              text(CIMDateTime(2024, 2, 29, 23, 59, 58, 123456, 6, -300)));
    EXPECT_EQ("20240229235958.12****+000",
              text(CIMDateTime(2024, 2, 29, 23, 59, 58, 123456, 2, 0)));
    EXPECT_EQ("2024022923****.******+000",
              text(CIMDateTime(2024, 2, 29, 23, CIMDateTime::WILDCARD,
                               CIMDateTime::WILDCARD, CIMDateTime::WILDCARD, 0, 0)));
    EXPECT_EQ("00000003040506.000007:000", text(CIMDateTime(3, 4, 5, 6, 7, 6)));
    EXPECT_THROW(CIMDateTime(2023, 2, 29, 0, 0, 0, 0, 6, 0), DateTimeOutOfRangeException);
    EXPECT_THROW(CIMDateTime(1, 24, 0, 0, 0, 6), DateTimeOutOfRangeException);
}

TEST(CIMDateTimeTest, ComparisonsNormaliseToUtc)
{
    CIMDateTime a(String("20240102040405.000000+060"));
    CIMDateTime b(String("20240102030405.000000+000"));
    CIMDateTime c(String("20240102030406.000000+000"));
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a.equal(b));
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(b < c);
    EXPECT_TRUE(c > a);
    EXPECT_TRUE(a <= b);
    EXPECT_TRUE(a >= b);
    EXPECT_EQ(b.toMicroSeconds(), a.toMicroSeconds());
    EXPECT_EQ(Sint64(kSec), CIMDateTime::getDifference(a, c));
    EXPECT_EQ(-Sint64(kSec), CIMDateTime::getDifference(c, a));

    // Wildcarded fields are ignored.
    EXPECT_TRUE(CIMDateTime(String("2024010203****.******+000")) ==
                CIMDateTime(String("20240102035959.999999+000")));
    EXPECT_FALSE(CIMDateTime(String("2024010203****.******+000")) ==
                 CIMDateTime(String("20240102045959.999999+000")));

    CIMDateTime interval(String("00000001000000.000000:000"));
    try
    {
        (void)(interval == b);
        FAIL() << "no exception";
    }
    catch (const TypeMismatchException& e)
    {
        EXPECT_EQ(String("type mismatch: Trying to compare CIMDateTime objects "
                         "of differing types"),
                  e.getMessage());
    }
    EXPECT_THROW((void)(interval < b), TypeMismatchException);
    EXPECT_THROW((void)(b >= interval), TypeMismatchException);
    EXPECT_THROW(CIMDateTime::getDifference(interval, b), InvalidDateTimeFormatException);
}

TEST(CIMDateTimeTest, IntervalArithmetic)
{
    CIMDateTime day(String("00000001000000.000000:000"));
    CIMDateTime hour(String("00000000010000.000000:000"));
    CIMDateTime ts(String("20241231230000.000000+060"));

    EXPECT_EQ("00000001010000.000000:000", text(day + hour));
    EXPECT_EQ("00000000230000.000000:000", text(day - hour));
    EXPECT_EQ("20250101000000.000000+060", text(ts + hour));
    EXPECT_EQ("20241231220000.000000+060", text(ts - hour));
    EXPECT_EQ("00000000010000.000000:000",
              text(CIMDateTime(String("20250101000000.000000+060")) - ts));
    EXPECT_EQ("00000003000000.000000:000", text(day * 3));
    EXPECT_EQ("00000000120000.000000:000", text(day / 2));
    EXPECT_EQ(24u, day / hour);

    CIMDateTime acc = hour;
    acc += hour;
    acc *= 3;
    acc -= hour;
    acc /= 5;
    EXPECT_EQ("00000000010000.000000:000", text(acc));

    EXPECT_THROW(day + ts, TypeMismatchException);
    EXPECT_THROW(day - ts, TypeMismatchException);
    EXPECT_THROW(ts * 2, TypeMismatchException);
    EXPECT_THROW(ts / 2, TypeMismatchException);
    EXPECT_THROW(ts / day, TypeMismatchException);
    EXPECT_THROW(hour - day, DateTimeOutOfRangeException);
    EXPECT_THROW(day * 100000000ULL, DateTimeOutOfRangeException);
    EXPECT_THROW(day / 0, Exception);
    EXPECT_THROW(day / CIMDateTime(), Exception);
}

TEST(CIMDateTimeTest, CurrentDateTimeIsAPlausibleTimestamp)
{
    CIMDateTime now = CIMDateTime::getCurrentDateTime();
    EXPECT_TRUE(now.isTimeStamp());
    std::string t = text(now);
    ASSERT_EQ(25u, t.size());
    EXPECT_GE(t.substr(0, 4), std::string("2024"));
    EXPECT_EQ(t, text(CIMDateTime(now.toString())));
}
