// Provider registration through CreateInstance in root/PG_InterOp: the
// checks, their exact texts, the order rule, and the routing table that
// results (and survives a restart).
#include "DispatchTestSupport.h"

#include <functional>

using namespace dispatchtest;

namespace {

// Instances are shared handles: both helpers change a copy.
CIMInstance without(const CIMInstance& original, const char* property)
{
    CIMInstance instance = original.clone();
    instance.removeProperty(instance.findProperty(property));
    return instance;
}

CIMInstance with(const CIMInstance& original, const char* property, const CIMValue& value)
{
    CIMInstance instance = original.clone();
    Uint32 pos = instance.findProperty(property);
    if (pos != PEG_NOT_FOUND)
        instance.removeProperty(pos);
    instance.addProperty(CIMProperty(property, value));
    return instance;
}

struct RejectCase
{
    const char* what;
    std::function<void(Server&)> before;   // registrations made first
    CIMInstance instance;
    CIMStatusCode code;
    const char* description;               // null: check the code only
};

void registerModule(Server& s)
{
    ASSERT_TRUE(s.run(CimXmlRequestEncoder::createInstance(
        "1", kInterop, moduleInstance("M", "DispatchTestProvider"))).ok());
}

void registerModuleAndProvider(Server& s)
{
    registerModule(s);
    ASSERT_TRUE(s.run(CimXmlRequestEncoder::createInstance(
        "1", kInterop, providerInstance("M", "P"))).ok());
}

TEST(ProviderRegistrationTest, InvalidRegistrationsAreRejectedWithTheirTexts)
{
    auto nothing = [](Server&) {};
    const CIMInstance module = moduleInstance("M", "DispatchTestProvider");
    const CIMInstance caps = capabilitiesInstance("M", "P", "Test_Widget", {2});
    const RejectCase cases[] = {
        {"module without Name", nothing, without(module, "Name"), CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing Name which is required property in "
         "PG_ProviderModule class."},
        {"module without Vendor", nothing, without(module, "Vendor"),
         CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing Vendor which is required property in "
         "PG_ProviderModule class."},
        {"module with null Location", nothing,
         with(module, "Location", CIMValue(CIMTYPE_STRING, false)), CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing Location which is required property in "
         "PG_ProviderModule class."},
        {"module of another interface", nothing,
         with(module, "InterfaceType", CIMValue(String("CMPI"))), CIM_ERR_NOT_SUPPORTED,
         "CIM_ERR_NOT_SUPPORTED: Unsupported InterfaceType value: \"CMPI\""},
        {"module of an unknown interface version", nothing,
         with(module, "InterfaceVersion", CIMValue(String("2.4.0"))), CIM_ERR_NOT_SUPPORTED,
         "CIM_ERR_NOT_SUPPORTED: Unsupported InterfaceVersion value: \"2.4.0\""},
        {"module with a bad UserContext", nothing,
         with(module, "UserContext", CIMValue(Uint16(7))), CIM_ERR_NOT_SUPPORTED, nullptr},
        {"provider before its module", nothing, providerInstance("M", "P"), CIM_ERR_FAILED,
         "CIM_ERR_FAILED: PG_ProviderModule class needs to be registered before register "
         "the PG_Provider class"},
        {"provider without Name", registerModule, without(providerInstance("M", "P"), "Name"),
         CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing Name which is required property in "
         "PG_Provider class."},
        {"capabilities without Namespaces", registerModuleAndProvider,
         without(caps, "Namespaces"), CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing Namespaces which is required property in "
         "PG_ProviderCapabilities class."},
        {"capabilities with no ProviderType", registerModuleAndProvider,
         with(caps, "ProviderType", CIMValue(Array<Uint16>())), CIM_ERR_INVALID_PARAMETER,
         "CIM_ERR_INVALID_PARAMETER: Missing ProviderType which is required property in "
         "PG_ProviderCapabilities class."},
        {"capabilities of an unsupported type", registerModuleAndProvider,
         capabilitiesInstance("M", "P", "Test_Widget", {2, 7}), CIM_ERR_NOT_SUPPORTED,
         nullptr},
        {"capabilities before their provider", registerModule, caps, CIM_ERR_FAILED, nullptr},
    };
    for (const RejectCase& c : cases)
    {
        Server server;
        c.before(server);
        const Uint32 before = server.repository->enumerateInstanceNames(
            kInterop, c.instance.getClassName()).size();
        Result r = server.run(CimXmlRequestEncoder::createInstance("2", kInterop, c.instance));
        EXPECT_EQ(c.code, r.outcome.code) << c.what << ": " << r.description();
        if (c.description)
        {
            EXPECT_EQ(c.description, r.description()) << c.what;
        }
        // The rejected instance was not stored.
        EXPECT_EQ(before, server.repository->enumerateInstanceNames(
                              kInterop, c.instance.getClassName()).size())
            << c.what;
    }
}

TEST(ProviderRegistrationTest, StoredModuleIsReportedOk)
{
    Server server;
    registerModule(server);
    CIMInstance stored = server.repository->getInstance(
        kInterop, CIMObjectPath("PG_ProviderModule.Name=\"M\""), false, false, false,
        CIMPropertyList());
    CIMValue status = stored.getProperty(stored.findProperty("OperationalStatus")).getValue();
    Array<Uint16> codes;
    status.get(codes);
    ASSERT_EQ(1u, codes.size());
    EXPECT_EQ(2, codes[0]);
}

TEST(ProviderRegistrationTest, RegistrationsSurviveARestart)
{
    Server server;
    server.registerWidgetProvider();
    server.restart();
    Result r = echo(server);
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_EQ("hi", str(r.response.returnValue.toString()));
}

TEST(ProviderRegistrationTest, DeletedCapabilitiesStopTheRouting)
{
    Server server;
    server.registerWidgetProvider();
    ASSERT_TRUE(echo(server).ok());

    Result caps = server.run(CimXmlRequestEncoder::enumerateInstanceNames(
        "1", kInterop, "PG_ProviderCapabilities"));
    ASSERT_EQ(1u, caps.response.instanceNames.size());
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteInstance(
        "2", kInterop, caps.response.instanceNames[0])).ok());

    EXPECT_EQ(CIM_ERR_METHOD_NOT_AVAILABLE, echo(server).outcome.code);
}

TEST(ProviderRegistrationTest, MethodOnlyRegistrationLeavesInstancesToTheRepository)
{
    Server server;
    server.registerProvider("WidgetModule", "DispatchTestProvider", "WidgetProvider",
                            "Test_Widget", {5});
    server.repository->createInstance(kTestNs, instanceOf("Test_Widget", "stored"));
    Result names = server.run(
        CimXmlRequestEncoder::enumerateInstanceNames("1", kTestNs, "Test_Widget"));
    ASSERT_TRUE(names.ok()) << names.description();
    ASSERT_EQ(1u, names.response.instanceNames.size());
    EXPECT_EQ("Test_Widget.Id=\"stored\"", str(names.response.instanceNames[0].toString()));
    EXPECT_TRUE(echo(server).ok());
}

}  // namespace
