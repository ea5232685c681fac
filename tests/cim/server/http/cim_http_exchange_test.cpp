// The front end's protocol rules without sockets: TE parsing, the XML
// well-formedness verdict, CIMObject checks, failure framing and the rules
// of multiple-operation requests.

#include "CimHttpExchange.h"
#include "XmlWellFormedness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace Pegasus;

namespace {

TEST(CimHttpExchange, TrailersAreAskedForByTheTeTokenOnly)
{
    struct Case { const char* te; bool trailers; } cases[] = {
        {"trailers", true},
        {"chunked, trailers", true},
        {" deflate;q=0.5 ,TRAILERS ", true},
        {"trailers;q=1", true},
        {"chunked", false},
        {"", false},
        {"trailersx, xtrailers", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.trailers, teAcceptsTrailers(c.te)) << c.te;
}

TEST(CimHttpExchange, WellFormednessVerdictNamesTheProblemAndItsLine)
{
    struct Case { const char* xml; const char* error; } cases[] = {
        {"<a>\n<b/>\n</a>", ""},
        {"<a>\n<b>\n</c>\n</a>", "Closing element does not match opening element: on line 3"},
        {"", "Document has no root element or ends too early: on line 1"},
        {"<a/>\n<b/>", "Content after the end of the root element: on line 2"},
        {"<a x='1' x='2'/>", "Attribute appears more than once in an element: on line 1"},
        {"<a>&nope;</a>", "Reference to an undefined entity: on line 1"},
        // A document type stops the check before any entity is expanded.
        {"<!DOCTYPE a [<!ENTITY e \"&e;&e;\">]><a>&e;</a>", ""},
    };
    for (const Case& c : cases)
    {
        std::string xml = c.xml;
        EXPECT_EQ(c.error, xmlWellFormednessError(xml.data(), xml.size())) << c.xml;
    }
}

std::string sayHelloBody()
{
    std::ifstream in(std::string(KTA_SHARED_DIR) +
                         "/wire/09b-InvokeMethod-SayHello-cimcli-step2-SayHello-request.txt",
                     std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    std::string r = s.str();
    return r.substr(r.find("\r\n\r\n") + 4);
}

TEST(CimHttpExchange, CimObjectMustNameTheRequestsNamespace)
{
    const std::string body = sayHelloBody();
    struct Case { const char* cimObject; bool accepted; } cases[] = {
        {"root%2FSampleProvider%3ASample_MethodProviderClass.Identifier%3D1", true},
        {"ROOT%2Fsampleprovider%3AOther", true},
        {"root%2FSampleProvider", true},
        {"root%2Fcimv2%3ASample_MethodProviderClass.Identifier%3D1", false},
        {"Sample_MethodProviderClass.Identifier%3D1", false},
    };
    for (const Case& c : cases)
    {
        CimHttpRequestHead head;
        head.method = "POST";
        head.cimOperation = "MethodCall";
        head.cimMethod = "SayHello";
        head.cimObject = c.cimObject;
        CimXmlRequestMessage request;
        std::optional<HttpRejection> r =
            decodeRequestBody(head, body.data(), body.size(), CimXmlLimits(), request);
        EXPECT_EQ(c.accepted, !r) << c.cimObject;
        if (r)
        {
            EXPECT_EQ("header-mismatch", r->cimError);
        }
    }
}

TEST(CimHttpExchange, FailuresOfExtrinsicCallsAndOddOutcomesAreFramedSafely)
{
    CimXmlRequestMessage request;
    request.messageId = "7";
    request.isIntrinsic = false;
    request.methodName = "SayHello";

    OperationOutcome outcome;
    outcome.failed = true;  // no code, no description
    CimResponseFrame f = frameOutcome(request, std::move(outcome), true, false);
    EXPECT_NE(std::string::npos, f.body.find("<METHODRESPONSE NAME=\"SayHello\">"));
    EXPECT_EQ(std::string::npos, f.body.find("RETURNVALUE"));
    EXPECT_EQ("\r\n0\r\nCIMStatusCode: 1\r\nCIMStatusCodeDescription: CIM_ERR_FAILED\r\n\r\n",
              f.tail);

    outcome = OperationOutcome();
    outcome.failed = true;
    outcome.code = CIM_ERR_METHOD_NOT_FOUND;
    outcome.description = "CIM_ERR_METHOD_NOT_FOUND: <x>";
    f = frameOutcome(request, std::move(outcome), false, true);
    EXPECT_NE(std::string::npos,
              f.body.find("<ERROR CODE=\"17\" DESCRIPTION=\"CIM_ERR_METHOD_NOT_FOUND: &lt;x&gt;\"/>"));
    EXPECT_NE(std::string::npos, f.head.find("\r\nConnection: close\r\n\r\n"));
    char length[32];
    std::snprintf(length, sizeof(length), "content-length: %010zu\r\n", f.body.size());
    EXPECT_NE(std::string::npos, f.head.find(length));
    EXPECT_EQ("", f.tail);
}

std::string twoCallBatch()
{
    return CimXmlRequestEncoder::multipleRequest(
        "5", {CimXmlRequestEncoder::getClass("1", CIMNamespaceName("root/a"), "A"),
              CimXmlRequestEncoder::deleteQualifier("2", CIMNamespaceName("root/b"), "Q")});
}

CimHttpRequestHead batchHead()
{
    CimHttpRequestHead head;
    head.method = "POST";
    head.cimOperation = "MethodCall";
    head.cimBatch = "";
    return head;
}

TEST(CimHttpExchange, BatchHeaderAndBodyMustAgree)
{
    // CIMBatch replaces CIMMethod and CIMObject, which must then be absent.
    CimHttpRequestHead head = batchHead();
    EXPECT_FALSE(checkRequestHead(head));
    head.cimMethod = "GetClass";
    ASSERT_TRUE(checkRequestHead(head));
    EXPECT_EQ("header-mismatch", checkRequestHead(head)->cimError);
    head = batchHead();
    head.cimObject = "root%2Fa";
    ASSERT_TRUE(checkRequestHead(head));
    EXPECT_EQ("header-mismatch", checkRequestHead(head)->cimError);

    std::string batch = twoCallBatch();
    CimXmlRequestMessage request;
    EXPECT_FALSE(decodeRequestBody(batchHead(), batch.data(), batch.size(), CimXmlLimits(),
                                   request));
    EXPECT_TRUE(request.isMultiple);
    EXPECT_FALSE(request.stopOnError);
    ASSERT_EQ(2u, request.calls.size());
    EXPECT_EQ("DeleteQualifier", std::string(request.calls[1].methodName.getCString()));

    // A simple request announced as a batch, and a batch not announced.
    CimXmlRequest simple = CimXmlRequestEncoder::getClass("1", CIMNamespaceName("root/a"), "A");
    std::optional<HttpRejection> r = decodeRequestBody(
        batchHead(), simple.body.data(), simple.body.size(), CimXmlLimits(), request);
    ASSERT_TRUE(r);
    EXPECT_EQ(400u, r->status);
    EXPECT_EQ("header-mismatch", r->cimError);
    CimHttpRequestHead plain;
    plain.method = "POST";
    plain.cimOperation = "MethodCall";
    plain.cimMethod = "GetClass";
    plain.cimObject = "root%2Fa";
    r = decodeRequestBody(plain, batch.data(), batch.size(), CimXmlLimits(), request);
    ASSERT_TRUE(r);
    EXPECT_EQ("header-mismatch", r->cimError);
}

TEST(CimHttpExchange, BadBatchesAreRefused)
{
    const std::string start =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
        "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n<MESSAGE ID=\"5\" PROTOCOLVERSION=\"1.0\">\n";
    struct Case { std::string body; const char* cimError; } cases[] = {
        {start + "<MULTIREQ>\n</MULTIREQ>\n</MESSAGE>\n</CIM>\n", "request-not-valid"},
        {start + "<MULTIREQ>\n<MULTIREQ>\n</MULTIREQ>\n</MULTIREQ>\n</MESSAGE>\n</CIM>\n",
         "request-not-valid"},
        {start + "<MULTIREQ>\n</MESSAGE>\n</CIM>\n", "request-not-well-formed"},
    };
    for (const Case& c : cases)
    {
        CimXmlRequestMessage request;
        std::optional<HttpRejection> r = decodeRequestBody(
            batchHead(), c.body.data(), c.body.size(), CimXmlLimits(), request);
        ASSERT_TRUE(r) << c.body;
        EXPECT_EQ(c.cimError, r->cimError) << c.body;
    }

    // The stop-on-error list must hold status codes.
    std::string batch = twoCallBatch();
    CimHttpRequestHead head = batchHead();
    head.batchStopOnError = " 11, 6 ";
    CimXmlRequestMessage request;
    EXPECT_FALSE(decodeRequestBody(head, batch.data(), batch.size(), CimXmlLimits(), request));
    EXPECT_TRUE(request.stopOnError);
    EXPECT_EQ((std::vector<Uint32>{11, 6}), request.continueOnCodes);
    head.batchStopOnError = "";
    EXPECT_FALSE(decodeRequestBody(head, batch.data(), batch.size(), CimXmlLimits(), request));
    EXPECT_TRUE(request.stopOnError);
    head.batchStopOnError = "11,x";
    std::optional<HttpRejection> r =
        decodeRequestBody(head, batch.data(), batch.size(), CimXmlLimits(), request);
    ASSERT_TRUE(r);
    EXPECT_EQ("request-not-valid", r->cimError);
}

TEST(CimHttpExchange, FailedBatchIsAnsweredForEveryCall)
{
    std::string batch = twoCallBatch();
    CimXmlRequestMessage request =
        CimXmlRequestDecoder::decodeMultiple(batch.data(), batch.size());
    OperationOutcome outcome;
    outcome.failed = true;
    outcome.code = CIM_ERR_FAILED;
    outcome.description = "CIM_ERR_FAILED: gone";
    // Even with trailers: a batch's status is in its answers.
    CimResponseFrame f = frameOutcome(request, std::move(outcome), true, false);
    EXPECT_EQ(std::string::npos, f.tail.find("CIMStatusCode"));
    std::vector<CimXmlResponse> r =
        CimXmlResponseDecoder::decodeMultiple(f.body.data(), f.body.size());
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ("GetClass", std::string(r[0].methodName.getCString()));
    EXPECT_EQ("DeleteQualifier", std::string(r[1].methodName.getCString()));
    for (const CimXmlResponse& each : r)
    {
        EXPECT_EQ("5", each.messageId);
        EXPECT_TRUE(each.hasError);
        EXPECT_EQ(CIM_ERR_FAILED, each.errorCode);
    }
}


std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(CimHttpExchange, UnsupportedVersionsAreNotImplemented)
{
    const std::string simple =
        CimXmlRequestEncoder::getClass("1", CIMNamespaceName("root/a"), "A").body;
    const std::string batch = twoCallBatch();
    CimHttpRequestHead plain;
    plain.method = "POST";
    plain.cimOperation = "MethodCall";
    plain.cimMethod = "GetClass";
    plain.cimObject = "root%2Fa";
    struct Case
    {
        const char* from;
        const char* to;
        const char* cimError;  // empty: accepted
    } cases[] = {
        {"CIMVERSION=\"2.0\"", "CIMVERSION=\"2.0\"", ""},
        {"CIMVERSION=\"2.0\"", "CIMVERSION=\"2.8.1\"", ""},
        {"CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"", "", ""},
        {"PROTOCOLVERSION=\"1.0\"", "PROTOCOLVERSION=\"1.4\"", ""},
        {"CIMVERSION=\"2.0\"", "CIMVERSION=\"3.0\"", "unsupported-cim-version"},
        {"CIMVERSION=\"2.0\"", "CIMVERSION=\"2\"", "unsupported-cim-version"},
        {"CIMVERSION=\"2.0\"", "CIMVERSION=\"two\"", "unsupported-cim-version"},
        {"DTDVERSION=\"2.0\"", "DTDVERSION=\"1.1\"", "unsupported-dtd-version"},
        {"DTDVERSION=\"2.0\"", "DTDVERSION=\"20.0\"", "unsupported-dtd-version"},
        {"PROTOCOLVERSION=\"1.0\"", "PROTOCOLVERSION=\"2.0\"", "unsupported-protocol-version"},
        {"PROTOCOLVERSION=\"1.0\"", "PROTOCOLVERSION=\"1.\"", "unsupported-protocol-version"},
    };
    for (const Case& c : cases)
    {
        for (bool multiple : {false, true})
        {
            const std::string body = replaced(multiple ? batch : simple, c.from, c.to);
            CimXmlRequestMessage request;
            std::optional<HttpRejection> r = decodeRequestBody(
                multiple ? batchHead() : plain, body.data(), body.size(), CimXmlLimits(),
                request);
            SCOPED_TRACE(std::string(c.to) + (multiple ? " (batch)" : ""));
            if (*c.cimError == '\0')
            {
                EXPECT_FALSE(r) << r->cimError << ": " << r->detail;
                continue;
            }
            ASSERT_TRUE(r);
            EXPECT_EQ(c.cimError, r->cimError);
            EXPECT_EQ(0u, formatRejection(*r).find(std::string("HTTP/1.1 501 Not Implemented\r\n"
                                                               "CIMError: ") +
                                                   c.cimError + "\r\n"));
        }
    }

    // The same rule for the CIMProtocolVersion header field.
    for (const char* v : {"1.0", "1.1", " 1.0 "})
    {
        plain.cimProtocolVersion = v;
        EXPECT_FALSE(checkRequestHead(plain)) << v;
    }
    for (const char* v : {"2.0", "1", "1.x", ""})
    {
        plain.cimProtocolVersion = v;
        std::optional<HttpRejection> r = checkRequestHead(plain);
        ASSERT_TRUE(r) << v;
        EXPECT_EQ(501u, r->status);
        EXPECT_EQ("unsupported-protocol-version", r->cimError);
    }
}

}  // namespace
