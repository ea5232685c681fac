// Hostile and broken requests over raw TCP: each gets its documented
// answer, and a normal request on a new connection right after it is
// served.
#include "IntegrationSupport.h"

using namespace Pegasus;
using integration::exchange;
using integration::server;

namespace {

std::string post(const std::string& method, const std::string& body,
                 const std::string& extraHeaders = "")
{
    return "POST /cimom HTTP/1.1\r\n"
           "Host: 127.0.0.1\r\n"
           "Content-Type: application/xml; charset=\"utf-8\"\r\n"
           "CIMOperation: MethodCall\r\n"
           "CIMMethod: " + method + "\r\n"
           "CIMObject: root%2FPG_InterOp\r\n"
           "Connection: close\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string intrinsicCall(const std::string& method, const std::string& doctype = "",
                          const std::string& params = "")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + doctype +
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"77\" "
           "PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"" + method + "\">"
           "<LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"PG_InterOp\"/>"
           "</LOCALNAMESPACEPATH>" + params +
           "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>\n";
}

// Ten levels of ten-fold entity expansion: about 10^10 copies of "lol" if
// a parser expanded them.
std::string billionLaughs()
{
    std::string dtd = "<!DOCTYPE CIM [\n<!ENTITY l0 \"lol\">\n";
    for (int level = 1; level <= 10; ++level)
    {
        dtd += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            dtd += "&l" + std::to_string(level - 1) + ";";
        dtd += "\">\n";
    }
    return dtd + "]>\n";
}

std::string statusLine(const std::string& answer)
{
    return answer.substr(0, answer.find("\r\n"));
}

std::string header(const std::string& answer, const std::string& name)
{
    std::string key = "\r\n" + name + ": ";
    std::size_t at = answer.find(key);
    if (at == std::string::npos || at > answer.find("\r\n\r\n"))
        return "";
    at += key.size();
    return answer.substr(at, answer.find("\r\n", at) - at);
}

}  // namespace

TEST(BadInput, EachGetsItsAnswerAndTheServerKeepsServing)
{
    ASSERT_TRUE(server().ensureStarted());
    const std::string enumerateClassNames = post(
        "EnumerateClassNames", intrinsicCall("EnumerateClassNames"));

    const std::string entityBody =
        intrinsicCall("GetClass", billionLaughs(),
                      "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"&l10;\"/>"
                      "</IPARAMVALUE>");
    struct Case
    {
        const char* what;
        std::string request;
        std::string status;    // expected status line
        std::string cimError;  // expected CIMError header ("" for none)
        std::string contains;  // expected somewhere in the answer
    } cases[] = {
        // A few of each kind; the front end's own tests have them all.
        {"not HTTP at all", "GARBAGE GARBAGE GARBAGE\r\n\r\n", "HTTP/1.1 400 Bad Request", "",
         ""},
        {"header line without a colon",
         "POST /cimom HTTP/1.1\r\nHost 127.0.0.1\r\nContent-Length: 0\r\n\r\n",
         "HTTP/1.1 400 Bad Request", "", ""},
        {"entity expansion", post("GetClass", entityBody), "HTTP/1.1 400 Bad Request",
         "request-not-valid", "DOCTYPE"},
        {"huge Content-Length",
         "POST /cimom HTTP/1.1\r\nHost: 127.0.0.1\r\nCIMOperation: MethodCall\r\n"
         "CIMMethod: GetClass\r\nCIMObject: root%2Fcimv2\r\n"
         "Content-Length: 99999999999\r\n\r\n<?xml",
         "HTTP/1.1 413 Request Entity Too Large", "", ""},
        {"unknown intrinsic method",
         post("FrobnicateClass", intrinsicCall("FrobnicateClass")), "HTTP/1.1 200 OK", "",
         "<ERROR CODE=\"7\""},
    };
    for (const Case& c : cases)
    {
        std::string answer = exchange(server().port(), c.request);
        EXPECT_EQ(statusLine(answer), c.status) << c.what << ":\n" << answer;
        EXPECT_EQ(header(answer, "CIMError"), c.cimError) << c.what << ":\n" << answer;
        EXPECT_NE(answer.find(c.contains), std::string::npos) << c.what << ":\n" << answer;

        std::string normal = exchange(server().port(), enumerateClassNames);
        EXPECT_EQ(statusLine(normal), "HTTP/1.1 200 OK") << "after " << c.what;
        EXPECT_NE(normal.find("<CLASSNAME NAME=\"CIM_ManagedElement\"/>"), std::string::npos)
            << "after " << c.what << ":\n" << normal;
    }

    // A client that sends half a request and goes away gets nothing and
    // costs the server nothing.
    std::string half = enumerateClassNames.substr(0, enumerateClassNames.size() / 2);
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(server().port()));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::send(fd, half.data(), half.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(half.size()));
    ::close(fd);

    CIMClient client;
    server().connect(client);
    EXPECT_GT(client.enumerateClassNames("root/PG_InterOp").size(), 0u);
}
