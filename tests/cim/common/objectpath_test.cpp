// CIMObjectPath and CIMKeyBinding: the canonical text (sorting, quoting,
// upper-cased booleans, host without namespace), parse errors with their
// exact reasons, and the comparison rules.
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include "CommonTestSupport.h"

PEGASUS_USING_PEGASUS;

namespace
{

std::string reparsed(const char* input)
{
    return text(CIMObjectPath(String(input)).toString());
}
}

TEST(CIMObjectPathTest, ParseAndPrintCanonicalText)
{
    struct Case
    {
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"C", "C"},
        {"root/cimv2:C", "root/cimv2:C"},
        {"/root/cimv2:C", "root/cimv2:C"},
        {"//myhost/root/cimv2:C", "//myhost/root/cimv2:C"},
        {"//10.0.0.1:5988/root:C", "//10.0.0.1:5988/root:C"},
        {"C.b=2,A=\"x\"", "C.A=\"x\",b=2"},
        {"C.c=true,a=FaLsE", "C.a=FALSE,c=TRUE"},
        {"C.A=\"x\\\"y\\\\z\"", "C.A=\"x\\\"y\\\\z\""},
        {"C.a=-5,b=0x1F,c=0", "C.a=-5,b=0x1F,c=0"},
        {"C.k=\"a.b:c,d\"", "C.k=\"a.b:c,d\""},
        {"C.", "C"},
        {"C.R=\"//h/ns:D.b=\\\"2\\\",a=\\\"1\\\"\"", "C.R=\"//h/ns:D.a=\\\"1\\\",b=\\\"2\\\"\""},
        {"C.k=\"\"", "C.k=\"\""},
        {"C.k=\"=\"", "C.k=\"=\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.output, reparsed(c.input)) << c.input;
}

TEST(CIMObjectPathTest, ParsedParts)
{
    CIMObjectPath p(String("//h.example.com/root/cimv2:CIM_Disk.Id=\"d1\",N=7,R=\"C.x=1\",B=true"));
    EXPECT_EQ(String("h.example.com"), p.getHost());
    EXPECT_EQ(String("root/cimv2"), p.getNameSpace().getString());
    EXPECT_EQ(String("CIM_Disk"), p.getClassName().getString());
    const Array<CIMKeyBinding>& k = p.getKeyBindings();
    ASSERT_EQ(4u, k.size());
    EXPECT_EQ(String("B"), k[0].getName().getString());
    EXPECT_EQ(CIMKeyBinding::BOOLEAN, k[0].getType());
    EXPECT_EQ(String("TRUE"), k[0].getValue());
    EXPECT_EQ(CIMKeyBinding::STRING, k[1].getType());
    EXPECT_EQ(String("d1"), k[1].getValue());
    EXPECT_EQ(CIMKeyBinding::NUMERIC, k[2].getType());
    EXPECT_EQ(CIMKeyBinding::REFERENCE, k[3].getType());
    EXPECT_EQ(String("C.x=1"), k[3].getValue());
}

TEST(CIMObjectPathTest, MalformedTextsGiveExactReasons)
{
    struct Case
    {
        const char* input;
        const char* reason;
    };
    const Case cases[] = {
        {"", "class name  not a legal CIM name"},
        {"//host", "missing slash after hostname"},
        {"//bad host/root:C", "invalid hostname"},
        {"//h/C", "host specified, missing namespace"},
        {"//h/C.a=\"x:y\"", "host specified, missing namespace"},
        {"root//x:C", "invalid namespace name"},
        {":C", "invalid namespace name"},
        {"1C", "class name 1C not a legal CIM name"},
        {"C.a", "invalid key-value pair, missing equal sign"},
        {"C.a=1,", "invalid key-value pair, missing equal sign"},
        {"C.1a=1", "invalid key-value pair, invalid key name:1a"},
        {"C.a=1, b=2", "invalid key-value pair, invalid key name: b"},
        {"C.a=", "invalid key-value pair, malformed value"},
        {"C.a=\"x", "invalid key-value pair, missing quote in key value"},
        {"C.a=tru", "invalid key-value pair, value should be TRUE or FALSE"},
        {"C.a=1.5", "invalid key-value pair, invalid number value 1.5"},
        {"C.a=+1", "invalid key-value pair, invalid number value +1"},
        {"C.a=01", "invalid key-value pair, invalid number value 01"},
        {"C.a=18446744073709551616", "invalid key-value pair, invalid number value 18446744073709551616"},
        {"C.a=-x", "invalid key-value pair, invalid negative number value -x"},
        {"C.a=\"x\"b=1", "invalid key-value pair, next key-value pair has to start with comma"},
    };
    for (const Case& c : cases)
    {
        try
        {
            CIMObjectPath p{String(c.input)};
            ADD_FAILURE() << "no exception for " << c.input;
        }
        catch (const MalformedObjectNameException& e)
        {
            EXPECT_EQ(std::string("malformed object name: ") + c.input +
                          ", reason:\"" + c.reason + "\"",
                      text(e.getMessage()));
        }
    }
}

TEST(CIMObjectPathTest, BuiltPaths)
{
    EXPECT_EQ("", text(CIMObjectPath().toString()));
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("b"), String("2"), CIMKeyBinding::NUMERIC));
    keys.append(CIMKeyBinding(CIMName("A"), String("x\"y\\z"), CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding(CIMName("c"), String("TRUE"), CIMKeyBinding::BOOLEAN));
    CIMObjectPath p(String("myhost"), CIMNamespaceName("root/cimv2"), CIMName("C"), keys);
    EXPECT_EQ("//myhost/root/cimv2:C.A=\"x\\\"y\\\\z\",b=2,c=TRUE", text(p.toString()));

    CIMObjectPath hostOnly(String("h"), CIMNamespaceName(), CIMName("Class"));
    EXPECT_EQ("//h/:Class", text(hostOnly.toString()));

    CIMObjectPath q;
    q.setClassName(CIMName("C"));
    q.setKeyBindings(keys);
    EXPECT_EQ("C.A=\"x\\\"y\\\\z\",b=2,c=TRUE", text(q.toString()));
    q.setNameSpace(CIMNamespaceName("/ns"));
    EXPECT_EQ("ns:C.A=\"x\\\"y\\\\z\",b=2,c=TRUE", text(q.toString()));

    try
    {
        CIMObjectPath bad(String("no good"), CIMNamespaceName(), CIMName("C"));
        FAIL() << "no exception";
    }
    catch (const MalformedObjectNameException& e)
    {
        EXPECT_EQ("malformed object name: no good, reason:\"invalid hostname\"",
                  text(e.getMessage()));
    }
    EXPECT_THROW(q.setHost(String("a..b")), MalformedObjectNameException);
    EXPECT_NO_THROW(q.setHost(String("[::1]:5989")));
    q.clear();
    EXPECT_EQ("", text(q.toString()));
}

TEST(CIMObjectPathTest, IdentityAndHashing)
{
    CIMObjectPath a(String("//Host/ROOT/cimv2:Disk.id=\"x\",n=16,b=true"));
    CIMObjectPath b(String("//host/root/CIMV2:disk.B=TRUE,N=0x10,ID=\"x\""));
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a.identical(b));
    EXPECT_EQ(a.makeHashCode(), b.makeHashCode());

    EXPECT_TRUE(a != CIMObjectPath(String("//Host/ROOT/cimv2:Disk.id=\"X\",n=16,b=true")));
    EXPECT_TRUE(a != CIMObjectPath(String("ROOT/cimv2:Disk.id=\"x\",n=16,b=true")));
    EXPECT_TRUE(a != CIMObjectPath(String("//Host/ROOT/cimv2:Disk.id=\"x\",n=16")));
    EXPECT_TRUE(CIMObjectPath(String("C.r=\"D.a=1,b=2\"")) ==
                CIMObjectPath(String("C.r=\"D.b=2,a=1\"")));
}

TEST(CIMKeyBindingTest, FromValuesAndComparisons)
{
    struct Case
    {
        CIMValue value;
        CIMKeyBinding::Type type;
        const char* text;
    };
    const Case cases[] = {
        {CIMValue(true), CIMKeyBinding::BOOLEAN, "TRUE"},
        {CIMValue(Uint8(200)), CIMKeyBinding::NUMERIC, "200"},
        {CIMValue(Sint64(-7)), CIMKeyBinding::NUMERIC, "-7"},
        {CIMValue(Real64(1.5)), CIMKeyBinding::NUMERIC, "1.5000000000000000e+00"},
        {CIMValue(Char16('q')), CIMKeyBinding::STRING, "q"},
        {CIMValue(String("s")), CIMKeyBinding::STRING, "s"},
        {CIMValue(CIMDateTime(String("00000001000000.000000:000"))),
         CIMKeyBinding::STRING, "00000001000000.000000:000"},
        {CIMValue(CIMObjectPath(String("C.a=1"))), CIMKeyBinding::REFERENCE, "C.a=1"},
    };
    for (const Case& c : cases)
    {
        CIMKeyBinding kb(CIMName("k"), c.value);
        EXPECT_EQ(c.type, kb.getType()) << c.text;
        EXPECT_EQ(c.text, text(kb.getValue()));
        EXPECT_TRUE(kb.equal(c.value)) << c.text;
    }
    EXPECT_THROW(CIMKeyBinding(CIMName("k"), CIMValue(Array<Uint32>())),
                 TypeMismatchException);

    CIMKeyBinding n(CIMName("k"), String("0x10"), CIMKeyBinding::NUMERIC);
    EXPECT_TRUE(n.equal(CIMValue(Uint32(16))));
    EXPECT_TRUE(n.equal(CIMValue(Sint8(16))));
    EXPECT_FALSE(n.equal(CIMValue(Uint32(17))));
    EXPECT_FALSE(n.equal(CIMValue(String("0x10"))));
    CIMKeyBinding big(CIMName("k"), String("300"), CIMKeyBinding::NUMERIC);
    EXPECT_FALSE(big.equal(CIMValue(Uint8(44))));   // 300 does not fit a uint8
    CIMKeyBinding junk(CIMName("k"), String("junk"), CIMKeyBinding::STRING);
    EXPECT_FALSE(junk.equal(CIMValue(CIMDateTime())));

    EXPECT_TRUE(CIMKeyBinding(CIMName("K"), String("true"), CIMKeyBinding::BOOLEAN) ==
                CIMKeyBinding(CIMName("k"), String("TRUE"), CIMKeyBinding::BOOLEAN));
    EXPECT_TRUE(CIMKeyBinding(CIMName("k"), String("-0"), CIMKeyBinding::NUMERIC) ==
                CIMKeyBinding(CIMName("k"), String("0"), CIMKeyBinding::NUMERIC));
    EXPECT_FALSE(CIMKeyBinding(CIMName("k"), String("a"), CIMKeyBinding::STRING) ==
                 CIMKeyBinding(CIMName("k"), String("A"), CIMKeyBinding::STRING));
    EXPECT_FALSE(CIMKeyBinding(CIMName("k"), String("1"), CIMKeyBinding::STRING) ==
                 CIMKeyBinding(CIMName("k"), String("1"), CIMKeyBinding::NUMERIC));
}
