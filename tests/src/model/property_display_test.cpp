// TPEGASUSProperty display texts: value maps, units and their prefixes,
// intervals, bases, null display, arrays, previous values and the way
// qualifier lookups fail.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TInmemPropertyDecl.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSProperty.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifierDecl.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

TCIMContext const kNone;

struct Qualifier {
    std::string name;
    TCIMValue value;
};
typedef std::vector<Qualifier> TQualifiers;

TCIMValue U8(unsigned char n) { return TCIMValue(n); }
TCIMValue U16(unsigned short n) { return TCIMValue(n); }
TCIMValue U32(unsigned int n) { return TCIMValue(n); }
TCIMValue U64(unsigned long long n) { return TCIMValue(n); }

TCIMValue Strings(std::vector<std::string> const& texts)
{
    std::vector<TCIMValue> elements(texts.begin(), texts.end());
    return TCIMValue(kString, 0, elements);
}

// A value map qualifier pair.
TQualifiers Map(std::vector<std::string> const& keys, std::vector<std::string> const& texts)
{
    return {{"ValueMap", Strings(keys)}, {"Values", Strings(texts)}};
}

TQualifiers operator+(TQualifiers a, TQualifiers const& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Interval(uint32_t days, uint16_t hours, uint16_t minutes, uint16_t seconds,
                     uint32_t microseconds)
{
    TCIMDateTime interval;
    interval.Set(days, hours, minutes, seconds, microseconds);
    return interval.ToUIString();
}

TCIMValue::TCIMType ArrayOf(ECIMType element)
{
    return TCIMValue::TCIMType(element).GetArrayType();
}

// A declaration with a null default of `type` and the given qualifiers.
boost::shared_ptr<TPEGASUSPropertyDecl> MakeDecl(TCIMValue::TCIMType type,
                                                 TQualifiers const& qualifiers)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> decl(
        new TPEGASUSPropertyDecl(boost::shared_ptr<TPEGASUSClass>(), "Value", TCIMValue(type)));
    for (Qualifier const& q : qualifiers) {
        boost::shared_ptr<const ICIMQualifierDecl> qualifierDecl(new TPEGASUSQualifierDecl(
            boost::shared_ptr<TPEGASUSNamespace>(), q.name, q.value,
            ICIMQualifierDecl::kScopeAny, ICIMQualifierDecl::kFlavorDefaults));
        decl->AddQualifier(decl->AllocateQualifier(qualifierDecl, q.value, kNone), kNone);
    }
    return decl;
}

struct Case {
    std::string what;
    TQualifiers qualifiers;
    TCIMValue value;
    std::string expected;
};

void ExpectToString(std::vector<Case> const& cases)
{
    for (Case const& c : cases) {
        boost::shared_ptr<TPEGASUSPropertyDecl> decl = MakeDecl(c.value.GetType(), c.qualifiers);
        TPEGASUSProperty property(decl, c.value);
        EXPECT_EQ(c.expected, property.ToString()) << c.what;
    }
}

TEST(PropertyDisplay, ValueMaps)
{
    TQualifiers const ranges = Map({"0", "2..", "10"}, {"A", "B", "C"});
    TQualifiers const other = Map({"1", ".."}, {"One", "Other"});
    TQualifiers const upTo = Map({"3", "..7", ".."}, {"Three", "UpTo7", "Rest"});
    TQualifiers const bases = Map({"0x10", "010", "0X1f"}, {"Hex", "Octal", "HexUpper"});
    TQualifiers const odd = Map({"abc", "-1", "0x", "4.", " 6 ..", "99999999999999999999"},
                                {"Word", "Negative", "NoDigits", "Four", "SixUp", "TooBig"});
    ExpectToString({
        {"Values alone", {{"Values", Strings({"Idle", "OK", "Degraded"})}}, U16(2), "Degraded"},
        {"Values alone, index 0", {{"VALUES", Strings({"Idle", "OK"})}}, U16(0), "Idle"},
        {"Values alone, past the end", {{"Values", Strings({"Idle", "OK"})}}, U16(2), "2"},
        {"boolean", {{"Values", Strings({"No", "Yes"})}}, TCIMValue(true), "Yes"},
        {"uint8", ranges, U8(0), "A"},
        {"below the open range", ranges, U32(1), "1"},
        {"open range start", ranges, U32(2), "B"},
        {"open range closed at 9", ranges, U32(9), "B"},
        {"closing entry", ranges, U32(10), "C"},
        {"after the map", ranges, U32(11), "11"},
        {"single value", other, U16(1), "One"},
        {"default below", other, U16(0), "Other"},
        {"default at the top", other, U64(std::numeric_limits<uint64_t>::max()), "Other"},
        {"empty default text gives the number", Map({"1", ".."}, {"One", ""}), U32(2), "2"},
        {"..N starts after the previous entry", upTo, U32(4), "UpTo7"},
        {"..N is inclusive", upTo, U32(7), "UpTo7"},
        {"..N exact entry first", upTo, U32(3), "Three"},
        {"after ..N", upTo, U32(8), "Rest"},
        {"before the first entry", upTo, U32(0), "Rest"},
        {"open range never closed", Map({"5.."}, {"Five up"}),
         U64(std::numeric_limits<uint64_t>::max()), "Five up"},
        {"below an open range", Map({"5.."}, {"Five up"}), U32(4), "4"},
        {"upper bound after the dots is not read", Map({"5..7"}, {"Five up"}), U32(100),
         "Five up"},
        {"hexadecimal", bases, U32(16), "Hex"},
        {"octal", bases, U32(8), "Octal"},
        {"octal, not decimal", bases, U32(10), "10"},
        {"hexadecimal, upper-case prefix", bases, U32(31), "HexUpper"},
        {"one dot is a single value", odd, U32(4), "Four"},
        {"blanks around an open range", odd, U32(1000), "SixUp"},
        {"entries without a number are skipped", odd, U32(0), "0"},
        {"a skipped entry does not close the open range", odd,
         U64(std::numeric_limits<uint64_t>::max()), "SixUp"},
        // Maps that cannot be built fall back to units, base and null texts.
        {"open range followed by ..", Map({"5..", ".."}, {"A", "B"}) + TQualifiers{{"UNITS", "Bytes"}},
         U32(2048), "2 Kilobytes"},
        {"open range followed by ..N", Map({"5..", "..9"}, {"A", "B"}), U32(5), "5"},
        {"lengths differ", Map({"1", "2"}, {"A"}), U32(1), "1"},
        {"Values not a string array", {{"Values", TCIMValue("A")}}, U32(0), "0"},
        {"ValueMap not a string array", {{"Values", Strings({"A", "B"})},
                                         {"ValueMap", TCIMValue(kUint32, 0, {U32(7)})}},
         U32(1), "B"},
        {"signed values ignore maps", {{"Values", Strings({"A", "B"})}}, TCIMValue(1), "1"},
    });
}

TEST(PropertyDisplay, UnitsBasesAndNulls)
{
    TQualifiers const bytes = {{"UNITS", "Bytes"}};
    TQualifiers const abbreviated = {{"UNITS", "Bytes"}, {"ABBREVIATEUNITS", TCIMValue(false)}};
    TQualifiers const bps = {{"Units", "Bits per Second"}};
    uint64_t const top = std::numeric_limits<uint64_t>::max();
    ExpectToString({
        {"Kilo", bytes, U64(1536), "1.5 Kilobytes"},
        {"Kilo, short", abbreviated, U64(1536), "1.5 KB"},
        {"exactly the divisor", bytes, U32(1024), "1024 Bytes"},
        {"one above the divisor", bytes, U32(1025), "1 Kilobytes"},
        {"one decimal, rounded", bytes, U32(1126), "1.1 Kilobytes"},
        {"zero", bytes, U32(0), "0 Bytes"},
        {"divisor times divisor", bytes, U32(1048576), "1024 Kilobytes"},
        {"just above", bytes, U32(1048577), "1 Megabytes"},
        {"top bit set", bytes, U64(uint64_t(1) << 63), "8192 Petabytes"},
        {"all bits set, capped at Peta", abbreviated, U64(top), "16384 PB"},
        {"Peta is not scaled further", {{"UNITS", "PetaBytes"}}, U32(5000), "5000 Petabytes"},
        {"bit rate", bps, U32(2500000), "2.5 Megabits per second"},
        {"bit rate, short", bps + TQualifiers{{"ABBREVIATEUNITS", TCIMValue(1u)}}, U32(2500000),
         "2.5 Mbps"},
        {"bit rate, fixed Kilo", bps + TQualifiers{{"DISPLAYFIXEDUNITS", "Kilo"}}, U32(2500000),
         "2500 Kilobits per second"},
        {"bit rate divisor is 1000", bps, U32(1000), "1000 Bits per second"},
        {"bit rate above 1000", bps, U32(1001), "1 Kilobits per second"},
        {"prefixed units", {{"UNITS", "KiloBytes"}}, U32(4096), "4 Megabytes"},
        {"prefixed units, short", {{"UNITS", "KiloBytes"}, {"ABBREVIATEUNITS", TCIMValue(true)}},
         U32(4096), "4 MB"},
        {"bits, short", {{"UNITS", "Bits"}, {"ABBREVIATEUNITS", TCIMValue(true)}}, U32(8), "8 b"},
        {"byte rate", {{"UNITS", "Bytes per Second"}}, U32(3072), "3 Kilobytes per second"},
        {"byte rate, short", {{"UNITS", "Bytes per Second"}, {"ABBREVIATEUNITS", TCIMValue(true)}},
         U16(3072), "3 KB/s"},
        {"null ABBREVIATEUNITS", bytes + TQualifiers{{"ABBREVIATEUNITS", TCIMValue(kBoolean)}},
         U32(2048), "2 Kilobytes"},
        {"fixed Giga, small amount", bytes + TQualifiers{{"DISPLAYFIXEDUNITS", "Giga"}}, U32(1536),
         "0 Gigabytes"},
        {"fixed Peta is no target", bytes + TQualifiers{{"DISPLAYFIXEDUNITS", "Peta"}}, U32(1536),
         "1.5 Kilobytes"},
        {"fixed prefix below the units' own", {{"UNITS", "MegaBytes"}, {"DISPLAYFIXEDUNITS", "Kilo"}},
         U32(3), "3 Megabytes"},
        {"units after the prefix are case-sensitive", {{"UNITS", "Kilobytes"}}, U32(5), "5"},
        {"other units use the base", {{"UNITS", "Watts"}, {"BASE", U8(16)}}, U32(255), "0xFF"},
        {"signed values ignore units", bytes, TCIMValue(2048), "2048"},
        {"strings ignore units", bytes, TCIMValue("x"), "x"},
        {"base 16", {{"BASE", U8(16)}}, U8(255), "0xFF"},
        {"base 2 on a signed value", {{"BASE", U8(2)}}, TCIMValue(-3), "-11b"},
        {"BASE of another type is ignored", {{"BASE", U16(16)}}, U32(255), "255"},
        {"null", {}, TCIMValue(kUint32), ""},
        {"null with NULLDISPLAY", {{"NULLDISPLAY", "n/a"}}, TCIMValue(kString), "n/a"},
        {"NULLDISPLAY not a string", {{"NULLDISPLAY", U32(1)}}, TCIMValue(kUint32), ""},
        {"null with a value map", Map({".."}, {"Any"}) + TQualifiers{{"NULLDISPLAY", "none"}},
         TCIMValue(kUint16), "none"},
    });
}

TEST(PropertyDisplay, SecondsAreShownAsIntervals)
{
    uint64_t const nanos = 90061000001000ull;  // 1 day 1:01:01 and 1 microsecond
    ExpectToString({
        {"day, hour, minute, second", {{"UNITS", "Seconds"}}, U32(90061), Interval(1, 1, 1, 1, 0)},
        {"below a minute", {{"UNITS", "Seconds"}}, U32(59), Interval(0, 0, 0, 59, 0)},
        {"one day", {{"UNITS", "Seconds"}}, U32(86400), Interval(1, 0, 0, 0, 0)},
        {"milli", {{"UNITS", "MilliSeconds"}}, U32(1500), Interval(0, 0, 0, 1, 500000)},
        {"milli, days", {{"UNITS", "MilliSeconds"}}, U64(90061001), Interval(1, 1, 1, 1, 1000)},
        {"micro", {{"UNITS", "MicroSeconds"}}, U64(3600000001ull), Interval(0, 1, 0, 0, 1)},
        {"nano", {{"UNITS", "NanoSeconds"}}, U64(nanos), Interval(1, 1, 1, 1, 1)},
        {"nano, below a microsecond", {{"UNITS", "NanoSeconds"}}, U32(999), Interval(0, 0, 0, 0, 0)},
        {"prefix above seconds", {{"UNITS", "KiloSeconds"}}, U32(5), TCIMDateTime().ToUIString()},
    });

    // Longer than the host's interval type can hold.
    boost::shared_ptr<TPEGASUSPropertyDecl> decl = MakeDecl(kUint64, {{"UNITS", "Seconds"}});
    TPEGASUSProperty tooLong(decl, U64(std::numeric_limits<uint64_t>::max()));
    EXPECT_EQ(TKTAStatusCode::kWrongType, nsptest::StatusOf([&] { tooLong.ToString(); }));
}

TEST(PropertyDisplay, ArraysAndPreviousValues)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> mapped =
        MakeDecl(ArrayOf(kUint16), Map({"0", "1"}, {"Idle", "OK"}) +
                                                 TQualifiers{{"BASE", U8(16)}});
    TCIMValue const array(kUint16, 0, {U16(1), U16(0), U16(31), TCIMValue(kUint16)});
    TPEGASUSProperty property(mapped, array);
    EXPECT_EQ((std::vector<std::string>{"OK", "Idle", "31", "Idle"}), property.ToStringVector());
    EXPECT_EQ((std::vector<std::string>{"0x1", "0x0", "0x1F", ""}),
              property.ToStringVectorWithBase());
    // A whole array is not looked up in the map.
    EXPECT_EQ("{0x1, 0x0, 0x1F, }", property.ToString());

    boost::shared_ptr<TPEGASUSPropertyDecl> sized =
        MakeDecl(ArrayOf(kUint64), {{"UNITS", "Bytes"}, {"NULLDISPLAY", "-"}});
    TPEGASUSProperty sizes(sized, TCIMValue(kUint64, 0, {U64(1536), U64(10), TCIMValue(kUint64)}));
    EXPECT_EQ((std::vector<std::string>{"1.5 Kilobytes", "10 Bytes", "-"}), sizes.ToStringVector());
    TPEGASUSProperty nullArray(sized, TCIMValue(ArrayOf(kUint64)));
    EXPECT_TRUE(nullArray.ToStringVector().empty());

    boost::shared_ptr<TPEGASUSPropertyDecl> scalar =
        MakeDecl(kUint32, Map({"1", ".."}, {"One", "Other"}) + TQualifiers{{"NULLDISPLAY", "?"}});
    TPEGASUSProperty single(scalar, U32(1));
    // Only arrays are looked up in the map, element by element.
    EXPECT_EQ(std::vector<std::string>{"1"}, single.ToStringVector());
    EXPECT_EQ(std::vector<std::string>{"1"}, single.ToStringVectorWithBase());

    EXPECT_EQ("One", single.PrevValueToString());
    single.SetPrevValue(U32(7));
    single.SetValue(U32(1), kNone);
    EXPECT_EQ("Other", single.PrevValueToString());
    EXPECT_EQ("One", single.ToString());
    single.SetPrevValue();
    EXPECT_EQ("?", single.PrevValueToString());
}

TEST(PropertyDisplay, BuildValueMapEntryArrayAndLookupInTable)
{
    typedef TPEGASUSProperty::TValueMapEntry TEntry;
    auto same = [](std::vector<TEntry> const& a, std::vector<TEntry> const& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].low != b[i].low || a[i].high != b[i].high || a[i].text != b[i].text)
                return false;
        return true;
    };
    uint64_t const open = std::numeric_limits<uint64_t>::max();

    // Properties hold their declarations weakly: keep them alive here.
    std::vector<boost::shared_ptr<TPEGASUSPropertyDecl>> decls = {
        MakeDecl(kUint32, Map({"0", "2..", "10", "12.."}, {"A", "B", "C", "E"})),
        MakeDecl(kUint32, Map({"0", "..", "3..", "..8"}, {"A", "Other", "B", "C"})),
        MakeDecl(kUint32, Map({"0", "..", "..8"}, {"A", "Other", "C"})),
        MakeDecl(kUint8, {{"Values", Strings({"X", "Y"})}}),
        MakeDecl(kUint8, {})};
    TPEGASUSProperty ranged(decls[0]);
    std::vector<TEntry> entries;
    std::string defaultText = "stale";
    ASSERT_TRUE(ranged.BuildValueMapEntryArray(entries, defaultText));
    EXPECT_TRUE(same({{0, 0, "A"}, {2, 9, "B"}, {10, 10, "C"}, {12, open, "E"}}, entries));
    EXPECT_EQ("", defaultText);

    TPEGASUSProperty refused(decls[1]);
    entries.clear();
    EXPECT_FALSE(refused.BuildValueMapEntryArray(entries, defaultText));
    TPEGASUSProperty usable(decls[2]);
    entries.clear();
    ASSERT_TRUE(usable.BuildValueMapEntryArray(entries, defaultText));
    EXPECT_TRUE(same({{0, 0, "A"}, {1, 8, "C"}}, entries));
    EXPECT_EQ("Other", defaultText);

    // Without ValueMap the default text is left alone.
    TPEGASUSProperty indexed(decls[3]);
    entries.clear();
    defaultText = "kept";
    ASSERT_TRUE(indexed.BuildValueMapEntryArray(entries, defaultText));
    EXPECT_TRUE(same({{0, 0, "X"}, {1, 1, "Y"}}, entries));
    EXPECT_EQ("kept", defaultText);
    EXPECT_EQ("Y", indexed.LookupInTable(U64(1), entries, defaultText));
    EXPECT_EQ("Y", indexed.LookupInTable(TCIMValue(true), entries, defaultText));
    EXPECT_EQ("kept", indexed.LookupInTable(U8(2), entries, defaultText));
    std::string none;
    EXPECT_EQ("2", indexed.LookupInTable(U8(2), entries, none));

    entries.clear();
    EXPECT_FALSE(TPEGASUSProperty(decls[4]).BuildValueMapEntryArray(entries, none));
    for (TCIMValue const& wrong : {TCIMValue(1), TCIMValue("1"), TCIMValue(kUint8, 0, {U8(1)})})
        EXPECT_EQ(TKTAStatusCode::kNotSupported,
                  nsptest::StatusOf([&] { indexed.LookupInTable(wrong, entries, none); }))
            << wrong.GetType().GetName();
}

// A declaration whose lookups fail as configured: the found-flag form with
// `foundFormStatus` (0: works), the plain form with `plainStatus` (0: works).
class TFailingDecl : public TInmemPropertyDecl {
public:
    TFailingDecl(uint32_t foundFormStatus, uint32_t plainStatus)
        : TInmemPropertyDecl(boost::shared_ptr<ICIMClass>(), "Size", TCIMValue(kUint32)),
          fFoundFormStatus(foundFormStatus), fPlainStatus(plainStatus)
    {
    }
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override
    {
        if (fPlainStatus != 0)
            throw TKTAException(fPlainStatus, name);
        return TInmemPropertyDecl::GetQualifier(name, context);
    }
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override
    {
        if (fFoundFormStatus != 0)
            throw TKTAException(fFoundFormStatus, name);
        return TInmemPropertyDecl::GetQualifier(name, found, context);
    }

private:
    uint32_t fFoundFormStatus;
    uint32_t fPlainStatus;
};

TEST(PropertyDisplay, QualifierLookupFailures)
{
    struct FailCase {
        uint32_t foundForm, plain, expectedStatus;
        std::string expectedText;
    };
    std::vector<FailCase> const cases = {
        {0, 0, 0, "2 Kilobytes"},     // empty answers for absent names
        {1, 0, 0, "2 Kilobytes"},     // the plain form stands in
        {1, 15, 0, "2048"},           // 15 means absent
        {15, 0, 0, "2048"},
        {1, 31, 31, ""},              // other statuses come through
        {38, 0, 38, ""},
    };
    for (FailCase const& c : cases) {
        boost::shared_ptr<TFailingDecl> decl(new TFailingDecl(c.foundForm, c.plain));
        boost::shared_ptr<const ICIMQualifierDecl> units(new TPEGASUSQualifierDecl(
            boost::shared_ptr<TPEGASUSNamespace>(), "UNITS", TCIMValue("Bytes"),
            ICIMQualifierDecl::kScopeAny, ICIMQualifierDecl::kFlavorDefaults));
        decl->AddQualifier(decl->AllocateQualifier(units, TCIMValue("Bytes"), kNone), kNone);
        TPEGASUSProperty property(decl, U32(2048));
        std::string text;
        EXPECT_EQ(c.expectedStatus, nsptest::StatusOf([&] { text = property.ToString(); }))
            << c.foundForm << "/" << c.plain;
        EXPECT_EQ(c.expectedText, text) << c.foundForm << "/" << c.plain;
    }
}

} // namespace
