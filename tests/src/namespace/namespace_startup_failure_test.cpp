// Start-up in a root without a server program: six failed attempts, each
// logged, then the later start-up steps all the same.  Takes about half a
// minute (six times the three-second stop pause and the one-second retry
// pause).
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

TEST(PegasusNamespaceStartup, SixFailedAttemptsLeaveAnUnconnectedNamespace)
{
    nsptest::TempDir root;
    nsptest::CwdGuard cwd(root.Path());
    nsptest::LogCapture log;
    fs::create_directories(root / "pegasus/provider/vendor");
    nsptest::WriteRecordingProgram(root / "pegasus/bin/cimmof");
    nsptest::WriteRecordingProgram(root / "pegasus/bin/cimconfig");
    nsptest::WriteFile(root / "pegasus/repository/old", "stale");

    boost::shared_ptr<ICIMNamespace> repository(new TInmemNamespace("repository"));
    TCIMContext context = nsptest::MakeContext(&repository);
    std::string const consumer = "nsptest_startup_" + std::to_string(getpid());
    context["consumer"] = TCIMValue(consumer);

    boost::shared_ptr<ICIMNamespace> allocated =
        TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, true, "root/other");
    boost::shared_ptr<TPEGASUSNamespace> ns = TPEGASUSNamespaceProvider::GetNamespace();
    ASSERT_TRUE(ns);
    EXPECT_EQ(static_cast<ICIMNamespace*>(ns.get()), allocated.get());
    EXPECT_FALSE(ns->isConnected());
    EXPECT_EQ(consumer, ns->GetConsumer());

    std::vector<nsptest::LogRecord> records = log.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ("PEGASUS NSP with the consumer: " + consumer, records[0].text);
    std::vector<nsptest::LogRecord> attempts = log.Matching("TPEGASUSNamespace::connect failed: ");
    ASSERT_EQ(6u, attempts.size());
    for (int i = 0; i < 6; ++i) {
        std::string const suffix = " try to restart cimserver " + std::to_string(i + 1);
        EXPECT_EQ(suffix, attempts[i].text.substr(attempts[i].text.size() - suffix.size()));
        EXPECT_EQ(0, attempts[i].severity);
    }
    // Each attempt first cleared a residual server of this consumer.
    EXPECT_EQ(6u, log.Matching("Error opening " + ns->GetStartFilePath()).size());
    EXPECT_FALSE(fs::exists(root / "pegasus/repository"));

    // The schema files and the provider directories all the same.
    std::string const module = TPEGASUSNamespaceProvider::GetfgModulePathName();
    EXPECT_EQ(std::vector<std::string>({"-n", "root/PG_Internal", "-aE",
                                        module + "/pegasus/pegSchema/PG_Internal/PG_Internal.mof",
                                        "-n", "root/PG_InterOp", "-aE",
                                        module + "/pegasus/pegSchema/PG_InterOp/PG_InterOp.mof"}),
              nsptest::ReadLines(root / "pegasus/bin/cimmof.args"));
    EXPECT_EQ(std::vector<std::string>({"-s", "providerDir=provider/vendor:"}),
              nsptest::ReadLines(root / "pegasus/bin/cimconfig.args"));

    TPEGASUSNamespaceProvider::ClearNamespace();
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
    allocated.reset();
    ns.reset();
}
