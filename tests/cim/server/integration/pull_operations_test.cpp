// The pull operations end to end: the captured requests answered by our
// server over the classes and instances they were captured with
// (difftest.mof after the DMTF schema), and our client's open, pull, close
// and count calls against it, with the server's timeouts and limits.
#include "IntegrationSupport.h"

#include <Pegasus/Client/CIMEnumerationContext.h>

#include "CimXmlMessages.h"

#include <fstream>
#include <map>
#include <regex>
#include <thread>

using namespace Pegasus;
using namespace integration;

namespace {

const CIMNamespaceName kNs("root/wiretest2");

std::string readWire(const std::string& name)
{
    std::ifstream in(sharedFile("wire/" + name), std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The body of an HTTP response, de-chunked when it came in chunks.
std::string responseBody(const std::string& response)
{
    std::size_t start = response.find("\r\n\r\n");
    if (start == std::string::npos)
        return "";
    start += 4;
    if (response.find("transfer-encoding: chunked") == std::string::npos)
        return response.substr(start);
    std::string body;
    for (std::size_t pos = start;;)
    {
        std::size_t eol = response.find("\r\n", pos);
        if (eol == std::string::npos)
            return body;
        std::size_t size = std::stoul(response.substr(pos, eol - pos), nullptr, 16);
        if (size == 0)
            return body;
        body += response.substr(eol + 2, size);
        pos = eol + 2 + size + 2;
    }
}

CimXmlResponse decodeWire(const std::string& file)
{
    return CimXmlResponseDecoder::decode(responseBody(readWire(file)));
}

// A captured request sent to our server on a connection of its own, with
// the captured context id, if any, replaced by ours.
CimXmlResponse answer(const std::string& file, const std::string& capturedContext,
                      const std::string& ourContext)
{
    std::string raw = readWire(file);
    std::size_t end = raw.find("\r\n\r\n");
    std::string head = raw.substr(0, end);
    std::string body = raw.substr(end + 4);
    if (!capturedContext.empty())
        body = std::regex_replace(body, std::regex(">" + capturedContext + "<"),
                                  ">" + ourContext + "<");
    head = std::regex_replace(head, std::regex("content-length: [0-9]+"),
                              "content-length: " + std::to_string(body.size()));
    std::string response =
        exchange(server().port(), head + "\r\nConnection: close\r\n\r\n" + body);
    return CimXmlResponseDecoder::decode(responseBody(response));
}

// EndOfSequence and EnumerationContext of an answer.
std::pair<std::string, std::string> sequenceOf(const CimXmlResponse& r)
{
    std::map<std::string, std::string> out;
    for (Uint32 i = 0; i < r.outParameters.size(); i++)
    {
        String value;
        r.outParameters[i].getValue().get(value);
        out[text(r.outParameters[i].getParameterName())] = text(value);
    }
    EXPECT_EQ(out.size(), 2u);
    return {out["EndOfSequence"], out["EnumerationContext"]};
}

std::string localKey(const CIMObjectPath& path)
{
    CIMObjectPath local(path);
    local.setHost(String());
    local.setNameSpace(CIMNamespaceName());
    return text(local.toString());
}

// What the captured answers of one sequence held and what ours hold: the
// objects by their paths; and each answer's size and end of sequence.
struct Collected
{
    std::map<std::string, CIMInstance> instances;
    std::map<std::string, CIMObjectPath> paths;
    std::vector<std::pair<unsigned, std::string>> pages;

    void add(const CimXmlResponse& r)
    {
        for (Uint32 i = 0; i < r.instances.size(); i++)
            instances[localKey(r.instances[i].getPath())] = r.instances[i];
        for (Uint32 i = 0; i < r.instanceNames.size(); i++)
            paths[localKey(r.instanceNames[i])] = r.instanceNames[i];
        pages.emplace_back(r.instances.size() + r.instanceNames.size(),
                           sequenceOf(r).first);
    }
};

class PullOperations : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(server().ensureStarted());
        RunResult schema = server().cimmof("root/wiretest2",
                                           sharedFile("cim-schema/cim_schema_2.41.0.mof"));
        ASSERT_EQ(schema.status, 0) << describe(schema);
        RunResult diff =
            server().cimmof("root/wiretest2", sharedFile("wire/difftest.mof"));
        ASSERT_EQ(diff.status, 0) << describe(diff);
    }

    // Sets a configuration property of the running server.
    static void setConfig(const std::string& setting)
    {
        RunResult r = server().run("cimconfig", {"-s", setting});
        ASSERT_EQ(r.status, 0) << describe(r);
    }
};

// Each captured sequence (an open, then pulls or a close), replayed: the
// same objects with the same property values, the same answer sizes, the
// same ends of sequence, a context in every answer but the last.
TEST_F(PullOperations, CapturedRequestsAreAnsweredAsCaptured)
{
    const std::vector<std::vector<std::string>> kSequences = {
        {"43a-OpenEnumerateInstances-DT_Base-MaxObjectCount2-cimcli",
         "43b-PullInstancesWithPath-DT_Base-EndOfSequence-cimcli"},
        {"44a-OpenEnumerateInstancePaths-DT_Base-MaxObjectCount2-cimcli",
         "44b-PullInstancePaths-DT_Base-EndOfSequence-cimcli"},
        {"47a-OpenEnumerateInstances-DT_Base-MaxObjectCount1-cimcli",
         "47b-CloseEnumeration-DT_Base-cimcli"},
        {"45-OpenAssociatorInstances-DT_Other-a-cimcli"},
        {"46-OpenReferenceInstancePaths-DT_Other-a-cimcli"},
        {"53-OpenReferenceInstances-DT_Other-a-cimcli"},
        {"54a-OpenAssociatorInstancePaths-DT_Other-a-MaxObjectCount1-cimcli",
         "54b-PullInstancePaths-DT_Other-a-EndOfSequence-cimcli"},
    };
    for (const auto& sequence : kSequences)
    {
        SCOPED_TRACE(sequence[0]);
        Collected theirs, ours;
        std::string capturedContext, ourContext;
        for (const std::string& step : sequence)
        {
            CimXmlResponse captured = decodeWire(step + "-response.txt");
            CimXmlResponse mine = answer(step + "-request.txt", capturedContext, ourContext);
            ASSERT_FALSE(mine.hasError) << text(mine.errorDescription);
            EXPECT_EQ(text(mine.methodName), text(captured.methodName));
            EXPECT_EQ(mine.hasReturnValue, captured.hasReturnValue);
            if (!captured.hasReturnValue)
                continue;  // CloseEnumeration
            theirs.add(captured);
            ours.add(mine);
            capturedContext = sequenceOf(captured).second;
            ourContext = sequenceOf(mine).second;
            EXPECT_EQ(ourContext.empty(), capturedContext.empty());
        }
        EXPECT_FALSE(theirs.instances.empty() && theirs.paths.empty());
        EXPECT_EQ(ours.pages, theirs.pages);
        ASSERT_EQ(ours.instances.size(), theirs.instances.size());
        for (const auto& [key, instance] : theirs.instances)
        {
            SCOPED_TRACE(key);
            ASSERT_EQ(ours.instances.count(key), 1u);
            const CIMInstance& mine = ours.instances[key];
            EXPECT_EQ(text(mine.getPath().getNameSpace().getString()), "root/wiretest2");
            EXPECT_FALSE(mine.getPath().getHost().size() == 0);
            for (Uint32 i = 0; i < instance.getPropertyCount(); i++)
            {
                CIMConstProperty p = instance.getProperty(i);
                // The captured server stored every char16 as an apostrophe.
                if (p.getValue().isNull() || p.getType() == CIMTYPE_CHAR16)
                    continue;
                Uint32 at = mine.findProperty(p.getName());
                ASSERT_NE(at, PEG_NOT_FOUND) << text(p.getName().getString());
                EXPECT_TRUE(mine.getProperty(at).getValue() == p.getValue())
                    << text(p.getName().getString());
            }
        }
        ASSERT_EQ(ours.paths.size(), theirs.paths.size());
        for (const auto& entry : theirs.paths)
            EXPECT_EQ(ours.paths.count(entry.first), 1u) << entry.first;
    }
}

TEST_F(PullOperations, ClientPullsClosesAndTimesOut)
{
    CIMClient client;
    server().connect(client);
    CIMEnumerationContext context;
    Boolean end = true;
    Array<CIMInstance> first = client.openEnumerateInstances(
        context, end, kNs, "DT_Base", true, false, CIMPropertyList(), String::EMPTY,
        String::EMPTY, Uint32Arg(), false, 1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FALSE(end);
    EXPECT_TRUE(client.enumerationCount(context).isNull());
    Array<CIMInstance> rest = client.pullInstancesWithPath(context, end, 100);
    EXPECT_EQ(rest.size(), 3u);
    EXPECT_TRUE(end);
    EXPECT_EQ(text(rest[0].getPath().getNameSpace().getString()), "root/wiretest2");
    // At its end the context is no longer open: refused without a request.
    EXPECT_EQ(statusOf([&] { client.pullInstancesWithPath(context, end, 1); }),
              CIM_ERR_INVALID_ENUMERATION_CONTEXT);

    Array<CIMObjectPath> one =
        client.openEnumerateInstancePaths(context, end, kNs, "DT_Base", String::EMPTY,
                                          String::EMPTY, Uint32Arg(1), false, 1);
    EXPECT_EQ(one.size(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(statusOf([&] { client.pullInstancePaths(context, end, 1); }),
              CIM_ERR_INVALID_ENUMERATION_CONTEXT);

    client.openEnumerateInstancePaths(context, end, kNs, "DT_Base");
    EXPECT_FALSE(end);
    client.closeEnumeration(context);
    EXPECT_EQ(statusOf([&] { client.closeEnumeration(context); }),
              CIM_ERR_INVALID_ENUMERATION_CONTEXT);

    EXPECT_EQ(statusOf([&] {
                  client.openEnumerateInstancePaths(context, end, kNs, "DT_Base", "DMTF:FQL",
                                                    "Num > 1");
              }),
              CIM_ERR_FILTERED_ENUMERATION_NOT_SUPPORTED);
    EXPECT_EQ(statusOf([&] {
                  client.openEnumerateInstancePaths(context, end, kNs, "DT_Base", String::EMPTY,
                                                    String::EMPTY, Uint32Arg(100000));
              }),
              CIM_ERR_INVALID_OPERATION_TIMEOUT);
}

// TCP clients without authentication are one client per address; the
// owner on the local socket is another.
TEST_F(PullOperations, OpenEnumerationsAreLimitedPerClientAndInTotal)
{
    setConfig("maxOpenEnumerationsPerClient=2");
    setConfig("maxOpenEnumerations=3");
    CIMClient tcp;
    server().connect(tcp);
    CIMClient local;
    ::setenv("PEGASUS_HOME", server().home().path().c_str(), 1);
    local.connectLocal();
    CIMEnumerationContext t1, t2, t3, l1, l2;
    Boolean end;
    tcp.openEnumerateInstancePaths(t1, end, kNs, "DT_Base");
    tcp.openEnumerateInstancePaths(t2, end, kNs, "DT_Base");
    EXPECT_EQ(statusOf([&] { tcp.openEnumerateInstancePaths(t3, end, kNs, "DT_Base"); }),
              CIM_ERR_SERVER_LIMITS_EXCEEDED);
    local.openEnumerateInstancePaths(l1, end, kNs, "DT_Base");
    EXPECT_EQ(statusOf([&] { local.openEnumerateInstancePaths(l2, end, kNs, "DT_Base"); }),
              CIM_ERR_SERVER_LIMITS_EXCEEDED);
    // Closing one makes room.
    tcp.closeEnumeration(t1);
    local.openEnumerateInstancePaths(l2, end, kNs, "DT_Base");
    tcp.closeEnumeration(t2);
    local.closeEnumeration(l1);
    local.closeEnumeration(l2);
    setConfig("maxOpenEnumerationsPerClient=16");
    setConfig("maxOpenEnumerations=256");
}

}  // namespace
