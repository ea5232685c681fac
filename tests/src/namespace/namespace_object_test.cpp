// TPEGASUSNamespace without a server: construction from the call context,
// name normalisation, the operations it answers itself and those it hands to
// the host's repository or upcall namespace.
#include <cstdlib>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ICIMClass.h"
#include "ICIMIndicationFilter.h"
#include "ICIMInstance.h"
#include "INamespaceProvider.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;
using ::testing::_;
using ::testing::Return;

namespace {

class MockNamespace : public ICIMNamespace {
public:
    MOCK_METHOD(boost::shared_ptr<INamespaceProvider>, GetNamespaceProvider, (TCIMContext),
                (const, override));
    MOCK_METHOD(void, SetUpcallNamespace, (boost::shared_ptr<ICIMNamespace>, TCIMContext),
                (override));
    MOCK_METHOD(void, AddUnderlyingNamespace, (boost::shared_ptr<ICIMNamespace>, TCIMContext),
                (override));
    MOCK_METHOD(boost::shared_ptr<ICIMClass>, AllocateClass,
                (std::string const&, boost::shared_ptr<ICIMClass>, TCIMContext), (override));
    MOCK_METHOD(boost::shared_ptr<ICIMClass>, GetClass, (std::string const&, TCIMContext),
                (override));
    MOCK_METHOD(void, EnumerateRootClasses, (TClassCallback const&, TCIMContext), (override));
    MOCK_METHOD(void, EnumerateProviders, (TProviderCallback const&, TCIMContext), (override));
    MOCK_METHOD(boost::shared_ptr<ICIMQualifierDecl>, AllocateQualifierDecl,
                (std::string const&, TCIMValue const&, ICIMQualifierDecl::EScope,
                 ICIMQualifierDecl::EFlavor, TCIMContext),
                (override));
    MOCK_METHOD(boost::shared_ptr<ICIMQualifierDecl>, GetQualifierDecl,
                (std::string const&, TCIMContext), (const, override));
    MOCK_METHOD(void, EnumerateQualifierDecls, (TQualifierDeclCallback const&, TCIMContext),
                (const, override));
    MOCK_METHOD(void, Subscribe,
                (boost::shared_ptr<ICIMIndicationFilter>, TIndicationCallback const&,
                 TCIMContext),
                (override));
    MOCK_METHOD(boost::shared_ptr<ICIMInstance>, GetInstance, (TCIMReference const&, TCIMContext),
                (const, override));
    MOCK_METHOD(void, DeleteInstance, (TCIMReference const&, TCIMContext), (override));
    MOCK_METHOD(void, ModifyInstance, (TCIMReference const&, TCIMContext, TCIMContext),
                (override));
    MOCK_METHOD(void, ExecuteQuery,
                (TInstanceCallback const&, std::string&, std::string&, TCIMContext), (override));
    MOCK_METHOD(void, ClearInstances, (), (override));
};

// A root of its own (no server programs in it, so tearing a namespace down
// costs nothing) and a mocked host repository.
class PegasusNamespaceObject : public ::testing::Test {
protected:
    PegasusNamespaceObject()
        : fCwd(fRoot.Path()), fMock(new MockNamespace), fRepository(fMock)
    {
    }

    boost::shared_ptr<TPEGASUSNamespace> Make(TCIMContext const& context)
    {
        return boost::shared_ptr<TPEGASUSNamespace>(new TPEGASUSNamespace(context, "root/x"));
    }
    boost::shared_ptr<TPEGASUSNamespace> Make() { return Make(nsptest::MakeContext(&fRepository)); }

    nsptest::TempDir fRoot;
    nsptest::CwdGuard fCwd;
    nsptest::LogCapture fLog;
    MockNamespace* fMock;
    boost::shared_ptr<ICIMNamespace> fRepository;
};

TEST(PegasusNamespaceNames, NormalizeNameAcceptsAndLowerCasesValidNames)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"_a1", "_a1"},
        {"CIM_ComputerSystem", "cim_computersystem"},
        {"_", "_"},
        {"X", "x"},
        {"a_B_9", "a_b_9"},
    };
    for (Case const& c : cases)
        EXPECT_EQ(c.expected, TPEGASUSNamespace::NormalizeName(c.name)) << c.name;
}

TEST(PegasusNamespaceNames, NormalizeNameRejectsInvalidNamesWith25AndLogsTheOriginal)
{
    const char* const invalid[] = {"CIM-System", "1abc", "a b", "Name.", "<root>", "ab$"};
    for (const char* name : invalid) {
        nsptest::LogCapture log;
        try {
            TPEGASUSNamespace::NormalizeName(name);
            ADD_FAILURE() << name << " accepted";
        } catch (TKTAException const& e) {
            EXPECT_EQ(25u, e.GetStatusCode()) << name;
        }
        std::vector<nsptest::LogRecord> records =
            log.Matching(std::string("PEGASUS: CIM name '") + name + "' is invalid");
        ASSERT_EQ(1u, records.size()) << name;
        EXPECT_EQ(0, records[0].severity);
    }
}

TEST_F(PegasusNamespaceObject, ConstructionFixesRootServerPathAndThreeEnvironmentEntries)
{
    std::string const oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/usr/bin:/bin:/opt/nsp test", 1);
    setenv("LD_LIBRARY_PATH", "/must/not/appear", 1);
    boost::shared_ptr<TPEGASUSNamespace> ns = Make();
    setenv("PATH", oldPath.c_str(), 1);
    unsetenv("LD_LIBRARY_PATH");

    std::string const r = fRoot.Path();
    EXPECT_EQ(r, ns->GetRootPath());
    EXPECT_EQ(r, TPEGASUSNamespace::GetKTARootPath());
    EXPECT_EQ(r + "/pegasus/bin/cimserver", ns->GetCimserverPath());
    std::vector<std::string> const expected = {
        "PEGASUS_HOME=" + r + "/pegasus",
        "LD_LIBRARY_PATH=" + r + "/pegasus/lib:" + r + ":" + r + "/pegasus/provider/broadcom:" +
            r + "/pegasus/provider/mellanox:" + r + "/pegasus/provider/intelCDM:" + r +
            "/pegasus/provider/brocade:" + r + "/pegasus/provider/fusionio:" + r +
            "/pegasus/provider/nvidia",
        "PATH=/usr/bin:/bin:/opt/nsp test:" + r + ":" + r + "/pegasus/provider/mellanox",
    };
    EXPECT_EQ(expected, ns->GetEnvironment());
    EXPECT_EQ(5988, ns->GetPort());
    EXPECT_FALSE(ns->isConnected());
    EXPECT_EQ(nullptr, ns->getPegClient());
    EXPECT_EQ("", ns->GetConsumer());
}

TEST_F(PegasusNamespaceObject, ConstructorRejectsUnusableRepositoryEntriesWith38)
{
    TCIMContext noRepository;
    noRepository["upcall"] = nsptest::MakeContext(&fRepository)["repository"];
    TCIMContext asString;
    asString["repository"] = TCIMValue(std::string("123"));
    TCIMContext asUint32;
    asUint32["repository"] = TCIMValue(123u);
    TCIMContext nullAddress;
    nullAddress["repository"] = TCIMValue(static_cast<unsigned long long>(0));
    for (TCIMContext const& context : {noRepository, asString, asUint32, nullAddress}) {
        try {
            Make(context);
            ADD_FAILURE() << "constructed";
        } catch (TKTAException const& e) {
            EXPECT_EQ(38u, e.GetStatusCode());
        }
    }
}

TEST_F(PegasusNamespaceObject, KeepsTheRepositoryAndOnlyAWeakUpcall)
{
    boost::shared_ptr<ICIMNamespace> upcall(new MockNamespace);
    long const repositoryUses = fRepository.use_count();
    boost::shared_ptr<TPEGASUSNamespace> ns = Make(nsptest::MakeContext(&fRepository, &upcall));
    EXPECT_EQ(repositoryUses + 1, fRepository.use_count());
    EXPECT_EQ(upcall.get(), ns->GetUpcallNamespace().get());
    EXPECT_EQ(1, upcall.use_count());
    upcall.reset();
    EXPECT_FALSE(ns->GetUpcallNamespace());
}

TEST_F(PegasusNamespaceObject, UpcallOfAnotherTypeIsIgnoredAndSetUpcallReplacesIt)
{
    TCIMContext context = nsptest::MakeContext(&fRepository);
    context["upcall"] = TCIMValue(std::string("not an address"));
    boost::shared_ptr<TPEGASUSNamespace> ns = Make(context);
    EXPECT_FALSE(ns->GetUpcallNamespace());

    boost::shared_ptr<ICIMNamespace> first(new MockNamespace);
    boost::shared_ptr<ICIMNamespace> second(new MockNamespace);
    ns->SetUpcallNamespace(first, TCIMContext());
    ns->SetUpcallNamespace(second, TCIMContext());
    EXPECT_EQ(second.get(), ns->GetUpcallNamespace().get());
}

TEST_F(PegasusNamespaceObject, RefusedOperationsThrowTheirCodes)
{
    boost::shared_ptr<TPEGASUSNamespace> ns = Make();
    try {
        ns->AddUnderlyingNamespace(fRepository, TCIMContext());
        ADD_FAILURE() << "AddUnderlyingNamespace accepted";
    } catch (TKTAException const& e) {
        EXPECT_EQ(31u, e.GetStatusCode());
    }
    try {
        ns->Subscribe(boost::shared_ptr<ICIMIndicationFilter>(),
                      [](boost::shared_ptr<ICIMInstance>) { return true; }, TCIMContext());
        ADD_FAILURE() << "Subscribe accepted";
    } catch (TKTAException const& e) {
        EXPECT_EQ(1u, e.GetStatusCode());
    }
}

TEST_F(PegasusNamespaceObject, AnswersOfItsOwn)
{
    boost::shared_ptr<TPEGASUSNamespace> ns = Make();
    EXPECT_EQ(static_cast<INamespaceProvider*>(TPEGASUSNamespaceProvider::GetInstance().get()),
              ns->GetNamespaceProvider(TCIMContext()).get());
    EXPECT_FALSE(ns->AllocateClass("CIM_Anything", boost::shared_ptr<ICIMClass>(), TCIMContext()));
    // Not connected: no class can be had, so neither can an instance.
    EXPECT_FALSE(ns->GetClass("CIM_Anything", TCIMContext()));
    TCIMReference reference;
    reference.SetPath("root/cimv2:CIM_Anything.Name=\"x\"");
    EXPECT_FALSE(ns->GetInstance(reference, TCIMContext()));
    ICIMNamespace& other = *fRepository;
    EXPECT_EQ(static_cast<ICIMNamespace*>(ns.get()), &(*ns = other));
}

TEST_F(PegasusNamespaceObject, InstanceChangesAndQueriesGoToTheRepository)
{
    boost::shared_ptr<TPEGASUSNamespace> ns = Make();
    TCIMReference reference;
    reference.SetPath("root/cimv2:CIM_Thing.Id=\"7\"");
    TCIMContext context;
    context["k"] = TCIMValue(std::string("v"));
    TCIMContext changes;
    changes["Name"] = TCIMValue(std::string("new"));
    std::string language = "WQL";
    std::string query = "SELECT * FROM CIM_Thing";

    auto samePath = [&](TCIMReference const& r) { return r.GetPath() == reference.GetPath(); };
    EXPECT_CALL(*fMock, DeleteInstance(::testing::Truly(samePath), context)).Times(1);
    EXPECT_CALL(*fMock, ModifyInstance(::testing::Truly(samePath), changes, context)).Times(1);
    EXPECT_CALL(*fMock, ExecuteQuery(_, ::testing::Ref(language), ::testing::Ref(query), context))
        .Times(1);

    ns->DeleteInstance(reference, context);
    ns->ModifyInstance(reference, changes, context);
    ns->ExecuteQuery([](boost::shared_ptr<ICIMInstance>) { return true; }, language, query,
                     context);
}

TEST_F(PegasusNamespaceObject, QualifierDeclarationsComeFromTheUpcallNamespace)
{
    MockNamespace* upcallMock = new MockNamespace;
    boost::shared_ptr<ICIMNamespace> upcall(upcallMock);
    boost::shared_ptr<TPEGASUSNamespace> ns = Make();
    EXPECT_FALSE(ns->GetQualifierDecl("Description", TCIMContext()));

    ns->SetUpcallNamespace(upcall, TCIMContext());
    TCIMContext context;
    context["nsp"] = TCIMValue(std::string("root/cimv2"));
    EXPECT_CALL(*upcallMock, GetQualifierDecl("Description", context))
        .WillOnce(Return(boost::shared_ptr<ICIMQualifierDecl>()));
    EXPECT_FALSE(ns->GetQualifierDecl("Description", context));

    int calls = 0;
    ns->EnumerateQualifierDecls([&](boost::shared_ptr<ICIMQualifierDecl>) { return ++calls > 0; },
                                TCIMContext());
    ns->EnumerateRootClasses([&](boost::shared_ptr<ICIMClass>) { return ++calls > 0; },
                             TCIMContext());
    EXPECT_EQ(0, calls);
}

} // namespace
