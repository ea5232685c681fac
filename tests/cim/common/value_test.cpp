// CIMValue: round trips of every type, null handling, type checks on get,
// equality rules and the exact toString() texts.
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

PEGASUS_USING_PEGASUS;

namespace
{
std::string text(const CIMValue& v)
{
    CString c = v.toString().getCString();
    return std::string(static_cast<const char*>(c));
}

// Stores x as scalar and as a two-element array, reads both back, checks
// type, null-ness and size, and that every other getter type is refused.
template <class T>
void roundTrip(const T& x, const T& y, CIMType type)
{
    SCOPED_TRACE(cimTypeToString(type));
    CIMValue v(x);
    EXPECT_EQ(type, v.getType());
    EXPECT_FALSE(v.isArray());
    EXPECT_FALSE(v.isNull());
    EXPECT_EQ(0u, v.getArraySize());
    T out = y;
    v.get(out);
    EXPECT_TRUE(CIMValue(out) == v);

    Array<T> arr;
    arr.append(x);
    arr.append(y);
    CIMValue a(arr);
    EXPECT_EQ(type, a.getType());
    EXPECT_TRUE(a.isArray());
    EXPECT_EQ(2u, a.getArraySize());
    Array<T> back;
    a.get(back);
    ASSERT_EQ(2u, back.size());
    EXPECT_TRUE(CIMValue(back[0]) == v);
    EXPECT_TRUE(CIMValue(back[1]) == CIMValue(y));

    // Scalar getter on an array and array getter on a scalar.
    EXPECT_THROW(a.get(out), TypeMismatchException);
    EXPECT_THROW(v.get(back), TypeMismatchException);

    // A null value of the right type leaves the target alone.
    CIMValue nullScalar(type, false);
    T untouched = y;
    nullScalar.get(untouched);
    EXPECT_TRUE(CIMValue(untouched) == CIMValue(y));
    CIMValue nullArray(type, true, 5);
    EXPECT_EQ(5u, nullArray.getArraySize());
    EXPECT_TRUE(nullArray.isNull());
    Array<T> keep(arr);
    nullArray.get(keep);
    EXPECT_EQ(2u, keep.size());
    EXPECT_EQ("", text(nullArray));
    EXPECT_EQ("", text(nullScalar));

    // set() replaces type and value of whatever was there.
    CIMValue s(String("other"));
    s.set(x);
    EXPECT_TRUE(s == v);
    s.set(arr);
    EXPECT_TRUE(s == a);
}

CIMInstance makeInstance(const char* cls, Uint32 id)
{
    CIMInstance inst{CIMName(cls)};
    inst.addProperty(CIMProperty(CIMName("Id"), CIMValue(id)));
    return inst;
}
}

TEST(CIMValueTest, EveryTypeRoundTrips)
{
    roundTrip<Boolean>(true, false, CIMTYPE_BOOLEAN);
    roundTrip<Uint8>(255, 1, CIMTYPE_UINT8);
    roundTrip<Sint8>(-128, 1, CIMTYPE_SINT8);
    roundTrip<Uint16>(65535, 1, CIMTYPE_UINT16);
    roundTrip<Sint16>(-32768, 1, CIMTYPE_SINT16);
    roundTrip<Uint32>(4294967295u, 1, CIMTYPE_UINT32);
    roundTrip<Sint32>(-2147483647 - 1, 1, CIMTYPE_SINT32);
    roundTrip<Uint64>(18446744073709551615ULL, 1, CIMTYPE_UINT64);
    roundTrip<Sint64>(-9223372036854775807LL - 1, 1, CIMTYPE_SINT64);
    roundTrip<Real32>(1.5f, -0.25f, CIMTYPE_REAL32);
    roundTrip<Real64>(0.1, 1e300, CIMTYPE_REAL64);
    roundTrip<Char16>(Char16(0x263A), Char16('a'), CIMTYPE_CHAR16);
    roundTrip<String>(String("caf\xC3\xA9"), String(""), CIMTYPE_STRING);
    roundTrip<CIMDateTime>(CIMDateTime(String("20240102030405.123456+060")),
                           CIMDateTime(), CIMTYPE_DATETIME);
    roundTrip<CIMObjectPath>(CIMObjectPath(String("root:C.k=1")),
                             CIMObjectPath(String("D")), CIMTYPE_REFERENCE);
    roundTrip<CIMInstance>(makeInstance("A", 1), makeInstance("B", 2), CIMTYPE_INSTANCE);
    roundTrip<CIMObject>(CIMObject(makeInstance("A", 1)), CIMObject(CIMClass(CIMName("K"))),
                         CIMTYPE_OBJECT);
}

TEST(CIMValueTest, DefaultsAndConstructorQuirks)
{
    CIMValue v;
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(CIMTYPE_BOOLEAN, v.getType());
    EXPECT_FALSE(v.isArray());

    // No const char* constructor: this is the Boolean true.
    CIMValue b("abc");
    EXPECT_EQ(CIMTYPE_BOOLEAN, b.getType());
    EXPECT_FALSE(b.isNull());
    EXPECT_EQ("TRUE", text(b));

    // Deprecated char forms are sint8.
    CIMValue c('A');
    EXPECT_EQ(CIMTYPE_SINT8, c.getType());
    char back = 0;
    c.get(back);
    EXPECT_EQ('A', back);
    Array<char> chars;
    chars.append('x');
    CIMValue ca(chars);
    EXPECT_EQ(CIMTYPE_SINT8, ca.getType());
    Array<Sint8> asSint8;
    ca.get(asSint8);
    EXPECT_EQ(Sint8('x'), asSint8[0]);

    CIMValue empty{Array<String>()};
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(0u, empty.getArraySize());
    EXPECT_EQ("", text(empty));

    CIMValue n(Uint32(5));
    n.clear();
    EXPECT_TRUE(n.isNull());
    EXPECT_EQ(CIMTYPE_BOOLEAN, n.getType());
    n.setNullValue(CIMTYPE_STRING, true, 3);
    EXPECT_EQ(CIMTYPE_STRING, n.getType());
    EXPECT_EQ(3u, n.getArraySize());
}

TEST(CIMValueTest, GetWithTheWrongTypeThrows)
{
    CIMValue v(Uint32(3));
    Uint64 u64 = 0;
    Sint32 s32 = 0;
    String s;
    EXPECT_THROW(v.get(u64), TypeMismatchException);
    EXPECT_THROW(v.get(s32), TypeMismatchException);
    EXPECT_THROW(v.get(s), TypeMismatchException);
    try
    {
        v.get(s);
    }
    catch (const TypeMismatchException& e)
    {
        EXPECT_EQ(String("type mismatch"), e.getMessage());
    }
    // Null of another type throws too.
    CIMValue nullString(CIMTYPE_STRING, false);
    EXPECT_THROW(nullString.get(u64), TypeMismatchException);
    CIMInstance inst;
    EXPECT_THROW(CIMValue(CIMObject(makeInstance("A", 1))).get(inst), TypeMismatchException);
}

TEST(CIMValueTest, Equality)
{
    EXPECT_FALSE(CIMValue(Uint32(3)) == CIMValue(Uint64(3)));
    EXPECT_TRUE(CIMValue(Uint32(3)) == CIMValue(Uint32(3)));
    EXPECT_TRUE(CIMValue(Uint32(3)) != CIMValue(Uint32(4)));
    EXPECT_TRUE(CIMValue(CIMTYPE_UINT8, false) == CIMValue(CIMTYPE_UINT8, false));
    EXPECT_FALSE(CIMValue(CIMTYPE_UINT8, false) == CIMValue(CIMTYPE_UINT8, true));
    EXPECT_FALSE(CIMValue(CIMTYPE_UINT8, false) == CIMValue(Uint8(0)));
    EXPECT_FALSE(CIMValue(String("a")) == CIMValue(String("A")));
    Array<Uint16> a1, a2;
    a1.append(1);
    a2.append(1);
    EXPECT_TRUE(CIMValue(a1) == CIMValue(a2));
    a2.append(2);
    EXPECT_FALSE(CIMValue(a1) == CIMValue(a2));
    EXPECT_TRUE(CIMValue(CIMObjectPath(String("C.a=1,b=2"))) ==
                CIMValue(CIMObjectPath(String("c.B=2,A=1"))));
    EXPECT_FALSE(CIMValue(CIMDateTime()) ==
                 CIMValue(CIMDateTime(String("20240102030405.123456+060"))));
    EXPECT_TRUE(CIMValue(makeInstance("A", 1)) == CIMValue(makeInstance("A", 1)));
    EXPECT_FALSE(CIMValue(makeInstance("A", 1)) == CIMValue(makeInstance("A", 2)));
    EXPECT_TRUE(CIMValue(Uint8(1)).typeCompatible(CIMValue(CIMTYPE_UINT8, false)));
    EXPECT_FALSE(CIMValue(Uint8(1)).typeCompatible(CIMValue(CIMTYPE_UINT8, true)));
}

TEST(CIMValueTest, ToStringFormats)
{
    struct Case
    {
        CIMValue value;
        const char* text;
    };
    Array<Uint32> ints;
    ints.append(1);
    ints.append(2);
    ints.append(3);
    Array<Boolean> bools;
    bools.append(true);
    bools.append(false);
    Array<String> strs;
    strs.append(String("a"));
    strs.append(String("b"));
    strs.append(String("c"));
    Array<Real32> reals;
    reals.append(1.5f);
    const Case cases[] = {
        {CIMValue(true), "TRUE"},
        {CIMValue(false), "FALSE"},
        {CIMValue(Sint8(-5)), "-5"},
        {CIMValue(Uint8(200)), "200"},
        {CIMValue(Sint64(-9223372036854775807LL - 1)), "-9223372036854775808"},
        {CIMValue(Uint64(18446744073709551615ULL)), "18446744073709551615"},
        {CIMValue(Real64(1.5)), "1.5000000000000000e+00"},
        {CIMValue(Real32(1.5f)), "1.5000000000000000e+00"},
        {CIMValue(Real64(0.1)), "1.0000000000000001e-01"},
        {CIMValue(Real32(0.1f)), "1.0000000149011612e-01"},
        {CIMValue(Real64(-1024.0)), "-1.0240000000000000e+03"},
        {CIMValue(Char16(0xE9)), "\xC3\xA9"},
        {CIMValue(String("say \"hi\" <&>")), "say \"hi\" <&>"},
        {CIMValue(CIMDateTime(String("20240102030405.123456+060"))),
         "20240102030405.123456+060"},
        {CIMValue(CIMObjectPath(String("//h/ns:C.b=true,a=\"x\""))),
         "//h/ns:C.a=\"x\",b=TRUE"},
        {CIMValue(ints), "1 2 3 "},
        {CIMValue(bools), "TRUE FALSE "},
        {CIMValue(strs), "a b c "},
        {CIMValue(reals), "1.5000000000000000e+00 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, text(c.value));
}

TEST(CIMValueTest, ObjectsAreClonedInAndOut)
{
    EXPECT_THROW(CIMValue v{CIMInstance()}, UninitializedObjectException);
    EXPECT_THROW(CIMValue v{CIMObject()}, UninitializedObjectException);
    Array<CIMInstance> withHole;
    withHole.append(CIMInstance());
    EXPECT_THROW(CIMValue v(withHole), UninitializedObjectException);

    CIMInstance original = makeInstance("A", 1);
    CIMValue v(original);
    original.addProperty(CIMProperty(CIMName("Extra"), CIMValue(true)));
    CIMInstance out;
    v.get(out);
    EXPECT_EQ(1u, out.getPropertyCount());   // later changes did not leak in
    out.addProperty(CIMProperty(CIMName("More"), CIMValue(true)));
    CIMInstance again;
    v.get(again);
    EXPECT_EQ(1u, again.getPropertyCount());   // nor do changes to a result

    std::string xml = text(v);
    EXPECT_EQ(0u, xml.find("<INSTANCE")) << xml;
    EXPECT_NE(std::string::npos, xml.find("Id")) << xml;
    std::string cls = text(CIMValue(CIMObject(CIMClass(CIMName("K")))));
    EXPECT_EQ(0u, cls.find("<CLASS")) << cls;
}

// Simple scalars and strings are kept inside the CIMValue, everything else
// in a shared representation: a value changing between the two forms, and
// copies, moves and assignments across them, keep what they hold.
TEST(CIMValueTest, ValuesChangeBetweenKindsAndCopiesStayIndependent)
{
    CIMValue v(String("first"));
    CIMValue copy(v);
    v.set(Uint64(7));
    EXPECT_EQ(CIMTYPE_UINT64, v.getType());
    EXPECT_EQ("first", text(copy));

    v.set(Array<Uint16>(2, Uint16(3)));
    EXPECT_TRUE(v.isArray());
    EXPECT_EQ(2u, v.getArraySize());
    CIMValue arrayCopy = v;
    v.set(Char16(0x263A));
    EXPECT_FALSE(v.isArray());
    EXPECT_EQ(0u, v.getArraySize());
    EXPECT_EQ("3 3 ", text(arrayCopy));
    Char16 c;
    v.get(c);
    EXPECT_EQ(0x263A, Uint16(c));

    v.setNullValue(CIMTYPE_STRING, false);
    EXPECT_TRUE(v.isNull());
    String untouched("kept");
    v.get(untouched);
    EXPECT_EQ(String("kept"), untouched);

    // A value set from its own string.
    v.set(String("self"));
    String inside;
    v.get(inside);
    v.set(inside);
    EXPECT_EQ("self", text(v));

    CIMValue moved(std::move(v));
    EXPECT_EQ("self", text(moved));
    EXPECT_TRUE(v.isNull());   // left as the null Boolean
    EXPECT_EQ(CIMTYPE_BOOLEAN, v.getType());
    v = moved;
    moved = CIMValue(Real32(0.5f));
    EXPECT_EQ("self", text(v));
    v = v;
    EXPECT_EQ("self", text(v));
    v = std::move(moved);
    Real32 r = 0;
    v.get(r);
    EXPECT_EQ(0.5f, r);
    EXPECT_THROW(v.get(untouched), TypeMismatchException);
    Array<Real32> ra;
    EXPECT_THROW(v.get(ra), TypeMismatchException);

    EXPECT_TRUE(CIMValue(String("a")) == CIMValue(String("a")));
    EXPECT_FALSE(CIMValue(Uint8(1)) == CIMValue(Sint8(1)));
    EXPECT_TRUE(CIMValue(Uint8(1)).typeCompatible(CIMValue(Uint8(2))));
    EXPECT_FALSE(CIMValue(Uint8(1)).typeCompatible(CIMValue(Array<Uint8>())));
    v.clear();
    EXPECT_TRUE(v.isNull());
}
