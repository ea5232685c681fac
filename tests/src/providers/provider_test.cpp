// TPEGASUSProvider: settings, which classes reach the inventory callback, and
// the provider's own client connection.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/CIMName.h>

#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSProvider.h"
#include "TPEGASUSQualifierDecl.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

TCIMContext const kNone;
std::string const kAsking = "TPEGASUSProvider::EnumerateClassesProvided Asking plugin ";
std::string const kCaught = "TPEGASUSProvider::EnumerateClassesProvided catch exection : ";

class PegasusProvider : public ::testing::Test {
protected:
    PegasusProvider() : fProvider(new TPEGASUSProvider) { fProvider->SetName("acme"); }

    // A class with the given tag and, for each entry, a class qualifier.
    boost::shared_ptr<ICIMClass> Class(
        std::string const& name, std::vector<std::pair<std::string, TCIMValue>> qualifiers = {},
        std::string const& tag = "")
    {
        boost::shared_ptr<TPEGASUSClass> cls(
            new TPEGASUSClass(boost::shared_ptr<TPEGASUSNamespace>(), name, {}));
        cls->SetTag(tag);
        for (auto const& q : qualifiers) {
            boost::shared_ptr<const ICIMQualifierDecl> decl(new TPEGASUSQualifierDecl(
                boost::shared_ptr<TPEGASUSNamespace>(), q.first, TCIMValue(kBoolean),
                ICIMQualifierDecl::kScopeAny, ICIMQualifierDecl::kFlavorDefaults));
            cls->AddQualifier(cls->AllocateQualifier(decl, q.second, kNone), kNone);
        }
        return cls;
    }

    // Names of the classes handed to the callback; the callback answers
    // `goOn` and throws TKTAException 15 for the class named `failOn`.
    std::vector<std::string> Offered(bool goOn = true, std::string const& failOn = "")
    {
        std::vector<std::string> names;
        fProvider->EnumerateClassesProvided(
            [&](boost::shared_ptr<ICIMClass> cls) {
                names.push_back(cls->GetName(kNone));
                if (names.back() == failOn)
                    throw TKTAException(15, "callback failed");
                return goOn;
            },
            kNone);
        return names;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (nsptest::LogRecord const& record : fLog.Records()) {
            EXPECT_EQ(3, record.severity) << record.text;
            texts.push_back(record.text);
        }
        return texts;
    }

    std::string PegNamespaceText()
    {
        return TPEGASUSNamespace::PegasusText(fProvider->GetPegNamespace()->getString());
    }

    nsptest::LogCapture fLog;
    // Sleeps are traced instead of waited for.
    nsptest::SystemCallsGuard fCalls;
    boost::shared_ptr<TPEGASUSProvider> fProvider;
};

TEST_F(PegasusProvider, StartsEmptyAndKeepsItsSettings)
{
    TPEGASUSProvider fresh;
    EXPECT_EQ("", fresh.GetName(kNone));
    EXPECT_EQ("", fresh.GetNameSpaceName(kNone));
    EXPECT_EQ(nullptr, fresh.GetPegNamespace());
    EXPECT_EQ(nullptr, fresh.getPegClient());
    EXPECT_FALSE(fresh.IsConnected());
    EXPECT_FALSE(fresh.GetDiagnosticOnly());

    std::vector<std::string> entries = {"CIM_Fan[TimeOut=5]", "ACME_Card"};
    std::string timeout = "120";
    fProvider->SetModuleName("libacme");
    fProvider->SetDescription("acme cards");
    fProvider->SetType("pegasus");
    fProvider->SetPath("/m/pegasus/provider/acme/acme.classes.xml");
    fProvider->SetClassVector(entries);
    fProvider->SetDefaultTimeoutVal(timeout);
    fProvider->SetDiagnosticOnly(true);
    EXPECT_EQ("acme", fProvider->GetName(kNone));
    EXPECT_EQ("libacme", fProvider->GetModuleName(kNone));
    EXPECT_EQ("acme cards", fProvider->GetDescription(kNone));
    EXPECT_EQ("pegasus", fProvider->GetType());
    EXPECT_EQ("/m/pegasus/provider/acme/acme.classes.xml", fProvider->GetPath());
    EXPECT_EQ(entries, fProvider->GetClassVector());
    EXPECT_EQ("120", fProvider->GetDefaultTimeoutVal());
    EXPECT_TRUE(fProvider->GetDiagnosticOnly());
    EXPECT_FALSE(fProvider->IsInitialized());
    EXPECT_EQ(1u, nsptest::StatusOf([&] { fProvider->GetNamespace(kNone); }));

    // The server form of the namespace follows the text; an empty text has
    // none, an invalid one is refused and changes nothing.
    fProvider->SetNameSpaceName("root/acme");
    fProvider->SetNameSpaceName("root/cimv2");
    ASSERT_NE(nullptr, fProvider->GetPegNamespace());
    EXPECT_EQ("root/cimv2", PegNamespaceText());
    EXPECT_EQ(25u, nsptest::StatusOf([&] { fProvider->SetNameSpaceName("root//bad"); }));
    EXPECT_EQ("root/cimv2", fProvider->GetNameSpaceName(kNone));
    ASSERT_NE(nullptr, fProvider->GetPegNamespace());
    EXPECT_EQ("root/cimv2", PegNamespaceText());
    fProvider->SetNameSpaceName("");
    EXPECT_EQ("", fProvider->GetNameSpaceName(kNone));
    EXPECT_EQ(nullptr, fProvider->GetPegNamespace());

    // Assignment between providers copies nothing.
    static_cast<IProvider&>(fresh) = *fProvider;
    EXPECT_EQ("", fresh.GetName(kNone));
}

TEST_F(PegasusProvider, IsClassesProvidedComparesNamesExactly)
{
    EXPECT_FALSE(fProvider->IsClassesProvided("ACME_Card"));
    fProvider->SetCollectedClasses({Class("CIM_Fan"), Class("ACME_Card")});
    EXPECT_TRUE(fProvider->IsClassesProvided("ACME_Card"));
    EXPECT_TRUE(fProvider->IsClassesProvided("CIM_Fan"));
    EXPECT_FALSE(fProvider->IsClassesProvided("acme_card"));
    EXPECT_FALSE(fProvider->IsClassesProvided("ACME_Car"));
}

TEST_F(PegasusProvider, OffersCollectableClassesInOrder)
{
    fProvider->SetCollectedClasses({
        Class("ACME_Cdm", {}, "CDM"),
        Class("ACME_Abstract", {{"ABSTRACT", TCIMValue(true)}}),
        Class("ACME_Kept", {{"DONTCOLLECT", TCIMValue(true)}}),
        Class("ACME_Plain", {}, "OTHER"),
        Class("ACME_False", {{"DONTCOLLECT", TCIMValue(false)}}),
        Class("ACME_Null", {{"DONTCOLLECT", TCIMValue(kBoolean)}}),
        // Not a boolean: the class test fails, is logged, and the walk goes
        // on.
        Class("ACME_Odd", {{"DONTCOLLECT", TCIMValue("yes")}}),
        Class("ACME_Last"),
    });
    EXPECT_EQ((std::vector<std::string>{"ACME_Plain", "ACME_False", "ACME_Null", "ACME_Last"}),
              Offered());
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(6u, texts.size());
    // (The log file does not show the record's closing newline.)
    EXPECT_EQ("TPEGASUSProvider::EnumerateClassesProvided ignored one CDM class: ACME_Cdm",
              texts[0]);
    EXPECT_EQ(kAsking + "acme for ACME_Plain", texts[1]);
    EXPECT_EQ(kAsking + "acme for ACME_False", texts[2]);
    EXPECT_EQ(kAsking + "acme for ACME_Null", texts[3]);
    EXPECT_EQ(0u, texts[4].find(kCaught)) << texts[4];
    EXPECT_EQ(kAsking + "acme for ACME_Last", texts[5]);
}

TEST_F(PegasusProvider, CallbackEndsOrFailsOneClass)
{
    Offered();
    EXPECT_TRUE(Texts().empty());

    fProvider->SetCollectedClasses({Class("ACME_A"), Class("ACME_B"), Class("ACME_C")});
    EXPECT_EQ(std::vector<std::string>{"ACME_A"}, Offered(false));
    EXPECT_EQ(std::vector<std::string>{kAsking + "acme for ACME_A"}, Texts());

    EXPECT_EQ((std::vector<std::string>{"ACME_A", "ACME_B", "ACME_C"}), Offered(true, "ACME_A"));
    std::vector<nsptest::LogRecord> caught = fLog.Matching(kCaught);
    ASSERT_EQ(1u, caught.size());
    EXPECT_EQ(kCaught + TKTAException(15, "callback failed").what(), caught[0].text);
    EXPECT_EQ(1u, fLog.Matching(kAsking + "acme for ACME_C").size());
}

TEST_F(PegasusProvider, ConnectsOnceAndThenOnlyKeepsParameters)
{
    nsptest::Listener listener;
    fProvider->initPegasusClient();
    Pegasus::CIMClient* client = fProvider->getPegClient();
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(10000u, client->getTimeout());
    fProvider->connectPegasusClient("127.0.0.1", listener.Port(), "", "");
    EXPECT_TRUE(fProvider->IsConnected());
    EXPECT_EQ(65535000u, client->getTimeout());
    EXPECT_EQ((std::vector<std::string>{"TPEGASUSProvider::connect enter",
                                        "TPEGASUSProvider::connect succeeded "}),
              Texts());

    // Connected already: nothing is tried for another target, but the
    // parameters are kept.
    client->setTimeout(1234);
    fProvider->connectPegasusClient("127.0.0.2", 1, "admin", "secret");
    EXPECT_EQ(1234u, client->getTimeout());
    EXPECT_EQ(2u, Texts().size());
    EXPECT_EQ("127.0.0.2", fProvider->GetHost());
    EXPECT_EQ(1u, fProvider->GetPort());
    EXPECT_EQ("admin", fProvider->GetUser());
    EXPECT_EQ("secret", fProvider->GetPassword());
    fProvider->initPegasusClient();
    EXPECT_EQ(client, fProvider->getPegClient());
}

TEST_F(PegasusProvider, ThreeFailedTriesOneSecondApartGive42)
{
    uint16_t port;
    {
        nsptest::Listener closed;
        port = closed.Port();
    }
    fProvider->initPegasusClient();
    EXPECT_EQ(42u, nsptest::StatusOf(
                       [&] { fProvider->connectPegasusClient("127.0.0.1", port, "u", "p"); }));
    EXPECT_FALSE(fProvider->IsConnected());
    EXPECT_EQ(port, fProvider->GetPort());
    EXPECT_EQ((std::vector<std::string>{"sleep 1", "sleep 1", "sleep 1"}),
              nsptest::SystemCallsGuard::Trace());
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("TPEGASUSProvider::connect enter", texts[0]);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        std::string const& text = texts[attempt];
        EXPECT_EQ(0u, text.find("TPEGASUSProvider::connect failed: Cannot connect to 127.0.0.1:"))
            << text;
        std::string const tail = " try to reconnect " + std::to_string(attempt);
        ASSERT_GE(text.size(), tail.size());
        EXPECT_EQ(tail, text.substr(text.size() - tail.size())) << text;
    }
}

} // namespace
