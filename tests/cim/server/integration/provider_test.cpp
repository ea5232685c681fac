// A provider library registered the way vendors do it (class MOF, then a
// registration MOF compiled into root/PG_InterOp, providerDir set with
// cimconfig): requests reach it, its failures stay with the request that
// caused them, a module without a library is reported, and all of it
// survives a restart of the server.
#include "IntegrationSupport.h"

#include <map>

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::statusOf;
using integration::text;

namespace {

const CIMNamespaceName kNs("root/integ");

const char kClassMof[] = R"(
Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);
Qualifier In : boolean = true, Scope(parameter), Flavor(DisableOverride, ToSubclass);
Qualifier Out : boolean = false, Scope(parameter), Flavor(DisableOverride, ToSubclass);

class IT_Gadget
{
    [Key] string Id;
    string Label;
    uint32 Size;
    string Echo([In] string Text, [In (false), Out] uint32 Length);
    uint32 Fail([In] uint32 Code);
};

class IT_Orphan
{
    [Key] string Id;
};

class IT_Note
{
    [Key] string Id;
    string Body;
};

instance of IT_Note { Id = "n1"; Body = "kept in the repository"; };
)";

const char kRegistrationMof[] = R"(
instance of PG_ProviderModule
{
    Name = "ITGadgetModule";
    Vendor = "Integration";
    Version = "1.0.0";
    InterfaceType = "C++Default";
    InterfaceVersion = "2.6.0";
    Location = "ITGadgetProvider";
};
instance of PG_Provider
{
    ProviderModuleName = "ITGadgetModule";
    Name = "ITGadgetProvider";
};
instance of PG_ProviderCapabilities
{
    ProviderModuleName = "ITGadgetModule";
    ProviderName = "ITGadgetProvider";
    CapabilityID = "Gadget1";
    ClassName = "IT_Gadget";
    Namespaces = { "root/integ" };
    ProviderType = { 2, 5 };
};

instance of PG_ProviderModule
{
    Name = "ITMissingModule";
    Vendor = "Integration";
    Version = "1.0.0";
    InterfaceType = "C++Default";
    InterfaceVersion = "2.6.0";
    Location = "ITNoSuchLibrary";
};
instance of PG_Provider
{
    ProviderModuleName = "ITMissingModule";
    Name = "ITOrphanProvider";
};
instance of PG_ProviderCapabilities
{
    ProviderModuleName = "ITMissingModule";
    ProviderName = "ITOrphanProvider";
    CapabilityID = "Orphan1";
    ClassName = "IT_Orphan";
    Namespaces = { "root/integ" };
    ProviderType = { 2 };
};
)";

CIMObjectPath gadgetPath(const char* id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", id, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "IT_Gadget", keys);
}

std::string labelOf(const CIMInstance& instance)
{
    String label;
    instance.getProperty(instance.findProperty("Label")).getValue().get(label);
    return text(label);
}

// The gadgets' labels in id order, as the provider serves them.
std::string gadgetLabels(CIMClient& client)
{
    Array<CIMInstance> gadgets = client.enumerateInstances(kNs, "IT_Gadget");
    std::map<std::string, std::string> byId;
    for (Uint32 i = 0; i < gadgets.size(); i++)
    {
        String id;
        gadgets[i].getProperty(gadgets[i].findProperty("Id")).getValue().get(id);
        byId[text(id)] = labelOf(gadgets[i]);
    }
    std::string out;
    for (const auto& item : byId)
        out += item.first + "=" + item.second + ";";
    return out;
}

std::string echo(CIMClient& client, const char* what, Uint32* length = nullptr)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Text", CIMValue(String(what))));
    Array<CIMParamValue> out;
    CIMValue result = client.invokeMethod(kNs, gadgetPath("g1"), "Echo", in, out);
    if (length && out.size() == 1 && text(out[0].getParameterName()) == "Length")
        out[0].getValue().get(*length);
    String returned;
    result.get(returned);
    return text(returned);
}

}  // namespace

TEST(RegisteredProvider, ServesFailsPerRequestAndSurvivesRestart)
{
    ASSERT_TRUE(server().ensureStarted());
    RunResult config = server().run(
        "cimconfig", {"-s", std::string("providerDir=") + INTEGRATION_PROVIDER_DIR, "-c", "-p"});
    ASSERT_EQ(config.status, 0) << describe(config);
    RunResult classes = server().cimmofText("root/integ", "classes.mof", kClassMof);
    ASSERT_EQ(classes.status, 0) << describe(classes);
    RunResult registration =
        server().cimmofText("root/PG_InterOp", "registration.mof", kRegistrationMof);
    ASSERT_EQ(registration.status, 0) << describe(registration);

    CIMClient client;
    server().connect(client);
    const std::string kLabels = "g1=first gadget;g2=second gadget;";
    EXPECT_EQ(gadgetLabels(client), kLabels);
    EXPECT_EQ(client.enumerateInstanceNames(kNs, "IT_Gadget").size(), 2u);
    EXPECT_EQ(labelOf(client.getInstance(kNs, gadgetPath("g2"))), "second gadget");
    Uint32 length = 0;
    EXPECT_EQ(echo(client, "hello", &length), "hello");
    EXPECT_EQ(length, 5u);

    // Each failure reaches the client as the provider raised it, and the
    // request after it is served normally.
    struct Failure
    {
        const char* what;
        std::function<void()> operation;
        CIMStatusCode code;
        std::string message;
    } failures[] = {
        {"CIMException subclass", [&] { client.getInstance(kNs, gadgetPath("locked")); },
         CIM_ERR_ACCESS_DENIED, "CIM_ERR_ACCESS_DENIED: gadget is locked"},
        {"std::exception", [&] { client.getInstance(kNs, gadgetPath("jammed")); },
         CIM_ERR_FAILED, "CIM_ERR_FAILED: gadget jammed"},
        {"not found", [&] { client.getInstance(kNs, gadgetPath("g3")); }, CIM_ERR_NOT_FOUND,
         "CIM_ERR_NOT_FOUND: g3"},
        {"method throws",
         [&] {
             Array<CIMParamValue> in;
             in.append(CIMParamValue("Code", CIMValue(Uint32(CIM_ERR_INVALID_PARAMETER))));
             Array<CIMParamValue> out;
             client.invokeMethod(kNs, gadgetPath("g1"), "Fail", in, out);
         },
         CIM_ERR_INVALID_PARAMETER, "CIM_ERR_INVALID_PARAMETER: failing on request"},
        {"library missing", [&] { client.enumerateInstances(kNs, "IT_Orphan"); }, CIM_ERR_FAILED,
         "CIM_ERR_FAILED: File \"libITNoSuchLibrary.so\" was not found for provider module "
         "\"ITMissingModule\"."},
    };
    for (const Failure& f : failures)
    {
        std::string message;
        EXPECT_EQ(statusOf(f.operation, &message), f.code) << f.what;
        EXPECT_EQ(message, f.message) << f.what;
        EXPECT_EQ(labelOf(client.getInstance(kNs, gadgetPath("g1"))), "first gadget") << f.what;
        EXPECT_EQ(echo(client, f.what), f.what);
    }

    // Restart without naming providerDir: the planned value set above, the
    // classes, the repository's instances and the registrations all last.
    client.disconnect();
    RunResult stop = server().stop();
    ASSERT_EQ(stop.status, 0) << describe(stop);
    EXPECT_EQ(stop.out, "CIM Server stopped.\n");
    ASSERT_TRUE(server().start());
    server().connect(client);
    EXPECT_EQ(client.getClass(kNs, "IT_Gadget").findMethod("Echo") != PEG_NOT_FOUND, true);
    Array<CIMInstance> notes = client.enumerateInstances(kNs, "IT_Note");
    ASSERT_EQ(notes.size(), 1u);
    String body;
    notes[0].getProperty(notes[0].findProperty("Body")).getValue().get(body);
    EXPECT_EQ(text(body), "kept in the repository");
    EXPECT_EQ(client.enumerateInstanceNames("root/PG_InterOp", "PG_ProviderModule").size(), 2u);
    EXPECT_EQ(client.enumerateInstanceNames("root/PG_InterOp", "PG_ProviderCapabilities").size(),
              2u);
    EXPECT_EQ(gadgetLabels(client), kLabels);
    EXPECT_EQ(echo(client, "again"), "again");
}

// A provider whose initialize() throws: the server logs it, answers every
// request for its class with an error, and goes on serving the other
// providers and the repository.
TEST(RegisteredProvider, OneWhoseInitializeThrowsIsReportedAndTheOthersServe)
{
    ASSERT_TRUE(server().ensureStarted());
    RunResult config = server().run(
        "cimconfig", {"-s", std::string("providerDir=") + INTEGRATION_PROVIDER_DIR});
    ASSERT_EQ(config.status, 0) << describe(config);
    RunResult classes = server().cimmofText("root/integ", "classes.mof", kClassMof);
    ASSERT_EQ(classes.status, 0) << describe(classes);
    RunResult broken = server().cimmofText("root/integ", "broken.mof",
                                           "class IT_Broken { [Key] string Id; };\n");
    ASSERT_EQ(broken.status, 0) << describe(broken);
    RunResult registration = server().cimmofText(
        "root/PG_InterOp", "registration.mof", std::string(kRegistrationMof) + R"(
instance of PG_ProviderModule
{
    Name = "ITBrokenModule";
    Vendor = "Integration";
    Version = "1.0.0";
    InterfaceType = "C++Default";
    InterfaceVersion = "2.6.0";
    Location = "ITGadgetProvider";
};
instance of PG_Provider
{
    ProviderModuleName = "ITBrokenModule";
    Name = "ITBrokenProvider";
};
instance of PG_ProviderCapabilities
{
    ProviderModuleName = "ITBrokenModule";
    ProviderName = "ITBrokenProvider";
    CapabilityID = "Broken1";
    ClassName = "IT_Broken";
    Namespaces = { "root/integ" };
    ProviderType = { 2 };
};
)");
    ASSERT_EQ(registration.status, 0) << describe(registration);

    CIMClient client;
    server().connect(client);
    for (int attempt = 0; attempt < 2; attempt++)
    {
        std::string message;
        EXPECT_EQ(statusOf([&] { client.enumerateInstances(kNs, "IT_Broken"); }, &message),
                  CIM_ERR_FAILED);
        EXPECT_EQ(message, "CIM_ERR_FAILED: provider initialization failed");
        EXPECT_EQ(labelOf(client.getInstance(kNs, gadgetPath("g2"))), "second gadget");
        EXPECT_EQ(client.enumerateInstances(kNs, "IT_Note").size(), 1u);
    }
    // Reported once: a provider that failed to initialize stays failed.
    const std::string log = server().home().read("logs/cimserver.log");
    const std::string line = "SEVERE ProviderManager: Provider ITBrokenProvider of module "
                             "ITBrokenModule failed to initialize: no gadget bus";
    const std::size_t at = log.find(line);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(line, at + 1), std::string::npos) << log;
}
