// Operations the repository answers, run through the dispatcher as CIM-XML
// documents: encoded like a client does, processed, and the response
// decoded again.
#include "DispatchTestSupport.h"

#include <fstream>
#include <sstream>

using namespace dispatchtest;

namespace {

class DispatcherRepositoryTest : public ::testing::Test
{
protected:
    Server server{{}};
};

TEST_F(DispatcherRepositoryTest, ClassOperationsRoundTrip)
{
    CIMClass extra("Test_Extra");
    extra.addProperty(keyProperty("Name"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createClass("1", kTestNs, extra)).ok());

    Result got = server.run(CimXmlRequestEncoder::getClass("2", kTestNs, "Test_Extra"));
    ASSERT_TRUE(got.ok()) << got.description();
    ASSERT_EQ(1u, got.response.classes.size());
    EXPECT_NE(PEG_NOT_FOUND, got.response.classes[0].findProperty("Name"));
    EXPECT_EQ("2", got.response.messageId);

    // ClassName + DeepInheritance are read; no ClassName means the roots.
    Result names = server.run(
        CimXmlRequestEncoder::enumerateClassNames("3", kTestNs, "Test_Element", true));
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(2u, names.response.classNames.size());
    Result roots = server.run(CimXmlRequestEncoder::enumerateClasses("4", kTestNs));
    ASSERT_TRUE(roots.ok());
    EXPECT_EQ(2u, roots.response.classes.size());   // Test_Element, Test_Extra

    CIMClass modified("Test_Extra");
    modified.addProperty(keyProperty("Name"));
    modified.addProperty(stringProperty("Added"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::modifyClass("5", kTestNs, modified)).ok());
    got = server.run(CimXmlRequestEncoder::getClass("6", kTestNs, "Test_Extra"));
    EXPECT_NE(PEG_NOT_FOUND, got.response.classes[0].findProperty("Added"));

    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteClass("7", kTestNs, "Test_Extra")).ok());
    Result gone = server.run(CimXmlRequestEncoder::getClass("8", kTestNs, "Test_Extra"));
    EXPECT_TRUE(gone.outcome.failed);
    EXPECT_EQ(CIM_ERR_NOT_FOUND, gone.outcome.code);
    EXPECT_EQ("CIM_ERR_NOT_FOUND: Test_Extra", gone.description());
}

TEST_F(DispatcherRepositoryTest, QualifierOperationsRoundTrip)
{
    CIMQualifierDecl units("Units", CIMValue(CIMTYPE_STRING, false), CIMScope::PROPERTY);
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::setQualifier("1", kTestNs, units)).ok());

    Result got = server.run(CimXmlRequestEncoder::getQualifier("2", kTestNs, "Units"));
    ASSERT_TRUE(got.ok()) << got.description();
    ASSERT_EQ(1u, got.response.qualifierDecls.size());
    EXPECT_EQ("Units", str(got.response.qualifierDecls[0].getName().getString()));

    Result all = server.run(CimXmlRequestEncoder::enumerateQualifiers("3", kTestNs));
    EXPECT_EQ(3u, all.response.qualifierDecls.size());   // Key, In, Units

    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteQualifier("4", kTestNs, "Units")).ok());
    Result gone = server.run(CimXmlRequestEncoder::getQualifier("5", kTestNs, "Units"));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, gone.outcome.code);
}

TEST_F(DispatcherRepositoryTest, InstanceOperationsRoundTrip)
{
    Result created = server.run(CimXmlRequestEncoder::createInstance(
        "1", kTestNs, instanceOf("Test_Stored", "s1", "first")));
    ASSERT_TRUE(created.ok()) << created.description();
    ASSERT_EQ(1u, created.response.instanceNames.size());
    EXPECT_EQ("Test_Stored.Id=\"s1\"", str(created.response.instanceNames[0].toString()));

    Array<CIMName> onlyLabel;
    onlyLabel.append("Label");
    Result got = server.run(CimXmlRequestEncoder::getInstance(
        "2", kTestNs, pathOf("Test_Stored", "s1"), true, false, false,
        CIMPropertyList(onlyLabel)));
    ASSERT_TRUE(got.ok()) << got.description();
    ASSERT_EQ(1u, got.response.instances.size());
    EXPECT_EQ(1u, got.response.instances[0].getPropertyCount());

    CIMInstance changed = instanceOf("Test_Stored", "s1", "changed");
    changed.setPath(pathOf("Test_Stored", "s1"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::modifyInstance("3", kTestNs, changed)).ok());
    Result all = server.run(CimXmlRequestEncoder::enumerateInstances("4", kTestNs, "Test_Stored"));
    ASSERT_EQ(1u, all.response.instances.size());
    CIMInstance listed = all.response.instances[0];
    EXPECT_EQ("changed",
              str(listed.getProperty(listed.findProperty("Label")).getValue().toString()));
    EXPECT_EQ("Test_Stored.Id=\"s1\"", str(listed.getPath().toString()));

    Result names =
        server.run(CimXmlRequestEncoder::enumerateInstanceNames("5", kTestNs, "Test_Element"));
    EXPECT_EQ(1u, names.response.instanceNames.size());

    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteInstance(
        "6", kTestNs, pathOf("Test_Stored", "s1"))).ok());
    Result gone = server.run(CimXmlRequestEncoder::getInstance(
        "7", kTestNs, pathOf("Test_Stored", "s1")));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, gone.outcome.code);
}

TEST_F(DispatcherRepositoryTest, AbsentDeepInheritanceMeansTrue)
{
    CIMInstance stored = instanceOf("Test_Stored", "s1");
    stored.addProperty(CIMProperty("Note", String("n")));
    server.repository->createInstance(kTestNs, stored);

    // The encoder leaves the parameter out when it equals the default.
    Result deep = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "Test_Element"));
    Result shallow = server.run(
        CimXmlRequestEncoder::enumerateInstances("2", kTestNs, "Test_Element", false));
    ASSERT_EQ(1u, deep.response.instances.size());
    ASSERT_EQ(1u, shallow.response.instances.size());
    EXPECT_NE(PEG_NOT_FOUND, deep.response.instances[0].findProperty("Note"));
    EXPECT_EQ(PEG_NOT_FOUND, shallow.response.instances[0].findProperty("Note"));
}

// Drains a produced answer one object per call, as the front end would in
// its smallest pieces; counts the calls.
std::string drain(OperationOutcome& outcome, int& calls)
{
    std::string all = outcome.body;
    calls = 0;
    ResponseBodyProducer::Status status = ResponseBodyProducer::MORE;
    while (status == ResponseBodyProducer::MORE)
    {
        ++calls;
        status = outcome.producer->next(all, 1, outcome.code, outcome.description);
    }
    EXPECT_EQ(ResponseBodyProducer::DONE, status);
    return all;
}

TEST_F(DispatcherRepositoryTest, EnumerationsAreProducedPieceByPieceAsTheWholeAnswer)
{
    for (int i = 0; i < 40; i++)
    {
        std::string id = "s" + std::to_string(i);
        server.repository->createInstance(kTestNs, instanceOf("Test_Stored", id.c_str()));
    }
    server.repository->createInstance(kTestNs, instanceOf("Test_Element", "e1"));

    // Nothing read before the answer is asked for; then one object per
    // piece, and the pieces add up to the answer built in one go.
    CimXmlRequestMessage all = CimXmlRequestDecoder::decode(
        CimXmlRequestEncoder::enumerateInstances("7", kTestNs, "Test_Element", false).body);
    OperationOutcome instances = server.dispatcher->process(all);
    ASSERT_TRUE(instances.producer);
    EXPECT_EQ(std::string::npos, instances.body.find("VALUE.NAMEDINSTANCE"));
    int calls;
    EXPECT_EQ(CimXmlResponseEncoder::namedInstancesResponse(
                  "7", all.methodName,
                  server.repository->enumerateInstances(kTestNs, "Test_Element", false, true,
                                                        false, false, CIMPropertyList())),
              drain(instances, calls));
    EXPECT_GE(calls, 41);

    CimXmlRequestMessage names = CimXmlRequestDecoder::decode(
        CimXmlRequestEncoder::enumerateInstanceNames("8", kTestNs, "Test_Element").body);
    OperationOutcome paths = server.dispatcher->process(names);
    ASSERT_TRUE(paths.producer);
    EXPECT_EQ(CimXmlResponseEncoder::instanceNamesResponse(
                  "8", names.methodName,
                  server.repository->enumerateInstanceNames(kTestNs, "Test_Element")),
              drain(paths, calls));
    EXPECT_GE(calls, 41);

    // What is wrong with the request itself is found before any answer.
    OperationOutcome unknown = server.dispatcher->process(CimXmlRequestDecoder::decode(
        CimXmlRequestEncoder::enumerateInstances("9", kTestNs, "No_Class").body));
    EXPECT_TRUE(unknown.failed);
    EXPECT_FALSE(unknown.producer);
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, unknown.code);
}

struct FailureCase
{
    const char* what;
    CimXmlRequest request;
    CIMStatusCode code;
    const char* description;
};

TEST_F(DispatcherRepositoryTest, FailuresCarryCodeAndPrefixedDescription)
{
    CimXmlRequest unknown = CimXmlRequestEncoder::enumerateQualifiers("1", kTestNs);
    std::string& body = unknown.body;
    body.replace(body.find("EnumerateQualifiers"), 19, "FrobnicateQualifier");

    const FailureCase cases[] = {
        {"no such namespace",
         CimXmlRequestEncoder::enumerateClassNames("1", "no/such"),
         CIM_ERR_INVALID_NAMESPACE, "CIM_ERR_INVALID_NAMESPACE: no/such"},
        {"unknown intrinsic method", unknown, CIM_ERR_NOT_SUPPORTED,
         "CIM_ERR_NOT_SUPPORTED"},
        {"method of a class without provider",
         CimXmlRequestEncoder::invokeMethod("1", kTestNs, pathOf("Test_Stored", "s"),
                                            "Run", Array<CIMParamValue>()),
         CIM_ERR_METHOD_NOT_AVAILABLE, "CIM_ERR_METHOD_NOT_AVAILABLE: Run"},
        {"method of an unknown class",
         CimXmlRequestEncoder::invokeMethod("1", kTestNs, pathOf("No_Class", "s"),
                                            "Run", Array<CIMParamValue>()),
         CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: No_Class"},
        {"duplicate instance",
         CimXmlRequestEncoder::createInstance("1", kTestNs, instanceOf("Test_Stored", "dup")),
         CIM_ERR_ALREADY_EXISTS, nullptr},
    };
    server.repository->createInstance(kTestNs, instanceOf("Test_Stored", "dup"));
    for (const FailureCase& c : cases)
    {
        Result r = server.run(c.request);
        EXPECT_TRUE(r.outcome.failed) << c.what;
        EXPECT_EQ(c.code, r.outcome.code) << c.what;
        if (c.description)
            EXPECT_EQ(c.description, r.description()) << c.what;
        else
            EXPECT_EQ(0u, r.description().find(cimStatusCodeToString(c.code))) << c.what;
    }
}

std::string wireBody(const char* file)
{
    std::ifstream in(std::string(KTA_SHARED_DIR) + "/wire/" + file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    size_t start = text.find("\r\n\r\n");
    return start == std::string::npos ? std::string() : text.substr(start + 4);
}

TEST_F(DispatcherRepositoryTest, NamespaceInstanceFromTheMofCompilerCreatesTheNamespace)
{
    CimXmlRequest request;
    request.body = wireBody("22-cimmof-CreateInstance-__Namespace-request.txt");
    ASSERT_FALSE(request.body.empty());

    Result r = server.run(request);
    ASSERT_TRUE(r.ok()) << r.description();
    ASSERT_EQ(1u, r.response.instanceNames.size());
    EXPECT_EQ("__Namespace.Name=\"root/wire\"",
              str(r.response.instanceNames[0].toString()));
    EXPECT_TRUE(server.repository->namespaceExists("root/wire"));

    Result again = server.run(request);
    EXPECT_EQ(CIM_ERR_ALREADY_EXISTS, again.outcome.code);

    // A non-empty Name is taken relative to the request's namespace.
    CIMInstance child("__NAMESPACE");
    child.addProperty(CIMProperty("Name", String("child")));
    Result nested = server.run(CimXmlRequestEncoder::createInstance("2", "root/wire", child));
    ASSERT_TRUE(nested.ok()) << nested.description();
    EXPECT_EQ("__Namespace.Name=\"root/wire/child\"",
              str(nested.response.instanceNames[0].toString()));
    EXPECT_TRUE(server.repository->namespaceExists("root/wire/child"));
}

}  // namespace
