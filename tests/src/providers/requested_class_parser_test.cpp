// TPEGASUSRequestedClassParser and the namespace's requested-class file
// operations: the grammar and its messages, malformed documents, reading a
// file into a provider record and splitting class entries.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSRequestedClassParser.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

typedef std::map<std::string, std::string> TInfo;
typedef std::vector<std::string> TList;

const std::string kPrefix = "Performance Data RDD Parser line ";

struct Outcome {
    bool ok;
    TList classes;
    TInfo info;
    // The parser's log texts; each must be logged at severity 0.
    TList messages;
};

Outcome ParseText(std::string text)
{
    nsptest::LogCapture log;
    TPEGASUSRequestedClassParser parser;
    Outcome outcome;
    outcome.ok = parser.Parse(&text[0]);
    outcome.classes = parser.GetRequestedClassData();
    outcome.info = parser.GetRequestedProInfoData();
    for (nsptest::LogRecord const& record : log.Matching(kPrefix)) {
        EXPECT_EQ(0, record.severity) << record.text;
        outcome.messages.push_back(record.text);
    }
    return outcome;
}

// Line 1 is the document element's start tag, which is always reported.
const std::string kKtaStart = kPrefix + "1:Unrecognized identifier:kta";

std::string Line2(std::string const& message)
{
    return kPrefix + "2:" + message;
}

TEST(RequestedClassParser, ElementsOnOneLineAndTheirMessages)
{
    const std::string endOther = Line2("Unrecognized identifier");
    struct Case {
        const char* body;
        TList classes;
        TInfo info;
        TList messages;  // after the kta start line
    };
    const Case cases[] = {
        {"<timeout value=\"30\"/><nsp name=\"root/acme\"/><module name=\"acme\"/>"
         "<functionality diagnosticonly=\"YES\"/>",
         {},
         {{"timeout", "30"}, {"nsp", "root/acme"}, {"module", "acme"}, {"diagnosticonly", "YES"}},
         {endOther, endOther, endOther, endOther}},
        // Attributes are walked in byte order, not in document order: the
        // ones before the taken one are reported, the ones after are not
        // looked at.
        {"<class alias=\"x\" name=\"A\"/>", {"A"}, {}, {Line2("Unrecognized Attribute:alias")}},
        {"<class zone=\"z\" name=\"A\"/>", {"A"}, {}, {}},
        {"<class name=\"A\" Zone=\"z\"/>", {"A"}, {}, {Line2("Unrecognized Attribute:Zone")}},
        {"<timeout a=\"1\" value=\"30\" zz=\"9\"/>", {}, {{"timeout", "30"}},
         {Line2("Unrecognized Attribute:a"), endOther}},
        // Missing attributes, attribute names in another case.
        {"<timeout/>", {}, {}, {Line2("No Version Specified for value identifier"), endOther}},
        {"<NSP Name=\"root/x\"/>", {}, {},
         {Line2("Unrecognized Attribute:Name"), Line2("No Name Specified for name identifier"),
          endOther}},
        {"<Module/>", {}, {}, {Line2("No Name Specified for name identifier"), endOther}},
        {"<functionality diagnostic=\"YES\"/>", {}, {},
         {Line2("Unrecognized Attribute:diagnostic"),
          Line2("No Name Specified for diagnosticonly identifier"), endOther}},
        {"<class Name=\"A\"/>", {}, {},
         {Line2("Unrecognized Attribute:Name"), Line2("No Name Specified for Counter identifier")}},
        // Element names in any case; the end of a class is silent.
        {"<CLASS name=\"Acme_Disk\"></CLASS>", {"Acme_Disk"}, {}, {}},
        {"<Provider name=\"p\"/>", {}, {}, {Line2("Unrecognized identifier:provider"), endOther}},
        // Later settings override earlier ones; class entries are kept as
        // written, in document order, duplicates included.
        {"<nsp name=\"root/a\"/><Nsp name=\"root/b\"/>", {}, {{"nsp", "root/b"}},
         {endOther, endOther}},
        {"<class name=\"B[30]%^CDM^%\"/><class name=\"A\"/><class name=\"B[30]%^CDM^%\"/>",
         {"B[30]%^CDM^%", "A", "B[30]%^CDM^%"}, {}, {}},
        // Values as written (after the XML's own references); character data,
        // comments and processing instructions are ignored, nesting is not
        // checked.
        {"<module name=\" a&amp;b \">text<!-- c --><?pi x?><class name=\"C\"/></module>",
         {"C"}, {{"module", " a&b "}}, {endOther}},
    };
    for (Case const& c : cases) {
        Outcome outcome = ParseText("<kta>\n" + std::string(c.body) + "\n</kta>\n");
        TList expected = {kKtaStart};
        expected.insert(expected.end(), c.messages.begin(), c.messages.end());
        EXPECT_TRUE(outcome.ok) << c.body;
        EXPECT_EQ(c.classes, outcome.classes) << c.body;
        EXPECT_EQ(c.info, outcome.info) << c.body;
        EXPECT_EQ(expected, outcome.messages) << c.body;
    }
}

// The end of an empty element is reported where its tag closes.
TEST(RequestedClassParser, MessagesCarryTheLineOfTheirElement)
{
    Outcome outcome = ParseText(
        "<?xml version=\"1.0\"?>\n"
        "<!-- a provider -->\n"
        "<KTA>\n"
        "  <class name=\"A\"/>\n"
        "\n"
        "  <timeout\n"
        "     />\n"
        "  <class bad=\"1\" name=\"B\"/>\n"
        "</KTA>");
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ((TList{"A", "B"}), outcome.classes);
    EXPECT_EQ((TList{kPrefix + "3:Unrecognized identifier:kta",
                     kPrefix + "6:No Version Specified for value identifier",
                     kPrefix + "7:Unrecognized identifier",
                     kPrefix + "8:Unrecognized Attribute:bad"}),
              outcome.messages);
}

TEST(RequestedClassParser, MalformedDocumentKeepsWhatWasReadBeforeTheFault)
{
    struct Case {
        const char* text;
        TList classes;
        TInfo info;
        std::string fault;  // the last message
    };
    const Case cases[] = {
        {"<kta>\n<nsp name=\"n\"/>\n<class name=\"A\"/>\n<class name=\"B\" <\n"
         "<class name=\"C\"/>\n</kta>",
         {"A"}, {{"nsp", "n"}}, kPrefix + "4:not well-formed (invalid token)"},
        {"<kta>\n<class name=\"A\">\n</kta>\n<class name=\"C\"/>", {"A"}, {},
         kPrefix + "3:mismatched tag"},
        {"<kta>\n<class name=\"A\"/>\n", {"A"}, {}, kPrefix + "3:no element found"},
        {"", {}, {}, kPrefix + "1:no element found"},
        {"<!DOCTYPE kta [<!ENTITY e \"x\">]>\n<kta/>", {}, {},
         kPrefix + "1:entity declarations are not allowed (e)"},
    };
    for (Case const& c : cases) {
        Outcome outcome = ParseText(c.text);
        EXPECT_FALSE(outcome.ok) << c.text;
        EXPECT_EQ(c.classes, outcome.classes) << c.text;
        EXPECT_EQ(c.info, outcome.info) << c.text;
        ASSERT_FALSE(outcome.messages.empty()) << c.text;
        EXPECT_EQ(c.fault, outcome.messages.back()) << c.text;
    }
}

TEST(RequestedClassParser, DebugOutputUsesTheGivenSeverityAndTheCurrentLine)
{
    nsptest::LogCapture log;
    TPEGASUSRequestedClassParser parser;
    parser.DebugOutput(ILogger::kLogDiagnostic, "before");
    std::string text = "<kta>\n<class name=\"A\"/>\n</kta>";
    EXPECT_TRUE(parser.Parse(&text[0]));
    parser.DebugOutput(ILogger::kLogDebug, "after");
    std::vector<nsptest::LogRecord> records = log.Matching(kPrefix);
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(3, records[0].severity);
    EXPECT_EQ(kPrefix + "0:before", records[0].text);
    EXPECT_EQ(4, records[2].severity);
    EXPECT_EQ(kPrefix + "3:after", records[2].text);
}

// A real namespace (no server started) in a root of its own.
class RequestedClassFile : public nsptest::NamespaceTest {
protected:
    RequestedClassFile() : NamespaceTest("root/repository") {}

    std::string Write(std::string const& text)
    {
        std::string const path = fRoot / "acme/acme.classes.xml";
        nsptest::WriteFile(path, text);
        return path;
    }

    std::vector<nsptest::LogRecord> Collected() const
    {
        return fLog.Matching("TPEGASUSNamespace::parseClasses");
    }

};

TEST_F(RequestedClassFile, ReplacesTheOutputsAndAlwaysHoldsTheThreeSettings)
{
    TList classes = {"Old"};
    TInfo info = {{"stale", "1"}, {"nsp", "old"}};
    fNamespace->parseProvider(Write("<kta>\n<class name=\"A\"/>\n"
                                    "<class name=\"B[30]%^CDM^%\"/>\n</kta>\n"),
                              classes, info);
    EXPECT_EQ((TList{"A", "B[30]%^CDM^%"}), classes);
    EXPECT_EQ((TInfo{{"nsp", ""}, {"timeout", ""}, {"module", ""}}), info);
    std::vector<nsptest::LogRecord> collected = Collected();
    ASSERT_EQ(1u, collected.size());
    EXPECT_EQ(3, collected[0].severity);
    EXPECT_EQ("TPEGASUSNamespace::parseClasses collected for Class info = A , B[30]%^CDM^% , \n"
              "NSP = \nDefault timeout = \nModule name = ",
              collected[0].text);
}

TEST_F(RequestedClassFile, ReportsEverySetting)
{
    TList classes;
    TInfo info;
    fNamespace->parseProvider(Write("<kta><nsp name=\"root/acme\"/><timeout value=\"120\"/>"
                                    "<module name=\"acme\"/>"
                                    "<functionality diagnosticonly=\"NO\"/></kta>"),
                              classes, info);
    EXPECT_TRUE(classes.empty());
    EXPECT_EQ((TInfo{{"nsp", "root/acme"},
                     {"timeout", "120"},
                     {"module", "acme"},
                     {"diagnosticonly", "NO"}}),
              info);
    std::vector<nsptest::LogRecord> collected = Collected();
    ASSERT_EQ(1u, collected.size());
    EXPECT_EQ("TPEGASUSNamespace::parseClasses collected for Class info = \n"
              "NSP = root/acme\nDefault timeout = 120\nModule name = acme",
              collected[0].text);
}

TEST_F(RequestedClassFile, FileThatCannotBeOpenedLeavesTheOutputsAlone)
{
    TList classes = {"Old"};
    TInfo info = {{"stale", "1"}};
    fNamespace->parseProvider(fRoot / "missing.classes.xml", classes, info);
    EXPECT_EQ((TList{"Old"}), classes);
    EXPECT_EQ((TInfo{{"stale", "1"}}), info);
    EXPECT_TRUE(fLog.Records().empty());
}

TEST_F(RequestedClassFile, MalformedFileYieldsWhatWasReadBeforeTheFault)
{
    TList classes;
    TInfo info;
    fNamespace->parseProvider(Write("<kta>\n<class name=\"A\"/>\n<class name=\"B\">\n</kta>"),
                              classes, info);
    EXPECT_EQ((TList{"A", "B"}), classes);
    EXPECT_EQ(3u, info.size());
    EXPECT_EQ(1u, fLog.Matching(kPrefix + "4:mismatched tag").size());
}

TEST_F(RequestedClassFile, FileBeyondTheParsersLimitIsRefusedWhole)
{
    // Read only in part, the document would be a class and an unclosed
    // element.
    std::string text = "<kta><class name=\"A\"/>";
    text.append(TXmlParser::kMaxInputBytes, ' ');
    text += "</kta>";
    TList classes = {"Old"};
    TInfo info;
    fNamespace->parseProvider(Write(text), classes, info);
    EXPECT_TRUE(classes.empty());
    EXPECT_EQ(1u, fLog.Matching(kPrefix + "0:document larger than 16777216 bytes").size());
}

TEST_F(RequestedClassFile, SplitsClassEntries)
{
    struct Case {
        std::string entry;
        std::string name;
        TInfo tags;  // starting from {"TimeOut", "60"}
        bool cdm;
    };
    const Case cases[] = {
        {"CIM_Disk", "CIM_Disk", {{"TimeOut", "60"}}, false},
        {"CIM_Disk[30]%^CDM^%", "CIM_Disk", {{"TimeOut", "30"}, {"Tag", "CDM"}}, true},
        {"CIM_Disk%^^%", "CIM_Disk", {{"TimeOut", "60"}}, false},
        {"CIM_Disk%^X^%[5]", "CIM_Disk", {{"TimeOut", "5"}, {"Tag", "X"}}, false},
        {"CIM_Disk[]", "CIM_Disk", {{"TimeOut", ""}}, false},
        {"CIM_Disk[30", "CIM_Disk", {{"TimeOut", "60"}}, false},
        {"CIM_Disk]1[2", "CIM_Disk]1", {{"TimeOut", "2"}}, false},
        {"CIM_Disk^%a%^b", "CIM_Disk^%a", {{"TimeOut", "60"}, {"Tag", "b"}}, false},
        {"CIM_Disk%^CDM", "CIM_Disk", {{"TimeOut", "60"}}, false},
        {"CIM_Disk%^cdm^%", "CIM_Disk", {{"TimeOut", "60"}, {"Tag", "cdm"}}, false},
        {"[10]%^CDM^%", "", {{"TimeOut", "10"}, {"Tag", "CDM"}}, true},
    };
    std::size_t logged = 0;
    for (Case const& c : cases) {
        std::string entry = c.entry;
        TInfo tags = {{"TimeOut", "60"}};
        EXPECT_EQ(c.name, fNamespace->filterTag4classes(entry, tags)) << c.entry;
        EXPECT_EQ(c.entry, entry);
        EXPECT_EQ(c.tags, tags) << c.entry;
        std::vector<nsptest::LogRecord> records = fLog.Matching("filterTag4classes");
        ASSERT_EQ(logged + (c.cdm ? 1 : 0), records.size()) << c.entry;
        if (c.cdm) {
            EXPECT_EQ(3, records.back().severity);
            EXPECT_EQ("TPEGASUSNamespace::filterTag4classes find one CDM class: " + c.name,
                      records.back().text);
        }
        logged = records.size();
    }
}

} // namespace
