// Vendor providers discovered, registered into the real CIM server and
// enumerated for the host: three working providers built with the tests, a
// malformed requested-class file and a provider whose MOF does not compile,
// registered one after the other and on one thread each.
#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include <gtest/gtest.h>

#include "ICIMClass.h"
#include "IProvider.h"
#include "TConfig.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TPEGASUSProvider.h"

#include "../NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

std::string const kStagePegasus = std::string(KTA_STAGE_DIR) + "/pegasus";
std::string const kProviders = NSPTEST_PROVIDERS_DIR;

// The host configuration keys of these tests, restored afterwards.
class ConfigGuard {
public:
    ConfigGuard(std::string const& multiThread, std::string const& group)
    {
        for (const char* key : {"pegasus_multi_thread", "single_thread_pegasus_group"}) {
            fSaved[key] = std::make_pair(TConfig::GetInstance().hasValue(key),
                                         TConfig::GetInstance().getValue(key));
        }
        TConfig::GetInstance().setValue("pegasus_multi_thread", multiThread);
        TConfig::GetInstance().setValue("single_thread_pegasus_group", group);
    }
    ~ConfigGuard()
    {
        for (auto const& saved : fSaved)
            TConfig::GetInstance().setValue(saved.first, saved.second.second);
    }

private:
    std::map<std::string, std::pair<bool, std::string>> fSaved;
};

// A started namespace whose root is also its module directory, holding the
// three test providers and two broken ones.
class PegasusNamespaceProviders : public ::testing::Test {
protected:
    void Start(std::string const& multiThread)
    {
        fConfig.reset(new ConfigGuard(multiThread, "nsptestalpha"));
        fs::create_directories(fRoot / "pegasus/provider");
        for (const char* dir : {"bin", "lib", "pegSchema"}) {
            std::string const target = kStagePegasus + "/" + dir;
            ASSERT_TRUE(fs::exists(target)) << "not staged: " << target;
            fs::create_directory_symlink(target, fRoot / (std::string("pegasus/") + dir));
        }
        for (const char* name : {"nsptestalpha", "nsptestbeta", "nsptestgamma"}) {
            std::string const source = kProviders + "/" + name;
            ASSERT_TRUE(fs::exists(source + "/" + name + ".classes.xml")) << "not built: " << source;
            fs::copy(source, fRoot / (std::string("pegasus/provider/") + name),
                     fs::copy_options::recursive);
        }
        // Line 4 breaks the XML: the classes before it are kept.
        nsptest::WriteFile(fRoot / "pegasus/provider/nsptestbroken/nsptestbroken.classes.xml",
                           "<kta>\n<nsp name=\"root/nsptest_broken\"/><module name=\"nsptestbroken\"/>\n"
                           "<class name=\"NSPTEST_BrokenKept\"/>\n<class name=\"x\"\n</kta>\n");
        nsptest::WriteFile(fRoot / "pegasus/provider/nsptestbadmof/nsptestbadmof.classes.xml",
                           "<kta><nsp name=\"root/nsptest_badmof\"/><module name=\"nsptestbadmof\"/>"
                           "<class name=\"NSPTEST_BadMof\"/></kta>\n");
        nsptest::WriteFile(fRoot / "pegasus/provider/nsptestbadmof/nsptestbadmof.properties.mof",
                           "class NSPTEST_BadMof { string Name\n};\n");
        std::string const consumer = "nsptest_providers_" + std::to_string(getpid());
        nsptest::WriteFile(fRoot / "pegasus/cimserver_planned.conf",
                           "startFile=/var/tmp/cimserverqrv_tc_" + consumer + "_start.conf\n");

        fModule = TPEGASUSNamespaceProvider::GetfgModulePathName();
        TPEGASUSNamespaceProvider::GetfgModulePathName() = fRoot.Path();
        fCwd.reset(new nsptest::CwdGuard(fRoot.Path()));
        TCIMContext context = nsptest::MakeContext(&fRepository);
        context["consumer"] = TCIMValue(consumer);
        TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, false, "");
        fNamespace = TPEGASUSNamespaceProvider::GetNamespace();
        ASSERT_TRUE(fNamespace && fNamespace->isConnected());
    }

    void TearDown() override
    {
        TPEGASUSNamespaceProvider::ClearNamespace();
        fNamespace.reset();
        fCwd.reset();
        if (!fModule.empty())
            TPEGASUSNamespaceProvider::GetfgModulePathName() = fModule;
    }

    // "<provider>: <class>,<class>" for every provider, as the host's
    // inventory would see them.
    std::vector<std::string> Offered()
    {
        std::vector<std::string> offered;
        for (boost::shared_ptr<TPEGASUSProvider> const& provider :
             fNamespace->GetProvidersContainer()) {
            std::string line = provider->GetName(TCIMContext()) + ":";
            provider->EnumerateClassesProvided(
                [&line](boost::shared_ptr<ICIMClass> cls) {
                    line += " " + cls->GetName(TCIMContext());
                    return true;
                },
                TCIMContext());
            offered.push_back(line);
        }
        return offered;
    }

    // The names handed to the callback of one EnumerateProviders pass.
    std::vector<std::string> Pass(signed char pluginType, bool goOn = true)
    {
        std::vector<std::string> names;
        std::mutex lock;
        TCIMContext context;
        context["pluginType"] = TCIMValue(pluginType);
        fNamespace->EnumerateProviders(
            [&](boost::shared_ptr<IProvider> provider) {
                std::lock_guard<std::mutex> guard(lock);
                names.push_back(provider->GetName(TCIMContext()));
                return goOn;
            },
            context);
        std::sort(names.begin(), names.end());
        return names;
    }

    nsptest::TempDir fRoot;
    nsptest::LogCapture fLog;
    nsptest::SystemCallsGuard fCalls;
    std::unique_ptr<ConfigGuard> fConfig;
    std::unique_ptr<nsptest::CwdGuard> fCwd;
    std::string fModule;
    boost::shared_ptr<ICIMNamespace> fRepository{new TInmemNamespace("repository")};
    boost::shared_ptr<TPEGASUSNamespace> fNamespace;
};

std::vector<std::string> const kOffered = {
    "nsptestalpha: NSPTEST_AlphaItem NSPTEST_AlphaGroup",
    "nsptestbadmof:",
    "nsptestbeta: NSPTEST_BetaPort",
    "nsptestbroken:",
    "nsptestgamma: NSPTEST_GammaLeaf",
};

TEST_F(PegasusNamespaceProviders, SequentialRegistrationBindsEveryClassToItsProvider)
{
    Start("off");
    ASSERT_FALSE(HasFatalFailure());

    // Discovery in sorted path order, one provider per requested-class file.
    std::vector<std::string> paths;
    for (auto const& provider : fNamespace->GetProvidersContainer())
        paths.push_back(provider->GetPath());
    std::string const root = fRoot / "pegasus/provider/";
    EXPECT_EQ(std::vector<std::string>({root + "nsptestalpha/nsptestalpha.classes.xml",
                                        root + "nsptestbadmof/nsptestbadmof.classes.xml",
                                        root + "nsptestbeta/nsptestbeta.classes.xml",
                                        root + "nsptestbroken/nsptestbroken.classes.xml",
                                        root + "nsptestgamma/nsptestgamma.classes.xml"}),
              paths);
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSNamespace::Prefilter: 5 providers.").size());
    EXPECT_EQ(5u, fLog.Matching("Loading... " + root).size());
    EXPECT_EQ(5u, fLog.Matching("TPEGASUSNamespace created Provider ").size());
    EXPECT_EQ(5u, fLog.Matching("TPEGASUSNamespace finished adding Provider ").size());
    EXPECT_TRUE(fLog.Matching("TPEGASUSNamespace::regProvider /").empty());

    // What each provider offers: the CDM class, the abstract class and the
    // DONTCOLLECT class are held back; the broken providers offer nothing.
    EXPECT_EQ(kOffered, Offered());
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSProvider::EnumerateClassesProvided ignored one CDM "
                                "class: NSPTEST_BetaDevice").size());

    // The settings of the files.
    boost::shared_ptr<TPEGASUSProvider> alpha = fNamespace->GetProvidersContainer().front();
    EXPECT_EQ("libnsptestalpha", alpha->GetModuleName(TCIMContext()));
    EXPECT_EQ("root/nsptest_alpha", alpha->GetNameSpaceName(TCIMContext()));
    EXPECT_TRUE(alpha->IsConnected());
    boost::shared_ptr<TPEGASUSClass> group = boost::dynamic_pointer_cast<TPEGASUSClass>(
        alpha->GetCollectedClasses().at(1));
    EXPECT_EQ(30000, group->GetTimeout());
    EXPECT_EQ(alpha, group->GetProvider());
    EXPECT_EQ(45000, boost::dynamic_pointer_cast<TPEGASUSClass>(alpha->GetCollectedClasses().at(0))
                         ->GetTimeout());

    // The malformed file: reported with the line of the fault; its first
    // class is kept, then left out because the server does not know it.
    std::vector<nsptest::LogRecord> malformed = fLog.Matching("not well-formed");
    ASSERT_EQ(1u, malformed.size());
    EXPECT_EQ("Performance Data RDD Parser line 5:not well-formed (invalid token)",
              malformed[0].text);
    EXPECT_EQ(0, malformed[0].severity);
    EXPECT_EQ(1u, fLog.Matching("class NSPTEST_BrokenKept of provider " + root +
                                "nsptestbroken/nsptestbroken.classes.xml cannot be had").size());
    EXPECT_EQ(1u, fLog.Matching("class NSPTEST_BadMof of provider ").size());

    // Enumeration: the single-thread group apart, a callback's false, and a
    // pluginType of the wrong type.
    EXPECT_EQ(std::vector<std::string>({"nsptestbadmof", "nsptestbeta", "nsptestbroken", "nsptestgamma"}),
              Pass(10));
    EXPECT_EQ(std::vector<std::string>({"nsptestalpha"}), Pass(11));
    EXPECT_EQ(std::vector<std::string>({"nsptestbadmof"}), Pass(10, false));
    EXPECT_TRUE(Pass(12).empty());
    TCIMContext wrongType;
    wrongType["pluginType"] = TCIMValue(std::string("10"));
    EXPECT_EQ(TKTAStatusCode::kWrongType, nsptest::StatusOf([&] {
                  fNamespace->EnumerateProviders(
                      [](boost::shared_ptr<IProvider>) { return true; }, wrongType);
              }));
}

TEST_F(PegasusNamespaceProviders, ThreadedRegistrationGivesTheSameResult)
{
    Start("on");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(kOffered, Offered());
    EXPECT_EQ(5u, fLog.Matching("Entering TPEGASUSNamespace::regProvider: ").size());
    EXPECT_TRUE(fLog.Matching("TPEGASUSNamespace::regProvider /").empty());

    // One thread per provider outside the group; the closing line once per
    // provider.
    std::size_t const closingBefore = fLog.Matching("after inventory pegasus NSP").size();
    EXPECT_EQ(std::vector<std::string>({"nsptestbadmof", "nsptestbeta", "nsptestbroken", "nsptestgamma"}),
              Pass(10, false));
    EXPECT_EQ(closingBefore + 5, fLog.Matching("after inventory pegasus NSP").size());
    EXPECT_EQ(std::vector<std::string>({"nsptestalpha"}), Pass(11));
}

} // namespace
