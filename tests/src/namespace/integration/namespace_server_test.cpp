// The whole life of a namespace against the real server programs: start-up
// in a root of its own, the schemas and the provider directories in the
// running server, and the shut-down that stops the server and removes its
// repository.  Fails when the staging tree lacks the server programs or the
// schema files.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>

#include "TInmemNamespace.h"
#include "TOSSpecific.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

#include "../NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

std::string const kStagePegasus = std::string(KTA_STAGE_DIR) + "/pegasus";

std::string MissingPrerequisite()
{
    for (const char* rel : {"bin/cimserver", "bin/cimmof", "bin/cimconfig",
                            "pegSchema/PG_Internal/PG_Internal.mof",
                            "pegSchema/PG_InterOp/PG_InterOp.mof"}) {
        if (!fs::exists(kStagePegasus + "/" + rel))
            return kStagePegasus + "/" + rel;
    }
    return std::string();
}

int PidInFile(std::string const& path)
{
    std::ifstream in(path);
    int pid = 0;
    in >> pid;
    return pid;
}

bool ProcessGoneWithin(int pid, int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        if (kill(pid, 0) != 0)
            return true;
        usleep(100 * 1000);
    }
    return false;
}

TEST(PegasusNamespaceServer, StartsServesAndStopsItsOwnServer)
{
    std::string const missing = MissingPrerequisite();
    ASSERT_TRUE(missing.empty()) << "not staged: " << missing;

    // The root: the installation's programs, libraries and schemas, but a
    // home, repository and provider root of its own.
    nsptest::TempDir root;
    std::string const consumer = "nsptest_server_" + std::to_string(getpid());
    std::string const startFile = "/var/tmp/cimserverqrv_tc_" + consumer + "_start.conf";
    fs::create_directories(root / "pegasus/provider/alpha");
    fs::create_directories(root / "pegasus/provider/beta");
    for (const char* dir : {"bin", "lib", "pegSchema"})
        fs::create_directory_symlink(kStagePegasus + "/" + dir, root / (std::string("pegasus/") + dir));
    nsptest::WriteFile(root / "pegasus/cimserver_planned.conf", "startFile=" + startFile + "\n");
    nsptest::CwdGuard cwd(root.Path());
    // The root is the module directory too: its provider folders hold no
    // provider, so none is registered.
    nsptest::ModuleDirGuard moduleDir(root.Path());
    nsptest::LogCapture log;

    boost::shared_ptr<ICIMNamespace> repository(new TInmemNamespace("repository"));
    TCIMContext context = nsptest::MakeContext(&repository);
    context["consumer"] = TCIMValue(consumer);

    boost::shared_ptr<ICIMNamespace> allocated =
        TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, false, "");
    boost::shared_ptr<TPEGASUSNamespace> ns = TPEGASUSNamespaceProvider::GetNamespace();
    ASSERT_TRUE(ns);
    ASSERT_TRUE(ns->isConnected()) << "see " << root.Path();
    EXPECT_TRUE(log.Matching("try to restart cimserver").empty());

    // The server named in the start file is alive.
    int const pid = PidInFile(startFile);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(0, kill(pid, 0));
    EXPECT_TRUE(ns->isResidualCimserver(pid));

    // Both server schemas were loaded.
    Pegasus::CIMClient client;
    client.setTimeout(20000);
    client.connect("127.0.0.1", ns->GetPort(), "", "");
    Pegasus::CIMClass module = client.getClass("root/PG_InterOp", "PG_ProviderModule", false);
    EXPECT_EQ("PG_ProviderModule", std::string(module.getClassName().getString().getCString()));
    EXPECT_LT(module.findProperty("Location"), module.getPropertyCount());
    EXPECT_GT(client.enumerateClassNames("root/PG_Internal", Pegasus::CIMName(), true).size(), 0u);
    EXPECT_GT(client.enumerateClassNames("root/PG_InterOp", Pegasus::CIMName(), true).size(), 0u);
    // WBEM clients find both namespaces where they look for namespaces.
    std::string namespaces;
    Pegasus::Array<Pegasus::CIMInstance> found =
        client.enumerateInstances("root/PG_InterOp", "CIM_Namespace");
    for (Pegasus::Uint32 i = 0; i < found.size(); ++i) {
        Pegasus::String name;
        found[i].getProperty(found[i].findProperty("Name")).getValue().get(name);
        namespaces += std::string(name.getCString()) + " ";
    }
    EXPECT_EQ("root/PG_InterOp root/PG_Internal ", namespaces);
    client.disconnect();

    // The two provider directories (in the order the directory lists them)
    // are the server's current setting.
    std::string output;
    TOSSpecific::SpawnProcess("cimconfig", {"-g", "providerDir"},
                              root / "pegasus/bin/cimconfig", ns->GetEnvironment(), output, 60);
    EXPECT_TRUE(output.find("Current value: provider/alpha:provider/beta:\n") != std::string::npos ||
                output.find("Current value: provider/beta:provider/alpha:\n") != std::string::npos)
        << output;
    EXPECT_TRUE(fs::exists(root / "pegasus/repository"));

    // Releasing the last holder stops the server and removes its state.
    TPEGASUSNamespaceProvider::ClearNamespace();
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
    allocated.reset();
    ns.reset();
    EXPECT_TRUE(ProcessGoneWithin(pid, 5));
    EXPECT_FALSE(fs::exists(startFile));
    EXPECT_FALSE(fs::exists(root / "pegasus/repository"));
}

} // namespace
