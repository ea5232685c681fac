// Who may change the server: provider registrations, configuration,
// shutdown and the server's own namespaces belong to the privileged caller
// (the server's user on the local socket); anyone else is refused before
// anything is touched, and may still read.
#include "DispatchTestSupport.h"

using namespace dispatchtest;

namespace {

const CIMNamespaceName kInternal("root/PG_Internal");

// A TCP client, and another user on the local socket.
const RequestCaller kStrangers[] = {
    RequestCaller{false, "", false, "192.0.2.1"},
    RequestCaller{true, "nobody", false, ""},
};

CIMObjectPath configSetting(const char* property)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("PropertyName", property, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "PG_ConfigSetting", keys);
}

Array<CIMParamValue> updateParameters(const char* value)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("PropertyValue", CIMValue(String(value))));
    in.append(CIMParamValue("ResetValue", CIMValue(false)));
    in.append(CIMParamValue("SetCurrentValue", CIMValue(true)));
    in.append(CIMParamValue("SetPlannedValue", CIMValue(true)));
    return in;
}

CIMInstance namespaceInstance(const char* name)
{
    CIMInstance ns("__Namespace");
    ns.addProperty(CIMProperty("Name", String(name)));
    return ns;
}

CIMObjectPath namespacePath(const char* name)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Name", name, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "__Namespace", keys);
}

Array<CIMObjectPath> registered(Server& server, const char* className)
{
    return server.repository->enumerateInstanceNames(kInterop, className);
}

class AccessControl : public ::testing::Test
{
protected:
    // Registers the widget provider as the owner and keeps the paths of
    // its three registration instances.
    void SetUp() override
    {
        for (const CIMInstance& i :
             {moduleInstance("WidgetModule", "DispatchTestProvider"),
              providerInstance("WidgetModule", "WidgetProvider"),
              capabilitiesInstance("WidgetModule", "WidgetProvider", "Test_Widget", {2, 5})})
        {
            Result r = server.run(CimXmlRequestEncoder::createInstance("1", kInterop, i));
            ASSERT_TRUE(r.ok()) << r.description();
            paths.push_back(r.response.instanceNames[0]);
        }
    }

    // What a stranger may not do, as requests.
    std::vector<std::pair<std::string, CimXmlRequest>> privilegedRequests()
    {
        CIMInstance moved = moduleInstance("WidgetModule", "/home/nobody/evil");
        moved.setPath(paths[0]);
        return {
            {"register a module",
             CimXmlRequestEncoder::createInstance(
                 "2", kInterop, moduleInstance("EvilModule", "evil"))},
            {"register a provider",
             CimXmlRequestEncoder::createInstance(
                 "2", kInterop, providerInstance("WidgetModule", "EvilProvider"))},
            {"register capabilities",
             CimXmlRequestEncoder::createInstance(
                 "2", kInterop,
                 capabilitiesInstance("WidgetModule", "WidgetProvider", "Test_Element", {2}))},
            {"modify a module", CimXmlRequestEncoder::modifyInstance("2", kInterop, moved)},
            {"delete a module", CimXmlRequestEncoder::deleteInstance("2", kInterop, paths[0])},
            {"delete a provider", CimXmlRequestEncoder::deleteInstance("2", kInterop, paths[1])},
            {"delete capabilities",
             CimXmlRequestEncoder::deleteInstance("2", kInterop, paths[2])},
            {"set a configuration property",
             CimXmlRequestEncoder::invokeMethod("2", kInternal, configSetting("providerDir"),
                                                "UpdatePropertyValue",
                                                updateParameters("/home/nobody"))},
            {"shut the server down",
             CimXmlRequestEncoder::invokeMethod(
                 "2", kInternal, CIMObjectPath(String(), CIMNamespaceName(), "PG_ShutdownService"),
                 "shutdown", Array<CIMParamValue>())},
            {"delete a registration class",
             CimXmlRequestEncoder::deleteClass("2", kInterop, "PG_ProviderModule")},
            {"delete the registration namespace",
             CimXmlRequestEncoder::deleteInstance("2", "root", namespacePath("PG_InterOp"))},
            {"delete a namespace above it",
             CimXmlRequestEncoder::deleteInstance("2", "root", namespacePath(""))},
            {"create a namespace below it",
             CimXmlRequestEncoder::createInstance("2", kInterop, namespaceInstance("x"))},
        };
    }

    Server server;
    std::vector<CIMObjectPath> paths;
};

TEST_F(AccessControl, StrangersAreRefusedEveryPrivilegedOperationAndNothingChanges)
{
    for (const RequestCaller& stranger : kStrangers)
    {
        for (const auto& request : privilegedRequests())
        {
            SCOPED_TRACE(request.first + (stranger.local ? " (local)" : " (TCP)"));
            Result r = server.run(request.second, stranger);
            EXPECT_TRUE(r.outcome.failed);
            EXPECT_EQ(CIM_ERR_ACCESS_DENIED, r.outcome.code) << r.description();
        }
    }

    EXPECT_EQ(1u, registered(server, "PG_ProviderModule").size());
    EXPECT_EQ(1u, registered(server, "PG_Provider").size());
    EXPECT_EQ(1u, registered(server, "PG_ProviderCapabilities").size());
    CIMInstance module = server.repository->getInstance(kInterop, paths[0], false, false, false, CIMPropertyList());
    String location;
    module.getProperty(module.findProperty("Location")).getValue().get(location);
    EXPECT_EQ("DispatchTestProvider", str(location));
    EXPECT_TRUE(server.repository->classExists(kInterop, "PG_ProviderModule"));
    EXPECT_TRUE(server.repository->namespaceExists(kInterop));
    EXPECT_FALSE(server.repository->namespaceExists("root/PG_InterOp/x"));
    // The registered provider still serves, from where the owner put it.
    Result widgets = server.run(
        CimXmlRequestEncoder::enumerateInstanceNames("3", kTestNs, "Test_Widget"), kStrangers[0]);
    EXPECT_TRUE(widgets.ok()) << widgets.description();
}

TEST_F(AccessControl, TheOwnerMayDoEachOfThem)
{
    for (const auto& request : privilegedRequests())
    {
        SCOPED_TRACE(request.first);
        Result r = server.run(request.second);
        // The method calls reach the routing (no built-in providers here);
        // everything else succeeds.
        EXPECT_NE(CIM_ERR_ACCESS_DENIED, r.outcome.code) << r.description();
    }
}

TEST_F(AccessControl, StrangersStillReadAndWriteOrdinaryNamespaces)
{
    Result modules = server.run(
        CimXmlRequestEncoder::enumerateInstances("4", kInterop, "PG_ProviderModule", true),
        kStrangers[0]);
    ASSERT_TRUE(modules.ok()) << modules.description();
    EXPECT_EQ(1u, modules.response.instances.size());

    Result created = server.run(
        CimXmlRequestEncoder::createInstance("5", kTestNs, instanceOf("Test_Element", "e1")),
        kStrangers[0]);
    EXPECT_TRUE(created.ok()) << created.description();
    Result child = server.run(
        CimXmlRequestEncoder::createInstance("6", "root", namespaceInstance("PG_InterOpX")),
        kStrangers[0]);
    EXPECT_TRUE(child.ok()) << child.description();
}

TEST_F(AccessControl, EachCallOfAMultipleRequestIsJudgedByItself)
{
    std::string body = CimXmlRequestEncoder::multipleRequest(
        "7", {CimXmlRequestEncoder::createInstance("7", kTestNs, instanceOf("Test_Element", "e2")),
              CimXmlRequestEncoder::deleteInstance("7", kInterop, paths[0])});
    CimXmlRequestMessage message = CimXmlRequestDecoder::decodeMultiple(body.data(), body.size());
    OperationOutcome outcome = server.dispatcher->process(message, kStrangers[0]);
    ASSERT_FALSE(outcome.failed) << str(outcome.description);
    std::vector<CimXmlResponse> answers =
        CimXmlResponseDecoder::decodeMultiple(outcome.body.data(), outcome.body.size());
    ASSERT_EQ(2u, answers.size());
    EXPECT_FALSE(answers[0].hasError);
    ASSERT_TRUE(answers[1].hasError);
    EXPECT_EQ(CIM_ERR_ACCESS_DENIED, answers[1].errorCode);
    EXPECT_EQ(1u, registered(server, "PG_ProviderModule").size());
}

}  // namespace
