// Requests for a class with a registered provider: they reach the test
// provider with complete paths, its results are checked and filtered, and
// whatever it throws reaches the client with the right code and text.
#include "DispatchTestSupport.h"

#include <set>
#include <unistd.h>

using namespace dispatchtest;

namespace {

class ProviderDispatchTest : public ::testing::Test
{
protected:
    void SetUp() override { server.registerWidgetProvider(); }

    Result invoke(const char* method, const Array<CIMParamValue>& in = Array<CIMParamValue>(),
                  const char* id = "w1")
    {
        return server.run(CimXmlRequestEncoder::invokeMethod(
            "1", kTestNs, pathOf("Test_Widget", id), method, in));
    }

    Result create(const char* id, const char* label = "made")
    {
        CIMInstance w = instanceOf("Test_Widget", id, label);
        w.addProperty(CIMProperty("Size", Uint32(3)));
        return server.run(CimXmlRequestEncoder::createInstance("1", kTestNs, w));
    }

    Result get(const char* id, const CIMPropertyList& list = CIMPropertyList())
    {
        return server.run(CimXmlRequestEncoder::getInstance(
            "1", kTestNs, pathOf("Test_Widget", id), true, false, false, list));
    }

    Server server;
};

std::string hostName()
{
    char name[256] = {0};
    gethostname(name, sizeof(name) - 1);
    return name;
}

TEST_F(ProviderDispatchTest, InstanceOperationsReachTheProvider)
{
    Result created = create("w1");
    ASSERT_TRUE(created.ok()) << created.description();
    EXPECT_EQ("Test_Widget.Id=\"w1\"", str(created.response.instanceNames[0].toString()));
    // The provider keeps it, not the repository.
    EXPECT_EQ(0u, server.repository->enumerateInstanceNamesForClass(kTestNs, "Test_Widget").size());
    EXPECT_EQ(CIM_ERR_ALREADY_EXISTS, create("w1").outcome.code);

    Result got = get("w1");
    ASSERT_TRUE(got.ok()) << got.description();
    EXPECT_EQ(3u, got.response.instances[0].getPropertyCount());

    CIMInstance changed = instanceOf("Test_Widget", "w1", "changed");
    changed.setPath(pathOf("Test_Widget", "w1"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::modifyInstance("1", kTestNs, changed)).ok());
    Result listed = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "Test_Widget"));
    ASSERT_EQ(1u, listed.response.instances.size());
    CIMInstance w = listed.response.instances[0];
    EXPECT_EQ("changed", str(w.getProperty(w.findProperty("Label")).getValue().toString()));

    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteInstance(
        "1", kTestNs, pathOf("Test_Widget", "w1"))).ok());
    Result names =
        server.run(CimXmlRequestEncoder::enumerateInstanceNames("1", kTestNs, "Test_Widget"));
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(0u, names.response.instanceNames.size());
    EXPECT_EQ("CIM_ERR_NOT_FOUND: w1", get("w1").description());
}

TEST_F(ProviderDispatchTest, ProvidersSeePathsWithHostAndNamespace)
{
    const std::string expected = "//" + hostName() + "/test/dispatch:Test_Widget.Id=\"w1\"";
    Result r = invoke("Where");
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_EQ(expected, str(r.response.returnValue.toString()));

    Result got = get("where");
    ASSERT_TRUE(got.ok()) << got.description();
    CIMInstance i = got.response.instances[0];
    EXPECT_EQ("//" + hostName() + "/test/dispatch:Test_Widget.Id=\"where\"",
              str(i.getProperty(i.findProperty("Label")).getValue().toString()));
}

TEST_F(ProviderDispatchTest, ServerAppliesThePropertyListToProviderResults)
{
    ASSERT_TRUE(create("w1").ok());
    Array<CIMName> onlySize;
    onlySize.append("Size");
    Result got = get("w1", CIMPropertyList(onlySize));
    ASSERT_TRUE(got.ok());
    ASSERT_EQ(1u, got.response.instances[0].getPropertyCount());
    EXPECT_EQ("Size", str(got.response.instances[0].getProperty(0).getName().getString()));

    Result listed = server.run(CimXmlRequestEncoder::enumerateInstances(
        "1", kTestNs, "Test_Widget", true, true, false, false, CIMPropertyList(onlySize)));
    ASSERT_EQ(1u, listed.response.instances.size());
    EXPECT_EQ(1u, listed.response.instances[0].getPropertyCount());
    // The provider's own copy is untouched.
    EXPECT_EQ(3u, get("w1").response.instances[0].getPropertyCount());
}

TEST_F(ProviderDispatchTest, EnumerationOfASuperclassGathersEachClass)
{
    ASSERT_TRUE(create("w1").ok());
    server.repository->createInstance(kTestNs, instanceOf("Test_Element", "e1"));
    CIMInstance stored = instanceOf("Test_Stored", "s1");
    stored.addProperty(CIMProperty("Note", String("n")));
    server.repository->createInstance(kTestNs, stored);

    Result deep = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "Test_Element"));
    ASSERT_TRUE(deep.ok()) << deep.description();
    ASSERT_EQ(3u, deep.response.instances.size());
    std::set<std::string> paths;
    for (Uint32 i = 0; i < 3; i++)
        paths.insert(str(deep.response.instances[i].getPath().toString()));
    EXPECT_TRUE(paths.count("Test_Widget.Id=\"w1\""));
    EXPECT_TRUE(paths.count("Test_Stored.Id=\"s1\""));

    Result shallow = server.run(
        CimXmlRequestEncoder::enumerateInstances("2", kTestNs, "Test_Element", false));
    ASSERT_EQ(3u, shallow.response.instances.size());
    for (Uint32 i = 0; i < 3; i++)
    {
        const CIMInstance& inst = shallow.response.instances[i];
        EXPECT_EQ(PEG_NOT_FOUND, inst.findProperty("Size"));
        EXPECT_EQ(PEG_NOT_FOUND, inst.findProperty("Note"));
    }

    Result names =
        server.run(CimXmlRequestEncoder::enumerateInstanceNames("3", kTestNs, "Test_Element"));
    EXPECT_EQ(3u, names.response.instanceNames.size());
}

TEST_F(ProviderDispatchTest, InstancesDeliveredWithoutPathGetOneFromTheirKeys)
{
    ASSERT_TRUE(create("np", "no path").ok());
    Result listed = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "Test_Widget"));
    ASSERT_EQ(1u, listed.response.instances.size());
    EXPECT_EQ("Test_Widget.Id=\"np\"", str(listed.response.instances[0].getPath().toString()));
}

TEST_F(ProviderDispatchTest, MethodResultAndOutParametersReachTheClient)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Text", CIMValue(String("hello"))));
    Result r = invoke("Echo", in);
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_FALSE(r.response.isIntrinsic);
    EXPECT_EQ("hello", str(r.response.returnValue.toString()));
    ASSERT_EQ(1u, r.response.outParameters.size());
    EXPECT_EQ("Length", str(r.response.outParameters[0].getParameterName()));
    EXPECT_EQ(CIMTYPE_UINT32, r.response.outParameters[0].getValue().getType());
    EXPECT_EQ("5", str(r.response.outParameters[0].getValue().toString()));
}

TEST_F(ProviderDispatchTest, UntypedParametersArriveWithTheDeclaredType)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("A", CIMValue(String("2")), false));
    in.append(CIMParamValue("B", CIMValue(Uint32(3))));
    Result r = invoke("Add", in);
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_EQ(CIMTYPE_UINT32, r.response.returnValue.getType());
    EXPECT_EQ("5", str(r.response.returnValue.toString()));

    Array<CIMParamValue> bad;
    bad.append(CIMParamValue("A", CIMValue(String("two")), false));
    EXPECT_EQ(CIM_ERR_INVALID_PARAMETER, invoke("Add", bad).outcome.code);
}

TEST_F(ProviderDispatchTest, CapturedMethodCallGetsTheCapturedAnswer)
{
    const char* capture = "09b-InvokeMethod-SayHello-cimcli-step2-SayHello-request.txt";
    const CIMNamespaceName sampleNs("root/SampleProvider");
    // The widget provider also serves the captured call's class.
    Result registered = server.run(CimXmlRequestEncoder::createInstance(
        "1", kInterop,
        capabilitiesInstance("WidgetModule", "WidgetProvider", "Sample_MethodProviderClass",
                             {5}, sampleNs)));
    ASSERT_TRUE(registered.ok()) << registered.description();

    CimXmlRequest request;
    request.body = wireBody(capture);
    ASSERT_FALSE(request.body.empty());

    Result r = server.run(request);
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_EQ("1001", r.response.messageId);
    EXPECT_EQ("SayHello", str(r.response.methodName));
    EXPECT_EQ("Hello, World!", str(r.response.returnValue.toString()));
    ASSERT_EQ(1u, r.response.outParameters.size());
    EXPECT_EQ("Place", str(r.response.outParameters[0].getParameterName()));
    EXPECT_EQ("From Neverland", str(r.response.outParameters[0].getValue().toString()));
}

struct MappingCase
{
    const char* method;
    CIMStatusCode code;
    const char* description;
};

TEST_F(ProviderDispatchTest, ProviderExceptionsAreMapped)
{
    const MappingCase cases[] = {
        {"ThrowCIM", CIM_ERR_NOT_FOUND, "CIM_ERR_NOT_FOUND: no such disk"},
        {"ThrowProviderException", CIM_ERR_METHOD_NOT_FOUND, "CIM_ERR_METHOD_NOT_FOUND: gone"},
        {"ThrowPegasus", CIM_ERR_FAILED, "CIM_ERR_FAILED: plain failure"},
        {"ThrowStd", CIM_ERR_FAILED, "CIM_ERR_FAILED: std failure"},
        {"ThrowUnknown", CIM_ERR_FAILED, "CIM_ERR_FAILED: Unknown error."},
        {"DeliverNull", CIM_ERR_FAILED, "CIM_ERR_FAILED: The object is not initialized."},
        {"DeliverUninitialized", CIM_ERR_FAILED,
         "CIM_ERR_FAILED: The object is not initialized."},
    };
    for (const MappingCase& c : cases)
    {
        Result r = invoke(c.method);
        EXPECT_EQ(c.code, r.outcome.code) << c.method;
        EXPECT_EQ(c.description, r.description()) << c.method;
    }
}

TEST_F(ProviderDispatchTest, GetInstanceDeliveriesAreChecked)
{
    const MappingCase cases[] = {
        {"too-many", CIM_ERR_FAILED, "CIM_ERR_FAILED: Too many objects delivered."},
        {"too-few", CIM_ERR_FAILED, "CIM_ERR_FAILED: Too few objects delivered."},
        {"silent", CIM_ERR_FAILED, "CIM_ERR_FAILED: Too few objects delivered."},
        {"uninitialized", CIM_ERR_FAILED, "CIM_ERR_FAILED: The object is not initialized."},
        {"absent", CIM_ERR_NOT_FOUND, "CIM_ERR_NOT_FOUND: absent"},
    };
    for (const MappingCase& c : cases)
    {
        Result r = get(c.method);
        EXPECT_EQ(c.code, r.outcome.code) << c.method;
        EXPECT_EQ(c.description, r.description()) << c.method;
    }
}

TEST_F(ProviderDispatchTest, ProviderWithoutTheNeededInterfaceIsRefused)
{
    server.registerProvider("OtherModule", "DispatchTestProvider", "MethodOnlyProvider",
                            "Test_Stored", {2, 5});
    Result r = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "Test_Stored"));
    EXPECT_EQ(CIM_ERR_NOT_SUPPORTED, r.outcome.code);
    EXPECT_EQ("CIM_ERR_NOT_SUPPORTED: Invalid provider interface.", r.description());

    Result m = server.run(CimXmlRequestEncoder::invokeMethod(
        "1", kTestNs, pathOf("Test_Stored", "s"), "Anything", Array<CIMParamValue>()));
    ASSERT_TRUE(m.ok()) << m.description();
    EXPECT_EQ("method only", str(m.response.returnValue.toString()));
}

TEST_F(ProviderDispatchTest, UpcallsRunThroughTheServer)
{
    ASSERT_TRUE(create("w1").ok());
    server.repository->createInstance(kTestNs, instanceOf("Test_Stored", "s1"));

    // Test_Element's names come from the repository and, nested, from the
    // calling provider itself.
    Result count = invoke("UpcallCount");
    ASSERT_TRUE(count.ok()) << count.description();
    EXPECT_EQ("2", str(count.response.returnValue.toString()));

    Array<CIMParamValue> in;
    in.append(CIMParamValue("Id", CIMValue(String("up"))));
    Result created = invoke("UpcallCreate", in);
    ASSERT_TRUE(created.ok()) << created.description();
    CIMInstance up = server.repository->getInstance(kTestNs, pathOf("Test_Stored", "up"),
                                                    false, false, false, CIMPropertyList());
    EXPECT_EQ("Test_Stored.Id=\"up\"", str(up.getPath().toString()));

    Result missing = invoke("UpcallMissing");
    EXPECT_EQ(CIM_ERR_NOT_FOUND, missing.outcome.code);
    EXPECT_EQ("CIM_ERR_NOT_FOUND: No_Such_Class", missing.description());
}

}  // namespace
