// Value conversion between the server's values (Pegasus::CIMValue) and the
// host's (TCIMValue), in both directions.
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include "TInmemNamespace.h"
#include "TPEGASUSValueConversion.h"

using namespace NQRVKTA20;
using Pegasus::CIMValue;

namespace {

const char kTimestamp[] = "20240102030405.123456+060";
const char kInterval[] = "00000001020304.000005:000";

std::string Text(CIMValue const& value)
{
    return std::string(value.toString().getCString());
}

template <typename T>
CIMValue PegArray(std::initializer_list<T> items)
{
    Pegasus::Array<T> array;
    for (T const& item : items)
        array.append(item);
    return CIMValue(array);
}

TCIMValue HostArray(ECIMType elementType, std::vector<TCIMValue> const& elements)
{
    return TCIMValue(TCIMValue::TCIMType(elementType), 0, elements);
}

TCIMValue HostReference(std::string const& path)
{
    TCIMReference reference;
    reference.SetPath(path);
    return TCIMValue(reference);
}

Pegasus::CIMDateTime PegDateTime(const char* text)
{
    return Pegasus::CIMDateTime(Pegasus::String(text));
}

class ValueConversionTest : public ::testing::Test {
protected:
    ValueConversionTest()
        : fNamespace(new TInmemNamespace("root/test")),
          fClass(fNamespace->AllocateClass("Test_Class", boost::shared_ptr<ICIMClass>(),
                                           TCIMContext()))
    {
    }

    // Converts `value` by its own type and array flag into a host value
    // that starts out as `initial`.
    TCIMValue ToHost(CIMValue const& value, TCIMValue initial = TCIMValue("untouched"))
    {
        pegValToKTA("Prop", value, value.getType(), value.isArray(), initial, fClass);
        return initial;
    }

    boost::shared_ptr<TInmemNamespace> fNamespace;
    boost::shared_ptr<ICIMClass> fClass;
};

TEST(PegTypeToKTATypeTest, MapsEveryTypeToItsScalarAndArrayCode)
{
    struct Row {
        Pegasus::CIMType type;
        ECIMType scalar;
        unsigned int array;
    };
    const Row rows[] = {
        {Pegasus::CIMTYPE_BOOLEAN, kBoolean, 17},   {Pegasus::CIMTYPE_UINT8, kUint8, 18},
        {Pegasus::CIMTYPE_SINT8, kSint8, 19},       {Pegasus::CIMTYPE_UINT16, kUint16, 20},
        {Pegasus::CIMTYPE_SINT16, kSint16, 21},     {Pegasus::CIMTYPE_UINT32, kUint32, 22},
        {Pegasus::CIMTYPE_SINT32, kSint32, 23},     {Pegasus::CIMTYPE_UINT64, kUint64, 24},
        {Pegasus::CIMTYPE_SINT64, kSint64, 25},     {Pegasus::CIMTYPE_REAL32, kReal32, 26},
        {Pegasus::CIMTYPE_REAL64, kReal64, 27},     {Pegasus::CIMTYPE_CHAR16, kChar16, 28},
        {Pegasus::CIMTYPE_STRING, kString, 29},     {Pegasus::CIMTYPE_DATETIME, kDateTime, 30},
        {Pegasus::CIMTYPE_REFERENCE, kReference, 31}, {Pegasus::CIMTYPE_OBJECT, kNone, 16},
        {Pegasus::CIMTYPE_INSTANCE, kNone, 16},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(Pegasus::cimTypeToString(row.type));
        EXPECT_EQ(row.scalar, pegTypeToKTAType(row.type, false).GetCode());
        EXPECT_EQ(row.array, static_cast<unsigned int>(pegTypeToKTAType(row.type, true).GetCode()));
    }
}

// Each server value, its host form, and back to an equal server value.
TEST_F(ValueConversionTest, ScalarsAndArraysRoundTrip)
{
    const std::string path = "root/cimv2:CIM_Foo.Id=3,Name=\"a:b.c\"";
    struct Row {
        CIMValue server;
        TCIMValue host;
    };
    const Row rows[] = {
        {CIMValue(true), TCIMValue(true)},
        {CIMValue(false), TCIMValue(false)},
        {CIMValue(Pegasus::Uint8(200)), TCIMValue((unsigned char)200)},
        {CIMValue(Pegasus::Sint8(-100)), TCIMValue((signed char)-100)},
        {CIMValue(Pegasus::Uint16(65535)), TCIMValue((unsigned short)65535)},
        {CIMValue(Pegasus::Sint16(-32768)), TCIMValue((short)-32768)},
        {CIMValue(Pegasus::Uint32(4000000000u)), TCIMValue(4000000000u)},
        {CIMValue(Pegasus::Sint32(-2000000000)), TCIMValue(-2000000000)},
        {CIMValue(Pegasus::Uint64(18446744073709551615ull)), TCIMValue(18446744073709551615ull)},
        {CIMValue(Pegasus::Sint64(-9223372036854775807ll - 1)),
         TCIMValue(-9223372036854775807ll - 1)},
        {CIMValue(Pegasus::Real32(1.5f)), TCIMValue(1.5f)},
        {CIMValue(Pegasus::Real64(-0.1)), TCIMValue(-0.1)},
        {CIMValue(Pegasus::Char16('A')), TCIMValue(TCIMChar16(uint16_t(65)))},
        {CIMValue(Pegasus::Char16(0x263A)), TCIMValue(TCIMChar16(uint16_t(0x263A)))},
        {CIMValue(Pegasus::String("h\xC3\xA9llo \xE2\x98\xBA")),
         TCIMValue(std::string("h\xC3\xA9llo \xE2\x98\xBA"))},
        {CIMValue(Pegasus::String()), TCIMValue(std::string())},
        {CIMValue(PegDateTime(kTimestamp)), TCIMValue(TCIMDateTime(kTimestamp))},
        {CIMValue(PegDateTime(kInterval)), TCIMValue(TCIMDateTime(kInterval))},
        {CIMValue(Pegasus::CIMObjectPath(Pegasus::String(path.c_str()))), HostReference(path)},
        {PegArray<Pegasus::Boolean>({true, false, true}),
         HostArray(kBoolean, {true, false, true})},
        {PegArray<Pegasus::Uint8>({0, 255}), HostArray(kUint8, {(unsigned char)0, (unsigned char)255})},
        {PegArray<Pegasus::Sint8>({-128, 127}),
         HostArray(kSint8, {(signed char)-128, (signed char)127})},
        {PegArray<Pegasus::Uint16>({1, 65535, 7}),
         HostArray(kUint16, {(unsigned short)1, (unsigned short)65535, (unsigned short)7})},
        {PegArray<Pegasus::Sint16>({-2, 300}), HostArray(kSint16, {(short)-2, (short)300})},
        {PegArray<Pegasus::Uint32>({5, 4000000000u}), HostArray(kUint32, {5u, 4000000000u})},
        {PegArray<Pegasus::Sint32>({-1, 2, -3}), HostArray(kSint32, {-1, 2, -3})},
        {PegArray<Pegasus::Uint64>({1ull << 40}), HostArray(kUint64, {1ull << 40})},
        {PegArray<Pegasus::Sint64>({-(1ll << 40), 9}), HostArray(kSint64, {-(1ll << 40), 9ll})},
        {PegArray<Pegasus::Real32>({0.25f, -2.0f}), HostArray(kReal32, {0.25f, -2.0f})},
        {PegArray<Pegasus::Real64>({1e300, 0.1}), HostArray(kReal64, {1e300, 0.1})},
        {PegArray<Pegasus::Char16>({Pegasus::Char16('A'), Pegasus::Char16(0x263A)}),
         HostArray(kChar16, {TCIMChar16(uint16_t(65)), TCIMChar16(uint16_t(0x263A))})},
        {PegArray<Pegasus::String>({Pegasus::String("first"), Pegasus::String("second")}),
         HostArray(kString, {std::string("first"), std::string("second")})},
        {PegArray<Pegasus::CIMDateTime>({PegDateTime(kTimestamp), PegDateTime(kInterval)}),
         HostArray(kDateTime, {TCIMDateTime(kTimestamp), TCIMDateTime(kInterval)})},
        {PegArray<Pegasus::Sint32>({}), HostArray(kSint32, {})},
        {PegArray<Pegasus::String>({}), HostArray(kString, {})},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(std::string(Pegasus::cimTypeToString(row.server.getType())) +
                     (row.server.isArray() ? "[] " : " ") + Text(row.server));
        TCIMValue host = ToHost(row.server);
        EXPECT_EQ(row.host, host);
        EXPECT_EQ(pegTypeToKTAType(row.server.getType(), row.server.isArray()).GetCode(),
                  host.GetType().GetCode());

        CIMValue back(Pegasus::Uint32(99));
        ktaValToPeg(host, back);
        EXPECT_TRUE(back == row.server) << "got " << Text(back);
    }
}

TEST_F(ValueConversionTest, NullServerValues)
{
    // A null boolean is not true.
    EXPECT_EQ(TCIMValue(false), ToHost(CIMValue(Pegasus::CIMTYPE_BOOLEAN, false), TCIMValue(true)));

    // Null arrays become empty, non-null host arrays of their element type.
    TCIMValue nullArray = ToHost(CIMValue(Pegasus::CIMTYPE_SINT32, true));
    EXPECT_EQ(HostArray(kSint32, {}), nullArray);
    EXPECT_EQ(23u, static_cast<unsigned int>(nullArray.GetType().GetCode()));
    EXPECT_FALSE(nullArray.IsNull());
    EXPECT_EQ(HostArray(kChar16, {}), ToHost(CIMValue(Pegasus::CIMTYPE_CHAR16, true)));

    // Other null scalars stay null, keeping their type.
    const Pegasus::CIMType types[] = {Pegasus::CIMTYPE_UINT32, Pegasus::CIMTYPE_REAL64,
                                      Pegasus::CIMTYPE_CHAR16, Pegasus::CIMTYPE_STRING,
                                      Pegasus::CIMTYPE_DATETIME, Pegasus::CIMTYPE_REFERENCE};
    for (Pegasus::CIMType type : types) {
        SCOPED_TRACE(Pegasus::cimTypeToString(type));
        TCIMValue host = ToHost(CIMValue(type, false));
        EXPECT_TRUE(host.IsNull());
        EXPECT_EQ(pegTypeToKTAType(type, false).GetCode(), host.GetType().GetCode());
    }
}

TEST_F(ValueConversionTest, ReferenceTakesTheNamespaceOfTheClass)
{
    TCIMValue host =
        ToHost(CIMValue(Pegasus::CIMObjectPath(Pegasus::String("//srv/root/x:CIM_A.K=1"))));
    TCIMReference reference = host;
    EXPECT_EQ("//srv/root/x:CIM_A.K=1", reference.GetPath());
    EXPECT_EQ(boost::shared_ptr<ICIMNamespace>(fNamespace), reference.GetNamespace());
}

TEST_F(ValueConversionTest, StringArrayElementsTakeTheStreamForm)
{
    // Unlike scalars, array elements above 0xFF come out as "\xHHHH".
    TCIMValue host = ToHost(PegArray<Pegasus::String>({Pegasus::String("a\xE2\x98\xBA")}));
    EXPECT_EQ(HostArray(kString, {std::string("a\\x263A")}), host);
    // Latin-1 letters are single bytes in an array, UTF-8 in a scalar;
    // plain ASCII reads the same in both.
    struct Case {
        const char* serverUtf8;
        std::string scalar;
        std::string element;
    } const cases[] = {
        {"plain text 09", "plain text 09", "plain text 09"},
        {"caf\xC3\xA9", "caf\xC3\xA9", "caf\xE9"},
        {"\x7F\xC2\x80", "\x7F\xC2\x80", "\x7F\x80"},
        {"\xE2\x98\xBA", "\xE2\x98\xBA", "\\x263A"},
        {"", "", ""},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(TCIMValue(c.scalar), ToHost(CIMValue(Pegasus::String(c.serverUtf8))))
            << c.scalar;
        EXPECT_EQ(HostArray(kString, {c.element}),
                  ToHost(PegArray<Pegasus::String>({Pegasus::String(c.serverUtf8)})))
            << c.element;
    }
}

TEST_F(ValueConversionTest, UnsupportedServerTypesLeaveTheHostValueAlone)
{
    struct Row {
        CIMValue value;
        Pegasus::CIMType type;
        bool isArray;
    };
    const Row rows[] = {
        {CIMValue(Pegasus::CIMTYPE_OBJECT, false), Pegasus::CIMTYPE_OBJECT, false},
        {CIMValue(Pegasus::CIMTYPE_INSTANCE, true), Pegasus::CIMTYPE_INSTANCE, true},
        {PegArray<Pegasus::CIMObjectPath>({Pegasus::CIMObjectPath(Pegasus::String("CIM_A.K=1"))}),
         Pegasus::CIMTYPE_REFERENCE, true},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(Pegasus::cimTypeToString(row.type));
        TCIMValue out(42u);
        pegValToKTA("Prop", row.value, row.type, row.isArray, out, fClass);
        EXPECT_EQ(TCIMValue(42u), out);
    }
}

TEST(KtaValToPegTest, UnsupportedHostTypesLeaveTheServerValueAlone)
{
    const TCIMValue values[] = {
        TCIMValue(),                                       // code 0
        HostArray(kReference, {HostReference("CIM_A.K=1")}), // reference array
        HostArray(kNone, {TCIMValue(1u)}),                 // array of no element type
    };
    for (TCIMValue const& value : values) {
        SCOPED_TRACE(value.GetType().GetName());
        CIMValue out(Pegasus::Uint32(7));
        ktaValToPeg(value, out);
        EXPECT_TRUE(out == CIMValue(Pegasus::Uint32(7))) << "got " << Text(out);
    }
}

TEST(KtaValToPegTest, EmptyHostArraysKeepTheirElementType)
{
    const ECIMType types[] = {kBoolean, kUint16, kSint16, kChar16, kString, kDateTime};
    for (ECIMType type : types) {
        SCOPED_TRACE(TCIMValue::TCIMType(type).GetName());
        CIMValue out;
        ktaValToPeg(HostArray(type, {}), out);
        EXPECT_FALSE(out.isNull());
        EXPECT_TRUE(out.isArray());
        EXPECT_EQ(0u, out.getArraySize());
        EXPECT_EQ(static_cast<unsigned int>(type),
                  static_cast<unsigned int>(pegTypeToKTAType(out.getType(), false).GetCode()));
    }
}

TEST_F(ValueConversionTest, DeclaredTypeNotMatchingTheValueThrowsTypeMismatch)
{
    struct Row {
        Pegasus::CIMType type;
        bool isArray;
    };
    const Row rows[] = {{Pegasus::CIMTYPE_STRING, false},
                        {Pegasus::CIMTYPE_UINT64, false},
                        {Pegasus::CIMTYPE_UINT32, true},
                        {Pegasus::CIMTYPE_REFERENCE, false}};
    for (Row const& row : rows) {
        SCOPED_TRACE(Pegasus::cimTypeToString(row.type));
        TCIMValue out("kept");
        EXPECT_THROW(pegValToKTA("Prop", CIMValue(Pegasus::Uint32(5)), row.type, row.isArray,
                                 out, fClass),
                     Pegasus::TypeMismatchException);
        EXPECT_EQ(TCIMValue("kept"), out);
    }
}

TEST(KtaValToPegTest, MalformedReferenceTextThrowsAndLeavesTheValueAlone)
{
    CIMValue out(Pegasus::Uint32(7));
    EXPECT_THROW(ktaValToPeg(HostReference("CIM_A.K=1.5"), out),
                 Pegasus::MalformedObjectNameException);
    EXPECT_TRUE(out == CIMValue(Pegasus::Uint32(7)));
}

} // namespace
