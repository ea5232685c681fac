// Multiple-operation messages (MESSAGE/MULTIREQ, MESSAGE/MULTIRSP): built
// from the simple ones, decoded back call by call, and what is not such a
// message refused -- by the multiple decoders and by the simple ones.
#include "CimXmlMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonTestSupport.h"

using namespace Pegasus;

namespace {

const CIMNamespaceName kNs("root/cimv2");

CIMInstance item(const char* id)
{
    CIMInstance i("Test_Item");
    i.addProperty(CIMProperty("Id", String(id)));
    return i;
}

std::string envelope(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"9\" PROTOCOLVERSION=\"1.0\">\n" +
           content + "</MESSAGE>\n</CIM>\n";
}

std::string simpleRequest(const char* id)
{
    std::string body = CimXmlRequestEncoder::createInstance("1", kNs, item(id)).body;
    std::size_t begin = body.find("<SIMPLEREQ>");
    std::size_t end = body.find("</SIMPLEREQ>") + std::string("</SIMPLEREQ>\n").size();
    return body.substr(begin, end - begin);
}

bool multipleRequestDecodes(const std::string& document)
{
    try
    {
        CimXmlRequestDecoder::decodeMultiple(document.data(), document.size());
        return true;
    }
    catch (const CimXmlException&)
    {
        return false;
    }
}

TEST(CimXmlMultiple, RequestCallsDecodeInOrderWithTheMessageId)
{
    CIMInstance named = item("b");
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", String("b"), CIMKeyBinding::STRING));
    named.setPath(CIMObjectPath(String(), CIMNamespaceName(), "Test_Item", keys));
    std::vector<CimXmlRequest> calls = {
        CimXmlRequestEncoder::createInstance("1", kNs, item("a")),
        CimXmlRequestEncoder::modifyInstance("2", CIMNamespaceName("root/other"), named),
        CimXmlRequestEncoder::invokeMethod("3", kNs, CIMObjectPath("Test_Item"), "Reset",
                                           Array<CIMParamValue>())};
    std::string document = CimXmlRequestEncoder::multipleRequest("m<1>", calls);

    CimXmlRequestMessage m =
        CimXmlRequestDecoder::decodeMultiple(document.data(), document.size());
    EXPECT_TRUE(m.isMultiple);
    EXPECT_EQ("m<1>", m.messageId);
    EXPECT_EQ("1.0", m.protocolVersion);
    ASSERT_EQ(3u, m.calls.size());
    EXPECT_EQ("CreateInstance", text(m.calls[0].methodName));
    EXPECT_EQ("root/cimv2", text(m.calls[0].nameSpace.getString()));
    ASSERT_NE(nullptr, m.calls[0].findIParam("NewInstance"));
    EXPECT_EQ("a", text(m.calls[0].findIParam("NewInstance")->instance
                           .getProperty(0).getValue().toString()));
    EXPECT_EQ("ModifyInstance", text(m.calls[1].methodName));
    EXPECT_EQ("root/other", text(m.calls[1].nameSpace.getString()));
    EXPECT_FALSE(m.calls[2].isIntrinsic);
    EXPECT_EQ("Reset", text(m.calls[2].methodName));
    EXPECT_EQ("Test_Item", text(m.calls[2].objectName.getClassName().getString()));
    for (const CimXmlRequestMessage& call : m.calls)
        EXPECT_EQ("m<1>", call.messageId);
}

TEST(CimXmlMultiple, WhatIsNotAMultipleRequestIsRefused)
{
    const std::string two = simpleRequest("a") + simpleRequest("b");
    EXPECT_TRUE(multipleRequestDecodes(envelope("<MULTIREQ>\n" + two + "</MULTIREQ>\n")));

    // Empty, a single call, a bare SIMPLEREQ, nested, responses, a call
    // without its namespace.
    EXPECT_FALSE(multipleRequestDecodes(envelope("<MULTIREQ>\n</MULTIREQ>\n")));
    EXPECT_FALSE(multipleRequestDecodes(
        envelope("<MULTIREQ>\n" + simpleRequest("a") + "</MULTIREQ>\n")));
    EXPECT_FALSE(multipleRequestDecodes(envelope(simpleRequest("a"))));
    EXPECT_FALSE(multipleRequestDecodes(
        envelope("<MULTIREQ>\n<MULTIREQ>\n" + two + "</MULTIREQ>\n</MULTIREQ>\n")));
    EXPECT_FALSE(multipleRequestDecodes(envelope("<MULTIRSP>\n</MULTIRSP>\n")));
    std::string noNamespace = simpleRequest("c");
    std::size_t begin = noNamespace.find("<LOCALNAMESPACEPATH>");
    std::size_t end = noNamespace.find("</LOCALNAMESPACEPATH>\n") +
                      std::string("</LOCALNAMESPACEPATH>\n").size();
    noNamespace.erase(begin, end - begin);
    EXPECT_FALSE(multipleRequestDecodes(
        envelope("<MULTIREQ>\n" + two + noNamespace + "</MULTIREQ>\n")));

    // The simple decoder does not take a MULTIREQ for one call.
    EXPECT_THROW(CimXmlRequestDecoder::decode(envelope("<MULTIREQ>\n" + two + "</MULTIREQ>\n")),
                 CimXmlException);
}

TEST(CimXmlMultiple, ResponsesKeepEachCallsResultOrError)
{
    Array<CIMObjectPath> created;
    created.append(CIMObjectPath("Test_Item.Id=\"a\""));
    std::string document = CimXmlResponseEncoder::multipleResponse(
        "42", {CimXmlResponseEncoder::instanceNamesResponse("42", "CreateInstance", created),
               CimXmlResponseEncoder::errorResponse("42", "CreateInstance", true,
                                                    CIM_ERR_INVALID_PARAMETER,
                                                    "CIM_ERR_INVALID_PARAMETER: no key"),
               CimXmlResponseEncoder::emptyResponse("42", "SetQualifier"),
               CimXmlResponseEncoder::methodResponse("42", "Reset", CIMValue(Uint32(7)),
                                                     Array<CIMParamValue>())});

    std::vector<CimXmlResponse> r =
        CimXmlResponseDecoder::decodeMultiple(document.data(), document.size());
    ASSERT_EQ(4u, r.size());
    for (const CimXmlResponse& each : r)
        EXPECT_EQ("42", each.messageId);
    EXPECT_FALSE(r[0].hasError);
    ASSERT_EQ(1u, r[0].instanceNames.size());
    EXPECT_EQ("Test_Item.Id=\"a\"", text(r[0].instanceNames[0].toString()));
    EXPECT_TRUE(r[1].hasError);
    EXPECT_EQ(CIM_ERR_INVALID_PARAMETER, r[1].errorCode);
    EXPECT_EQ("CIM_ERR_INVALID_PARAMETER: no key", text(r[1].errorDescription));
    EXPECT_EQ("SetQualifier", text(r[2].methodName));
    EXPECT_FALSE(r[2].hasError);
    EXPECT_FALSE(r[3].isIntrinsic);
    EXPECT_EQ("7", text(r[3].returnValue.toString()));

    // A simple response is not a multiple one, nor the reverse.
    std::string simple = CimXmlResponseEncoder::emptyResponse("1", "SetQualifier");
    EXPECT_THROW(CimXmlResponseDecoder::decodeMultiple(simple.data(), simple.size()),
                 CimXmlException);
    EXPECT_THROW(CimXmlResponseDecoder::decode(document), CimXmlException);
}

}  // namespace
