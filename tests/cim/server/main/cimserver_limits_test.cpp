// The staged cimserver under hostile load: oversized requests, idle and
// non-reading clients, a full connection table, and what memory a large
// request costs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Constants.h>

#include "CimserverProcess.h"

using namespace Pegasus;

namespace {

using Clock = std::chrono::steady_clock;

// A TCP connection to 127.0.0.1:port; `receiveBuffer` > 0 shrinks the
// client's receive buffer first (the kernel then announces a small window).
int connectTcp(unsigned port, int receiveBuffer = 0)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer,
                     sizeof(receiveBuffer));
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<unsigned short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0)
    {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();)
    {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done,
                           MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Everything the peer sends until it closes (true) or `ms` pass without a
// byte (false).
bool readUntilClosed(int fd, std::string& in, int ms)
{
    for (;;)
    {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return false;
        char buffer[65536];
        ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0)
            return true;
        in.append(buffer, std::size_t(n));
    }
}

std::string post(const std::string& method, const std::string& body,
                 const std::string& extraFields = "")
{
    return "POST /cimom HTTP/1.1\r\nHost: localhost\r\n"
           "Content-Type: application/xml; charset=utf-8\r\n"
           "CIMOperation: MethodCall\r\nCIMMethod: " + method +
           "\r\nCIMObject: root%2FPG_Internal\r\n" + extraFields +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string intrinsicCall(const std::string& method, const std::string& params)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>"
           "<IMETHODCALL NAME=\"" + method + "\"><LOCALNAMESPACEPATH>"
           "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"PG_Internal\"/>"
           "</LOCALNAMESPACEPATH>" + params +
           "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>";
}

std::string enumerateConfigSettings()
{
    return post("EnumerateInstances",
                intrinsicCall("EnumerateInstances",
                              "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME "
                              "NAME=\"PG_ConfigSetting\"/></IPARAMVALUE>"));
}

// Kilobytes of a "VmRSS:" or "VmHWM:" line of /proc/<pid>/status.
long statusKb(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, field.size(), field) == 0)
            return std::stol(line.substr(field.size()));
    return -1;
}

// The server answers an ordinary request over TCP.
bool serves(unsigned port)
{
    CIMClient client;
    client.setTimeout(5000);
    client.connect("127.0.0.1", port, "", "");
    return client.enumerateInstanceNames(PEGASUS_NAMESPACENAME_CONFIG,
                                         PEGASUS_CLASSNAME_CONFIGSETTING)
               .size() > 10;
}

Clock::duration since(Clock::time_point start) { return Clock::now() - start; }

TEST(CimserverLimitsTest, OversizedBodiesAreRefusedBeforeTheyArriveAndTheServerGoesOn)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);

    struct Case
    {
        const char* what;
        std::string head;
    };
    const Case cases[] = {
        {"a Content-Length one past the default limit of 32 MB",
         "POST /cimom HTTP/1.1\r\nHost: x\r\nCIMOperation: MethodCall\r\n"
         "Content-Length: 33554433\r\n\r\n"},
        {"a chunk that takes the body past the limit",
         "POST /cimom HTTP/1.1\r\nHost: x\r\nCIMOperation: MethodCall\r\n"
         "Transfer-Encoding: chunked\r\n\r\n10\r\n0123456789abcdef\r\n"
         "2000000\r\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        int fd = connectTcp(server.port());
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(sendAll(fd, c.head));
        std::string answer;
        // No body follows: the answer must come from the header alone.
        EXPECT_TRUE(readUntilClosed(fd, answer, 3000));
        EXPECT_EQ(0u, answer.find("HTTP/1.1 413 Request Entity Too Large\r\n"))
            << answer;
        ::close(fd);
    }
    EXPECT_TRUE(serves(server.port()));

    // The limit is a configuration property, also of the running server.
    RunResult set = server.run("cimconfig", {"-s", "maxContentLength=1000", "-c"});
    ASSERT_EQ(set.status, 0) << set.err;
    int fd = connectTcp(server.port());
    ASSERT_TRUE(sendAll(fd, post("GetClass", std::string(1001, ' '))));
    std::string answer;
    EXPECT_TRUE(readUntilClosed(fd, answer, 3000));
    EXPECT_EQ(0u, answer.find("HTTP/1.1 413 Request Entity Too Large\r\n"));
    ::close(fd);
    EXPECT_TRUE(serves(server.port()));
}

// A sanitizer's allocator keeps freed memory in quarantine and adds shadow
// memory, so a bound on the server's memory only holds with the real
// allocator: in sanitizer builds the test is disabled (and reported so).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define REAL_ALLOCATOR_ONLY(name) DISABLED_##name
#else
#define REAL_ALLOCATOR_ONLY(name) name
#endif

TEST(CimserverLimitsTest,
     REAL_ALLOCATOR_ONLY(ALargeRequestCostsASmallMultipleOfItsSizeAndIsGivenBack))
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    const pid_t pid = server.pid();
    ASSERT_TRUE(serves(server.port()));
    // The namespace exists, so the name is looked up among its classes.
    const std::string mof = server.home().path() + "/small.mof";
    std::ofstream(mof) << "class T_Small { string Name; };\n";
    RunResult load = server.run("cimmof", {"-n", "root/PG_Internal", mof});
    ASSERT_EQ(load.status, 0) << load.err;
    const long idleKb = statusKb(pid, "VmRSS:");
    ASSERT_GT(idleKb, 0);

    // A class name of 16 MB: converted to UTF-16 it alone is 32 MB.  With
    // the body as received and expat's copy of the attribute, decoding
    // peaks near five times the name; nothing after it may copy the name.
    const long nameKb = 16 * 1024;
    std::string request = post(
        "GetClass",
        intrinsicCall("GetClass", "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"" +
                                      std::string(std::size_t(nameKb) * 1024, 'A') +
                                      "\"/></IPARAMVALUE>"),
        "Connection: close\r\n");
    int fd = connectTcp(server.port());
    ASSERT_TRUE(sendAll(fd, request));
    std::string answer;
    EXPECT_TRUE(readUntilClosed(fd, answer, 20000));
    EXPECT_EQ(0u, answer.find("HTTP/1.1 200 OK\r\n"));
    // No such class, in few words: the error does not repeat the name.
    EXPECT_NE(std::string::npos, answer.find("<ERROR CODE=\"6\""));
    EXPECT_LT(answer.size(), 1024u);
    ::close(fd);

    const long peakKb = statusKb(pid, "VmHWM:");
    EXPECT_LT(peakKb - idleKb, 6 * nameKb) << "peak " << peakKb << " kB, idle " << idleKb;
    // The server gives the memory back once it is quiet (within a second
    // or two).
    long afterKb = 0;
    const auto start = Clock::now();
    do
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        afterKb = statusKb(pid, "VmRSS:");
    } while (afterKb - idleKb >= nameKb / 2 && since(start) < std::chrono::seconds(4));
    EXPECT_LT(afterKb - idleKb, nameKb / 2) << "after " << afterKb << " kB, idle " << idleKb;
}

TEST(CimserverLimitsTest, IdleConnectionsAreClosedAfterIdleConnectionTimeout)
{
    CimserverProcess server;
    ASSERT_EQ(server.start({"idleConnectionTimeout=1"}).status, 0);

    int fd = connectTcp(server.port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(sendAll(fd, enumerateConfigSettings()));
    std::string in;
    const auto start = Clock::now();
    // The answer, then the end of the idle connection.
    EXPECT_TRUE(readUntilClosed(fd, in, 4000));
    EXPECT_EQ(0u, in.find("HTTP/1.1 200 OK\r\n"));
    EXPECT_GE(since(start), std::chrono::milliseconds(900));
    EXPECT_LT(since(start), std::chrono::seconds(4));
    ::close(fd);

    // A running server takes a new value at once.
    RunResult set =
        server.run("cimconfig", {"-s", "idleConnectionTimeout=0", "-c"});
    ASSERT_EQ(set.status, 0) << set.err;
    fd = connectTcp(server.port());
    in.clear();
    EXPECT_FALSE(readUntilClosed(fd, in, 2500));
    ::close(fd);
}

TEST(CimserverLimitsTest, AClientThatDoesNotReadIsDroppedAfterSocketWriteTimeout)
{
    CimserverProcess server;
    ASSERT_EQ(server.start({"socketWriteTimeout=1"}).status, 0);

    // Requests pipelined without reading a byte of their answers, far
    // more than the socket buffers of either side hold.
    int fd = connectTcp(server.port(), 4096);
    ASSERT_GE(fd, 0);
    const std::string request = enumerateConfigSettings();
    const int kRequests = 600;
    int sent = 0;
    while (sent < kRequests &&
           ::send(fd, request.data(), request.size(),
                  MSG_NOSIGNAL | MSG_DONTWAIT) == ssize_t(request.size()))
        ++sent;
    ASSERT_GT(sent, 100);
    std::this_thread::sleep_for(std::chrono::seconds(3));

    std::string in;
    EXPECT_TRUE(readUntilClosed(fd, in, 10000));
    std::size_t answers = 0;
    for (std::size_t at = in.find("HTTP/1.1 200 OK"); at != std::string::npos;
         at = in.find("HTTP/1.1 200 OK", at + 1))
        ++answers;
    EXPECT_LT(answers, std::size_t(sent));
    ::close(fd);
    EXPECT_TRUE(serves(server.port()));
}

TEST(CimserverLimitsTest, AFullConnectionTableLocksNeitherTheOwnerNorNewClientsOut)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    const pid_t pid = server.pid();

    // Fill the table with idle TCP connections; the kernel's backlog then
    // holds a few more that the server has not yet taken.
    std::vector<int> idle;
    for (int i = 0; i < 520; ++i)
    {
        int fd = connectTcp(server.port());
        ASSERT_GE(fd, 0) << i;
        idle.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    auto start = Clock::now();
    ::setenv("PEGASUS_HOME", server.home().path().c_str(), 1);
    {
        CIMClient local;
        local.setTimeout(3000);
        local.connectLocal();
        EXPECT_GT(local.enumerateInstanceNames(PEGASUS_NAMESPACENAME_CONFIG,
                                               PEGASUS_CLASSNAME_CONFIGSETTING)
                      .size(),
                  10u);
    }
    ::unsetenv("PEGASUS_HOME");
    EXPECT_LT(since(start), std::chrono::seconds(2));

    // A new TCP client gets the place of the oldest idle one.
    start = Clock::now();
    EXPECT_TRUE(serves(server.port()));
    EXPECT_LT(since(start), std::chrono::seconds(2));
    std::string in;
    EXPECT_TRUE(readUntilClosed(idle.front(), in, 1000));

    start = Clock::now();
    RunResult stop = server.run("cimserver", {"-s"}, 20000);
    EXPECT_EQ(stop.status, 0) << stop.out << stop.err;
    EXPECT_EQ(stop.out, "CIM Server stopped.\n");
    EXPECT_LT(since(start), std::chrono::seconds(3));
    EXPECT_FALSE(isCimserverProcess(pid));
    for (int fd : idle)
        ::close(fd);
}

}  // namespace
