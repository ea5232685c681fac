// Start-up when no attempt can succeed: six failed attempts, each logged,
// then the later start-up steps all the same.  The pauses go through the
// namespace's system-call table, so they are checked without being waited
// for.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <ostream>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TKTAStatusCode.h"
#include "TOSSpecific.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

// Each attempt fails at a different step: the server program is missing
// (its start cannot be run), or no socket can be opened to choose a port.
struct Cause {
    const char* name;
    bool serverProgram;
    bool socketFails;
    uint32_t statusCode;
};

void PrintTo(Cause const& cause, std::ostream* out)
{
    *out << cause.name;
}

// Lets the provider go of its namespace at the end of the scope, also when
// a test fails early, so that the namespace stops within the test's root
// and system calls.
struct NamespaceRelease {
    ~NamespaceRelease() { TPEGASUSNamespaceProvider::ClearNamespace(); }
};

class PegasusNamespaceStartup : public ::testing::TestWithParam<Cause> {};

TEST_P(PegasusNamespaceStartup, SixFailedAttemptsLeaveAnUnconnectedNamespace)
{
    Cause const& cause = GetParam();
    nsptest::SystemCallsGuard calls;
    if (cause.socketFails)
        nsptest::SystemCallsGuard::Calls().socket = [](int, int, int) {
            errno = EMFILE;
            return -1;
        };
    nsptest::TempDir root;
    nsptest::CwdGuard cwd(root.Path());
    // The root is the module directory too: its provider folder holds no
    // provider.
    nsptest::ModuleDirGuard moduleDir(root.Path());
    nsptest::LogCapture log;
    NamespaceRelease release;
    fs::create_directories(root / "pegasus/provider/vendor");
    nsptest::WriteRecordingProgram(root / "pegasus/bin/cimmof");
    nsptest::WriteRecordingProgram(root / "pegasus/bin/cimconfig");
    if (cause.serverProgram)
        nsptest::WriteRecordingProgram(root / "pegasus/bin/cimserver");
    nsptest::WriteFile(root / "pegasus/repository/old", "stale");

    boost::shared_ptr<ICIMNamespace> repository(new TInmemNamespace("repository"));
    TCIMContext context = nsptest::MakeContext(&repository);
    std::string const consumer = "nsptest_startup_" + std::to_string(getpid());
    context["consumer"] = TCIMValue(consumer);

    auto const started = std::chrono::steady_clock::now();
    boost::shared_ptr<ICIMNamespace> allocated =
        TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, true, "root/other");
    // Nothing really waited: the stop pause alone is three seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    boost::shared_ptr<TPEGASUSNamespace> ns = TPEGASUSNamespaceProvider::GetNamespace();
    ASSERT_TRUE(ns);
    EXPECT_EQ(static_cast<ICIMNamespace*>(ns.get()), allocated.get());
    EXPECT_FALSE(ns->isConnected());
    EXPECT_EQ(consumer, ns->GetConsumer());

    std::vector<nsptest::LogRecord> records = log.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ("PEGASUS NSP with the consumer: " + consumer, records[0].text);
    // The exception's text is the status code's alone: no detail of the
    // failure (program path, system error) is in the line.
    std::vector<nsptest::LogRecord> attempts = log.Matching("TPEGASUSNamespace::connect failed: ");
    ASSERT_EQ(6u, attempts.size());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ("TPEGASUSNamespace::connect failed: " +
                      TKTAStatusCode::TranslateStatusCode(cause.statusCode) +
                      " try to restart cimserver " + std::to_string(i + 1),
                  attempts[i].text);
        EXPECT_EQ(0, attempts[i].severity);
    }
    if (cause.socketFails) {
        EXPECT_TRUE(log.Matching(std::strerror(EMFILE)).empty());
        EXPECT_TRUE(log.Matching("Can not bind").empty());
    }
    // Each attempt first cleared a residual server of this consumer.
    EXPECT_EQ(6u, log.Matching("Error opening " + ns->GetStartFilePath()).size());
    EXPECT_FALSE(fs::exists(root / "pegasus/repository"));

    // Per attempt: clean, stop pause, start-file removal, retry pause; then
    // the vendor fix-ups of the configuration ("bcu" is not installed).
    std::string const R = root.Path();
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        expected.push_back("system rm " + R + "/pegasus/repository -rf > nul 2>&1");
        expected.push_back("system rm " + R + "/pegasus/provider/lsi_mir/repository.xml" +
                           " -rf > nul 2>&1");
        expected.push_back("sleep 3");
        expected.push_back("system rm /var/tmp/cimserverqrv_tc_" + consumer +
                           "_start.conf -f > nul 2>&1");
        expected.push_back("sleep 1");
    }
    expected.push_back("system rm " + R + "/pegasus/provider/lsi_mir/lsi_mr.conf -rf > nul 2>&1");
    expected.push_back("system rm " + R + "/pegasus/provider/brocade/libdbfaj.so -rf > nul 2>&1");
    EXPECT_EQ(expected, nsptest::SystemCallsGuard::Trace());

    // The schema files and the provider directories all the same.
    std::string const module = TPEGASUSNamespaceProvider::GetfgModulePathName();
    EXPECT_EQ(std::vector<std::string>({"-n", "root/PG_Internal", "-aE",
                                        module + "/pegasus/pegSchema/PG_Internal/PG_Internal.mof",
                                        "-n", "root/PG_InterOp", "-aE",
                                        module + "/pegasus/pegSchema/PG_InterOp/PG_InterOp.mof"}),
              nsptest::ReadLines(root / "pegasus/bin/cimmof.args"));
    EXPECT_EQ(std::vector<std::string>({"-s", "providerDir=provider/vendor:"}),
              nsptest::ReadLines(root / "pegasus/bin/cimconfig.args"));
    // Without a port no attempt went on to start the server.
    if (cause.socketFails) {
        EXPECT_FALSE(fs::exists(root / "pegasus/bin/cimserver.args"));
    }

    TPEGASUSNamespaceProvider::ClearNamespace();
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
    allocated.reset();
    ns.reset();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, PegasusNamespaceStartup,
    ::testing::Values(Cause{"NoServerProgram", false, false, TOSSpecific::kSpawnFailure},
                      Cause{"NoSocket", true, true, TKTAStatusCode::kConnectionFailed}),
    [](::testing::TestParamInfo<Cause> const& info) { return std::string(info.param.name); });

} // namespace
