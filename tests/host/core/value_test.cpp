// TCIMValue: construction, conversion, text, equality and ordering.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

#include "TCIMContext.h"
#include "TCIMValue.h"
#include "TKTAException.h"

using namespace NQRVKTA20;

namespace {

// Runs `f` and returns the TKTAException status it throws, or -1 if none.
long StatusOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TKTAException& e) {
        return static_cast<long>(e.GetStatusCode());
    }
    return -1;
}

TCIMValue Array(ECIMType element, const std::vector<TCIMValue>& elements) {
    return TCIMValue(TCIMValue::TCIMType(element), 0, elements);
}

}  // namespace

TEST(ValueTypes, EachConstructorGivesItsTypeCode) {
    const std::vector<std::pair<TCIMValue, int>> cases = {
        {TCIMValue(), kNone},
        {TCIMValue(true), kBoolean},
        {TCIMValue(static_cast<unsigned char>(1)), kUint8},
        {TCIMValue(static_cast<signed char>(-1)), kSint8},
        {TCIMValue(static_cast<unsigned short>(1)), kUint16},
        {TCIMValue(static_cast<short>(-1)), kSint16},
        {TCIMValue(1u), kUint32},
        {TCIMValue(-1), kSint32},
        {TCIMValue(1ull), kUint64},
        {TCIMValue(-1ll), kSint64},
        {TCIMValue(static_cast<uint64_t>(1)), kUint64},
        {TCIMValue(static_cast<int64_t>(-1)), kSint64},
        {TCIMValue(1.5f), kReal32},
        {TCIMValue(1.5), kReal64},
        {TCIMValue(TCIMChar16(65)), kChar16},
        {TCIMValue(std::string("s")), kString},
        {TCIMValue("s"), kString},
        {TCIMValue(TCIMDateTime()), kDateTime},
        {TCIMValue(TCIMReference()), kReference},
        {TCIMValue(kUint16, 0), kUint16},
        {TCIMValue(static_cast<ECIMType>(29), 0), 29},
        {Array(kString, {TCIMValue("a")}), 29},
        {Array(kUint8, {}), 18},
        {Array(kReference, {}), 31},
        {Array(kNone, {TCIMValue(1), TCIMValue("x")}), 16},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(static_cast<int>(cases[i].first.GetType()), cases[i].second) << "case " << i;
}

TEST(ValueTypes, LongFollowsItsWidth) {
    const ECIMType expected = sizeof(long) == 8 ? kSint64 : kSint32;
    EXPECT_EQ(TCIMValue(-7l).GetType(), expected);
    EXPECT_EQ(long(TCIMValue(-7l)), -7l);
    EXPECT_EQ(static_cast<unsigned long>(TCIMValue(std::numeric_limits<unsigned long>::max())),
              std::numeric_limits<unsigned long>::max());
}

TEST(ValueTypes, TypeNamesPrint) {
    const std::vector<std::pair<unsigned, std::string>> names = {
        {0, "none"},     {1, "boolean"},   {2, "uint8"},     {3, "sint8"},   {4, "uint16"},
        {5, "sint16"},   {6, "uint32"},    {7, "sint32"},    {8, "uint64"},  {9, "sint64"},
        {10, "real32"},  {11, "real64"},   {12, "char16"},   {13, "string"}, {14, "datetime"},
        {15, "reference"}, {16, "none[]"}, {22, "uint32[]"}, {29, "string[]"}, {31, "reference[]"},
    };
    for (const auto& n : names) {
        std::ostringstream out;
        out << TCIMValue::TCIMType(n.first);
        EXPECT_EQ(out.str(), n.second) << n.first;
    }
    EXPECT_EQ(StatusOf([] { TCIMValue::TCIMType t(32u); }), 14);
}

TEST(ValueTypes, ElementAndArrayTypes) {
    const TCIMValue::TCIMType s(kString);
    EXPECT_FALSE(s.IsArray());
    EXPECT_EQ(s.GetArrayType(), 29);
    EXPECT_EQ(s.GetArrayType().GetElementType(), kString);
    EXPECT_TRUE(TCIMValue::TCIMType(16u).IsArray());
    EXPECT_EQ(TCIMValue::TCIMType(16u).GetElementType(), kNone);
}

TEST(ValueConversion, EveryTypeRoundTrips) {
    EXPECT_TRUE(bool(TCIMValue(true)));
    EXPECT_FALSE(bool(TCIMValue(false)));
    EXPECT_EQ((unsigned char)TCIMValue(static_cast<unsigned char>(255)), 255);
    EXPECT_EQ((signed char)TCIMValue(static_cast<signed char>(-128)), -128);
    EXPECT_EQ((unsigned short)TCIMValue(static_cast<unsigned short>(65535)), 65535);
    EXPECT_EQ((short)TCIMValue(static_cast<short>(-32768)), -32768);
    EXPECT_EQ((unsigned int)TCIMValue(4294967295u), 4294967295u);
    EXPECT_EQ((int)TCIMValue(std::numeric_limits<int>::min()), std::numeric_limits<int>::min());
    EXPECT_EQ((unsigned long long)TCIMValue(std::numeric_limits<unsigned long long>::max()),
              std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ((long long)TCIMValue(std::numeric_limits<long long>::min()),
              std::numeric_limits<long long>::min());
    EXPECT_EQ((float)TCIMValue(0.1f), 0.1f);
    EXPECT_EQ((double)TCIMValue(0.1), 0.1);
    const std::string s = TCIMValue("text");
    EXPECT_EQ(s, "text");
    const TCIMChar16 c = TCIMValue(TCIMChar16(0x263A));
    EXPECT_EQ(c.GetValue(), 0x263A);
    const TCIMDateTime d = TCIMValue(TCIMDateTime("20240305140709.000000+060"));
    EXPECT_EQ(d.ToString(), "20240305140709.000000+060");
    TCIMReference r;
    r.SetPath("CIM_Foo.Key=1");
    const TCIMReference r2 = TCIMValue(r);
    EXPECT_EQ(r2.GetPath(), "CIM_Foo.Key=1");
}

TEST(ValueConversion, IntegersWidenWhenTheNumberFits) {
    EXPECT_EQ(int(TCIMValue(static_cast<unsigned short>(65535))), 65535);
    EXPECT_EQ((unsigned short)TCIMValue(40000), 40000);
    EXPECT_EQ((long long)TCIMValue(4294967295u), 4294967295ll);
    EXPECT_EQ((signed char)TCIMValue(-128ll), -128);
    EXPECT_EQ((unsigned short)TCIMValue(TCIMChar16(65)), 65);  // char16 reads as its code
    EXPECT_EQ((double)TCIMValue(-3), -3.0);
    EXPECT_EQ((float)TCIMValue(1.5), 1.5f);
    EXPECT_EQ((double)TCIMValue(2.5f), 2.5);
}

TEST(ValueConversion, WrongTypeOrRangeThrows14) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"string to int", [] { (void)int(TCIMValue("12")); }},
        {"boolean to int", [] { (void)int(TCIMValue(true)); }},
        {"real to int", [] { (void)int(TCIMValue(1.0)); }},
        {"int to bool", [] { (void)bool(TCIMValue(1)); }},
        {"int to string", [] { std::string s = TCIMValue(1); }},
        {"uint16 to char16", [] { TCIMChar16 c = TCIMValue(static_cast<unsigned short>(65)); (void)c; }},
        {"string to datetime", [] { TCIMDateTime d = TCIMValue("20240305140709.000000+060"); }},
        {"string to reference", [] { TCIMReference r = TCIMValue("CIM_Foo"); }},
        {"char16 to double", [] { (void)double(TCIMValue(TCIMChar16(1))); }},
        {"boolean to double", [] { (void)double(TCIMValue(true)); }},
        {"scalar to vector", [] { const std::vector<TCIMValue>& v = TCIMValue(1); (void)v; }},
        {"array to int", [] { (void)int(Array(kSint32, {TCIMValue(1)})); }},
        {"array to string", [] { std::string s = Array(kString, {TCIMValue("a")}); }},
        {"negative to unsigned", [] { (void)(unsigned int)TCIMValue(-1); }},
        {"300 to uint8", [] { (void)(unsigned char)TCIMValue(300u); }},
        {"-129 to sint8", [] { (void)(signed char)TCIMValue(-129); }},
        {"uint64 max to sint64", [] {
             (void)(long long)TCIMValue(std::numeric_limits<unsigned long long>::max());
         }},
        {"1e300 to float", [] { (void)float(TCIMValue(1e300)); }},
        {"null uint32 to string", [] { std::string s = TCIMValue(kUint32, 0); }},
        {"null string to int", [] { (void)int(TCIMValue(kString, 0)); }},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusOf(c.second), 14) << c.first;
}

TEST(ValueConversion, WrongTypeTextNamesBothTypes) {
    try {
        std::string s = TCIMValue(7u);
        FAIL() << "no exception";
    } catch (const TKTAException& e) {
        EXPECT_STREQ(e.what(), "wrong type");
        EXPECT_EQ(e.GetDetail(), "cannot convert uint32 to string");
    }
}

TEST(ValueNull, NullsReportTheirTypeAndConvertToZero) {
    const TCIMValue none;
    EXPECT_TRUE(none.IsNull());
    EXPECT_FALSE(none.IsArray());
    EXPECT_EQ(none.GetType(), kNone);
    EXPECT_EQ(none.ToString(10), "");
    // A null of kNone reads as the zero of any type.
    EXPECT_EQ(int(none), 0);
    EXPECT_EQ(std::string(none), "");
    EXPECT_FALSE(bool(none));
    EXPECT_TRUE(static_cast<const std::vector<TCIMValue>&>(none).empty());

    const TCIMValue u(kUint32, 5);
    EXPECT_TRUE(u.IsNull());
    EXPECT_EQ(u.GetType(), kUint32);
    EXPECT_EQ((unsigned int)u, 0u);
    EXPECT_EQ(u.ToString(16), "");

    const TCIMValue d(kDateTime, 0);
    EXPECT_EQ(TCIMDateTime(d), TCIMDateTime());

    const TCIMValue arr(static_cast<ECIMType>(kString + kArray), 0);
    EXPECT_TRUE(arr.IsNull());
    EXPECT_TRUE(arr.IsArray());
    EXPECT_EQ(arr.ToString(10), "");
    EXPECT_TRUE(static_cast<const std::vector<TCIMValue>&>(arr).empty());
}

TEST(ValueArray, BuiltFromElementTypeReportsArrayCode) {
    const TCIMValue a = Array(kString, {TCIMValue("x"), TCIMValue("y")});
    EXPECT_EQ(a.GetType(), 29);
    EXPECT_TRUE(a.IsArray());
    EXPECT_FALSE(a.IsNull());
    const std::vector<TCIMValue>& elements = a;
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(std::string(elements[1]), "y");
    // The array code given in place of the element code means the same.
    EXPECT_EQ(TCIMValue(TCIMValue::TCIMType(29u), 0, {TCIMValue("x"), TCIMValue("y")}), a);
}

TEST(ValueArray, ElementsMustMatchTheElementType) {
    EXPECT_EQ(StatusOf([] { Array(kUint16, {TCIMValue(static_cast<unsigned short>(1)), TCIMValue(2)}); }), 14);
    EXPECT_EQ(StatusOf([] { Array(kString, {Array(kString, {})}); }), 14);
    EXPECT_EQ(StatusOf([] { Array(kNone, {Array(kString, {})}); }), 14);
    // Untyped nulls take the element type; typed nulls stay.
    const TCIMValue a = Array(kSint32, {TCIMValue(), TCIMValue(kSint32, 0), TCIMValue(3)});
    const std::vector<TCIMValue>& e = a;
    EXPECT_EQ(e[0].GetType(), kSint32);
    EXPECT_TRUE(e[0].IsNull());
    EXPECT_EQ(e[0], e[1]);
}

TEST(ValueArray, ElementsCanBeChangedThroughTheVector) {
    TCIMValue a = Array(kUint8, {TCIMValue(static_cast<unsigned char>(1))});
    std::vector<TCIMValue>& e = a;
    e.push_back(TCIMValue(static_cast<unsigned char>(2)));
    EXPECT_EQ(a.ToString(10), "{1, 2}");
}

TEST(ValueText, ToStringPerTypeAndBase) {
    struct Case {
        TCIMValue value;
        uint8_t base;
        std::string text;
    };
    const std::vector<Case> cases = {
        {TCIMValue(true), 10, "TRUE"},
        {TCIMValue(false), 16, "FALSE"},
        {TCIMValue(static_cast<unsigned char>(255)), 10, "255"},
        {TCIMValue(static_cast<unsigned char>(255)), 16, "0xFF"},
        {TCIMValue(static_cast<unsigned char>(255)), 8, "0377"},
        {TCIMValue(static_cast<unsigned char>(255)), 2, "11111111b"},
        {TCIMValue(static_cast<unsigned char>(0)), 16, "0x0"},
        {TCIMValue(static_cast<unsigned char>(0)), 8, "0"},
        {TCIMValue(static_cast<unsigned char>(0)), 2, "0b"},
        {TCIMValue(-10), 10, "-10"},
        {TCIMValue(-10), 16, "-0xA"},
        {TCIMValue(-10), 8, "-012"},
        {TCIMValue(-10), 2, "-1010b"},
        {TCIMValue(255u), 7, "255"},  // unsupported base: decimal
        {TCIMValue(255u), 0, "255"},
        {TCIMValue(std::numeric_limits<unsigned long long>::max()), 10, "18446744073709551615"},
        {TCIMValue(std::numeric_limits<unsigned long long>::max()), 16, "0xFFFFFFFFFFFFFFFF"},
        {TCIMValue(std::numeric_limits<long long>::min()), 10, "-9223372036854775808"},
        {TCIMValue(std::numeric_limits<long long>::min()), 16, "-0x8000000000000000"},
        {TCIMValue(static_cast<signed char>(-128)), 2, "-10000000b"},
        {TCIMValue(static_cast<short>(-32768)), 10, "-32768"},
        {TCIMValue(1.5), 10, "1.5"},
        {TCIMValue(0.1), 16, "0.1"},
        {TCIMValue(0.1f), 10, "0.1"},
        {TCIMValue(1e20), 10, "1e+20"},
        {TCIMValue(-2.0), 10, "-2"},
        {TCIMValue(std::numeric_limits<double>::infinity()), 10, "inf"},
        {TCIMValue(-std::numeric_limits<float>::infinity()), 10, "-inf"},
        {TCIMValue(std::nan("")), 10, "nan"},
        {TCIMValue(TCIMChar16(65)), 16, "A"},
        {TCIMValue(TCIMChar16(0xE9)), 10, "\xC3\xA9"},
        {TCIMValue("plain text, as is"), 16, "plain text, as is"},
        {TCIMValue(TCIMDateTime("20240305140709.000000+060")), 10, "20240305140709.000000+060"},
        {Array(kUint16, {TCIMValue(static_cast<unsigned short>(10)),
                         TCIMValue(static_cast<unsigned short>(11))}), 16, "{0xA, 0xB}"},
        {Array(kString, {TCIMValue("a"), TCIMValue(kString, 0), TCIMValue("c")}), 10, "{a, , c}"},
        {Array(kBoolean, {}), 10, "{}"},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].value.ToString(cases[i].base), cases[i].text) << "case " << i;

    TCIMReference ref;
    ref.SetPath("//h/root/cimv2:CIM_Foo.Name=\"x\"");
    EXPECT_EQ(TCIMValue(ref).ToString(10), "//h/root/cimv2:CIM_Foo.Name=\"x\"");
}

TEST(ValueText, IntegerTextsReadBackInEveryBase) {
    const std::vector<TCIMValue> values = {
        TCIMValue(static_cast<unsigned char>(0)),   TCIMValue(static_cast<unsigned char>(200)),
        TCIMValue(static_cast<signed char>(-128)),  TCIMValue(static_cast<signed char>(127)),
        TCIMValue(static_cast<unsigned short>(65535)), TCIMValue(static_cast<short>(-1)),
        TCIMValue(4000000000u),                     TCIMValue(std::numeric_limits<int>::min()),
        TCIMValue(std::numeric_limits<unsigned long long>::max()),
        TCIMValue(std::numeric_limits<long long>::min()),
        TCIMValue(std::numeric_limits<long long>::max()),
    };
    for (const TCIMValue& v : values) {
        for (uint8_t base : {2, 8, 10, 16}) {
            TCIMValue back(v.GetType(), 0);
            back.Set(v.ToString(base));
            EXPECT_EQ(back, v) << v.ToString(base);
        }
    }
}

TEST(ValueText, RealsBooleansAndOthersReadBack) {
    const std::vector<TCIMValue> values = {
        TCIMValue(0.1),  TCIMValue(-1e-300), TCIMValue(0.1f), TCIMValue(3.4e38f),
        TCIMValue(std::numeric_limits<double>::infinity()), TCIMValue(std::nan("")),
        TCIMValue(true), TCIMValue(false), TCIMValue(TCIMChar16(0x20AC)), TCIMValue(TCIMChar16(65)),
        TCIMValue(TCIMDateTime("2024030514****.******+000")), TCIMValue(" spaced "),
    };
    for (const TCIMValue& v : values) {
        TCIMValue back(v.GetType(), 0);
        back.Set(v.ToString(10));
        EXPECT_EQ(back, v) << v.ToString(10);
    }
}

TEST(ValueText, SetAcceptsLooseForms) {
    TCIMValue b(kBoolean, 0);
    b.Set(" tRuE ");
    EXPECT_TRUE(bool(b));
    EXPECT_FALSE(b.IsNull());

    TCIMValue u(kUint32, 0);
    u.Set("+0x1f");
    EXPECT_EQ((unsigned int)u, 31u);
    u.Set("-0");
    EXPECT_EQ((unsigned int)u, 0u);
    u.Set("101B");
    EXPECT_EQ((unsigned int)u, 5u);

    TCIMValue r(kReal64, 0);
    r.Set("+1.25e2");
    EXPECT_EQ(double(r), 125.0);

    // An untyped value becomes a string: an absent InstanceID is given as "".
    TCIMValue none;
    none.Set("");
    EXPECT_EQ(none.GetType(), kString);
    EXPECT_FALSE(none.IsNull());
    EXPECT_EQ(std::string(none), "");
}

TEST(ValueText, BadTextThrows14AndLeavesTheValue) {
    const std::vector<std::pair<TCIMValue, std::string>> cases = {
        {TCIMValue(static_cast<unsigned char>(7)), "256"},
        {TCIMValue(static_cast<unsigned char>(7)), "-1"},
        {TCIMValue(static_cast<signed char>(7)), "128"},
        {TCIMValue(static_cast<signed char>(7)), "-129"},
        {TCIMValue(7u), "12a"},
        {TCIMValue(7u), ""},
        {TCIMValue(7u), "  "},
        {TCIMValue(7u), "0x"},
        {TCIMValue(7u), "09"},
        {TCIMValue(7u), "2b"},
        {TCIMValue(7u), "1 2"},
        {TCIMValue(7ull), "18446744073709551616"},
        {TCIMValue(7ll), "9223372036854775808"},
        {TCIMValue(true), "yes"},
        {TCIMValue(true), "1"},
        {TCIMValue(1.0), "1.5x"},
        {TCIMValue(1.0), "1e999"},
        {TCIMValue(1.0f), "1e39"},
        {TCIMValue(1.0), ""},
        {TCIMValue(TCIMChar16(65)), "AB"},
        {TCIMValue(TCIMChar16(65)), ""},
        {TCIMValue(TCIMDateTime()), "2024"},
    };
    for (const auto& c : cases) {
        TCIMValue v = c.first;
        EXPECT_EQ(StatusOf([&] { v.Set(c.second); }), 14) << c.first.GetType() << " \"" << c.second << "\"";
        EXPECT_EQ(v, c.first);
    }
}

TEST(ValueText, SetOnArraysIsNotSupported) {
    TCIMValue a = Array(kString, {TCIMValue("x")});
    EXPECT_EQ(StatusOf([&] { a.Set("y"); }), 1);
    TCIMValue n(static_cast<ECIMType>(kUint8 + kArray), 0);
    EXPECT_EQ(StatusOf([&] { n.Set("1"); }), 1);
    EXPECT_TRUE(n.IsNull());
}

TEST(ValueText, SetOnReferenceKeepsItsNamespace) {
    boost::shared_ptr<int> owner(new int(0));
    boost::shared_ptr<ICIMNamespace> ns(owner, reinterpret_cast<ICIMNamespace*>(owner.get()));
    TCIMReference ref(ns, TCIMContext());
    TCIMValue v(ref);
    v.Set("CIM_Bar.Id=2");
    const TCIMReference back = v;
    EXPECT_EQ(back.GetPath(), "CIM_Bar.Id=2");
    EXPECT_EQ(back.GetNamespace(), ns);
}

TEST(ValueCompare, EqualityNeedsTypeNullAndData) {
    EXPECT_EQ(TCIMValue(3u), TCIMValue(3u));
    EXPECT_NE(TCIMValue(3u), TCIMValue(3ull));
    EXPECT_NE(TCIMValue(3u), TCIMValue(4u));
    EXPECT_NE(TCIMValue(0u), TCIMValue(kUint32, 0));
    EXPECT_EQ(TCIMValue(kUint32, 0), TCIMValue(kUint32, 7));
    EXPECT_NE(TCIMValue(kUint32, 0), TCIMValue(kUint16, 0));
    EXPECT_NE(TCIMValue(), TCIMValue(""));
    EXPECT_EQ(TCIMValue(std::nan("")), TCIMValue(std::nan("")));
    EXPECT_EQ(TCIMValue(0.0), TCIMValue(-0.0));
    EXPECT_EQ(Array(kSint8, {TCIMValue(static_cast<signed char>(1))}),
              Array(kSint8, {TCIMValue(static_cast<signed char>(1))}));
    EXPECT_NE(Array(kSint8, {TCIMValue(static_cast<signed char>(1))}),
              Array(kSint8, {TCIMValue(static_cast<signed char>(2))}));
    EXPECT_NE(Array(kSint8, {}), TCIMValue(static_cast<ECIMType>(kSint8 + kArray), 0));
    EXPECT_NE(Array(kString, {TCIMValue("a")}), TCIMValue("a"));
}

TEST(ValueCompare, OrderingIsStrictWeakAcrossAllTypes) {
    TCIMReference r1, r2;
    r1.SetPath("A.k=1");
    r2.SetPath("B.k=1");
    const std::vector<TCIMValue> values = {
        TCIMValue(), TCIMValue(false), TCIMValue(true), TCIMValue(kBoolean, 0),
        TCIMValue(static_cast<unsigned char>(9)), TCIMValue(static_cast<signed char>(-9)),
        TCIMValue(static_cast<unsigned short>(3)), TCIMValue(static_cast<short>(3)),
        TCIMValue(3u), TCIMValue(2u), TCIMValue(-3), TCIMValue(3), TCIMValue(kSint32, 0),
        TCIMValue(3ull), TCIMValue(-3ll), TCIMValue(1.5f), TCIMValue(std::nanf("")),
        TCIMValue(-1.0), TCIMValue(0.0), TCIMValue(-0.0), TCIMValue(std::nan("")),
        TCIMValue(std::numeric_limits<double>::infinity()),
        TCIMValue(TCIMChar16(66)), TCIMValue(TCIMChar16(65)), TCIMValue("b"), TCIMValue("a"),
        TCIMValue(""), TCIMValue(kString, 0),
        TCIMValue(TCIMDateTime()), TCIMValue(TCIMDateTime("20240305140709.000000+060")),
        TCIMValue(r1), TCIMValue(r2),
        Array(kString, {}), Array(kString, {TCIMValue("a")}),
        Array(kString, {TCIMValue("a"), TCIMValue("b")}), Array(kString, {TCIMValue("b")}),
        TCIMValue(static_cast<ECIMType>(29), 0), Array(kNone, {TCIMValue(1), TCIMValue("x")}),
        Array(kNone, {TCIMValue("x")}), Array(kSint32, {TCIMValue(1)}),
    };
    const size_t n = values.size();
    for (size_t i = 0; i < n; ++i) {
        EXPECT_FALSE(values[i] < values[i]) << i;
        for (size_t j = 0; j < n; ++j) {
            const bool lt = values[i] < values[j];
            const bool gt = values[j] < values[i];
            EXPECT_FALSE(lt && gt) << i << " " << j;
            // Equivalence under < is exactly equality.
            EXPECT_EQ(!lt && !gt, values[i] == values[j]) << i << " " << j;
            for (size_t k = 0; k < n; ++k) {
                if (lt && values[j] < values[k]) {
                    EXPECT_TRUE(values[i] < values[k]) << i << " " << j << " " << k;
                }
            }
        }
    }
    // The type code leads: every uint32 sorts before every sint32.
    EXPECT_LT(TCIMValue(4000000000u), TCIMValue(-5));
    // Nulls sort first within their type; NaN after every number.
    EXPECT_LT(TCIMValue(kSint32, 0), TCIMValue(std::numeric_limits<int>::min()));
    EXPECT_LT(TCIMValue(std::numeric_limits<double>::infinity()), TCIMValue(std::nan("")));
    EXPECT_LT(TCIMValue(-3), TCIMValue(3));
}

TEST(ValueCompare, WorksAsMapKey) {
    std::map<TCIMValue, int> m;
    m[TCIMValue(1u)] = 1;
    m[TCIMValue(1ull)] = 2;
    m[TCIMValue("1")] = 3;
    m[TCIMValue(1u)] = 4;  // replaces the first
    m[TCIMValue(kUint32, 0)] = 5;
    m[TCIMValue(std::nan(""))] = 6;
    m[TCIMValue(std::nan(""))] = 7;  // NaN finds itself
    m[Array(kUint32, {TCIMValue(1u)})] = 8;
    EXPECT_EQ(m.size(), 6u);
    EXPECT_EQ(m[TCIMValue(1u)], 4);
    EXPECT_EQ(m[TCIMValue(std::nan(""))], 7);
    EXPECT_EQ(m.count(Array(kUint32, {TCIMValue(1u)})), 1u);
}

TEST(ValueReferencedClass, AssignmentKeepsThePlaceholdersClass) {
    boost::shared_ptr<int> owner(new int(0));
    boost::shared_ptr<ICIMClass> cls(owner, reinterpret_cast<ICIMClass*>(owner.get()));
    boost::shared_ptr<int> owner2(new int(0));
    boost::shared_ptr<ICIMClass> cls2(owner2, reinterpret_cast<ICIMClass*>(owner2.get()));

    TCIMValue v;
    v.SetReferencedClass(cls);
    TCIMReference ref;
    ref.SetPath("CIM_Foo.K=1");
    v = TCIMValue(ref);  // the converted reference has no class of its own
    EXPECT_EQ(v.GetReferencedClass(), cls);
    EXPECT_EQ(v.GetType(), kReference);

    const TCIMValue copy(v);
    EXPECT_EQ(copy.GetReferencedClass(), cls);

    TCIMValue other(ref);
    other.SetReferencedClass(cls2);
    v = other;  // a class that comes along replaces it
    EXPECT_EQ(v.GetReferencedClass(), cls2);

    v = TCIMValue(5);  // a non-reference value does not keep it
    EXPECT_FALSE(v.GetReferencedClass());

    // The class takes no part in comparison.
    TCIMValue a(ref), b(ref);
    a.SetReferencedClass(cls);
    EXPECT_EQ(a, b);
}

TEST(ValueContext, ContextHoldsValuesByName) {
    TCIMContext ctx;
    ctx["nsp"] = TCIMValue("root/cimv2");
    ctx["pluginType"] = TCIMValue(static_cast<signed char>(-1));
    const std::string nsp = ctx["nsp"];
    EXPECT_EQ(nsp, "root/cimv2");
    EXPECT_EQ(int(ctx["pluginType"]), -1);
    EXPECT_TRUE(ctx["absent"].IsNull());
}
