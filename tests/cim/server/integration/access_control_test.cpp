// Who may change a running server.  Another user (nobody, through setpriv)
// sends every privileged operation over HTTP and is refused with nothing
// changed, cannot reach the local socket at all, and with authentication
// on is challenged; the server's own user does each of them over the local
// socket, as cimconfig, cimmof and cimserver -s do.
//
// Two servers in all: one as the plug-in starts it, one with
// enableAuthentication=true and a PAM configuration of the test's own.

#include "IntegrationSupport.h"

#include <CimXmlMessages.h>
#include <LocalSocketPath.h>

#include <Pegasus/Client/CIMClientException.h>

#include <sys/stat.h>

using namespace Pegasus;
using namespace integration;

namespace {

const CIMNamespaceName kInterop("root/PG_InterOp");
const CIMNamespaceName kInternal("root/PG_Internal");

// Runs curl as nobody (uid and gid 65534, no groups) with `args`.
RunResult curlAsNobody(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                    "curl", "-s", "-i", "--max-time", "20"};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram("/usr/bin/setpriv", all, {"PATH=/usr/bin:/bin"}, 30000);
}

// Posts `request` to the server's HTTP port as nobody, optionally with
// `credentials` ("user:password"); the whole answer.
std::string postAsNobody(unsigned port, const CimXmlRequest& request,
                         const std::string& credentials = std::string())
{
    std::vector<std::string> args = {
        "-H", "Content-Type: application/xml; charset=utf-8",
        "-H", "CIMOperation: MethodCall",
        "-H", "CIMMethod: " + request.cimMethod,
        "-H", "CIMObject: " + request.cimObject,
        "--data-binary", request.body,
        "http://127.0.0.1:" + std::to_string(port) + "/cimom"};
    if (!credentials.empty())
        args.insert(args.begin(), {"-u", credentials});
    RunResult r = curlAsNobody(args);
    EXPECT_EQ(0, r.status) << describe(r);
    return r.out;
}

CIMObjectPath configSetting(const char* property)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("PropertyName", property, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "PG_ConfigSetting", keys);
}

// UpdatePropertyValue as cimconfig -s sends it.
CimXmlRequest setProperty(const char* property, const char* value, bool current)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("PropertyValue", CIMValue(String(value))));
    in.append(CIMParamValue("ResetValue", CIMValue(false)));
    in.append(CIMParamValue("SetCurrentValue", CIMValue(current)));
    in.append(CIMParamValue("SetPlannedValue", CIMValue(!current)));
    return CimXmlRequestEncoder::invokeMethod("1", kInternal, configSetting(property),
                                              "UpdatePropertyValue", in);
}

CimXmlRequest shutdownRequest()
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("force", CIMValue(true)));
    in.append(CIMParamValue("timeout", CIMValue(Uint32(10))));
    return CimXmlRequestEncoder::invokeMethod(
        "1", kInternal, CIMObjectPath(String(), CIMNamespaceName(), "PG_ShutdownService"),
        "shutdown", in);
}

CIMInstance moduleInstance(const char* name, const char* location)
{
    CIMInstance m("PG_ProviderModule");
    m.addProperty(CIMProperty("Name", String(name)));
    m.addProperty(CIMProperty("Vendor", String("Test")));
    m.addProperty(CIMProperty("Version", String("1.0.0")));
    m.addProperty(CIMProperty("InterfaceType", String("C++Default")));
    m.addProperty(CIMProperty("InterfaceVersion", String("2.6.0")));
    m.addProperty(CIMProperty("Location", String(location)));
    return m;
}

CIMInstance providerInstance(const char* module, const char* name)
{
    CIMInstance p("PG_Provider");
    p.addProperty(CIMProperty("ProviderModuleName", String(module)));
    p.addProperty(CIMProperty("Name", String(name)));
    return p;
}

CIMInstance capabilitiesInstance(const char* module, const char* provider, const char* id)
{
    CIMInstance c("PG_ProviderCapabilities");
    c.addProperty(CIMProperty("ProviderModuleName", String(module)));
    c.addProperty(CIMProperty("ProviderName", String(provider)));
    c.addProperty(CIMProperty("CapabilityID", String(id)));
    c.addProperty(CIMProperty("ClassName", String("AC_Widget")));
    Array<String> namespaces;
    namespaces.append("root/cimv2");
    c.addProperty(CIMProperty("Namespaces", CIMValue(namespaces)));
    Array<Uint16> types;
    types.append(2);
    c.addProperty(CIMProperty("ProviderType", CIMValue(types)));
    return c;
}

// Connects over the local socket of `s`, as the server's own user (the
// test runs as the user the server runs as).
void connectAsOwner(CIMClient& client, const Server& s)
{
    ::setenv("PEGASUS_HOME", s.home().path().c_str(), 1);
    client.connectLocal();
}

// Everything the privileged operations could change, as the owner sees
// it: the current and planned configuration and the registrations.
std::string serverState(Server& s)
{
    std::string state = s.run("cimconfig", {"-l", "-c"}).out + "--\n" +
                        s.run("cimconfig", {"-l", "-p"}).out + "--\n";
    CIMClient owner;
    connectAsOwner(owner, s);
    for (const char* cls : {"PG_ProviderModule", "PG_Provider", "PG_ProviderCapabilities"})
    {
        Array<CIMInstance> instances = owner.enumerateInstances(kInterop, cls);
        for (Uint32 n = 0; n < instances.size(); ++n)
        {
            const CIMInstance& i = instances[n];
            state += text(i.getPath().toString());
            Uint32 pos = i.findProperty("Location");
            if (pos != PEG_NOT_FOUND)
                state += " " + text(i.getProperty(pos).getValue().toString());
            state += "\n";
        }
    }
    return state;
}

class AccessControl : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(server().start());
        // The owner registers a module that the others then try to change.
        try
        {
            CIMClient owner;
            connectAsOwner(owner, server());
            for (const CIMInstance& i :
                 {moduleInstance("OwnerModule", "OwnerProvider"),
                  providerInstance("OwnerModule", "OwnerProvider"),
                  capabilitiesInstance("OwnerModule", "OwnerProvider", "owner")})
                paths().push_back(owner.createInstance(kInterop, i));
        }
        catch (const Exception& e)
        {
            FAIL() << "registering as the owner: " << text(e.getMessage());
        }
    }

    static std::vector<CIMObjectPath>& paths()
    {
        static std::vector<CIMObjectPath> p;
        return p;
    }
};

TEST_F(AccessControl, AnotherUserIsRefusedEveryPrivilegedOperationOverHttp)
{
    ASSERT_EQ(3u, paths().size());
    CIMInstance moved = moduleInstance("OwnerModule", "/tmp/nobody/evil");
    moved.setPath(paths()[0]);
    // A few of each kind; the dispatcher's own test has the full table.
    const std::pair<const char*, CimXmlRequest> requests[] = {
        {"providerDir", setProperty("providerDir", "/tmp", true)},
        {"startFile planned", setProperty("startFile", "/tmp/victim", false)},
        {"register a module",
         CimXmlRequestEncoder::createInstance("1", kInterop, moduleInstance("Evil", "evil"))},
        {"move a module", CimXmlRequestEncoder::modifyInstance("1", kInterop, moved)},
        {"delete capabilities",
         CimXmlRequestEncoder::deleteInstance("1", kInterop, paths()[2])},
        {"shutdown", shutdownRequest()},
    };
    const std::string before = serverState(server());
    const pid_t pid = server().process().pid();
    for (const auto& request : requests)
    {
        SCOPED_TRACE(request.first);
        std::string answer = postAsNobody(server().port(), request.second);
        EXPECT_EQ(0u, answer.find("HTTP/1.1 200 OK\r\n")) << answer;
        EXPECT_NE(std::string::npos, answer.find("<ERROR CODE=\"2\"")) << answer;
    }
    EXPECT_EQ(before, serverState(server()));
    EXPECT_EQ(pid, server().process().pid());
    EXPECT_EQ(0, ::kill(pid, 0));
}

TEST_F(AccessControl, AnotherUserCannotReachTheLocalSocket)
{
    const std::string socket = LocalSocketPath::socketPathUnder(server().home().path());
    // The home directory is private too; open it up so that only the
    // socket's own mode stands in the way.
    ASSERT_EQ(0, ::chmod(server().home().path().c_str(), 0755));
    RunResult r = curlAsNobody({"--unix-socket", socket, "-d", "x", "http://localhost/cimom"});
    ::chmod(server().home().path().c_str(), 0700);
    EXPECT_EQ(7, r.status) << describe(r);  // curl: could not connect
}

TEST_F(AccessControl, TheOwnerDoesEachOverTheLocalSocket)
{
    const std::string providerDir = "providerDir=" + server().home().path();
    for (const std::string& setting :
         {providerDir, std::string("listenAddress=All"), std::string("startFile=/tmp/elsewhere")})
    {
        RunResult r = server().run("cimconfig", {"-s", setting, "-p"});
        EXPECT_EQ(0, r.status) << setting << "\n" << describe(r);
    }
    RunResult current = server().run("cimconfig", {"-s", providerDir});
    EXPECT_EQ(0, current.status) << describe(current);
    std::string planned = server().run("cimconfig", {"-l", "-p"}).out;
    EXPECT_NE(std::string::npos, planned.find("listenAddress=All")) << planned;
    // Set back, so that nothing else would ever start with them.
    for (const char* name : {"listenAddress", "startFile"})
        EXPECT_EQ(0, server().run("cimconfig", {"-u", name, "-p"}).status);

    CIMClient owner;
    connectAsOwner(owner, server());
    CIMInstance moved = moduleInstance("OwnerModule", "OwnerProvider2");
    moved.setPath(paths()[0]);
    owner.modifyInstance(kInterop, moved);
    owner.createInstance(kInterop, moduleInstance("SecondModule", "Second"));
    for (auto it = paths().rbegin(); it != paths().rend(); ++it)
        owner.deleteInstance(kInterop, *it);
    Array<CIMInstance> modules = owner.enumerateInstances(kInterop, "PG_ProviderModule");
    ASSERT_EQ(1u, modules.size());
    EXPECT_EQ("PG_ProviderModule.Name=\"SecondModule\"", text(modules[0].getPath().toString()));

    RunResult stop = server().stop();
    EXPECT_EQ(0, stop.status) << describe(stop);
    EXPECT_EQ(0u, server().process().pid());
}

// A PAM configuration for service "wbem" that accepts alice / s3cret only.
void writePamConfig(const TempHome& home, const std::string& dir)
{
    home.write("check-password",
               "#!/bin/sh\n"
               "password=$(tr -d '\\000')\n"
               "[ \"$PAM_USER\" = alice ] && [ \"$password\" = s3cret ]\n");
    ::chmod(home.file("check-password").c_str(), 0700);
    ::mkdir(dir.c_str(), 0700);
    home.write("pam.d/wbem", "auth required pam_exec.so expose_authtok quiet " +
                                 home.file("check-password") +
                                 "\naccount required pam_permit.so\n");
}

TEST(Authentication, HttpClientsNeedAPasswordAndTheOwnerNeedsNone)
{
    Server authenticating;
    const TempHome& home = authenticating.home();
    writePamConfig(home, home.file("pam.d"));
    ASSERT_TRUE(authenticating.start({"enableAuthentication=true", "pamConfigDir=pam.d"}));
    const unsigned port = authenticating.port();

    // cimmof (the schemas) and cimconfig went over the local socket.
    RunResult get = authenticating.run("cimconfig", {"-g", "enableAuthentication"});
    EXPECT_EQ(0, get.status) << describe(get);
    EXPECT_NE(std::string::npos, get.out.find("true")) << get.out;

    CimXmlRequest names = CimXmlRequestEncoder::enumerateClassNames("1", kInterop);
    for (const char* credentials : {"", "alice:wrong", "bob:s3cret"})
    {
        SCOPED_TRACE(credentials);
        std::string answer = postAsNobody(port, names, credentials);
        EXPECT_EQ(0u, answer.find("HTTP/1.1 401 Unauthorized\r\n")) << answer;
        EXPECT_NE(std::string::npos, answer.find("WWW-Authenticate: Basic realm=\"")) << answer;
    }
    std::string accepted = postAsNobody(port, names, "alice:s3cret");
    EXPECT_EQ(0u, accepted.find("HTTP/1.1 200 OK\r\n")) << accepted;
    EXPECT_NE(std::string::npos, accepted.find("CIM_ManagedElement")) << accepted;

    // An authenticated user is still not the server's owner.
    std::string denied =
        postAsNobody(port, setProperty("providerDir", "/tmp", true), "alice:s3cret");
    EXPECT_NE(std::string::npos, denied.find("<ERROR CODE=\"2\"")) << denied;

    // Our client answers the challenge with the user and password it got.
    CIMClient alice;
    alice.connect("127.0.0.1", port, "alice", "s3cret");
    EXPECT_LT(0u, alice.enumerateClassNames(kInterop).size());
    CIMClient wrong;
    wrong.connect("127.0.0.1", port, "alice", "nope");
    try
    {
        wrong.enumerateClassNames(kInterop);
        ADD_FAILURE() << "a wrong password was accepted";
    }
    catch (const CIMClientHTTPErrorException& e)
    {
        EXPECT_EQ(401u, e.getCode());
    }

    RunResult stop = authenticating.stop();
    EXPECT_EQ(0, stop.status) << describe(stop);
}

}  // namespace
