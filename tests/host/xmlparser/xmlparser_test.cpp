#include "TXmlParser.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using NQRVKTA20::TXmlParser;

namespace {

// Writes every callback as one text, with the line it was reported on.
class Recorder : public TXmlParser {
public:
    std::vector<std::string> events;
    std::vector<std::string> errors;
    std::string throwOnElement;

    void StartElement(const char* name,
                      std::map<std::string, std::string>& attributes) override
    {
        if (throwOnElement == name)
            throw std::runtime_error("callback failed");
        std::string text = Line() + "start " + name;
        for (const auto& a : attributes)
            text += " " + a.first + "=" + a.second;
        events.push_back(text);
    }
    void EndElement(const char* name) override
    {
        events.push_back(Line() + "end " + name);
    }
    void processingInstruction(const char* target, const char* data) override
    {
        events.push_back(Line() + "pi " + target + " [" + data + "]");
    }
    void characters(const char* text, unsigned int length) override
    {
        // Pieces of one run are joined so the record does not depend on
        // how expat splits text.
        std::string piece(text, length);
        if (fLastWasText) {
            events.back().insert(events.back().size() - 1, piece);
        } else {
            events.push_back(Line() + "text [" + piece + "]");
        }
        fLastWasText = true;
    }
    void notationDecl(const char* name, const char* systemId,
                      const char* publicId) override
    {
        events.push_back(Line() + "notation " + name + " [" + systemId +
                         "] [" + publicId + "]");
    }
    void FatalError(const char* message) override
    {
        errors.push_back(Line() + message);
    }

private:
    std::string Line()
    {
        fLastWasText = false;
        return std::to_string(GetCurLine()) + ": ";
    }
    bool fLastWasText = false;
};

bool ParseText(TXmlParser& parser, std::string text)
{
    return parser.Parse(&text[0]);
}

} // namespace

TEST(XmlParserEvents, CallbacksInDocumentOrderWithLines)
{
    Recorder r;
    ASSERT_TRUE(ParseText(r,
                          "<?xml version=\"1.0\"?>\n"
                          "<!DOCTYPE kta [\n"
                          "  <!NOTATION gif SYSTEM \"image/gif\">\n"
                          "  <!NOTATION pub PUBLIC \"-//X//Y\">\n"
                          "]>\n"
                          "<kta a=\"1 &amp; 2\" b='&lt;&#65;'>\n"
                          "<?target some data?><?bare?>\n"
                          "<!-- a comment -->\n"
                          "<class name=\"CIM_Fan\"/>\n"
                          "<t><![CDATA[<raw>]]></t>\n"
                          "</kta>"))
        << (r.errors.empty() ? "" : r.errors[0]);
    const std::vector<std::string> expected = {
        "3: notation gif [image/gif] []",
        "4: notation pub [] [-//X//Y]",
        "6: start kta a=1 & 2 b=<A",
        "6: text [\n]",
        "7: pi target [some data]",
        "7: pi bare []",
        "7: text [\n\n]",  // the comment between the two is not reported
        "9: start class name=CIM_Fan",
        "9: end class",
        "9: text [\n]",
        "10: start t",
        "10: text [<raw>]",
        "10: end t",
        "10: text [\n]",
        "11: end kta",
    };
    EXPECT_EQ(expected, r.events);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(11u, r.GetCurLine());
}

TEST(XmlParserErrors, MalformedDocumentsReportExpatTextAndLine)
{
    const struct {
        const char* document;
        const char* error;
    } cases[] = {
        {"", "1: no element found"},
        {"<kta>\n<class>\n", "3: no element found"},
        {"<kta>\n</class>", "2: mismatched tag"},
        {"<kta>\n\n<class name='a' name='b'/></kta>", "3: duplicate attribute"},
        {"<kta>&bogus;</kta>", "1: undefined entity"},
        {"<kta/>\n<kta/>", "2: junk after document element"},
        {"<kta>\n<a <b/></kta>", "2: not well-formed (invalid token)"},
        {"<kta>\n\n\n<1/></kta>", "4: not well-formed (invalid token)"},
    };
    for (const auto& c : cases) {
        Recorder r;
        EXPECT_FALSE(ParseText(r, c.document)) << c.document;
        EXPECT_EQ(std::vector<std::string>{c.error}, r.errors) << c.document;
    }
    Recorder r;
    EXPECT_FALSE(r.Parse(nullptr));
    EXPECT_EQ(std::vector<std::string>{"1: no element found"}, r.errors);
}

TEST(XmlParserErrors, GrammarStopsAtTheFaultAfterEarlierEvents)
{
    Recorder r;
    EXPECT_FALSE(ParseText(r, "<kta>\n<class name='x'/>\n<broken></kta>"));
    EXPECT_EQ((std::vector<std::string>{"1: start kta", "1: text [\n]",
                                        "2: start class name=x",
                                        "2: end class", "2: text [\n]",
                                        "3: start broken"}),
              r.events);
    EXPECT_EQ(std::vector<std::string>{"3: mismatched tag"}, r.errors);
    EXPECT_EQ(3u, r.GetCurLine());
    EXPECT_EQ(10u, r.GetCurColumn());  // at the mismatched tag's name
}

TEST(XmlParserSafety, EntityDeclarationsAndExternalLoadsAreRefused)
{
    const struct {
        const char* document;
        const char* error;
    } cases[] = {
        {"<!DOCTYPE kta [\n"
         " <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
         " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
         " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
         " <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
         " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
         "]>\n<kta>&e;&e;&e;&e;&e;&e;&e;&e;</kta>",
         "2: entity declarations are not allowed (a)"},
        {"<!DOCTYPE kta [<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>\n"
         "<kta>&ext;</kta>",
         "1: entity declarations are not allowed (ext)"},
        {"<!DOCTYPE kta [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]>"
         "<kta/>",
         "1: entity declarations are not allowed (p)"},
        {"<!DOCTYPE kta SYSTEM \"file:///etc/passwd\">\n<kta>&ext;</kta>",
         "2: undefined entity ext"},
    };
    for (const auto& c : cases) {
        Recorder r;
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(ParseText(r, c.document)) << c.document;
        EXPECT_LT(std::chrono::steady_clock::now() - start,
                  std::chrono::seconds(1));
        EXPECT_EQ(std::vector<std::string>{c.error}, r.errors) << c.document;
        for (const auto& e : r.events)
            EXPECT_EQ(std::string::npos, e.find("root:")) << e;
    }
    // An external subset alone is never fetched and does no harm.
    Recorder r;
    EXPECT_TRUE(ParseText(r, "<!DOCTYPE kta SYSTEM \"/nonexistent.dtd\"><kta/>"));
}

TEST(XmlParserLimits, NestingDepthAndSize)
{
    auto nested = [](unsigned depth) {
        std::string text;
        for (unsigned i = 0; i < depth; ++i)
            text += "<e>";
        for (unsigned i = 0; i < depth; ++i)
            text += "</e>";
        return text;
    };
    Recorder deep;
    EXPECT_TRUE(ParseText(deep, nested(TXmlParser::kMaxDepth)));
    Recorder tooDeep;
    EXPECT_FALSE(ParseText(tooDeep, nested(TXmlParser::kMaxDepth + 1)));
    EXPECT_EQ(std::vector<std::string>{"1: elements nested deeper than 256 levels"},
              tooDeep.errors);

    std::string big = "<kta>" + std::string(TXmlParser::kMaxInputBytes, ' ') +
                      "</kta>";
    Recorder large;
    EXPECT_FALSE(ParseText(large, big));
    ASSERT_EQ(1u, large.errors.size());
    EXPECT_NE(std::string::npos, large.errors[0].find("document larger than"));
    EXPECT_TRUE(large.events.empty());
}

TEST(XmlParserReuse, CallbackExceptionPropagatesAndParserStaysUsable)
{
    Recorder r;
    r.throwOnElement = "class";
    EXPECT_THROW(ParseText(r, "<kta><class/><class/></kta>"), std::runtime_error);
    EXPECT_TRUE(r.errors.empty());
    r.throwOnElement.clear();
    r.events.clear();
    EXPECT_TRUE(ParseText(r, "<kta/>"));
    EXPECT_EQ((std::vector<std::string>{"1: start kta", "1: end kta"}), r.events);
}

TEST(XmlParserHelpers, PseudoAttributes)
{
    const struct {
        const char* data;
        bool ok;
        std::map<std::string, std::string> pairs;
    } cases[] = {
        {"", true, {}},
        {"  href=\"a.xsl\" type='text/xsl' ", true,
         {{"href", "a.xsl"}, {"type", "text/xsl"}}},
        {"a = \"x y\"\tb='it\"s'", true, {{"a", "x y"}, {"b", "it\"s"}}},
        {"a=\"1\" a=\"2\"", true, {{"a", "2"}}},
        {"a=\"\"", true, {{"a", ""}}},
        {"a=\"1\"b=\"2\"", false, {{"a", "1"}}},
        {"a=1", false, {}},
        {"a=\"open", false, {}},
        {"lonely", false, {}},
        {"=\"v\"", false, {}},
    };
    TXmlParser parser;
    for (const auto& c : cases) {
        std::map<std::string, std::string> pairs;
        EXPECT_EQ(c.ok, parser.ParseJSSP(c.data, pairs)) << c.data;
        EXPECT_EQ(c.pairs, pairs) << c.data;
    }
}

TEST(XmlParserHelpers, CharDataAndAttributeLookup)
{
    TXmlParser parser;
    const char text[] = " \t\r\n CIM_Fan value \n tail";
    EXPECT_EQ("CIM_Fan value", parser.ParseCharData(text, 20));
    EXPECT_EQ("", parser.ParseCharData(" \n\t ", 4));
    EXPECT_EQ("", parser.ParseCharData(nullptr, 5));
    EXPECT_EQ("a", parser.ParseCharData("a\0b", 1));

    std::map<std::string, std::string> attributes = {{"name", "CIM_Fan"},
                                                     {"Empty", ""}};
    std::string value = "unchanged";
    EXPECT_FALSE(parser.GetAttributeNValue(attributes, "Name", value));
    EXPECT_EQ("unchanged", value);
    EXPECT_TRUE(parser.GetAttributeNValue(attributes, "name", value));
    EXPECT_EQ("CIM_Fan", value);
    EXPECT_TRUE(parser.GetAttributeNValue(attributes, "Empty", value));
    EXPECT_EQ("", value);
}
