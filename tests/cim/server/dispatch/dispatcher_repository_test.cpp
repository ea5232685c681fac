// Operations the repository answers, run through the dispatcher as CIM-XML
// documents: encoded like a client does, processed, and the response
// decoded again.
#include "DispatchTestSupport.h"
#include "../repository/FailingSqliteCalls.h"

#include <cstring>

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
    OperationOutcome instances = server.dispatcher->process(all, ownerCaller());
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
    OperationOutcome paths = server.dispatcher->process(names, ownerCaller());
    ASSERT_TRUE(paths.producer);
    EXPECT_EQ(CimXmlResponseEncoder::instanceNamesResponse(
                  "8", names.methodName,
                  server.repository->enumerateInstanceNames(kTestNs, "Test_Element")),
              drain(paths, calls));
    EXPECT_GE(calls, 41);

    // What is wrong with the request itself is found before any answer.
    OperationOutcome unknown = server.dispatcher->process(CimXmlRequestDecoder::decode(
        CimXmlRequestEncoder::enumerateInstances("9", kTestNs, "No_Class").body),
        ownerCaller());
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


// A multiple-operation request as the front end hands it over: every call
// runs in order, each answer is the call's own, a failing call does not
// stop the others (unless the request asks for that).
std::vector<CimXmlResponse> runBatch(Server& server, const std::vector<CimXmlRequest>& calls,
                                     bool stopOnError = false,
                                     std::vector<Uint32> continueOn = {})
{
    std::string body = CimXmlRequestEncoder::multipleRequest("77", calls);
    CimXmlRequestMessage message =
        CimXmlRequestDecoder::decodeMultiple(body.data(), body.size());
    message.stopOnError = stopOnError;
    message.continueOnCodes = continueOn;
    OperationOutcome outcome = server.dispatcher->process(message, ownerCaller());
    EXPECT_FALSE(outcome.failed) << str(outcome.description);
    EXPECT_FALSE(outcome.producer);
    return CimXmlResponseDecoder::decodeMultiple(outcome.body.data(), outcome.body.size());
}

TEST_F(DispatcherRepositoryTest, MultipleRequestAnswersEveryCallInOrder)
{
    std::vector<CimXmlResponse> r = runBatch(
        server, {CimXmlRequestEncoder::createInstance("a", kTestNs,
                                                      instanceOf("Test_Stored", "m1")),
                 CimXmlRequestEncoder::createInstance("b", kTestNs,
                                                      instanceOf("Test_Nothing", "m2")),
                 CimXmlRequestEncoder::createInstance("c", kTestNs,
                                                      instanceOf("Test_Stored", "m3")),
                 CimXmlRequestEncoder::enumerateInstanceNames("d", kTestNs, "Test_Stored"),
                 CimXmlRequestEncoder::getClass("e", kTestNs, "Test_Element"),
                 CimXmlRequestEncoder::invokeMethod("f", kTestNs,
                                                    CIMObjectPath("Test_Stored"), "NoSuch",
                                                    Array<CIMParamValue>())});
    ASSERT_EQ(6u, r.size());
    for (const CimXmlResponse& each : r)
        EXPECT_EQ("77", each.messageId);
    EXPECT_EQ("CreateInstance", str(r[0].methodName));
    EXPECT_FALSE(r[0].hasError);
    ASSERT_EQ(1u, r[0].instanceNames.size());
    EXPECT_EQ("Test_Stored.Id=\"m1\"", str(r[0].instanceNames[0].toString()));
    // The failure in the middle is that call's only.
    EXPECT_TRUE(r[1].hasError);
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, r[1].errorCode);
    EXPECT_FALSE(r[2].hasError);
    // Calls see what the calls before them did; the enumeration comes whole.
    EXPECT_EQ("EnumerateInstanceNames", str(r[3].methodName));
    EXPECT_EQ(2u, r[3].instanceNames.size());
    ASSERT_EQ(1u, r[4].classes.size());
    EXPECT_EQ("Test_Element", str(r[4].classes[0].getClassName().getString()));
    EXPECT_FALSE(r[5].isIntrinsic);
    EXPECT_TRUE(r[5].hasError);
}

TEST_F(DispatcherRepositoryTest, MultipleRequestUnknownOperationFailsOnlyThatCall)
{
    CimXmlRequest unknown = CimXmlRequestEncoder::getClass("x", kTestNs, "Test_Element");
    for (const char* from : {"\"GetClass\"", "GetClass"})
    {
        std::size_t at = unknown.body.find(from);
        if (at != std::string::npos)
            unknown.body.replace(at, std::strlen(from),
                                 from[0] == '"' ? "\"FetchClass\"" : "FetchClass");
    }
    std::vector<CimXmlResponse> r = runBatch(
        server, {unknown, CimXmlRequestEncoder::getClass("y", kTestNs, "Test_Stored")});
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ("FetchClass", str(r[0].methodName));
    EXPECT_EQ(CIM_ERR_NOT_SUPPORTED, r[0].errorCode);
    EXPECT_FALSE(r[1].hasError);
}

TEST_F(DispatcherRepositoryTest, MultipleRequestStopsAtFailureWhenAsked)
{
    auto create = [](const char* id) {
        return CimXmlRequestEncoder::createInstance("1", kTestNs,
                                                    instanceOf("Test_Stored", id));
    };
    ASSERT_TRUE(server.run(create("s0")).ok());
    // Already there: listed as no reason to stop; the bad class is.
    std::vector<CimXmlResponse> r = runBatch(
        server,
        {create("s1"), create("s0"), create("s2"),
         CimXmlRequestEncoder::createInstance("1", kTestNs, instanceOf("Test_Nothing", "s3")),
         create("s4")},
        true, {Uint32(CIM_ERR_ALREADY_EXISTS)});
    ASSERT_EQ(5u, r.size());
    EXPECT_FALSE(r[0].hasError);
    EXPECT_EQ(CIM_ERR_ALREADY_EXISTS, r[1].errorCode);
    EXPECT_FALSE(r[2].hasError);
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, r[3].errorCode);
    EXPECT_EQ(CIM_ERR_FAILED, r[4].errorCode);
    Result names =
        server.run(CimXmlRequestEncoder::enumerateInstanceNames("5", kTestNs, "Test_Stored"));
    EXPECT_EQ(3u, names.response.instanceNames.size());   // s0, s1, s2: not s4
}

// The store failing (a full disk, commits that fail): each write is
// answered with the store's error, reads go on being served meanwhile,
// nothing committed before is lost, and writes succeed again once the
// store works.
TEST(DispatcherStoreFailure, WritesFailWithTheStoreErrorAndNothingCommittedIsLost)
{
    FailingSqliteCalls calls;
    Server server({}, calls);
    auto labelOf = [&server](const char* id) {
        Result got = server.run(
            CimXmlRequestEncoder::getInstance("g", kTestNs, pathOf("Test_Stored", id)));
        if (!got.ok())
            return got.description();
        const CIMInstance& i = got.response.instances[0];
        return str(i.getProperty(i.findProperty("Label")).getValue().toString());
    };
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createInstance(
                               "1", kTestNs, instanceOf("Test_Stored", "s1", "first")))
                    .ok());

    struct Failure
    {
        const char* what;
        std::vector<std::string> prefixes;
        int result;
        std::string description;
    } failures[] = {
        {"full disk", FailingSqliteCalls::writes(), SQLITE_FULL, "database or disk is full"},
        {"failed commit", {"COMMIT"}, SQLITE_IOERR, "disk I/O error"},
    };
    CIMInstance changed = instanceOf("Test_Stored", "s1", "changed");
    changed.setPath(pathOf("Test_Stored", "s1"));
    CIMClass extra("Test_Extra");
    extra.addProperty(keyProperty("Name"));
    for (const Failure& f : failures)
    {
        SCOPED_TRACE(f.what);
        calls.failOn(f.prefixes, f.result);
        for (const CimXmlRequest& write :
             {CimXmlRequestEncoder::createInstance("2", kTestNs,
                                                   instanceOf("Test_Stored", "s2", "second")),
              CimXmlRequestEncoder::modifyInstance("3", kTestNs, changed),
              CimXmlRequestEncoder::deleteInstance("4", kTestNs, pathOf("Test_Stored", "s1")),
              CimXmlRequestEncoder::createClass("5", kTestNs, extra)})
        {
            Result r = server.run(write);
            EXPECT_TRUE(r.outcome.failed);
            EXPECT_EQ(CIM_ERR_FAILED, r.outcome.code);
            EXPECT_EQ(0u, r.description().find("CIM_ERR_FAILED: repository database error ("))
                << r.description();
            EXPECT_NE(std::string::npos, r.description().find(f.description)) << r.description();
        }
        // Reads are served while the store fails.
        EXPECT_EQ("first", labelOf("s1"));
        EXPECT_EQ("CIM_ERR_NOT_FOUND: Test_Stored.Id=\"s2\"", labelOf("s2"));
        Result names = server.run(
            CimXmlRequestEncoder::enumerateInstanceNames("6", kTestNs, "Test_Stored"));
        ASSERT_TRUE(names.ok()) << names.description();
        EXPECT_EQ(1u, names.response.instanceNames.size());
        EXPECT_EQ(CIM_ERR_NOT_FOUND,
                  server.run(CimXmlRequestEncoder::getClass("7", kTestNs, "Test_Extra"))
                      .outcome.code);
    }
    EXPECT_EQ(8, calls.failures());

    // What was committed before is still there after a restart, and the
    // store takes writes again.
    calls.clear();
    server.reopen();
    EXPECT_EQ("first", labelOf("s1"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createInstance(
                               "8", kTestNs, instanceOf("Test_Stored", "s2", "second")))
                    .ok());
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::modifyInstance("9", kTestNs, changed)).ok());
    server.reopen();
    EXPECT_EQ("changed", labelOf("s1"));
    EXPECT_EQ("second", labelOf("s2"));
}

}  // namespace
