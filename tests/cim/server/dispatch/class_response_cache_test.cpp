// GetClass answers kept encoded: they must equal a freshly encoded answer,
// and every change to the schema, through requests or providers' up-calls,
// must be visible to the very next GetClass.
#include "DispatchTestSupport.h"

#include <ClassResponseCache.h>
#include <CimXmlWriter.h>

#include <Pegasus/Common/OperationContext.h>
#include <Pegasus/Provider/CIMOMHandle.h>

#include <algorithm>

using namespace dispatchtest;

namespace {

CimXmlRequestMessage message(const CimXmlRequest& request)
{
    return CimXmlRequestDecoder::decode(request.body);
}

// Test_Element with an extra property "Added".
CIMClass elementWithAddedProperty()
{
    CIMClass element("Test_Element");
    element.addProperty(keyProperty("Id"));
    element.addProperty(stringProperty("Label"));
    element.addProperty(stringProperty("Added"));
    return element;
}

class ClassResponseCacheTest : public ::testing::Test
{
protected:
    // The resolved Test_Stored (a subclass of Test_Element) as a client sees it.
    CIMClass getStored(const char* id)
    {
        Result got = server.run(CimXmlRequestEncoder::getClass(id, kTestNs, "Test_Stored", false));
        EXPECT_TRUE(got.ok()) << got.description();
        EXPECT_EQ(id, got.response.messageId);
        return got.response.classes.size() == 1 ? got.response.classes[0] : CIMClass();
    }

    Server server{{}};
};

TEST_F(ClassResponseCacheTest, AnswersEqualFreshlyEncodedOnesForEachRequest)
{
    Repository& repo = *server.repository;
    struct Case
    {
        Boolean localOnly, includeQualifiers, includeClassOrigin;
        CIMPropertyList properties;
    };
    Array<CIMName> onlyNote;
    onlyNote.append("Note");
    const Case cases[] = {
        {false, true, false, CIMPropertyList()},
        {true, true, false, CIMPropertyList()},
        {false, false, true, CIMPropertyList()},
        {false, true, false, CIMPropertyList(onlyNote)},
    };
    ClassResponseCache cache;
    int id = 0;
    for (const Case& c : cases)
    {
        CIMClass fresh = repo.getClass(kTestNs, "Test_Stored", c.localOnly,
                                       c.includeQualifiers, c.includeClassOrigin,
                                       c.properties);
        // The first request fills the entry, the second is served from it;
        // each answer carries its own message id.
        for (int round = 0; round < 2; round++)
        {
            std::string messageId = std::to_string(++id);
            CimXmlRequestMessage request = message(CimXmlRequestEncoder::getClass(
                messageId, kTestNs, "Test_Stored", c.localOnly, c.includeQualifiers,
                c.includeClassOrigin, c.properties));
            EXPECT_EQ(CimXmlResponseEncoder::classResponse(messageId, request.methodName,
                                                           fresh),
                      cache.getClass(repo, request))
                << "case " << (id + 1) / 2 << " round " << round;
        }
    }
    EXPECT_EQ(4u, cache.entryCount());

    // Failures are not kept.
    EXPECT_THROW(cache.getClass(repo, message(CimXmlRequestEncoder::getClass(
                                          "9", kTestNs, "No_Such_Class"))),
                 CIMException);
    EXPECT_EQ(4u, cache.entryCount());
}

TEST_F(ClassResponseCacheTest, SuperclassChangeShowsInTheSubclassAtOnce)
{
    // Both answers are cached before the change.
    EXPECT_EQ(PEG_NOT_FOUND, getStored("1").findProperty("Added"));
    EXPECT_EQ(PEG_NOT_FOUND, getStored("2").findProperty("Added"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::getClass("3", kTestNs, "Test_Element")).ok());

    // A class with subclasses cannot be modified: take the subclasses away,
    // change the superclass, and put them back unchanged.
    CIMClass stored = server.repository->getClass(kTestNs, "Test_Stored", true, true, false,
                                                  CIMPropertyList());
    CIMClass widget = server.repository->getClass(kTestNs, "Test_Widget", true, true, false,
                                                  CIMPropertyList());
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteClass("4", kTestNs, "Test_Stored")).ok());
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteClass("5", kTestNs, "Test_Widget")).ok());
    Result modified = server.run(
        CimXmlRequestEncoder::modifyClass("6", kTestNs, elementWithAddedProperty()));
    ASSERT_TRUE(modified.ok()) << modified.description();
    Result element = server.run(CimXmlRequestEncoder::getClass("7", kTestNs, "Test_Element"));
    ASSERT_TRUE(element.ok());
    EXPECT_NE(PEG_NOT_FOUND, element.response.classes[0].findProperty("Added"));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createClass("8", kTestNs, stored)).ok());
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createClass("9", kTestNs, widget)).ok());

    CIMClass after = getStored("10");
    Uint32 added = after.findProperty("Added");
    ASSERT_NE(PEG_NOT_FOUND, added);
    EXPECT_TRUE(after.getProperty(added).getPropagated());
    EXPECT_NE(PEG_NOT_FOUND, after.findProperty("Note"));

    // A class deleted is gone for GetClass at once.
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::deleteClass("11", kTestNs, "Test_Stored")).ok());
    Result gone = server.run(CimXmlRequestEncoder::getClass("12", kTestNs, "Test_Stored", false));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, gone.outcome.code);
}

TEST_F(ClassResponseCacheTest, ProviderUpcallChangesShowAtOnce)
{
    CIMClass extra("Test_Extra", "Test_Element");
    extra.addProperty(stringProperty("First"));
    CIMOMHandle cimom;
    cimom.createClass(OperationContext(), kTestNs, extra);

    Result got = server.run(CimXmlRequestEncoder::getClass("1", kTestNs, "Test_Extra", false));
    ASSERT_TRUE(got.ok()) << got.description();
    EXPECT_EQ(PEG_NOT_FOUND, got.response.classes[0].findProperty("Second"));

    extra.addProperty(stringProperty("Second"));
    cimom.modifyClass(OperationContext(), kTestNs, extra);
    got = server.run(CimXmlRequestEncoder::getClass("2", kTestNs, "Test_Extra", false));
    ASSERT_TRUE(got.ok()) << got.description();
    EXPECT_NE(PEG_NOT_FOUND, got.response.classes[0].findProperty("Second"));

    cimom.deleteClass(OperationContext(), kTestNs, "Test_Extra");
    got = server.run(CimXmlRequestEncoder::getClass("3", kTestNs, "Test_Extra", false));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, got.outcome.code);
}

// Which requests drop which answers.
TEST_F(ClassResponseCacheTest, SchemaChangingRequestsDropTheirNamespace)
{
    Repository& repo = *server.repository;
    const CIMNamespaceName other("test/other");
    declareQualifiers(repo, other);
    repo.createClass(other, CIMClass("Other_Class"));

    ClassResponseCache cache;
    auto fill = [&] {
        cache.getClass(repo, message(CimXmlRequestEncoder::getClass("1", kTestNs, "Test_Stored")));
        cache.getClass(repo, message(CimXmlRequestEncoder::getClass("2", other, "Other_Class")));
        ASSERT_EQ(2u, cache.entryCount());
    };
    // Only whether the request may change something counts, not whether it
    // succeeds: none of these is run.
    const CIMNamespaceName upper("TEST/DISPATCH");
    const CimXmlRequest dropping[] = {
        CimXmlRequestEncoder::createClass("3", kTestNs, CIMClass("Test_New")),
        CimXmlRequestEncoder::modifyClass("3", kTestNs, elementWithAddedProperty()),
        CimXmlRequestEncoder::deleteClass("3", upper, "Test_Stored"),
        CimXmlRequestEncoder::setQualifier(
            "3", kTestNs, CIMQualifierDecl("Units", String(), CIMScope::PROPERTY)),
        CimXmlRequestEncoder::deleteQualifier("3", kTestNs, "Key"),
    };
    for (const CimXmlRequest& request : dropping)
    {
        fill();
        CimXmlRequestMessage m = message(request);
        { SchemaChangeGuard guard(cache, m); }
        EXPECT_EQ(1u, cache.entryCount()) << str(m.methodName);
    }

    const CimXmlRequest keeping[] = {
        CimXmlRequestEncoder::createInstance("3", kTestNs, instanceOf("Test_Stored", "a")),
        CimXmlRequestEncoder::deleteInstance("3", kTestNs, pathOf("Test_Stored", "a")),
        CimXmlRequestEncoder::enumerateClasses("3", kTestNs),
    };
    fill();
    for (const CimXmlRequest& request : keeping)
    {
        CimXmlRequestMessage m = message(request);
        { SchemaChangeGuard guard(cache, m); }
        EXPECT_EQ(2u, cache.entryCount()) << str(m.methodName);
    }

    // Deleting a namespace drops everything.
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Name", String("other"), CIMKeyBinding::STRING));
    CimXmlRequestMessage m = message(CimXmlRequestEncoder::deleteInstance(
        "3", CIMNamespaceName("test"),
        CIMObjectPath(String(), CIMNamespaceName(), PEGASUS_CLASSNAME___NAMESPACE, keys)));
    { SchemaChangeGuard guard(cache, m); }
    EXPECT_EQ(0u, cache.entryCount());
}

TEST_F(ClassResponseCacheTest, MemoryStaysWithinItsBound)
{
    Repository& repo = *server.repository;
    // 24 different answers; room for four of the largest.
    std::vector<CimXmlRequestMessage> requests;
    std::size_t largest = 0;
    for (const char* name : {"Test_Element", "Test_Stored", "Test_Widget"})
    {
        for (int flags = 0; flags < 8; flags++)
        {
            Boolean localOnly = flags & 1, qualifiers = flags & 2, origin = flags & 4;
            std::string xml;
            CimXmlWriter::appendClass(xml, repo.getClass(kTestNs, name, localOnly, qualifiers,
                                                         origin, CIMPropertyList()));
            largest = std::max(largest, xml.size());
            requests.push_back(message(CimXmlRequestEncoder::getClass(
                "1", kTestNs, name, localOnly, qualifiers, origin)));
        }
    }
    ClassResponseCache cache(largest * 4, 100);
    for (int round = 0; round < 2; round++)
    {
        for (const CimXmlRequestMessage& request : requests)
        {
            cache.getClass(repo, request);
            EXPECT_LE(cache.byteCount(), largest * 4);
            EXPECT_GE(cache.entryCount(), 1u);
        }
    }
    EXPECT_LT(cache.entryCount(), requests.size());

    ClassResponseCache fewEntries(1u << 20, 2);
    for (const CimXmlRequestMessage& request : requests)
        fewEntries.getClass(repo, request);
    EXPECT_EQ(2u, fewEntries.entryCount());
}

}  // namespace
