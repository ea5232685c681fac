// Server configuration without a server: what the namespace hands to
// cimconfig and cimmof (arguments and the whole environment), the vendor
// fix-ups of preConfig, and the removal of the server's stored state.
#include <dirent.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TKTAStatusCode.h"
#include "TOSSpecific.h"
#include "TPEGASUSNamespace.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

// The provider subdirectories of `dir` in the order the system lists them.
std::vector<std::string> ListedDirs(std::string const& dir)
{
    std::vector<std::string> names;
    DIR* listing = opendir(dir.c_str());
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name != "." && name != ".." && fs::is_directory(dir + "/" + name))
            names.push_back(name);
    }
    closedir(listing);
    return names;
}

class PegasusNamespaceConfig : public nsptest::NamespaceTest {
protected:
    PegasusNamespaceConfig()
    {
        fs::create_directories(fRoot / "pegasus/provider");
        nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimconfig");
        nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimmof");
    }

    std::vector<std::string> Args(std::string const& program)
    {
        return nsptest::ReadLines(fRoot / ("pegasus/bin/" + program + ".args"));
    }

    // A "bcu" first in PATH that prints `version` (none at all when empty).
    void FakeBcu(std::string const& version)
    {
        std::string const bin = fRoot / "fakebin";
        fs::create_directories(bin);
        if (!version.empty())
            nsptest::WriteScript(bin + "/bcu", "echo 'BCU version: " + version + "'\n");
        fOldPath = getenv("PATH") ? getenv("PATH") : "";
        setenv("PATH", (bin + ":" + fOldPath).c_str(), 1);
    }

    ~PegasusNamespaceConfig() override
    {
        if (!fOldPath.empty())
            setenv("PATH", fOldPath.c_str(), 1);
    }

    std::string fOldPath;
};

TEST_F(PegasusNamespaceConfig, EmptyProviderRootGivesAnEmptyProviderDir)
{
    fNamespace->callCimconfig();
    EXPECT_EQ(std::vector<std::string>({"-s", "providerDir="}), Args("cimconfig"));
}

TEST_F(PegasusNamespaceConfig, ProviderDirListsEverySubdirectoryWithATrailingColon)
{
    fs::create_directories(fRoot / "pegasus/provider/a");
    fs::create_directories(fRoot / "pegasus/provider/b");
    nsptest::WriteFile(fRoot / "pegasus/provider/not_a_dir.so", "x");
    std::string expected = "providerDir=";
    for (std::string const& name : ListedDirs(fRoot / "pegasus/provider"))
        expected += "provider/" + name + ":";
    ASSERT_TRUE(expected == "providerDir=provider/a:provider/b:" ||
                expected == "providerDir=provider/b:provider/a:");

    fNamespace->callCimconfig();
    EXPECT_EQ(std::vector<std::string>({"-s", expected}), Args("cimconfig"));
}

TEST_F(PegasusNamespaceConfig, ChildrenReceiveExactlyTheThreeEntries)
{
    fNamespace->callCimconfig();
    fNamespace->callCimmof("root/PG_Internal", "/some/file.mof");
    for (const char* program : {"cimconfig", "cimmof"}) {
        std::vector<std::string> env =
            nsptest::ReadLines(fRoot / (std::string("pegasus/bin/") + program + ".env"));
        EXPECT_EQ(fNamespace->GetEnvironment(), env) << program;
        ASSERT_EQ(3u, env.size()) << program;
        EXPECT_EQ(0u, env[0].find("PEGASUS_HOME=" + fRoot.Path() + "/pegasus"));
        EXPECT_EQ(0u, env[1].find("LD_LIBRARY_PATH="));
        EXPECT_EQ(0u, env[2].find("PATH="));
    }
}

TEST_F(PegasusNamespaceConfig, CimmofGetsNamespaceAndFileAfterItsOptions)
{
    fNamespace->callCimmof("root/PG_InterOp", "/x/PG_InterOp.mof");
    EXPECT_EQ(std::vector<std::string>({"-n", "root/PG_InterOp", "-aE", "/x/PG_InterOp.mof"}),
              Args("cimmof"));
}

TEST_F(PegasusNamespaceConfig, ChildOutputIsLogged)
{
    nsptest::WriteScript(fRoot / "pegasus/bin/cimconfig", "echo 'property set: providerDir'\n");
    fNamespace->callCimconfig();
    std::vector<nsptest::LogRecord> records = fLog.Matching("property set: providerDir");
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(3, records[0].severity);
}

TEST_F(PegasusNamespaceConfig, MissingProgramsAndProviderRootThrow)
{
    fs::remove(fRoot / "pegasus/bin/cimmof");
    EXPECT_THROW(fNamespace->callCimmof("root/x", "f.mof"), TKTAException);
    fs::remove_all(fRoot / "pegasus/provider");
    try {
        fNamespace->preConfig();
        ADD_FAILURE() << "no exception";
    } catch (TKTAException const& e) {
        EXPECT_EQ(11u, e.GetStatusCode());
    }
}

TEST_F(PegasusNamespaceConfig, FindSubDirsReturnsDirectoryNamesOnly)
{
    std::string const dir = fRoot / "listing";
    fs::create_directories(dir + "/one");
    fs::create_directories(dir + "/two");
    nsptest::WriteFile(dir + "/file.txt", "x");
    fs::create_directory_symlink(dir + "/one", dir + "/link");
    std::vector<std::string> names = fNamespace->FindSubDirs(dir);
    EXPECT_EQ(ListedDirs(dir), names);
    std::sort(names.begin(), names.end());
    // stat follows the link, so it counts as a directory.
    EXPECT_EQ(std::vector<std::string>({"link", "one", "two"}), names);
    try {
        fNamespace->FindSubDirs(fRoot / "missing");
        ADD_FAILURE() << "no exception";
    } catch (TKTAException const& e) {
        EXPECT_EQ(11u, e.GetStatusCode());
    }
}

TEST_F(PegasusNamespaceConfig, PreConfigRewritesTheLsiConfiguration)
{
    std::string const dir = fRoot / "pegasus/provider/lsi_mir";
    nsptest::WriteFile(dir + "/lsi_mr.conf", "OLD=1\nSTALE=2\nmore text\n");
    FakeBcu("3.0.0");
    fNamespace->preConfig();
    EXPECT_EQ("DATA_DIR=" + dir + "/\nLIBRARY_DIR=" + dir + "/",
              nsptest::ReadFile(dir + "/lsi_mr.conf"));
    EXPECT_EQ(std::vector<std::string>({"-s", "providerDir=provider/lsi_mir:"}),
              Args("cimconfig"));
}

TEST_F(PegasusNamespaceConfig, PreConfigWithoutLsiDirectoryCreatesNoFile)
{
    FakeBcu("3.0.0");
    fNamespace->preConfig();
    EXPECT_FALSE(fs::exists(fRoot / "pegasus/provider/lsi_mir"));
}

// The brocade library stays only when "bcu -v" prints 3.0.0 somewhere.
TEST_F(PegasusNamespaceConfig, BrocadeLibraryKeptOnlyForVersionText300)
{
    struct Case {
        const char* bcuVersion;  // "" for no bcu program at all
        bool kept;
    };
    const Case cases[] = {
        {"3.0.0", true},
        {"13.0.0.1", true},
        {"2.3.0", false},
        {"3.0", false},
        {"", false},
    };
    std::string const lib = fRoot / "pegasus/provider/brocade/libdbfaj.so";
    for (Case const& c : cases) {
        nsptest::WriteFile(lib, "library");
        fs::remove_all(fRoot / "fakebin");
        if (!fOldPath.empty())
            setenv("PATH", fOldPath.c_str(), 1);
        FakeBcu(c.bcuVersion);
        fNamespace->preConfig();
        EXPECT_EQ(c.kept, fs::exists(lib)) << "bcu prints '" << c.bcuVersion << "'";
    }
}

TEST_F(PegasusNamespaceConfig, FailingBcuIsLoggedAsAFailure)
{
    FakeBcu("");
    fNamespace->preConfig();
    // The exception's text (the status code's), besides the spawning
    // service's own record of the reason.
    std::vector<nsptest::LogRecord> failures;
    for (nsptest::LogRecord const& record : fLog.Records())
        if (record.severity == 0)
            failures.push_back(record);
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(0u, failures[0].text.find("TOSSpecific::SpawnProcess "));
    EXPECT_NE(std::string::npos, failures[0].text.find("bcu -v"));
    EXPECT_EQ(TKTAStatusCode::TranslateStatusCode(TOSSpecific::kSpawnFailure), failures[1].text);
}

TEST_F(PegasusNamespaceConfig, CleanCimserverRemovesRepositoryAndLsiState)
{
    nsptest::WriteFile(fRoot / "pegasus/repository/root#cimv2/classes/x", "x");
    nsptest::WriteFile(fRoot / "pegasus/provider/lsi_mir/repository.xml", "<x/>");
    nsptest::WriteFile(fRoot / "pegasus/provider/lsi_mir/lsi_mr.conf", "keep");
    fNamespace->cleanCimserver();
    EXPECT_FALSE(fs::exists(fRoot / "pegasus/repository"));
    EXPECT_FALSE(fs::exists(fRoot / "pegasus/provider/lsi_mir/repository.xml"));
    EXPECT_TRUE(fs::exists(fRoot / "pegasus/provider/lsi_mir/lsi_mr.conf"));
    std::vector<std::string> const removals = {
        "system rm " + fRoot.Path() + "/pegasus/repository -rf > nul 2>&1",
        "system rm " + fRoot.Path() + "/pegasus/provider/lsi_mir/repository.xml -rf > nul 2>&1"};
    EXPECT_EQ(removals, nsptest::SystemCallsGuard::Trace());
    // Nothing left to remove is fine too.
    fNamespace->cleanCimserver();
}

// The shell's result is not examined: a shell that cannot run leaves the
// state in place without an error.
TEST_F(PegasusNamespaceConfig, CleanCimserverIgnoresAShellThatCannotRun)
{
    nsptest::WriteFile(fRoot / "pegasus/repository/root#cimv2/classes/x", "x");
    nsptest::SystemCallsGuard::Calls().system = [](const char*) {
        errno = EAGAIN;
        return -1;
    };
    EXPECT_NO_THROW(fNamespace->cleanCimserver());
    EXPECT_TRUE(fs::exists(fRoot / "pegasus/repository/root#cimv2/classes/x"));
}

} // namespace
