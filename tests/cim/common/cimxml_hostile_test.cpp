// Malformed and hostile CIM-XML: every document here must be rejected with
// a CimXmlException that says what is wrong, never accepted, never a crash.
#include "CimXmlMessages.h"
#include "CimXmlReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace {

// A response whose IRETURNVALUE holds `content`.
std::string response(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP>"
           "<IMETHODRESPONSE NAME=\"GetInstance\"><IRETURNVALUE>\n" +
           content + "\n</IRETURNVALUE></IMETHODRESPONSE></SIMPLERSP></MESSAGE></CIM>\n";
}

// An instance with one property of the given type and value text.
std::string property(const std::string& type, const std::string& value)
{
    return response("<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"P\" TYPE=\"" + type +
                    "\"><VALUE>" + value + "</VALUE></PROPERTY></INSTANCE>");
}

std::string billionLaughs()
{
    std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE CIM [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; i++)
    {
        doc += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; j++)
            doc += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        doc += "\">\n";
    }
    return doc + "]>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">&lol9;</CIM>";
}

std::string embeddedChain(int levels)
{
    std::string xml = "<INSTANCE CLASSNAME=\"C\"></INSTANCE>";
    for (int i = 0; i < levels; i++)
    {
        std::string escaped;
        for (char c : xml)
            escaped += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : c == '&' ? "&amp;" : std::string(1, c);
        xml = "<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"E\" TYPE=\"string\" "
              "EmbeddedObject=\"instance\"><VALUE>" + escaped + "</VALUE></PROPERTY></INSTANCE>";
    }
    return xml;
}

struct Case
{
    const char* label;
    std::string document;
    CimXmlException::Kind kind;
    const char* messagePart;
    CimXmlLimits limits;
};

CimXmlLimits limitsWith(std::function<void(CimXmlLimits&)> change)
{
    CimXmlLimits l;
    change(l);
    return l;
}

std::vector<Case> cases()
{
    using K = CimXmlException;
    const CimXmlLimits dflt;
    return {
        {"billion laughs", billionLaughs(), K::SYNTAX, "DOCTYPE declarations are not allowed", dflt},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE CIM SYSTEM \"file:///etc/passwd\"><CIM>&ext;</CIM>",
         K::SYNTAX, "DOCTYPE", dflt},
        {"undeclared entity", response("<CLASSNAME NAME=\"&boom;\"/>"), K::SYNTAX,
         "undefined entity", dflt},
        {"invalid character reference", property("string", "&#0;"), K::SYNTAX,
         "reference to invalid character number", dflt},
        {"invalid UTF-8", property("string", "\xC3\x28"), K::SYNTAX, "not well-formed", dflt},
        {"mismatched tag", response("<CLASSNAME NAME=\"A\"></INSTANCENAME>"), K::SYNTAX,
         "mismatched tag", dflt},
        {"empty document", "", K::SYNTAX, "line 1: ", dflt},
        {"truncated document", response("").substr(0, 80), K::SYNTAX, "", dflt},
        {"unknown element", response("<FOO/>"), K::SYNTAX, "unknown element FOO", dflt},
        {"wrong nesting", response("<VALUE><PROPERTY NAME=\"P\" TYPE=\"string\"/></VALUE>"),
         K::SYNTAX, "element PROPERTY not allowed inside VALUE", dflt},
        {"property outside instance", response("<PROPERTY NAME=\"P\" TYPE=\"string\"/>"),
         K::SYNTAX, "not allowed inside IRETURNVALUE", dflt},
        {"deep nesting", std::string(100000, '<') , K::SYNTAX, "", dflt},
        {"nested CIM elements", "<CIM><CIM><CIM></CIM></CIM></CIM>", K::SYNTAX,
         "element CIM not allowed inside CIM", dflt},
        {"depth limit", property("string", "x"), K::SYNTAX, "nested too deeply",
         limitsWith([](CimXmlLimits& l) { l.maxDepth = 6; })},
        {"size limit", property("string", "x"), K::SYNTAX, "document too large",
         limitsWith([](CimXmlLimits& l) { l.maxDocumentBytes = 100; })},
        {"text in instance", response("<INSTANCE CLASSNAME=\"C\">oops</INSTANCE>"), K::SYNTAX,
         "unexpected text inside INSTANCE", dflt},
        {"unknown TYPE", property("uint33", "1"), K::SYNTAX, "unknown type \"uint33\" on PROPERTY",
         dflt},
        {"object TYPE", property("object", "1"), K::SYNTAX, "unknown type \"object\"", dflt},
        {"missing NAME", response("<INSTANCE CLASSNAME=\"C\"><PROPERTY TYPE=\"string\"/></INSTANCE>"),
         K::SYNTAX, "missing attribute NAME on PROPERTY", dflt},
        {"12x for uint8", property("uint8", "12x"), K::VALUE, "invalid uint8 value \"12x\"", dflt},
        {"300 for uint8", property("uint8", "300"), K::VALUE,
         "invalid uint8 value \"300\": out of range", dflt},
        {"-1 for uint32", property("uint32", "-1"), K::VALUE, "invalid uint32 value", dflt},
        {"too big for sint64", property("sint64", "9223372036854775808"), K::VALUE, "out of range",
         dflt},
        {"too big for uint64", property("uint64", "18446744073709551616"), K::VALUE,
         "out of range", dflt},
        {"empty number", property("uint16", ""), K::VALUE, "invalid uint16 value", dflt},
        {"real with two points", property("real64", "1.5.3"), K::VALUE, "invalid real64", dflt},
        {"real infinity", property("real64", "inf"), K::VALUE, "invalid real64", dflt},
        {"real32 overflow", property("real32", "1e39"), K::VALUE, "out of range", dflt},
        {"bad boolean", property("boolean", "yes"), K::VALUE, "invalid boolean value \"yes\"",
         dflt},
        {"two characters for char16", property("char16", "ab"), K::VALUE,
         "not exactly one character", dflt},
        {"short datetime", property("datetime", "2024"), K::VALUE, "invalid datetime value",
         dflt},
        {"datetime month 13", property("datetime", "20241302030405.000000+000"), K::VALUE,
         "invalid datetime value", dflt},
        {"illegal CIM name", response("<INSTANCE CLASSNAME=\"1abc\"></INSTANCE>"), K::VALUE,
         "The CIM name is not valid: 1abc", dflt},
        {"duplicate property",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"P\" TYPE=\"string\"/>"
                  "<PROPERTY NAME=\"p\" TYPE=\"string\"/></INSTANCE>"),
         K::VALUE, "already exists", dflt},
        {"two values",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"P\" TYPE=\"string\">"
                  "<VALUE>a</VALUE><VALUE>b</VALUE></PROPERTY></INSTANCE>"),
         K::SYNTAX, "more than one value in PROPERTY", dflt},
        {"null array element",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY.ARRAY NAME=\"P\" TYPE=\"string\">"
                  "<VALUE.ARRAY><VALUE.NULL/></VALUE.ARRAY></PROPERTY.ARRAY></INSTANCE>"),
         K::VALUE, "null array elements", dflt},
        {"array size mismatch",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY.ARRAY NAME=\"P\" TYPE=\"uint8\" "
                  "ARRAYSIZE=\"2\"><VALUE.ARRAY><VALUE>1</VALUE></VALUE.ARRAY>"
                  "</PROPERTY.ARRAY></INSTANCE>"),
         K::VALUE, "ARRAYSIZE is 2", dflt},
        {"bad flavor attribute",
         response("<INSTANCE CLASSNAME=\"C\"><QUALIFIER NAME=\"Q\" TYPE=\"string\" "
                  "OVERRIDABLE=\"maybe\"/></INSTANCE>"),
         K::SYNTAX, "must be true or false", dflt},
        {"bad error code",
         "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP><IMETHODRESPONSE "
         "NAME=\"X\"><ERROR CODE=\"six\"/></IMETHODRESPONSE></SIMPLERSP></MESSAGE></CIM>",
         K::SYNTAX, "CODE of ERROR is not a valid number", dflt},
        {"request where a response belongs",
         "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ/></MESSAGE></CIM>", K::SYNTAX,
         "expected a response", dflt},
        {"no response element", "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"></MESSAGE></CIM>",
         K::SYNTAX, "holds no IMETHODRESPONSE", dflt},
        {"malformed embedded object",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"E\" TYPE=\"string\" "
                  "EmbeddedObject=\"instance\"><VALUE>&lt;INSTANCE</VALUE></PROPERTY></INSTANCE>"),
         K::SYNTAX, "", dflt},
        {"embedded class where an instance is due",
         response("<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"E\" TYPE=\"string\" "
                  "EmbeddedObject=\"instance\"><VALUE>&lt;CLASS NAME=\"X\"/&gt;</VALUE>"
                  "</PROPERTY></INSTANCE>"),
         K::VALUE, "embedded instance holds a class", dflt},
        {"embedding too deep", response(embeddedChain(3)), K::SYNTAX,
         "embedded objects nested too deeply",
         limitsWith([](CimXmlLimits& l) { l.maxEmbeddingDepth = 2; })},
    };
}

TEST(CimXmlHostile, EveryBadDocumentIsRejectedWithAClearMessage)
{
    for (const Case& c : cases())
    {
        SCOPED_TRACE(c.label);
        try
        {
            CimXmlResponseDecoder::decode(c.document, c.limits);
            ADD_FAILURE() << "accepted";
        }
        catch (const CimXmlException& e)
        {
            std::string message = text(e.getMessage());
            EXPECT_EQ(e.kind(), c.kind) << message;
            EXPECT_NE(message.find(c.messagePart), std::string::npos) << message;
        }
    }
}

TEST(CimXmlHostile, MessagesNameTheLine)
{
    try
    {
        CimXmlResponseDecoder::decode(property("uint8", "300"));
        FAIL() << "accepted";
    }
    catch (const CimXmlException& e)
    {
        EXPECT_EQ(text(e.getMessage()), "line 4: invalid uint8 value \"300\": out of range");
    }
}

// The limits are not off by one: a document exactly at the limit passes.
TEST(CimXmlHostile, LimitsAreInclusive)
{
    std::string doc = response("<INSTANCE CLASSNAME=\"C\"></INSTANCE>");
    CimXmlLimits limits;
    limits.maxDocumentBytes = doc.size();
    limits.maxDepth = 7;   // CIM MESSAGE SIMPLERSP IMETHODRESPONSE IRETURNVALUE INSTANCE = 6
    EXPECT_EQ(CimXmlResponseDecoder::decode(doc, limits).instances.size(), 1u);
    limits.maxDepth = 6;
    EXPECT_EQ(CimXmlResponseDecoder::decode(doc, limits).instances.size(), 1u);
    limits.maxDepth = 5;
    EXPECT_THROW(CimXmlResponseDecoder::decode(doc, limits), CimXmlException);

    std::string nested = response(embeddedChain(2));
    limits = CimXmlLimits();
    limits.maxEmbeddingDepth = 2;
    EXPECT_NO_THROW(CimXmlResponseDecoder::decode(nested, limits));
}

TEST(CimXmlHostile, RequestsAreCheckedToo)
{
    const char* const kBad[] = {
        // A response where a request belongs.
        "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP/></MESSAGE></CIM>",
        // An intrinsic call without its namespace.
        "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"/>"
        "</SIMPLEREQ></MESSAGE></CIM>",
        // An illegal namespace.
        "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\">"
        "<LOCALNAMESPACEPATH><NAMESPACE NAME=\"9x\"/></LOCALNAMESPACEPATH></IMETHODCALL>"
        "</SIMPLEREQ></MESSAGE></CIM>",
        // A method call without its target.
        "<CIM><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><METHODCALL NAME=\"M\"/>"
        "</SIMPLEREQ></MESSAGE></CIM>",
        // A message without ID.
        "<CIM><MESSAGE PROTOCOLVERSION=\"1.0\"><SIMPLEREQ/></MESSAGE></CIM>",
    };
    for (const char* doc : kBad)
    {
        SCOPED_TRACE(doc);
        EXPECT_THROW(CimXmlRequestDecoder::decode(std::string(doc)), CimXmlException);
    }
}

}  // namespace
