// Associators, AssociatorNames, References and ReferenceNames, and
// GetProperty / SetProperty, through the dispatcher: association instances
// in the repository found through their references with every filter,
// class-level answers from the schema, an association provider's answers,
// and property access on the repository and through an instance provider.
#include "DispatchTestSupport.h"

#include <set>
#include <unistd.h>

using namespace dispatchtest;

namespace {

std::string hostName()
{
    char name[256] = {0};
    gethostname(name, sizeof(name) - 1);
    return name;
}

CIMProperty referenceProperty(const char* name, const char* referenceClass)
{
    CIMProperty p(name, CIMValue(CIMTYPE_REFERENCE, false), 0, referenceClass);
    p.addQualifier(CIMQualifier("Key", Boolean(true)));
    return p;
}

CIMClass associationClass(const char* name, const char* superClass = nullptr)
{
    CIMClass c(name, superClass ? CIMName(superClass) : CIMName());
    c.addQualifier(CIMQualifier("Association", Boolean(true)));
    return c;
}

// A short label for a result path: the Id of an element or holder,
// "<class>:<Id>-<Id>" for an association (its references in key-name
// order: Holder before Owner, A before B), the class name of a class path.
std::string label(const CIMObjectPath& path)
{
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    if (keys.size() == 0)
        return str(path.getClassName().getString());
    std::string out;
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        if (keys[i].getType() != CIMKeyBinding::REFERENCE)
            return str(keys[i].getValue());
        out += (out.empty() ? str(path.getClassName().getString()) + ":" : "-") +
               label(CIMObjectPath(keys[i].getValue()));
    }
    return out;
}

typedef std::set<std::string> Labels;

// Test_Holder { [Key] Id } and the associations
//   [Association] Test_Link { [Key] Test_Element REF Owner; [Key] Test_Holder REF Holder; }
//   [Association] Test_SubLink : Test_Link { Note }
//   [Association] Test_Peer { [Key] Test_Element REF A; [Key] Test_Element REF B; }
// with s1, s2 (Test_Stored), h1, h2 (Test_Holder) and the links
// Test_Link s1-h1, s1-h2, Test_SubLink s1-h1, s2-h1 in the repository.
class AssociationDispatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Repository& repo = *server.repository;
        CIMFlavor flavor = CIMFlavor::DISABLEOVERRIDE;
        flavor.addFlavor(CIMFlavor::TOSUBCLASS);
        repo.setQualifier(kTestNs, CIMQualifierDecl("Association", Boolean(false),
                                                    CIMScope::ASSOCIATION, flavor));
        CIMClass holder("Test_Holder");
        holder.addProperty(keyProperty("Id"));
        repo.createClass(kTestNs, holder);
        CIMClass link = associationClass("Test_Link");
        link.addProperty(referenceProperty("Owner", "Test_Element"));
        link.addProperty(referenceProperty("Holder", "Test_Holder"));
        repo.createClass(kTestNs, link);
        CIMClass subLink = associationClass("Test_SubLink", "Test_Link");
        subLink.addProperty(stringProperty("Note"));
        repo.createClass(kTestNs, subLink);
        CIMClass peer = associationClass("Test_Peer");
        peer.addProperty(referenceProperty("A", "Test_Element"));
        peer.addProperty(referenceProperty("B", "Test_Element"));
        repo.createClass(kTestNs, peer);

        for (const char* id : {"s1", "s2"})
            repo.createInstance(kTestNs, instanceOf("Test_Stored", id, "stored"));
        for (const char* id : {"h1", "h2"})
            repo.createInstance(kTestNs, instanceOf("Test_Holder", id));
        addLink("Test_Link", "s1", "h1");
        addLink("Test_Link", "s1", "h2");
        addLink("Test_SubLink", "s1", "h1");
        addLink("Test_SubLink", "s2", "h1");
    }

    void addLink(const char* className, const char* owner, const char* holder)
    {
        CIMInstance link(className);
        link.addProperty(CIMProperty("Owner", CIMValue(pathOf("Test_Stored", owner)), 0,
                                     "Test_Element"));
        link.addProperty(CIMProperty("Holder", CIMValue(pathOf("Test_Holder", holder)), 0,
                                     "Test_Holder"));
        server.repository->createInstance(kTestNs, link);
    }

    // The labels of a result's paths; every path must be complete.
    Labels labelsOf(const Array<CIMObjectPath>& paths)
    {
        Labels out;
        for (Uint32 i = 0; i < paths.size(); i++)
        {
            EXPECT_EQ(hostName(), str(paths[i].getHost()));
            EXPECT_EQ(str(kTestNs.getString()), str(paths[i].getNameSpace().getString()));
            EXPECT_TRUE(out.insert(label(paths[i])).second) << "twice: " << label(paths[i]);
        }
        return out;
    }

    Labels labelsOf(const Array<CIMObject>& objects)
    {
        Array<CIMObjectPath> paths;
        for (Uint32 i = 0; i < objects.size(); i++)
            paths.append(objects[i].getPath());
        return labelsOf(paths);
    }

    Server server;
};

struct FilterCase
{
    bool references;
    CIMObjectPath object;
    const char* assocClass;
    const char* resultClass;
    const char* role;
    const char* resultRole;
    Labels expected;
};

TEST_F(AssociationDispatchTest, FiltersSelectAssociationsAndResults)
{
    const CIMObjectPath s1 = pathOf("Test_Stored", "s1");
    const CIMObjectPath s2 = pathOf("Test_Stored", "s2");
    const CIMObjectPath h1 = pathOf("Test_Holder", "h1");
    const CIMObjectPath holderClass("Test_Holder");
    const CIMObjectPath storedClass("Test_Stored");
    const FilterCase cases[] = {
        // associators, instance level
        {false, s1, "", "", "", "", {"h1", "h2"}},
        {false, s1, "Test_SubLink", "", "", "", {"h1"}},
        {false, h1, "", "", "", "", {"s1", "s2"}},
        {false, h1, "Test_Link", "", "", "", {"s1", "s2"}},
        {false, h1, "Test_Peer", "", "", "", {}},
        {false, h1, "", "Test_Element", "", "", {"s1", "s2"}},
        {false, h1, "", "Test_Holder", "", "", {}},
        {false, h1, "", "Test_Widget", "", "", {}},
        {false, h1, "", "", "holder", "", {"s1", "s2"}},
        {false, h1, "", "", "Owner", "", {}},
        {false, h1, "", "", "", "Owner", {"s1", "s2"}},
        {false, h1, "", "", "", "Holder", {}},
        {false, s2, "Test_Link", "Test_Holder", "Owner", "Holder", {"h1"}},
        // references, instance level
        {true, h1, "", "", "", "", {"Test_Link:h1-s1", "Test_SubLink:h1-s1", "Test_SubLink:h1-s2"}},
        {true, h1, "", "Test_SubLink", "", "", {"Test_SubLink:h1-s1", "Test_SubLink:h1-s2"}},
        {true, h1, "", "", "Owner", "", {}},
        {true, s2, "", "", "Owner", "", {"Test_SubLink:h1-s2"}},
        // class level
        {false, holderClass, "", "", "", "", {"Test_Element"}},
        {false, storedClass, "", "", "", "", {"Test_Holder", "Test_Element"}},
        {false, storedClass, "Test_Link", "Test_Holder", "Owner", "Holder", {"Test_Holder"}},
        {false, storedClass, "", "Test_Stored", "", "", {}},
        {true, holderClass, "", "", "", "", {"Test_Link", "Test_SubLink"}},
        {true, holderClass, "", "Test_SubLink", "", "", {"Test_SubLink"}},
        {true, holderClass, "", "", "Owner", "", {}},
        {true, storedClass, "", "", "B", "", {"Test_Peer"}},
    };
    for (const FilterCase& c : cases)
    {
        SCOPED_TRACE(str(c.object.toString()) + (c.references ? " references" : " associators") +
                     " assoc=" + c.assocClass + " result=" + c.resultClass +
                     " role=" + c.role + " resultRole=" + c.resultRole);
        auto name = [](const char* n) { return *n ? CIMName(n) : CIMName(); };
        Result objects = server.run(
            c.references
                ? CimXmlRequestEncoder::references("1", kTestNs, c.object, name(c.resultClass),
                                                   c.role)
                : CimXmlRequestEncoder::associators("1", kTestNs, c.object, name(c.assocClass),
                                                    name(c.resultClass), c.role, c.resultRole));
        Result names = server.run(
            c.references
                ? CimXmlRequestEncoder::referenceNames("1", kTestNs, c.object,
                                                       name(c.resultClass), c.role)
                : CimXmlRequestEncoder::associatorNames("1", kTestNs, c.object,
                                                        name(c.assocClass), name(c.resultClass),
                                                        c.role, c.resultRole));
        ASSERT_TRUE(objects.ok()) << objects.description();
        ASSERT_TRUE(names.ok()) << names.description();
        EXPECT_EQ(c.expected, labelsOf(names.response.objectPaths));
        EXPECT_EQ(c.expected, labelsOf(objects.response.objects));
        for (Uint32 i = 0; i < objects.response.objects.size(); i++)
        {
            const CIMObject& o = objects.response.objects[i];
            EXPECT_EQ(c.object.getKeyBindings().size() == 0, o.isClass());
            EXPECT_TRUE(o.getClassName().equal(o.getPath().getClassName()));
        }
    }
}

TEST_F(AssociationDispatchTest, ObjectsAreShapedAsAsked)
{
    // A link with a Note, asked for with a property list, qualifiers and
    // class origins.
    Array<CIMName> only;
    only.append("Note");
    Result refs = server.run(CimXmlRequestEncoder::references(
        "1", kTestNs, pathOf("Test_Stored", "s2"), CIMName(), String(), true, true,
        CIMPropertyList(only)));
    ASSERT_TRUE(refs.ok()) << refs.description();
    ASSERT_EQ(1u, refs.response.objects.size());
    const CIMObject& link = refs.response.objects[0];
    EXPECT_EQ(1u, link.getPropertyCount());
    EXPECT_EQ("Note", str(link.getProperty(0).getName().getString()));
    EXPECT_EQ("Test_SubLink", str(link.getProperty(0).getClassOrigin().getString()));

    Result plain = server.run(CimXmlRequestEncoder::associators(
        "1", kTestNs, pathOf("Test_Holder", "h2")));
    ASSERT_EQ(1u, plain.response.objects.size());
    const CIMObject& s1 = plain.response.objects[0];
    EXPECT_EQ(3u, s1.getPropertyCount());   // Id, Label, Note of Test_Stored
    EXPECT_TRUE(s1.getProperty(s1.findProperty("Id")).getClassOrigin().isNull());

    // Classes come without qualifiers unless asked for.
    Result classes = server.run(CimXmlRequestEncoder::references(
        "1", kTestNs, CIMObjectPath("Test_Holder"), "Test_SubLink"));
    ASSERT_EQ(1u, classes.response.objects.size());
    EXPECT_EQ(0u, classes.response.objects[0].getQualifierCount());
    Result qualified = server.run(CimXmlRequestEncoder::references(
        "1", kTestNs, CIMObjectPath("Test_Holder"), "Test_SubLink", String(), true));
    ASSERT_EQ(1u, qualified.response.objects.size());
    EXPECT_NE(PEG_NOT_FOUND, qualified.response.objects[0].findQualifier("Association"));
}

TEST_F(AssociationDispatchTest, ReferencesToMissingObjectsAreLeftOut)
{
    addLink("Test_Link", "gone", "h2");
    Result names = server.run(CimXmlRequestEncoder::associatorNames(
        "1", kTestNs, pathOf("Test_Holder", "h2")));
    EXPECT_EQ((Labels{"s1", "gone"}), labelsOf(names.response.objectPaths));
    Result objects = server.run(CimXmlRequestEncoder::associators(
        "1", kTestNs, pathOf("Test_Holder", "h2")));
    EXPECT_EQ((Labels{"s1"}), labelsOf(objects.response.objects));

    // Nor does a reference into a namespace that does not exist stop the
    // answer.
    CIMInstance far("Test_Link");
    CIMObjectPath elsewhere = pathOf("Test_Stored", "far");
    elsewhere.setNameSpace("no/such");
    far.addProperty(CIMProperty("Owner", CIMValue(elsewhere), 0, "Test_Element"));
    far.addProperty(CIMProperty("Holder", CIMValue(pathOf("Test_Holder", "h2")), 0,
                                "Test_Holder"));
    server.repository->createInstance(kTestNs, far);
    Result farNames = server.run(CimXmlRequestEncoder::associatorNames(
        "1", kTestNs, pathOf("Test_Holder", "h2")));
    ASSERT_TRUE(farNames.ok()) << farNames.description();
    EXPECT_EQ(3u, farNames.response.objectPaths.size());
    Result farObjects = server.run(CimXmlRequestEncoder::associators(
        "1", kTestNs, pathOf("Test_Holder", "h2")));
    ASSERT_TRUE(farObjects.ok()) << farObjects.description();
    EXPECT_EQ((Labels{"s1"}), labelsOf(farObjects.response.objects));
}

// The association classes of a namespace are remembered between requests:
// a class created, changed or deleted afterwards must still count.
TEST_F(AssociationDispatchTest, SchemaChangesAreSeen)
{
    auto holdersOf = [&](const char* holder) {
        return labelsOf(server.run(CimXmlRequestEncoder::referenceNames(
                                       "1", kTestNs, pathOf("Test_Holder", holder)))
                            .response.objectPaths);
    };
    EXPECT_EQ((Labels{"Test_Link:h2-s1"}), holdersOf("h2"));
    CIMClass tie = associationClass("Test_Tie");
    tie.addProperty(referenceProperty("Holder", "Test_Holder"));
    tie.addProperty(referenceProperty("Other", "Test_Holder"));
    server.repository->createClass(kTestNs, tie);
    CIMInstance link("Test_Tie");
    link.addProperty(CIMProperty("Holder", CIMValue(pathOf("Test_Holder", "h2")), 0, "Test_Holder"));
    link.addProperty(CIMProperty("Other", CIMValue(pathOf("Test_Holder", "h1")), 0, "Test_Holder"));
    server.repository->createInstance(kTestNs, link);
    EXPECT_EQ((Labels{"Test_Link:h2-s1", "Test_Tie:h2-h1"}), holdersOf("h2"));
    server.repository->deleteInstance(kTestNs, link.buildPath(server.repository->getClass(
                                                   kTestNs, "Test_Tie", false, true, false,
                                                   CIMPropertyList())));
    server.repository->deleteClass(kTestNs, "Test_Tie");
    EXPECT_EQ((Labels{"Test_Link:h2-s1"}), holdersOf("h2"));
}

TEST_F(AssociationDispatchTest, ErrorsBeforeTheFirstResult)
{
    const struct
    {
        const char* name;
        CimXmlRequest request;
        CIMStatusCode code;
        const char* description;
    } cases[] = {
        {"namespace",
         CimXmlRequestEncoder::associators("1", "no/such", pathOf("Test_Holder", "h1")),
         CIM_ERR_INVALID_NAMESPACE, "CIM_ERR_INVALID_NAMESPACE: no/such"},
        {"assocClass",
         CimXmlRequestEncoder::associatorNames("1", kTestNs, pathOf("Test_Holder", "h1"),
                                               "No_Such"),
         CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: No_Such"},
        {"resultClass",
         CimXmlRequestEncoder::referenceNames("1", kTestNs, pathOf("Test_Holder", "h1"),
                                              "No_Such"),
         CIM_ERR_INVALID_CLASS, "CIM_ERR_INVALID_CLASS: No_Such"},
        {"missing instance",
         CimXmlRequestEncoder::references("1", kTestNs, pathOf("Test_Holder", "h9")),
         CIM_ERR_NOT_FOUND, "CIM_ERR_NOT_FOUND: Test_Holder.Id=\"h9\""},
        {"class of the object",
         CimXmlRequestEncoder::associators("1", kTestNs, pathOf("No_Such", "x")),
         CIM_ERR_INVALID_PARAMETER, "CIM_ERR_INVALID_PARAMETER: no such class: No_Such"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Result r = server.run(c.request);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(c.code, r.outcome.code);
        EXPECT_EQ(c.description, r.description());
    }
}

TEST_F(AssociationDispatchTest, AssociationProviderAnswersForItsClass)
{
    server.registerProvider("PeerModule", "DispatchTestProvider", "PeerProvider", "Test_Peer",
                            {3});
    const CIMObjectPath s1 = pathOf("Test_Stored", "s1");
    Result all = server.run(CimXmlRequestEncoder::associators("1", kTestNs, s1));
    ASSERT_TRUE(all.ok()) << all.description();
    EXPECT_EQ((Labels{"h1", "h2", "s1-peer"}), labelsOf(all.response.objects));

    // The provider got its class, the filters and the object's full path.
    Result asked = server.run(CimXmlRequestEncoder::associators(
        "1", kTestNs, s1, "Test_Peer", "Test_Stored", "A", "B"));
    ASSERT_EQ(1u, asked.response.objects.size());
    const CIMObject& peer = asked.response.objects[0];
    EXPECT_EQ("assoc=Test_Peer;result=Test_Stored;role=A;resultRole=B;object=//" +
                  hostName() + "/test/dispatch:Test_Stored.Id=\"s1\"",
              str(peer.getProperty(peer.findProperty("Label")).getValue().toString()));

    // Delivered without a path: the server builds it from the keys.
    Result s2 = server.run(CimXmlRequestEncoder::associators(
        "1", kTestNs, pathOf("Test_Stored", "s2"), "Test_Peer"));
    EXPECT_EQ((Labels{"s2-peer"}), labelsOf(s2.response.objects));

    Result names = server.run(CimXmlRequestEncoder::associatorNames("1", kTestNs, s1,
                                                                    CIMName(), CIMName(), "B"));
    EXPECT_EQ((Labels{"s1-peer"}), labelsOf(names.response.objectPaths));
    Result refs = server.run(CimXmlRequestEncoder::references("1", kTestNs, s1, "Test_Peer"));
    EXPECT_EQ((Labels{"Test_Peer:s1-s1-peer"}), labelsOf(refs.response.objects));
    Result refNames = server.run(CimXmlRequestEncoder::referenceNames("1", kTestNs, s1));
    EXPECT_EQ((Labels{"Test_Link:h1-s1", "Test_Link:h2-s1", "Test_SubLink:h1-s1",
                      "Test_Peer:s1-s1-peer"}),
              labelsOf(refNames.response.objectPaths));

    // A provider's failure ends the answer with its code and text.
    server.repository->createInstance(kTestNs, instanceOf("Test_Stored", "fail"));
    Result failed = server.run(CimXmlRequestEncoder::referenceNames(
        "1", kTestNs, pathOf("Test_Stored", "fail")));
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ("CIM_ERR_FAILED: peer failure", failed.description());
}

TEST_F(AssociationDispatchTest, ProvidersReachAssociationsThroughTheirHandle)
{
    server.registerWidgetProvider();
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Holder", CIMValue(String("h1"))));
    Result r = server.run(CimXmlRequestEncoder::invokeMethod(
        "1", kTestNs, pathOf("Test_Widget", "w1"), "UpcallAssociations", in));
    ASSERT_TRUE(r.ok()) << r.description();
    EXPECT_EQ("3", str(r.response.returnValue.toString()));   // 3 links hold h1
    ASSERT_EQ(1u, r.response.outParameters.size());
    EXPECT_EQ("2", str(r.response.outParameters[0].getValue().toString()));   // s1, s2
}

// ---- GetProperty / SetProperty ----------------------------------------------

class PropertyDispatchTest : public ::testing::Test
{
protected:
    Result get(const CIMObjectPath& path, const char* property)
    {
        return server.run(CimXmlRequestEncoder::getProperty("1", kTestNs, path, property));
    }

    Result set(const CIMObjectPath& path, const char* property, const CIMValue& value)
    {
        return server.run(
            CimXmlRequestEncoder::setProperty("1", kTestNs, path, property, value));
    }

    std::string valueOf(const CIMObjectPath& path, const char* property)
    {
        Result r = get(path, property);
        EXPECT_TRUE(r.ok()) << r.description();
        return r.response.returnValue.isNull() ? "(null)"
                                               : str(r.response.returnValue.toString());
    }

    Server server;
};

TEST_F(PropertyDispatchTest, RepositoryInstance)
{
    CIMInstance stored = instanceOf("Test_Stored", "s1", "one");
    stored.addProperty(CIMProperty("Note", String("kept")));
    server.repository->createInstance(kTestNs, stored);
    const CIMObjectPath s1 = pathOf("Test_Stored", "s1");

    EXPECT_EQ("one", valueOf(s1, "Label"));
    EXPECT_EQ("one", valueOf(s1, "label"));
    ASSERT_TRUE(set(s1, "Label", CIMValue(String("two"))).ok());
    EXPECT_EQ("two", valueOf(s1, "Label"));
    EXPECT_EQ("kept", valueOf(s1, "Note"));
    ASSERT_TRUE(set(s1, "Note", CIMValue()).ok());
    EXPECT_EQ("(null)", valueOf(s1, "Note"));
    EXPECT_EQ("two", valueOf(s1, "Label"));

    const struct
    {
        const char* name;
        CimXmlRequest request;
        const char* description;
    } errors[] = {
        {"get unknown property",
         CimXmlRequestEncoder::getProperty("1", kTestNs, s1, "Size"),
         "CIM_ERR_NO_SUCH_PROPERTY: Size"},
        {"set unknown property",
         CimXmlRequestEncoder::setProperty("1", kTestNs, s1, "Size", CIMValue(String("1"))),
         "CIM_ERR_NO_SUCH_PROPERTY: Size"},
        {"get missing instance",
         CimXmlRequestEncoder::getProperty("1", kTestNs, pathOf("Test_Stored", "s9"), "Label"),
         "CIM_ERR_NOT_FOUND: Test_Stored.Id=\"s9\""},
        {"set missing instance",
         CimXmlRequestEncoder::setProperty("1", kTestNs, pathOf("Test_Stored", "s9"), "Label",
                                           CIMValue(String("x"))),
         "CIM_ERR_NOT_FOUND: Test_Stored.Id=\"s9\""},
        {"key change",
         CimXmlRequestEncoder::setProperty("1", kTestNs, s1, "Id", CIMValue(String("s2"))),
         nullptr},
        {"namespace",
         CimXmlRequestEncoder::getProperty("1", "no/such", s1, "Label"),
         "CIM_ERR_INVALID_NAMESPACE: no/such"},
    };
    for (const auto& e : errors)
    {
        SCOPED_TRACE(e.name);
        Result r = server.run(e.request);
        EXPECT_FALSE(r.ok());
        if (e.description)
        {
            EXPECT_EQ(e.description, r.description());
        }
    }
    EXPECT_EQ("s1", valueOf(s1, "Id"));
}

TEST_F(PropertyDispatchTest, ProviderInstanceSeesOneProperty)
{
    server.registerWidgetProvider();
    CIMInstance w = instanceOf("Test_Widget", "w1", "made");
    w.addProperty(CIMProperty("Size", Uint32(3)));
    ASSERT_TRUE(server.run(CimXmlRequestEncoder::createInstance("1", kTestNs, w)).ok());
    const CIMObjectPath w1 = pathOf("Test_Widget", "w1");

    EXPECT_EQ("made", valueOf(w1, "Label"));
    // The value arrives untyped and reaches the provider as the declared
    // uint32, in a modifyInstance that lists only Size: Label is untouched.
    ASSERT_TRUE(set(w1, "Size", CIMValue(String("12"))).ok());
    EXPECT_EQ("12", valueOf(w1, "Size"));
    EXPECT_EQ("made", valueOf(w1, "Label"));
    Result got = server.run(CimXmlRequestEncoder::getInstance("1", kTestNs, w1));
    ASSERT_TRUE(got.ok());
    const CIMInstance& i = got.response.instances[0];
    EXPECT_EQ(CIMTYPE_UINT32, i.getProperty(i.findProperty("Size")).getType());

    Result mismatch = set(w1, "Size", CIMValue(String("twelve")));
    EXPECT_EQ(CIM_ERR_TYPE_MISMATCH, mismatch.outcome.code);
    EXPECT_EQ("CIM_ERR_NOT_FOUND: w9", get(pathOf("Test_Widget", "w9"), "Label").description());
}

}  // namespace
