// Who the front end says sent a request: local-socket peers by their
// credentials (faked through SystemCalls::getsockopt), TCP clients as
// strangers, and, with authentication required, HTTP Basic users or a 401
// challenge.

#include "CimHttpExchange.h"
#include "HttpServerHarness.h"
#include "LocalSocketPath.h"
#include "SystemCalls.h"

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>

#include <cerrno>
#include <cstdlib>

#include <sys/socket.h>

using namespace Pegasus;
using namespace kta_test;

namespace {

// Reports chosen peer credentials for SO_PEERCRED, or fails with EPERM.
class FakePeerCredentials : public SystemCalls
{
public:
    std::atomic<int> uid{0};
    std::atomic<bool> fail{false};
    std::atomic<int> asked{0};

    int getsockopt(int fd, int level, int name, void* value, socklen_t* length) override
    {
        if (level != SOL_SOCKET || name != SO_PEERCRED)
            return SystemCalls::getsockopt(fd, level, name, value, length);
        ++asked;
        if (fail)
        {
            errno = EPERM;
            return -1;
        }
        int result = SystemCalls::getsockopt(fd, level, name, value, length);
        static_cast<struct ucred*>(value)->uid = static_cast<uid_t>(uid.load());
        return result;
    }
};

class ClientIdentity : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char base[] = "/tmp/kta-identity-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(base));
        _home = base;
        const char* old = std::getenv("PEGASUS_HOME");
        _oldHome = old ? old : "";
        _hadHome = old != nullptr;
        ::setenv("PEGASUS_HOME", _home.c_str(), 1);
        fake.uid = static_cast<int>(::geteuid());
        processor.handler = [](const CimXmlRequestMessage& r) {
            return success(CimXmlResponseEncoder::classResponse(
                r.messageId, r.methodName, CIMClass(CIMName("WT_Widget"))));
        };
    }

    void TearDown() override
    {
        if (_hadHome)
            ::setenv("PEGASUS_HOME", _oldHome.c_str(), 1);
        else
            ::unsetenv("PEGASUS_HOME");
        std::system(("rm -rf '" + _home + "'").c_str());
    }

    HttpServerOptions options()
    {
        HttpServerOptions o = RunningServer::defaults();
        o.localSocketPath = LocalSocketPath::socketPathUnder(_home);
        o.systemCalls = &fake;
        return o;
    }

    // Sends one GetClass over the local socket; the caller it ran for.
    RequestCaller localRequest()
    {
        CIMClient client;
        client.connectLocal();
        client.getClass("root/wire", "WT_Widget");
        return processor.lastCaller();
    }

    FakePeerCredentials fake;
    FakeProcessor processor;

private:
    std::string _home, _oldHome;
    bool _hadHome = false;
};

TEST_F(ClientIdentity, LocalPeersAreKnownByTheirCredentials)
{
    struct Case
    {
        const char* what;
        int uid;
        bool fail;
        std::string userName;
        bool privileged;
    };
    const int self = static_cast<int>(::geteuid());
    const Case cases[] = {
        {"the server's own user", self, false, self == 0 ? "root" : "", true},
        {"root", 0, false, "root", true},
        {"another user", 65534, false, "nobody", false},
        {"a user without a name", 4242, false, "4242", false},
        {"credentials that cannot be read", self, true, "", false},
    };
    RunningServer running(processor, options());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        fake.uid = c.uid;
        fake.fail = c.fail;
        int askedBefore = fake.asked;
        RequestCaller caller = localRequest();
        EXPECT_EQ(askedBefore + 1, fake.asked.load());
        EXPECT_TRUE(caller.local);
        EXPECT_EQ("", caller.peerAddress);
        EXPECT_EQ(c.privileged, caller.privileged);
        if (!c.userName.empty() || c.fail)
        {
            EXPECT_EQ(c.userName, caller.userName);
        }
    }
}

TEST_F(ClientIdentity, TcpClientsAreNeverPrivileged)
{
    RunningServer running(processor, options());
    CIMClient client;
    client.connect("127.0.0.1", running.server.boundPort(), "root", "anything");
    client.getClass("root/wire", "WT_Widget");
    RequestCaller caller = processor.lastCaller();
    EXPECT_FALSE(caller.local);
    EXPECT_FALSE(caller.privileged);
    EXPECT_EQ("", caller.userName);
    EXPECT_EQ("127.0.0.1", caller.peerAddress);
    EXPECT_EQ(0, fake.asked.load());
}

class Authentication : public ClientIdentity
{
protected:
    HttpServerOptions authenticating()
    {
        HttpServerOptions o = options();
        o.requireAuthentication = true;
        o.realm = "testhost";
        o.checkPassword = [this](const std::string& user, const std::string& password) {
            ++checks;
            if (user == "broken")
                throw std::runtime_error("no password database");
            return user == "alice" && password == "s3cret:x";
        };
        return o;
    }

    std::atomic<int> checks{0};
};

TEST_F(Authentication, TcpRequestsWithoutGoodCredentialsGetAChallenge)
{
    RunningServer running(processor, authenticating());
    const unsigned port = running.server.boundPort();
    const std::string request =
        "POST /cimom HTTP/1.1\r\nHost: x\r\nCIMOperation: MethodCall\r\n"
        "Content-Length: 4\r\n";
    const std::string credentials[] = {
        "",                                             // none
        "Authorization: Basic YWxpY2U6d3Jvbmc=\r\n",     // alice:wrong
        "Authorization: Basic YnJva2VuOng=\r\n",         // broken:x (check throws)
        "Authorization: Digest username=\"alice\"\r\n",  // another scheme
        "Authorization: Basic ###\r\n",                  // not base64
    };
    for (const std::string& c : credentials)
    {
        SCOPED_TRACE(c);
        RawClient raw(port);
        ASSERT_TRUE(raw.connected);
        ASSERT_TRUE(raw.send(request + c + "\r\nbody"));
        std::string answer = raw.readResponse();
        EXPECT_EQ(0u, answer.find("HTTP/1.1 401 Unauthorized\r\n")) << answer;
        EXPECT_NE(std::string::npos,
                  answer.find("\r\nWWW-Authenticate: Basic realm=\"testhost\"\r\n"))
            << answer;
    }
    EXPECT_EQ(2, checks.load());
    EXPECT_EQ(0, processor.calls.load());

    CIMClient wrong;
    wrong.connect("127.0.0.1", port, "alice", "s3cret");
    try
    {
        wrong.getClass("root/wire", "WT_Widget");
        FAIL() << "a wrong password was accepted";
    }
    catch (const CIMClientHTTPErrorException& e)
    {
        EXPECT_EQ(401u, e.getCode());
    }
    EXPECT_EQ(0, processor.calls.load());
}

TEST_F(Authentication, AcceptedUsersAreCheckedOncePerConnection)
{
    RunningServer running(processor, authenticating());
    CIMClient client;
    client.connect("127.0.0.1", running.server.boundPort(), "alice", "s3cret:x");
    for (int i = 0; i < 3; ++i)
        client.getClass("root/wire", "WT_Widget");
    RequestCaller caller = processor.lastCaller();
    EXPECT_EQ("alice", caller.userName);
    EXPECT_FALSE(caller.local);
    EXPECT_FALSE(caller.privileged);
    EXPECT_EQ(3, processor.calls.load());
    EXPECT_EQ(1, checks.load());
}

TEST_F(Authentication, LocalPeersNeedNoPasswordUnlessTheirCredentialsAreUnknown)
{
    RunningServer running(processor, authenticating());
    RequestCaller caller = localRequest();
    EXPECT_TRUE(caller.privileged);
    EXPECT_EQ(0, checks.load());

    fake.fail = true;
    CIMClient client;
    client.connectLocal();
    try
    {
        client.getClass("root/wire", "WT_Widget");
        FAIL() << "a peer without credentials was served";
    }
    catch (const CIMClientHTTPErrorException& e)
    {
        EXPECT_EQ(401u, e.getCode());
    }
    EXPECT_EQ(1, processor.calls.load());
}

TEST(BasicCredentials, AreDecodedFromTheAuthorizationField)
{
    struct Case
    {
        const char* field;
        bool ok;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"Basic YWxpY2U6c2VjcmV0", true, "alice", "secret"},
        {"basic   YWxpY2U6c2VjcmV0  ", true, "alice", "secret"},
        {"Basic YTpiOmM=", true, "a", "b:c"},
        {"Basic YWI6", true, "ab", ""},
        {"Basic OnB3", true, "", "pw"},
        {"Basic YWxpY2U=", false, "", ""},        // no colon
        {"Basic YWxp Y2U6c2VjcmV0", false, "", ""},
        {"Basic YWI6=x==", false, "", ""},        // data after padding
        {"Basic YWI6Y", false, "", ""},           // truncated
        {"Bearer YWxpY2U6c2VjcmV0", false, "", ""},
        {"Basi", false, "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.field);
        std::string user = "unchanged", password = "unchanged";
        EXPECT_EQ(c.ok, parseBasicCredentials(c.field, user, password));
        if (c.ok)
        {
            EXPECT_EQ(c.user, user);
            EXPECT_EQ(c.password, password);
        }
    }
}

}  // namespace
