// Association and property operations end to end, on the classes the
// captured exchanges 36-52 were made with (the DMTF schema, then
// difftest.mof, in root/wiretest2): the captured requests sent as they are
// must get answers with the captured content (hosts aside), our client must
// read the same through our server, and wbemcli's ai, ain, ri and rin must
// show the associated objects.
#include "IntegrationSupport.h"

#include <CimXmlMessages.h>

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMProperty.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::text;

namespace {

const CIMNamespaceName kNs("root/wiretest2");
const char kWbemcli[] = "/usr/bin/wbemcli";

// The server of this process with the capture classes loaded once.
::testing::AssertionResult loaded()
{
    static bool done = false;
    if (done)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult started = server().ensureStarted();
    if (!started)
        return started;
    for (const char* file : {"cim-schema/cim_schema_2.41.0.mof", "wire/difftest.mof"})
    {
        RunResult r = server().cimmof("root/wiretest2", integration::sharedFile(file));
        if (r.status != 0)
            return ::testing::AssertionFailure() << file << ": " << describe(r);
    }
    done = true;
    return ::testing::AssertionSuccess();
}

std::string readShared(const std::string& relative)
{
    std::ifstream in(integration::sharedFile(relative), std::ios::binary);
    EXPECT_TRUE(in) << relative;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// An HTTP response taken apart: the body (de-chunked) and the trailers.
struct Answer
{
    std::string body;
    std::map<std::string, std::string> trailers;
};

Answer parseAnswer(const std::string& raw)
{
    Answer a;
    std::size_t end = raw.find("\r\n\r\n");
    if (end == std::string::npos)
        return a;
    std::string head = raw.substr(0, end);
    std::string rest = raw.substr(end + 4);
    for (auto& c : head)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (head.find("transfer-encoding: chunked") == std::string::npos)
    {
        a.body = rest;
        return a;
    }
    std::size_t pos = 0;
    for (;;)
    {
        std::size_t eol = rest.find("\r\n", pos);
        if (eol == std::string::npos)
            return a;
        std::size_t size = std::stoul(rest.substr(pos, eol - pos), nullptr, 16);
        pos = eol + 2;
        if (size == 0)
            break;
        a.body += rest.substr(pos, size);
        pos += size + 2;
    }
    std::istringstream lines(rest.substr(pos));
    std::string line;
    while (std::getline(lines, line))
    {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
        a.trailers[line.substr(0, colon)] = value;
    }
    return a;
}

std::string localPath(const CIMObjectPath& path)
{
    return text(CIMObjectPath(String(), CIMNamespaceName(), path.getClassName(),
                              path.getKeyBindings())
                    .toString());
}

// What an answer means, spelled so that two answers compare: every result
// path without its host (the namespace kept), every object's properties
// with their values (char16 values left out: the capturing server's MOF
// compiler stored them wrong), every class's superclass and members, a
// returned value, an error.
std::set<std::string> meaning(const Answer& a)
{
    std::set<std::string> out;
    if (a.trailers.count("CIMStatusCode"))
    {
        CIMException e = cimXmlErrorFromTrailers(a.trailers.at("CIMStatusCode"),
                                                 a.trailers.count("CIMStatusCodeDescription")
                                                     ? a.trailers.at("CIMStatusCodeDescription")
                                                     : "");
        out.insert("error " + std::to_string(e.getCode()) + " " + text(e.getMessage()));
        return out;
    }
    CimXmlResponse r = CimXmlResponseDecoder::decode(a.body);
    if (r.hasError)
        out.insert("error " + std::to_string(r.errorCode));
    for (Uint32 i = 0; i < r.objectPaths.size(); i++)
        out.insert("path " + text(r.objectPaths[i].getNameSpace().getString()) + ":" +
                   localPath(r.objectPaths[i]));
    for (Uint32 i = 0; i < r.objects.size(); i++)
    {
        const CIMObject& o = r.objects[i];
        std::string at = text(o.getPath().getNameSpace().getString()) + ":" +
                         localPath(o.getPath());
        out.insert("object " + at);
        for (Uint32 p = 0; p < o.getPropertyCount(); p++)
        {
            CIMConstProperty property = o.getProperty(p);
            CIMValue v = property.getValue();
            out.insert(at + " " + text(property.getName().getString()) + "=" +
                       (v.getType() == CIMTYPE_CHAR16 || v.isNull() ? "" : text(v.toString())) +
                       " " + cimTypeToString(v.getType()));
        }
        if (o.isClass())
        {
            CIMClass c(o);
            out.insert(at + " super " + text(c.getSuperClassName().getString()));
            for (Uint32 m = 0; m < c.getMethodCount(); m++)
                out.insert(at + " method " + text(c.getMethod(m).getName().getString()));
        }
    }
    if (!r.returnValue.isNull())
        out.insert("value " + text(r.returnValue.toString()));
    out.insert(r.hasReturnValue ? "IRETURNVALUE" : "no IRETURNVALUE");
    return out;
}

void expectSameMeaning(const char* capture)
{
    SCOPED_TRACE(capture);
    std::string request = readShared(std::string("wire/") + capture + "-request.txt");
    // One request per connection, so that the server closes it after the
    // answer.
    request.insert(request.find("\r\n") + 2, "Connection: close\r\n");
    std::string ours = integration::exchange(server().port(), request);
    Answer captured = parseAnswer(readShared(std::string("wire/") + capture + "-response.txt"));
    Answer answered = parseAnswer(ours);
    ASSERT_FALSE(answered.body.empty()) << ours;
    std::set<std::string> expected = meaning(captured);
    std::set<std::string> actual = meaning(answered);
    for (const std::string& e : expected)
        EXPECT_EQ(1u, actual.count(e)) << "missing: " << e;
    for (const std::string& a : actual)
        EXPECT_EQ(1u, expected.count(a)) << "extra: " << a;
}

}  // namespace

TEST(Associations, CapturedRequestsGetTheCapturedContent)
{
    ASSERT_TRUE(loaded());
    for (const char* capture :
         {"36-Associators-DT_Base-b1-cimcli", "37-AssociatorNames-DT_Base-b1-cimcli",
          "38-References-DT_Base-b1-cimcli", "39-ReferenceNames-DT_Base-b1-cimcli",
          "40-Associators-DT_Other-a-AssocClass-ResultClass-Role-ResultRole-cimcli",
          "41-Associators-class-DT_Other-cimcli", "42-ReferenceNames-class-DT_Base-cimcli",
          "52-error-Associators-INVALID_CLASS-ResultClass-cimcli",
          // In this order: the value before, the change, the value after.
          "48-GetProperty-DT_Base-b1-Label-cimcli",
          "49b-SetProperty-DT_Base-b1-Label-cimcli-step2-SetProperty",
          "50-GetProperty-DT_Base-b1-Label-after-SetProperty-cimcli"})
        expectSameMeaning(capture);

    // Back to the value the other tests expect.
    CIMClient client;
    server().connect(client);
    client.setProperty(kNs, CIMObjectPath("DT_Base.Name=\"b1\",Num=1"), "Label",
                       CIMValue(String("first base")));
    EXPECT_EQ("first base", text(client.getProperty(kNs, CIMObjectPath("DT_Base.Name=\"b1\",Num=1"),
                                                    "Label").toString()));
}

TEST(Associations, OurClientThroughOurServer)
{
    ASSERT_TRUE(loaded());
    CIMClient client;
    server().connect(client);
    const CIMObjectPath a("DT_Other.Code=\"a\",Active=TRUE,Stamp=\"20200101000000.000000+000\"");
    const CIMObjectPath b("DT_Other.Code=\"b\",Active=FALSE,Stamp=\"20210615103000.500000-120\"");

    std::set<std::string> names;
    Array<CIMObjectPath> paths = client.associatorNames(kNs, a);
    for (Uint32 i = 0; i < paths.size(); i++)
    {
        EXPECT_FALSE(paths[i].getHost().size() == 0);
        EXPECT_EQ("root/wiretest2", text(paths[i].getNameSpace().getString()));
        names.insert(localPath(paths[i]));
    }
    EXPECT_EQ((std::set<std::string>{"DT_Base.Name=\"b1\",Num=1", "DT_Leaf.Name=\"l1\",Num=3"}),
              names);

    // DT_SubLink links m1 and b: found through its superclass and by itself.
    for (const char* assocClass : {"DT_Link", "DT_SubLink"})
    {
        Array<CIMObject> objects = client.associators(kNs, b, assocClass, "DT_Base", "Right",
                                                      "Left", false, false,
                                                      CIMPropertyList(Array<CIMName>()));
        ASSERT_EQ(1u, objects.size()) << assocClass;
        EXPECT_EQ("DT_Mid.Name=\"m1\",Num=2", localPath(objects[0].getPath()));
        EXPECT_EQ(0u, objects[0].getPropertyCount());
    }
    Array<CIMObject> refs = client.references(kNs, b, "DT_SubLink", "Right");
    ASSERT_EQ(1u, refs.size());
    EXPECT_EQ("sub", text(refs[0].getProperty(refs[0].findProperty("Why")).getValue().toString()));
    EXPECT_EQ(0u, client.referenceNames(kNs, b, "DT_Link", "Left").size());

    // Class level: DT_Leaf reaches DT_Other through DT_Link's Left.
    Array<CIMObjectPath> classes =
        client.associatorNames(kNs, CIMObjectPath("DT_Leaf"), "DT_Link");
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ("DT_Other", text(classes[0].getClassName().getString()));

    std::string message;
    EXPECT_EQ(CIM_ERR_INVALID_NAMESPACE,
              integration::statusOf([&] { client.references("root/nosuchns", a); }, &message));
    EXPECT_EQ(CIM_ERR_NOT_FOUND,
              integration::statusOf(
                  [&] { client.referenceNames(kNs, CIMObjectPath("DT_Base.Name=\"zz\",Num=9")); }));
    EXPECT_EQ(CIM_ERR_NO_SUCH_PROPERTY,
              integration::statusOf([&] {
                  client.getProperty(kNs, CIMObjectPath("DT_Base.Name=\"b1\",Num=1"), "Nope");
              }));
}

TEST(Associations, WbemcliShowsAssociatedObjects)
{
    ASSERT_EQ(::access(kWbemcli, X_OK), 0)
        << kWbemcli << " is missing: install sblim-wbemcli (setup.sh does)";
    ASSERT_TRUE(loaded());
    const std::string base =
        "http://127.0.0.1:" + std::to_string(server().port()) + "/root/wiretest2:";
    const std::string b1 = "DT_Base.Name=\"b1\",Num=1";
    const std::string a = "DT_Other.Code=\"a\",Active=TRUE,Stamp=\"20200101000000.000000+000\"";
    const struct
    {
        const char* command;
        std::string object;
        std::vector<std::string> expected;
        std::size_t lines;
    } cases[] = {
        {"ai", b1, {":DT_Other.Active=TRUE,Code=\"a\"", "Text=\"other A\""}, 1},
        {"ain", a, {":DT_Base.Name=\"b1\",Num=1", ":DT_Leaf.Name=\"l1\",Num=3"}, 2},
        {"ri", b1, {":DT_Link.Left=DT_Base.Name=\"b1\",Num=1,Right=DT_Other", "Weight=10"}, 1},
        {"rin", a, {":DT_Link.Left=DT_Base.Name=\"b1\"", ":DT_Link.Left=DT_Leaf.Name=\"l1\""}, 2},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.command);
        RunResult r = runProgram(kWbemcli, {c.command, base + c.object}, {"PATH=/usr/bin:/bin"});
        ASSERT_EQ(0, r.status) << describe(r);
        for (const std::string& e : c.expected)
            EXPECT_NE(std::string::npos, r.out.find(e)) << e << " in " << r.out;
        std::size_t lines = 0;
        for (char ch : r.out)
            lines += ch == '\n';
        EXPECT_EQ(c.lines, lines) << r.out;
    }
}
