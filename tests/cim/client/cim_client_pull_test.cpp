// CIMClient's pull operations against a scripted peer replaying the
// captured sequences: the client must send the captured requests (the
// namespace and context of the open call carried into the pulls and the
// close) and read the captured answers; answers that break the sequence
// are refused.
#include "ScriptedHttpPeer.h"

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMEnumerationContext.h>

#include <gtest/gtest.h>

#include <functional>

using namespace Pegasus;
using kta_test::ScriptedHttpPeer;
using kta_test::wireFile;

namespace {

const CIMNamespaceName kNs("root/wiretest2");

// The captured request with the port of the scripted peer in its HOST line.
std::string capturedRequest(const std::string& base, unsigned short port)
{
    std::string r = wireFile(base + "-request.txt");
    const std::string from = "HOST: 127.0.0.1:15990";
    std::string::size_type at = r.find(from);
    if (at != std::string::npos)
        r.replace(at, from.size(), "HOST: 127.0.0.1:" + std::to_string(port));
    return r;
}

CIMObjectPath otherA()
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Code", "a", CIMKeyBinding::STRING));
    keys.append(CIMKeyBinding("Active", "TRUE", CIMKeyBinding::BOOLEAN));
    keys.append(CIMKeyBinding("Stamp", "20200101000000.000000+000", CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "DT_Other", keys);
}

// One call of a sequence: what it returns (objects) and the capture it
// replays.
struct Step
{
    const char* capture;
    std::function<Uint32(CIMClient&, CIMEnumerationContext&, Boolean&)> call;
    Uint32 objects;
    bool endOfSequence;
};

Uint32 sizeOf(const Array<CIMInstance>& a)
{
    for (Uint32 i = 0; i < a.size(); i++)
        EXPECT_EQ(std::string(a[i].getPath().getHost().getCString()), "vm");
    return a.size();
}

Uint32 sizeOf(const Array<CIMObjectPath>& a)
{
    for (Uint32 i = 0; i < a.size(); i++)
        EXPECT_EQ(a[i].getNameSpace(), kNs);
    return a.size();
}

TEST(CIMClientPull, SequencesSendAndReadTheCapturedMessages)
{
    typedef CIMEnumerationContext Ctx;
    const std::vector<std::vector<Step>> sequences = {
        {{"43a-OpenEnumerateInstances-DT_Base-MaxObjectCount2-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openEnumerateInstances(x, e, kNs, "DT_Base", false, false,
                                                     CIMPropertyList(), String::EMPTY,
                                                     String::EMPTY, Uint32Arg(10), false, 2));
          },
          2, false},
         {"43b-PullInstancesWithPath-DT_Base-EndOfSequence-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) { return sizeOf(c.pullInstancesWithPath(x, e, 2)); },
          2, true}},
        {{"44a-OpenEnumerateInstancePaths-DT_Base-MaxObjectCount2-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openEnumerateInstancePaths(x, e, kNs, "DT_Base", String::EMPTY,
                                                         String::EMPTY, Uint32Arg(10), false, 2));
          },
          2, false},
         {"44b-PullInstancePaths-DT_Base-EndOfSequence-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) { return sizeOf(c.pullInstancePaths(x, e, 2)); },
          2, true}},
        {{"45-OpenAssociatorInstances-DT_Other-a-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openAssociatorInstances(
                  x, e, kNs, otherA(), CIMName(), CIMName(), String::EMPTY, String::EMPTY,
                  false, CIMPropertyList(), String::EMPTY, String::EMPTY, Uint32Arg(10), false,
                  100));
          },
          2, true}},
        {{"46-OpenReferenceInstancePaths-DT_Other-a-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openReferenceInstancePaths(x, e, kNs, otherA(), CIMName(),
                                                         String::EMPTY, String::EMPTY,
                                                         String::EMPTY, Uint32Arg(10), false,
                                                         100));
          },
          2, true}},
        {{"47a-OpenEnumerateInstances-DT_Base-MaxObjectCount1-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openEnumerateInstances(x, e, kNs, "DT_Base", false, false,
                                                     CIMPropertyList(), String::EMPTY,
                                                     String::EMPTY, Uint32Arg(10), false, 1));
          },
          1, false},
         {"47b-CloseEnumeration-DT_Base-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              c.closeEnumeration(x);
              e = true;
              return Uint32(0);
          },
          0, true}},
        {{"53-OpenReferenceInstances-DT_Other-a-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openReferenceInstances(x, e, kNs, otherA(), CIMName(),
                                                     String::EMPTY, false, CIMPropertyList(),
                                                     String::EMPTY, String::EMPTY,
                                                     Uint32Arg(10), false, 100));
          },
          2, true}},
        {{"54a-OpenAssociatorInstancePaths-DT_Other-a-MaxObjectCount1-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) {
              return sizeOf(c.openAssociatorInstancePaths(
                  x, e, kNs, otherA(), CIMName(), CIMName(), String::EMPTY, String::EMPTY,
                  String::EMPTY, String::EMPTY, Uint32Arg(10), false, 1));
          },
          1, false},
         {"54b-PullInstancePaths-DT_Other-a-EndOfSequence-cimcli",
          [](CIMClient& c, Ctx& x, Boolean& e) { return sizeOf(c.pullInstancePaths(x, e, 1)); },
          1, true}},
    };
    for (const std::vector<Step>& sequence : sequences)
    {
        SCOPED_TRACE(sequence[0].capture);
        ScriptedHttpPeer peer;
        for (const Step& step : sequence)
            peer.push(kta_test::reply(wireFile(std::string(step.capture) + "-response.txt")));
        CIMClient client;
        client.connect("127.0.0.1", peer.port(), "", "");
        CIMEnumerationContext context;
        for (const Step& step : sequence)
        {
            SCOPED_TRACE(step.capture);
            Boolean end = !step.endOfSequence;
            EXPECT_EQ(step.call(client, context, end), step.objects);
            EXPECT_EQ(end, step.endOfSequence);
        }
        ASSERT_EQ(peer.requests().size(), sequence.size());
        for (std::size_t i = 0; i < sequence.size(); i++)
            EXPECT_EQ(peer.requests()[i], capturedRequest(sequence[i].capture, peer.port()));
        // The sequence is over: nothing more goes out for it.
        Boolean end;
        try
        {
            client.pullInstancePaths(context, end, 1);
            ADD_FAILURE() << "pulled from an enumeration that is over";
        }
        catch (const CIMException& e)
        {
            EXPECT_EQ(e.getCode(), CIM_ERR_INVALID_ENUMERATION_CONTEXT);
        }
        EXPECT_EQ(peer.requests().size(), sequence.size());
    }
}

// An open answer that does not say whether the sequence goes on, or goes
// on without a context, is refused; so are queries.
TEST(CIMClientPull, AnswersOutsideTheProtocolAreRefused)
{
    auto answer = [](const std::string& inner) {
        std::string body =
            "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
            "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
            "<MESSAGE ID=\"1000\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n"
            "<IMETHODRESPONSE NAME=\"OpenEnumerateInstancePaths\">\n<IRETURNVALUE>\n"
            "</IRETURNVALUE>\n" +
            inner + "</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
        return "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\n"
               "content-length: " +
               std::to_string(body.size()) + "\r\nCIMOperation: MethodResponse\r\n\r\n" + body;
    };
    const std::string noEnd =
        "<PARAMVALUE NAME=\"EnumerationContext\">\n<VALUE>7</VALUE>\n</PARAMVALUE>\n";
    const std::string noContext =
        "<PARAMVALUE NAME=\"EndOfSequence\">\n<VALUE>FALSE</VALUE>\n</PARAMVALUE>\n"
        "<PARAMVALUE NAME=\"EnumerationContext\">\n<VALUE></VALUE>\n</PARAMVALUE>\n";
    for (const std::string& inner : {noEnd, noContext})
    {
        ScriptedHttpPeer peer;
        peer.push(kta_test::reply(answer(inner)));
        CIMClient client;
        client.connect("127.0.0.1", peer.port(), "", "");
        CIMEnumerationContext context;
        Boolean end;
        EXPECT_THROW(client.openEnumerateInstancePaths(context, end, kNs, "DT_Base"),
                     CIMClientResponseException);
    }

    // Queries are refused by the client itself, after the connection check.
    ScriptedHttpPeer peer;
    CIMClient client;
    CIMEnumerationContext context;
    Boolean end;
    CIMClass resultClass;
    EXPECT_THROW(client.pullInstances(context, end, 1), NotConnectedException);
    client.connect("127.0.0.1", peer.port(), "", "");
    try
    {
        client.openQueryInstances(context, end, kNs, "DMTF:CQL", "SELECT * FROM DT_Base",
                                  resultClass);
        ADD_FAILURE() << "a query was accepted";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_NOT_SUPPORTED);
    }
    EXPECT_TRUE(peer.requests().empty());
}

}  // namespace
