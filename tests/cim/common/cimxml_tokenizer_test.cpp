// The XML tokenizer under the CIM-XML decoder: the tokens it hands on, what
// it refuses and on which line, the same outcome whatever pieces the
// document arrives in, and the same verdict and tokens as expat.
#include "CimXmlTokenizer.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Pegasus;

namespace {

// Tokens as text: <name a=[value]> for a start tag, </> for an end tag,
// character data as it is.
struct Trace : CimXmlTokenSink
{
    std::string out;
    // Whether elements named d... drop their white space.
    bool dropSpace = false;

    bool startTag(const char* name, std::size_t nameSize, const char** attributes) override
    {
        EXPECT_EQ(std::strlen(name), nameSize);
        out += "<" + std::string(name, nameSize);
        for (const char** a = attributes; *a; a += 2)
            out += std::string(" ") + a[0] + "=[" + a[1] + "]";
        out += ">";
        return !(dropSpace && name[0] == 'd');
    }
    void endTag() override { out += "</>"; }
    void text(const char* data, std::size_t size) override { out.append(data, size); }
};

// The trace of `doc` fed in pieces ending at `cuts`, or "error: message".
std::string tokenize(const std::string& doc, const std::vector<std::size_t>& cuts = {},
                     bool dropSpace = false)
{
    Trace trace;
    trace.dropSpace = dropSpace;
    CimXmlTokenizer tokenizer(trace);
    try
    {
        std::size_t at = 0;
        for (std::size_t cut : cuts)
        {
            tokenizer.feed(doc.data() + at, cut - at, false);
            at = cut;
        }
        tokenizer.feed(doc.data() + at, doc.size() - at, true);
    }
    catch (const CimXmlException& e)
    {
        return "error: " + std::string(e.getMessage().getCString());
    }
    return trace.out;
}

// The same trace from expat (which refuses a DOCTYPE as the decoder does),
// or "error".
std::string expatTrace(const std::string& doc)
{
    struct State
    {
        XML_Parser parser;
        std::string out;
    } state;
    state.parser = XML_ParserCreate(nullptr);
    XML_SetUserData(state.parser, &state);
    XML_SetElementHandler(
        state.parser,
        [](void* d, const char* name, const char** attributes) {
            std::string& out = static_cast<State*>(d)->out;
            out += std::string("<") + name;
            for (const char** a = attributes; *a; a += 2)
                out += std::string(" ") + a[0] + "=[" + a[1] + "]";
            out += ">";
        },
        [](void* d, const char*) { static_cast<State*>(d)->out += "</>"; });
    XML_SetCharacterDataHandler(state.parser, [](void* d, const char* t, int n) {
        static_cast<State*>(d)->out.append(t, std::size_t(n));
    });
    XML_SetStartDoctypeDeclHandler(
        state.parser, [](void* d, const char*, const char*, const char*, int) {
            XML_StopParser(static_cast<State*>(d)->parser, XML_FALSE);
        });
    bool ok = XML_Parse(state.parser, doc.data(), int(doc.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(state.parser);
    return ok ? state.out : "error";
}

std::string repeated(const std::string& text, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; i++)
        out += text;
    return out;
}

struct Case
{
    std::string doc;
    std::string expected;
    bool expatAgrees = true;
};

std::vector<Case> cases()
{
    return {
        // What is handed on.
        {"<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<a x=\"1\" y='2'>t</a>",
         "<a x=[1] y=[2]>t</>"},
        {"<?xml version='1.0' standalone='yes'?><a/>\n", "<a></>"},
        {"<?xml version=\"\" ?><a/>", "<a></>"},
        {"\xEF\xBB\xBF<a/>", "<a></>"},
        {"<a v=\"&lt;&#65;&#x42;&quot;&apos;&gt;&amp;\">&lt;&#xE9;&#128512;x&#x10FFFF;</a>",
         "<a v=[<AB\"'>&]><\xC3\xA9\xF0\x9F\x98\x80x\xF4\x8F\xBF\xBF</>"},
        {"<a v=\"1\t2\n3\r\n4\r5 '\" w='\"'>x\r\ny\rz\r</a>",
         "<a v=[1 2 3 4 5 '] w=[\"]>x\ny\nz\n</>"},
        {"<a v=\"&#10;&#9;&#13;\"/>", "<a v=[\n\t\r]></>"},
        {"<a><![CDATA[<&]\r\n]]>&amp;<![CDATA[]]></a>", "<a><&]\n&</>"},
        {"<?pi data?><!-- c --><a><!--x--><?p?>b</a><!--e-->\n<?q \xC3\xA9?> \n",
         "<a>b</>"},
        {"<a\n  x = \"1\"\n><b\t/>\n</a >", "<a x=[1]><b></>\n</>"},
        {"<a>h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD ]] ]></a>",
         "<a>h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD ]] ]></>"},
        {"<a:b.c-d_e xmlns:a=\"u\" a:x=\"\"/>", "<a:b.c-d_e xmlns:a=[u] a:x=[]></>"},
        {"<a>0123456789abcdef0123&amp;456789\tabcdef\xC3\xA9 0123456789abcdef\n"
         "0123456789abcdef]]x\r\n0123456789abcdef\x7F</a>",
         "<a>0123456789abcdef0123&456789\tabcdef\xC3\xA9 0123456789abcdef\n"
         "0123456789abcdef]]x\n0123456789abcdef\x7F</>"},
        {"<a>0123456789abcdef0123456789abcdef\x01</a>",
         "error: line 1: not well-formed (invalid token)"},
        // Refused, with the line of the problem.
        {"<a>\n<b>\n</c>\n</a>", "error: line 3: mismatched tag"},
        {"", "error: line 1: no element found"},
        {"<a>\n", "error: line 2: no element found"},
        {"<a/>\r\n<b/>", "error: line 2: junk after document element"},
        {"<a/>\rx", "error: line 2: junk after document element"},
        {"x<a/>", "error: line 1: syntax error"},
        {"<a x='1' x=\"2\"/>", "error: line 1: duplicate attribute"},
        {"<a>&nope;</a>", "error: line 1: undefined entity"},
        {"<a v=\"&nope;\"/>", "error: line 1: undefined entity"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>",
         "error: line 1: DOCTYPE declarations are not allowed"},
        {"<a>&#0;</a>", "error: line 1: reference to invalid character number"},
        {"<a>&#xD800;</a>", "error: line 1: reference to invalid character number"},
        {"<a v='&#x110000;'/>", "error: line 1: reference to invalid character number"},
        {"<a>&#xFFFE;</a>", "error: line 1: reference to invalid character number"},
        {"<a>&#x;</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>&#X41;</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>& </a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\n\xC3\x28</a>", "error: line 2: not well-formed (invalid token)"},
        {"<a>\xC0\xAF</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\xE0\x80\xAF</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\xED\xA0\x80</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\xF4\x90\x80\x80</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\xEF\xBF\xBE</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\xF8\x88\x80\x80\x80</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a v='\x80'/>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\x01</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a v='\x1F'/>", "error: line 1: not well-formed (invalid token)"},
        {"<a><!-- \x02 --></a>", "error: line 1: not well-formed (invalid token)"},
        {"<a>]]></a>", "error: line 1: not well-formed (invalid token)"},
        {"<a b=\"<\"/>", "error: line 1: not well-formed (invalid token)"},
        {"<a b=1/>", "error: line 1: not well-formed (invalid token)"},
        {"<a b=\"1\"c=\"2\"/>", "error: line 1: not well-formed (invalid token)"},
        {"<a b/>", "error: line 1: not well-formed (invalid token)"},
        {"<a/ >", "error: line 1: not well-formed (invalid token)"},
        {"<1a/>", "error: line 1: not well-formed (invalid token)"},
        {"<<", "error: line 1: not well-formed (invalid token)"},
        {"<a><!-- a -- b --></a>", "error: line 1: not well-formed (invalid token)"},
        {"<a><!ELEMENT a></a>", "error: line 1: not well-formed (invalid token)"},
        {"<a></a><?xml version=\"1.0\"?>",
         "error: line 1: XML or text declaration not at start of entity"},
        {"<a><?XmL x?></a>", "error: line 1: XML or text declaration not at start of entity"},
        {"<a><?p?x?></a>", "error: line 1: not well-formed (invalid token)"},
        {"<a><?p?", "error: line 1: unclosed token"},
        {"<?xml encoding=\"utf-8\"?><a/>", "error: line 1: XML declaration not well-formed"},
        {"<?xml version=\"1:0\"?><a/>", "error: line 1: XML declaration not well-formed"},
        {"<?xml version=\"1.0\" encoding=\"\"?><a/>",
         "error: line 1: XML declaration not well-formed"},
        {"<?xml version=\"1.0\" standalone=\"maybe\"?><a/>",
         "error: line 1: XML declaration not well-formed"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>",
         "error: line 1: unknown encoding", false},
        {"<a><b></a>", "error: line 1: mismatched tag"},
        {"</a>", "error: line 1: not well-formed (invalid token)"},
        {"<a/></a>", "error: line 1: junk after document element"},
        {"<![CDATA[x]]><a/>", "error: line 1: not well-formed (invalid token)"},
        {"<a>\n<![CDATA[x", "error: line 2: unclosed CDATA section"},
        {"<a><unclosed", "error: line 1: unclosed token"},
        {"<a>\xE2\x82", "error: line 1: partial character"},
        {"<a>\n&amp", "error: line 2: unclosed token"},
        {"<a>&quotx;</a>", "error: line 1: undefined entity"},
        {"<a v='&amp'/>", "error: line 1: not well-formed (invalid token)"},
        // Line ends counted in blocks: a CR LF pair split between two
        // blocks, lone CRs, runs of LFs.
        {"<a>" + std::string(12, ' ') + "\r\n\r" + std::string(20, '\n') +
             "\r\n\r\n\r\n\r\n\r\n" + std::string(15, ' ') + "\r\r</b>",
         "error: line 29: mismatched tag"},
        // More line ends than a counter of one byte holds, in every lane.
        {"<a>" + std::string(4200, '\n') + repeated("\r\n", 700) + std::string(300, '\r') +
             "</b>",
         "error: line 5201: mismatched tag"},
        // Names longer than a block, with every kind of name character, and
        // end tags that almost match.
        {"<CIM.Long-name_with:all.9chars><x/></CIM.Long-name_with:all.9chars>",
         "<CIM.Long-name_with:all.9chars><x></></>"},
        {"<abcdefghijklmnopqrstu/>", "<abcdefghijklmnopqrstu></>"},
        {"<abcdefghijklmnopqrst/u>", "error: line 1: not well-formed (invalid token)"},
        {"<abcdefghijklmnopq></abcdefghijklmnop>", "error: line 1: mismatched tag"},
        {"<abcdefghijklmnop></abcdefghijklmnopq>", "error: line 1: mismatched tag"},
        {"<abcdefghijklmnopqr\xC3\xA9 v='1'></abcdefghijklmnopqr\xC3\xA9>",
         "<abcdefghijklmnopqr\xC3\xA9 v=[1]></>"},
        {"<a></a\xC3\xA9>", "error: line 1: mismatched tag"},
    };
}

TEST(CimXmlTokenizer, TokensAndRefusalsAreThoseOfXml)
{
    for (const Case& c : cases())
    {
        SCOPED_TRACE(c.doc);
        EXPECT_EQ(tokenize(c.doc), c.expected);
        if (c.expatAgrees)
        {
            std::string expat = expatTrace(c.doc);
            if (c.expected.compare(0, 7, "error: ") == 0)
                EXPECT_EQ(expat, "error");
            else
                EXPECT_EQ(expat, c.expected);
        }
    }
}

// A document that arrives in pieces gives the same tokens, or the same
// error on the same line, wherever it is cut: in two at every place, and
// byte by byte.
TEST(CimXmlTokenizer, PiecesGiveTheSameOutcomeAsTheWhole)
{
    for (const Case& c : cases())
    {
        SCOPED_TRACE(c.doc);
        std::string whole = tokenize(c.doc);
        std::vector<std::size_t> bytes;
        for (std::size_t cut = 0; cut <= c.doc.size(); cut++)
        {
            EXPECT_EQ(tokenize(c.doc, {cut}), whole) << "cut at " << cut;
            bytes.push_back(cut);
        }
        EXPECT_EQ(tokenize(c.doc, bytes), whole);
    }
}

// Many attributes, and a token that spans many pieces, cost their size and
// not its square (which would take minutes here, not a fraction of a
// second); duplicates are found among many attributes too.
TEST(CimXmlTokenizer, LargeTokensAndManyAttributesStayLinear)
{
    auto start = std::chrono::steady_clock::now();
    std::string many = "<a";
    for (int i = 0; i < 50000; i++)
        many += " n" + std::to_string(i) + "=''";
    EXPECT_EQ(tokenize(many + "/>").substr(0, 13), "<a n0=[] n1=[");
    EXPECT_EQ(tokenize(many + " n49999='x'/>"), "error: line 1: duplicate attribute");

    std::string comment = "<a><!--" + std::string(8 << 20, 'c') + "--></a>";
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1024; at < comment.size(); at += 1024)
        cuts.push_back(at);
    EXPECT_EQ(tokenize(comment, cuts), "<a></>");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// An element may leave out the white space between its children; other
// text still reaches it, in pieces too.
TEST(CimXmlTokenizer, WhiteSpaceIsDroppedWhereTheElementDoesNotWantIt)
{
    const std::string doc = "<d>\n <a> x </a>\r\n\t<b/>\n<d2> y <c/></d2></d>";
    EXPECT_EQ(tokenize(doc, {}, true), "<d><a> x </><b></><d2> y <c></></></>");
    EXPECT_EQ(tokenize(doc, {}, false), "<d>\n <a> x </>\n\t<b></>\n<d2> y <c></></></>");
    for (std::size_t cut = 0; cut <= doc.size(); cut++)
    {
        std::string pieces = tokenize(doc, {cut}, true);
        EXPECT_NE(pieces.find("y"), std::string::npos) << cut;
        EXPECT_EQ(pieces.find('\n'), std::string::npos) << cut;
    }
}

// Every captured exchange (headers and chunk framing left in where they
// are: expat must then refuse it too) gives expat's verdict and tokens.
TEST(CimXmlTokenizer, CapturedExchangesGiveExpatsTokens)
{
    std::string folder = std::string(KTA_SHARED_DIR) + "/wire";
    DIR* dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    int compared = 0;
    while (dirent* entry = readdir(dir))
    {
        std::string name = entry->d_name;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0)
            continue;
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::string body = text.str();
        std::size_t start = body.find("\r\n\r\n");
        if (start == std::string::npos)
            continue;
        body.erase(0, start + 4);
        SCOPED_TRACE(name);
        std::string ours = tokenize(body);
        std::string expat = expatTrace(body);
        EXPECT_EQ(ours.compare(0, 7, "error: ") == 0 ? "error" : ours, expat);
        EXPECT_EQ(tokenize(body, {body.size() / 3, body.size() / 2}), ours);
        compared++;
    }
    closedir(dir);
    EXPECT_GT(compared, 50);
}

}  // namespace
