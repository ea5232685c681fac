// The storage encoding: every detail survives a round trip, damaged blobs
// are refused.
#include <ObjectCodec.h>

#include "RepositoryTestSupport.h"

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <limits>

#include <malloc.h>

using namespace Pegasus;
using repotest::appendText16;

namespace {

CIMInstance richInstance()
{
    CIMInstance i("X_Rich");
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("K", String("a\"b"), CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("N", String("-7"), CIMKeyBinding::NUMERIC));
    i.setPath(CIMObjectPath("host", "root/x", "X_Rich", keys));
    i.addQualifier(CIMQualifier("Q", String("v"), CIMFlavor::TOINSTANCE, true));
    i.addProperty(CIMProperty("B", Boolean(true)));
    i.addProperty(CIMProperty("U8", Uint8(255)));
    i.addProperty(CIMProperty("S8", Sint8(-128)));
    i.addProperty(CIMProperty("U64", std::numeric_limits<Uint64>::max()));
    i.addProperty(CIMProperty("S64", std::numeric_limits<Sint64>::min()));
    i.addProperty(CIMProperty("R32", Real32(0.1f)));
    i.addProperty(CIMProperty("R64", Real64(-2.25)));
    i.addProperty(CIMProperty("C", Char16(0x263A)));
    i.addProperty(CIMProperty("S", String("caf\xc3\xa9 \xe2\x98\xba")));
    i.addProperty(CIMProperty("D", CIMDateTime(String("20240102030405.123456+060"))));
    i.addProperty(CIMProperty("R", CIMObjectPath("//h/root/x:Y.a=\"1\",b=2")));
    i.addProperty(CIMProperty("AS", CIMValue(Array<Sint16>(3, Sint16(-3)))));
    i.addProperty(CIMProperty("Empty", CIMValue(Array<String>())));
    i.addProperty(CIMProperty("NullArr", CIMValue(CIMTYPE_UINT32, true, 4), 4));
    i.addProperty(CIMProperty("NullRef", CIMValue(CIMTYPE_REFERENCE, false), 0, "Y", "X_Base",
                              true));
    CIMInstance embedded("X_Inner");
    embedded.addProperty(CIMProperty("V", Uint32(1)));
    i.addProperty(CIMProperty("E", CIMValue(embedded)));
    i.addProperty(CIMProperty("O", CIMValue(CIMObject(CIMClass("X_Cls", "X_Sup")))));
    return i;
}

TEST(ObjectCodec, InstanceRoundTripIsIdentical)
{
    CIMInstance i = richInstance();
    CIMInstance back = ObjectCodec::decodeInstance(ObjectCodec::encodeInstance(i));
    EXPECT_TRUE(back.identical(i));
    EXPECT_EQ(i.getPath().toString(), back.getPath().toString());
    EXPECT_EQ(i.getPath().toString(),
              ObjectCodec::decodeInstancePath(ObjectCodec::encodeInstance(i).data(),
                                              ObjectCodec::encodeInstance(i).size())
                  .toString());
    EXPECT_EQ(4u, back.getProperty(back.findProperty("NullArr")).getArraySize());
    EXPECT_EQ(1u, back.getQualifier(0).getPropagated());
}

TEST(ObjectCodec, ClassAndDeclarationRoundTrip)
{
    CIMClass c("X_C", "X_Super");
    c.addQualifier(CIMQualifier("Description", String("d"),
                                CIMFlavor::DISABLEOVERRIDE + CIMFlavor::RESTRICTED));
    CIMProperty p("P", Uint16(3), 0, CIMName(), "X_Super", true);
    p.addQualifier(CIMQualifier("ValueMap", CIMValue(Array<String>(2, String("x")))));
    c.addProperty(p);
    CIMMethod m("M", CIMTYPE_REAL32, "X_C", false);
    CIMParameter ref("Target", CIMTYPE_REFERENCE, false, 0, "X_Other");
    ref.addQualifier(CIMQualifier("In", Boolean(false), CIMFlavor::TRANSLATABLE));
    m.addParameter(ref);
    m.addParameter(CIMParameter("List", CIMTYPE_STRING, true, 5));
    c.addMethod(m);
    CIMClass back = ObjectCodec::decodeClass(ObjectCodec::encodeClass(c));
    EXPECT_TRUE(back.identical(c));

    CIMQualifierDecl d("ValueMap", CIMValue(CIMTYPE_STRING, true, 3),
                       CIMScope::PROPERTY + CIMScope::PARAMETER,
                       CIMFlavor::RESTRICTED + CIMFlavor::TRANSLATABLE, 3);
    CIMQualifierDecl dback = ObjectCodec::decodeQualifierDecl(ObjectCodec::encodeQualifierDecl(d));
    EXPECT_TRUE(dback.identical(d));
    EXPECT_EQ(3u, dback.getArraySize());
}

TEST(ObjectCodec, DamagedBlobsAreRefused)
{
    std::string blob = ObjectCodec::encodeInstance(richInstance());
    // Every truncation and the wrong kind must throw, never crash.
    for (std::size_t n = 0; n < blob.size(); n++)
        EXPECT_THROW(ObjectCodec::decodeInstance(blob.substr(0, n)), Exception) << n;
    EXPECT_THROW(ObjectCodec::decodeClass(blob), Exception);
    EXPECT_THROW(ObjectCodec::decodeInstance(blob + "x"), Exception);
    std::string flipped = blob;
    flipped[2] = char(0xff);  // an impossible name length
    EXPECT_THROW(ObjectCodec::decodeInstance(flipped), Exception);
}

// Texts are stored as UTF-8, one sequence per UTF-16 unit, so that every
// String comes back unit for unit, unpaired surrogates included.
TEST(ObjectCodec, TextsKeepEveryUnit)
{
    const Char16 units[] = {Char16('a'), Char16(0x00e9), Char16(0x07ff), Char16(0x0800),
                            Char16(0xffff), Char16(0xd83d), Char16(0xde00), Char16(0xd800),
                            Char16('z'), Char16(0xdc00)};
    String text(units, sizeof units / sizeof units[0]);
    CIMInstance i("X_Text");
    i.addProperty(CIMProperty("S", text));
    Array<String> list;
    list.append(text);
    list.append(String());
    list.append(String("plain"));
    i.addProperty(CIMProperty("L", CIMValue(list)));
    CIMInstance back = ObjectCodec::decodeInstance(ObjectCodec::encodeInstance(i));
    EXPECT_TRUE(back.identical(i));
    String s;
    back.getProperty(back.findProperty("S")).getValue().get(s);
    ASSERT_EQ(text.size(), s.size());
    for (Uint32 k = 0; k < s.size(); k++)
        EXPECT_EQ(Uint16(text[k]), Uint16(s[k])) << k;

    // A text with a broken sequence is refused: a lead byte 0xE0 needs two
    // continuation bytes.
    CIMInstance one("X_Text");
    one.addProperty(CIMProperty("S", String("\xe2\x98\xba")));
    std::string blob = ObjectCodec::encodeInstance(one);
    std::size_t at = blob.find("\xe2\x98\xba");
    ASSERT_NE(std::string::npos, at);
    std::string broken = blob;
    broken[at + 1] = 'x';
    EXPECT_THROW(ObjectCodec::decodeInstance(broken), Exception);
}

// Blobs of the first format (texts as UTF-16 units) are still read.
TEST(ObjectCodec, FirstFormatBlobsAreRead)
{
    // class Old_Thing { string Label = "caf\u00e9"; };
    std::string blob("C\x01", 2);
    appendText16(blob, u"Old_Thing");
    appendText16(blob, u"");                       // no superclass
    blob.push_back(0);                       // no qualifiers
    blob.push_back(1);                       // one property
    appendText16(blob, u"Label");
    blob.push_back(char(CIMTYPE_STRING));
    blob.push_back(0);                       // not an array, not null
    appendText16(blob, u"caf\u00e9");
    blob.push_back(0);                       // array size
    appendText16(blob, u"");                       // reference class
    appendText16(blob, u"Old_Thing");              // class origin
    blob.push_back(0);                       // not propagated
    blob.push_back(0);                       // no qualifiers
    blob.push_back(0);                       // no methods

    CIMClass c = ObjectCodec::decodeClass(blob);
    EXPECT_EQ("Old_Thing", std::string(c.getClassName().getString().getCString()));
    EXPECT_EQ("Old_Thing",
              std::string(ObjectCodec::decodeClassName(blob.data(), blob.size())
                              .getString()
                              .getCString()));
    ASSERT_EQ(1u, c.getPropertyCount());
    String label;
    c.getProperty(0).getValue().get(label);
    EXPECT_EQ("caf\xc3\xa9", std::string(label.getCString()));
    EXPECT_TRUE(ObjectCodec::decodeClass(ObjectCodec::encodeClass(c)).identical(c));
}

// Bytes the allocator has handed out and not got back.
std::size_t bytesInUse()
{
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

TEST(ObjectCodec, AHugeNameIsNotKeptOnceDecoded)
{
    // Short names are cached per thread; a name of a megabyte must cost
    // nothing once the object that holds it is gone.
    const std::string huge(std::size_t(1) << 20, 'N');
    CIMClass c(CIMName("X_Huge"));
    c.addProperty(CIMProperty(CIMName(huge.c_str()), String("v")));
    const std::string blob = ObjectCodec::encodeClass(c);

    const std::size_t before = bytesInUse();
    {
        CIMClass decoded = ObjectCodec::decodeClass(blob);
        EXPECT_EQ(huge.size(), decoded.getProperty(0).getName().getString().size());
    }
    EXPECT_LT(bytesInUse(), before + 64 * 1024);
}

}  // namespace
