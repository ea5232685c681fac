// The HTTP front end with our own CIMClient on the other end, over TCP and
// over the local socket, including one whose path does not fit a
// sockaddr_un.

#include "HttpServerHarness.h"
#include "LocalSocketPath.h"

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Exception.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/un.h>

using namespace Pegasus;
using namespace kta_test;

namespace {

// Answers GetClass with a class named as asked, except NoSuchClass, and
// SayHello with a greeting; records what it saw.
class ClassServer : public FakeProcessor
{
public:
    CimXmlRequestMessage last;
    std::mutex mutex;

    ClassServer()
    {
        handler = [this](const CimXmlRequestMessage& r) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                last = r;
            }
            if (!r.isIntrinsic)
            {
                Array<CIMParamValue> out;
                out.append(CIMParamValue("Place", CIMValue(String("From Neverland"))));
                return success(CimXmlResponseEncoder::methodResponse(
                    r.messageId, r.methodName,
                    CIMValue(String("Hello, World!")), out));
            }
            CIMName name = r.getClassName("ClassName");
            if (name == CIMName("NoSuchClass"))
                return failure(CIM_ERR_NOT_FOUND, "CIM_ERR_NOT_FOUND: NoSuchClass");
            return success(CimXmlResponseEncoder::classResponse(
                r.messageId, r.methodName, CIMClass(name, CIMName("WT_Base"))));
        };
    }
};

void exerciseClient(CIMClient& client)
{
    CIMClass c = client.getClass("root/wire", "WT_Widget");
    EXPECT_EQ("WT_Widget", std::string(c.getClassName().getString().getCString()));

    // The client asks for trailers, so the error travels in them.
    try
    {
        client.getClass("root/wire", "NoSuchClass");
        ADD_FAILURE() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(CIM_ERR_NOT_FOUND, e.getCode());
        EXPECT_EQ("CIM_ERR_NOT_FOUND: NoSuchClass",
                  std::string(e.getMessage().getCString()));
    }

    Array<CIMParamValue> in, out;
    in.append(CIMParamValue("Name", CIMValue(String("World"))));
    CIMValue result = client.invokeMethod(
        "root/SampleProvider",
        CIMObjectPath("Sample_MethodProviderClass.Identifier=1"), "SayHello",
        in, out);
    EXPECT_EQ("Hello, World!", std::string(result.toString().getCString()));
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ("Place", std::string(out[0].getParameterName().getCString()));
    EXPECT_EQ("From Neverland", std::string(out[0].getValue().toString().getCString()));
}

// GetClass of WT_Widget answered by ClassServer.
void expectWidget(CIMClient& client)
{
    CIMClass c = client.getClass("root/wire", "WT_Widget");
    EXPECT_EQ("WT_Widget", std::string(c.getClassName().getString().getCString()));
    EXPECT_EQ("WT_Base", std::string(c.getSuperClassName().getString().getCString()));
}

TEST(HttpServerWithClient, OperationsAndErrorsOverTcp)
{
    ClassServer processor;
    RunningServer running(processor);
    CIMClient client;
    client.connect("127.0.0.1", running.server.boundPort(), "", "");
    exerciseClient(client);
    std::lock_guard<std::mutex> lock(processor.mutex);
    EXPECT_FALSE(processor.last.isIntrinsic);
    EXPECT_EQ("root/SampleProvider",
              std::string(processor.last.nameSpace.getString().getCString()));
}

// Answers EnumerateInstances with `count` instances written piece by piece
// as the front end asks for them, failing after `failAfter` instances when
// that is not negative.
class InstanceProducer : public ResponseBodyProducer
{
public:
    InstanceProducer(int count, int failAfter) : _count(count), _failAfter(failAfter) {}

    Status next(std::string& out, std::size_t size, CIMStatusCode& code,
                String& description) override
    {
        std::size_t start = out.size();
        while (out.size() - start < size)
        {
            if (_made == _failAfter)
            {
                code = CIM_ERR_FAILED;
                description = "CIM_ERR_FAILED: disk gone";
                return FAILED;
            }
            if (_made == _count)
            {
                out += CimXmlResponseEncoder::returnValueTail();
                return DONE;
            }
            CIMInstance i("WT_Widget");
            i.addProperty(CIMProperty("Id", CIMValue(String(std::to_string(_made).c_str()))));
            i.addProperty(CIMProperty("Text", CIMValue(String(std::string(500, 'x').c_str()))));
            std::string path = "WT_Widget.Id=\"" + std::to_string(_made) + "\"";
            i.setPath(CIMObjectPath(String(path.c_str())));
            CimXmlResponseEncoder::appendNamedInstance(out, i);
            ++_made;
        }
        return MORE;
    }

private:
    int _count, _failAfter, _made = 0;
};

TEST(HttpServerWithClient, StreamedEnumerationsArriveWholeOrAsTheirError)
{
    FakeProcessor processor;
    std::atomic<int> failAfter{-1};
    processor.handler = [&](const CimXmlRequestMessage& r) {
        OperationOutcome o;
        o.body = CimXmlResponseEncoder::returnValueHead(r.messageId, r.methodName);
        o.producer = std::make_shared<InstanceProducer>(3000, failAfter.load());
        return o;
    };
    RunningServer running(processor);
    CIMClient client;
    client.connect("127.0.0.1", running.server.boundPort(), "", "");

    Array<CIMInstance> all = client.enumerateInstances("root/wire", "WT_Widget");
    ASSERT_EQ(3000u, all.size());
    EXPECT_EQ("WT_Widget.Id=\"2999\"", std::string(all[2999].getPath().toString().getCString()));

    // Well after the answer began (about 2 MB in all).
    failAfter = 2000;
    try
    {
        client.enumerateInstances("root/wire", "WT_Widget");
        ADD_FAILURE() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(CIM_ERR_FAILED, e.getCode());
        EXPECT_EQ("CIM_ERR_FAILED: disk gone", std::string(e.getMessage().getCString()));
    }
    failAfter = -1;
    EXPECT_EQ(3000u, client.enumerateInstances("root/wire", "WT_Widget").size());
}

class LocalSocket : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char base[] = "/tmp/kta-http-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(base));
        _base = base;
        // Deep enough that the socket path cannot fit a sockaddr_un.
        home = _base;
        while (home.size() <= sizeof(sockaddr_un().sun_path) + 20)
        {
            home += "/a-rather-long-directory-name";
            ASSERT_EQ(0, ::mkdir(home.c_str(), 0700));
        }
        socketPath = home + "/cimxml.socket";
        const char* old = std::getenv("PEGASUS_HOME");
        _oldHome = old ? old : "";
        _hadHome = old != nullptr;
        ::setenv("PEGASUS_HOME", home.c_str(), 1);
    }

    void TearDown() override
    {
        if (_hadHome)
            ::setenv("PEGASUS_HOME", _oldHome.c_str(), 1);
        else
            ::unsetenv("PEGASUS_HOME");
        std::system(("rm -rf '" + _base + "'").c_str());
    }

    HttpServerOptions options() const
    {
        HttpServerOptions o = RunningServer::defaults();
        o.enableHttp = false;
        o.localSocketPath = socketPath;
        return o;
    }

    std::string home, socketPath;

private:
    std::string _base, _oldHome;
    bool _hadHome = false;
};

TEST_F(LocalSocket, ServesClientsUnderAVeryLongPathOwnerOnlyAndCleansUp)
{
    ClassServer processor;
    {
        RunningServer running(processor, options());
        struct stat st;
        ASSERT_EQ(0, ::stat(socketPath.c_str(), &st));
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(0600u, st.st_mode & 0777u);
        EXPECT_EQ(0u, running.server.boundPort());

        CIMClient client;
        client.connectLocal();
        exerciseClient(client);
    }
    struct stat st;
    EXPECT_NE(0, ::stat(socketPath.c_str(), &st)) << "socket file left behind";
}

TEST_F(LocalSocket, ReplacesAStaleSocketButNotALiveOne)
{
    // A socket file whose server is gone.
    {
        LocalSocketPath::Address address(socketPath);
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(0, ::bind(fd, address.addr(), address.length()));
        ::close(fd);
    }
    ClassServer processor;
    RunningServer running(processor, options());
    CIMClient client;
    client.connectLocal();
    expectWidget(client);

    HttpServer second(options(), processor);
    try
    {
        second.bind();
        FAIL() << "a second server took over a live socket";
    }
    catch (const BindFailedException& e)
    {
        EXPECT_EQ("Bind failed: Failed to bind socket on local socket " +
                      socketPath + ": Address already in use (error code 98).",
                  std::string(e.getMessage().getCString()));
    }
    // The live server is undisturbed.
    expectWidget(client);
}

}  // namespace
