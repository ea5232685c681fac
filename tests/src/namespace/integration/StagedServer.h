// A CIM server started from the staging tree's programs in a root of its
// own, for tests of provider directories without the plug-in, and the
// reading of a requested-class file's namespace and classes.
#ifndef NQRVKTA20_TESTS_STAGEDSERVER_H
#define NQRVKTA20_TESTS_STAGEDSERVER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "TOSSpecific.h"

#include "../NamespaceTestSupport.h"

namespace nsptest {

namespace fs = std::filesystem;

// A TCP port on 127.0.0.1 that was free a moment ago.
inline unsigned FreePort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    unsigned port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

// A requested-class file's namespace and class names (entries without their
// time-out and tag).
struct RequestedClasses {
    std::string nsp;
    std::vector<std::string> classes;
};

inline RequestedClasses ReadRequestedClasses(std::string const& path)
{
    std::string const xml = ReadFile(path);
    RequestedClasses result;
    std::smatch m;
    if (std::regex_search(xml, m, std::regex("<nsp name=\"([^\"]*)\"")))
        result.nsp = m[1];
    std::regex const entry("<class name=\"([A-Za-z0-9_]+)[^\"]*\"");
    for (std::sregex_iterator it(xml.begin(), xml.end(), entry), end; it != end; ++it)
        result.classes.push_back((*it)[1]);
    return result;
}

// The staged programs run in a root of their own, with the plug-in's
// environment; the server started there is stopped (and, failing that,
// killed) when the object goes, also after a failed assertion.
class StagedServer {
public:
    StagedServer() : fPort(FreePort())
    {
        fs::create_directories(fRoot / "pegasus/provider");
        for (const char* dir : {"bin", "lib", "pegSchema"})
            fs::create_directory_symlink(std::string(KTA_STAGE_DIR) + "/pegasus/" + dir,
                                         fRoot / (std::string("pegasus/") + dir));
    }
    ~StagedServer()
    {
        if (!fStarted)
            return;
        Run("cimserver", {"-s"});
        std::ifstream in(Home() + "/cimserver_start.conf");
        int pid = 0;
        if (in >> pid && pid > 0 && ReadFile("/proc/" + std::to_string(pid) + "/comm") ==
                                        "cimserver\n")
            kill(pid, SIGKILL);
    }
    StagedServer(StagedServer const&) = delete;
    StagedServer& operator=(StagedServer const&) = delete;

    std::string Home() const { return fRoot / "pegasus"; }
    unsigned Port() const { return fPort; }

    // Runs a staged program; the result is its status and output, for
    // messages.
    std::pair<int, std::string> Run(std::string const& program,
                                    std::vector<std::string> const& args) const
    {
        std::string output;
        int const status = NQRVKTA20::TOSSpecific::SpawnProcess(
            program, args, Home() + "/bin/" + program,
            {"PEGASUS_HOME=" + Home(), "LD_LIBRARY_PATH=" + Home() + "/lib", "PATH=/usr/bin:/bin"},
            output, 120);
        return {status, output};
    }

    ::testing::AssertionResult Succeeds(std::string const& program,
                                        std::vector<std::string> const& args) const
    {
        auto const [status, output] = Run(program, args);
        std::string line = program;
        for (std::string const& a : args)
            line += " " + a;
        // cimmof goes on after an include file it cannot open; the classes
        // that need it then fail, but say so only in the output.
        if (status != 0 || output.find("Could not open include file") != std::string::npos)
            return ::testing::AssertionFailure() << line << ": status " << status << "\n" << output;
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Start()
    {
        fStarted = true;
        return Succeeds("cimserver", {"httpPort=" + std::to_string(fPort),
                                      "enableHttpsConnection=false", "enableAuthentication=false",
                                      "startFile=" + (fRoot / "start.conf")});
    }

    // Starts the server with one provider folder of the staging tree
    // (pegasus/provider/<name>, copied: its MOF includes are relative)
    // registered as the plug-in registers providers: the server schemas,
    // providerDir, the properties MOF into the provider's namespace, the
    // registration MOF into root/PG_InterOp.  `requested` receives the
    // provider's requested-class file.  Fails when a staged file is missing.
    ::testing::AssertionResult ServeStagedProvider(std::string const& name,
                                                   RequestedClasses& requested)
    {
        std::string const staged = std::string(KTA_STAGE_DIR) + "/pegasus/provider/" + name;
        for (std::string const& file : {name + ".classes.xml", name + ".properties.mof",
                                        name + ".registration.mof", "lib" + name + ".so"})
            if (!fs::is_regular_file(staged + "/" + file))
                return ::testing::AssertionFailure() << "not staged: " << staged << "/" << file;
        std::string const home = Home();
        std::string const dir = home + "/provider/" + name;
        fs::copy(staged, dir);
        requested = ReadRequestedClasses(dir + "/" + name + ".classes.xml");
        for (auto result :
             {Start(),
              Succeeds("cimmof", {"-n", "root/PG_Internal", "-aE",
                                  home + "/pegSchema/PG_Internal/PG_Internal.mof"}),
              Succeeds("cimmof", {"-n", "root/PG_InterOp", "-aE",
                                  home + "/pegSchema/PG_InterOp/PG_InterOp.mof"}),
              Succeeds("cimconfig", {"-s", "providerDir=provider/" + name}),
              Succeeds("cimmof", {"-n", requested.nsp, "-aE", dir + "/" + name + ".properties.mof"}),
              Succeeds("cimmof", {"-n", "root/PG_InterOp", "-aE",
                                  dir + "/" + name + ".registration.mof"})})
            if (!result)
                return result;
        return ::testing::AssertionSuccess();
    }

private:
    TempDir fRoot;
    unsigned fPort;
    bool fStarted = false;
};

// One started namespace shared by the cases of a test program: a root laid
// out as an installation of the staged programs, libraries and schemas,
// holding copies of the named provider folders of `from`, is the working
// and the module directory, and the namespace starts its server there with
// a start file of its own.  Fails when something is not staged or built.
class StartedNamespace : public ::testing::Test {
protected:
    static void Start(std::string const& name, std::string const& from = "",
                      std::vector<std::string> const& providers = {})
    {
        sRoot.reset(new TempDir);
        TempDir& root = *sRoot;
        fs::create_directories(root / "pegasus/provider");
        for (const char* dir : {"bin", "lib", "pegSchema"}) {
            std::string const target = std::string(KTA_STAGE_DIR) + "/pegasus/" + dir;
            ASSERT_TRUE(fs::exists(target)) << "not staged: " << target;
            fs::create_directory_symlink(target, root / (std::string("pegasus/") + dir));
        }
        for (std::string const& provider : providers) {
            std::string const source = from + "/" + provider;
            ASSERT_TRUE(fs::exists(source + "/" + provider + ".classes.xml"))
                << "not built: " << source;
            fs::copy(source, root / ("pegasus/provider/" + provider), fs::copy_options::recursive);
        }
        sConsumer = name + "_" + std::to_string(getpid());
        WriteFile(root / "pegasus/cimserver_planned.conf", "startFile=" + StartFile() + "\n");
        sCwd.reset(new CwdGuard(root.Path()));
        sModule.reset(new ModuleDirGuard(root.Path()));
        sCalls.reset(new SystemCallsGuard);
        sRepository.reset(new NQRVKTA20::TInmemNamespace("repository"));
        NQRVKTA20::TCIMContext context = MakeContext(&sRepository);
        context["consumer"] = NQRVKTA20::TCIMValue(sConsumer);
        NQRVKTA20::TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, false, "");
        sNamespace = NQRVKTA20::TPEGASUSNamespaceProvider::GetNamespace();
        ASSERT_TRUE(sNamespace && sNamespace->isConnected());
    }

    static void TearDownTestSuite()
    {
        NQRVKTA20::TPEGASUSNamespaceProvider::ClearNamespace();
        sNamespace.reset();
        sCalls.reset();
        sModule.reset();
        sCwd.reset();
        sRoot.reset();
    }

    static std::string StartFile() { return "/var/tmp/cimserverqrv_tc_" + sConsumer + "_start.conf"; }

    inline static std::unique_ptr<TempDir> sRoot;
    inline static std::unique_ptr<CwdGuard> sCwd;
    inline static std::unique_ptr<ModuleDirGuard> sModule;
    inline static std::unique_ptr<SystemCallsGuard> sCalls;
    inline static std::string sConsumer;
    inline static boost::shared_ptr<NQRVKTA20::ICIMNamespace> sRepository;
    inline static boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace> sNamespace;
    LogCapture fLog;
};

} // namespace nsptest

#endif
