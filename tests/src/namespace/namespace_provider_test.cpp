// The plug-in's entry: load-time module directory, the provider singleton,
// its registration with the host, and allocation failures that happen before
// any server work.
#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "ICIMNamespace.h"
#include "INamespaceProviderManager.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TRootObject.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;

TEST(PegasusNamespaceProvider, ModuleDirectoryIsTheLibrarysDirectoryWithoutTrailingSlash)
{
    std::string const& dir = TPEGASUSNamespaceProvider::GetfgModulePathName();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE('/', dir.back());
    EXPECT_TRUE(std::filesystem::exists(dir + "/libpegasus.nsp.so")) << dir;
    EXPECT_TRUE(std::filesystem::equivalent(dir, KTA_STAGE_DIR)) << dir;
}

TEST(PegasusNamespaceProvider, FixedAnswersWhateverTheContext)
{
    boost::shared_ptr<TPEGASUSNamespaceProvider> provider = TPEGASUSNamespaceProvider::GetInstance();
    TCIMContext full;
    full["consumer"] = TCIMValue(std::string("someone"));
    full["pluginType"] = TCIMValue(static_cast<signed char>(10));
    for (TCIMContext const& context : {TCIMContext(), full}) {
        EXPECT_EQ("pegasus", provider->GetName(context));
        EXPECT_EQ(0, provider->GetType(context));
        EXPECT_FALSE(provider->IsIndicationsSupported(context));
    }
}

TEST(PegasusNamespaceProvider, InitializeRegistersTheSingletonUnderItsName)
{
    EXPECT_EQ(0u, TPEGASUSNamespaceProvider::Initialize());
    boost::shared_ptr<INamespaceProvider> found =
        TRootObject::GetNamespaceProviderManager()->FindNamespaceProvider("pegasus");
    ASSERT_TRUE(found);
    EXPECT_EQ(static_cast<INamespaceProvider*>(TPEGASUSNamespaceProvider::GetInstance().get()),
              found.get());
    // A second initialisation is harmless.
    EXPECT_EQ(0u, TPEGASUSNamespaceProvider::Initialize());
    TRootObject::GetNamespaceProviderManager()->UnregisterNamespaceProvider("pegasus");
}

TEST(PegasusNamespaceProvider, NoNamespaceBeforeAllocationOrAfterClearing)
{
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
    TPEGASUSNamespaceProvider::ClearNamespace();
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
}

// Contexts whose repository entry is unusable fail in the constructor, with
// status 38, before start-up has logged or spawned anything.
TEST(PegasusNamespaceProvider, AllocationWithoutUsableRepositoryFailsWith38BeforeServerWork)
{
    nsptest::TempDir root;
    nsptest::CwdGuard cwd(root.Path());
    nsptest::LogCapture log;

    TCIMContext missing;
    missing["consumer"] = TCIMValue(std::string("nsptest"));
    TCIMContext wrongType = missing;
    wrongType["repository"] = TCIMValue(std::string("0x1234"));
    TCIMContext signedNumber = missing;
    signedNumber["repository"] = TCIMValue(static_cast<long long>(1234));
    TCIMContext zero = missing;
    zero["repository"] = TCIMValue(static_cast<unsigned long long>(0));

    for (TCIMContext const& context : {missing, wrongType, signedNumber, zero}) {
        auto started = std::chrono::steady_clock::now();
        try {
            TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, false, "x");
            ADD_FAILURE() << "no exception";
        } catch (TKTAException const& e) {
            EXPECT_EQ(38u, e.GetStatusCode());
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    }
    EXPECT_FALSE(TPEGASUSNamespaceProvider::GetNamespace());
    EXPECT_TRUE(log.Matching("PEGASUS NSP with the consumer").empty());
    EXPECT_TRUE(log.Matching("cimserver").empty());
}
