// The association and property operations of CIMClient against a scripted
// peer replaying the captured exchanges: each request must be the captured
// one byte for byte, and each captured answer must come back as objects and
// paths with their host and namespace, as values, or as the CIMException
// the trailers carry.

#include <Pegasus/Client/CIMClient.h>

#include "ScriptedHttpPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using namespace Pegasus;
using kta_test::ScriptedHttpPeer;
using kta_test::wireFile;

namespace {

const CIMNamespaceName kNs("root/wiretest2");

std::string str(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

const CIMObjectPath kB1("DT_Base.Name=\"b1\",Num=1");
const CIMObjectPath kA("DT_Other.Active=TRUE,Code=\"a\",Stamp=\"20200101000000.000000+000\"");

// What a result path must be: the recording host, the namespace, and the
// object's class and keys as our own parser reads them.
void expectFullPath(const CIMObjectPath& path, const CIMObjectPath& expected)
{
    EXPECT_EQ("vm", str(path.getHost()));
    EXPECT_EQ("root/wiretest2", str(path.getNameSpace().getString()));
    EXPECT_TRUE(path.getClassName().equal(expected.getClassName()))
        << str(path.getClassName().getString());
    CIMObjectPath keysOnly(String(), CIMNamespaceName(), path.getClassName(),
                           path.getKeyBindings());
    EXPECT_TRUE(keysOnly == expected) << str(path.toString());
}

std::string propertyText(const CIMObject& object, const char* name)
{
    Uint32 pos = object.findProperty(name);
    if (pos == PEG_NOT_FOUND)
        return "(missing)";
    return str(object.getProperty(pos).getValue().toString());
}

struct Exchange
{
    const char* capture;   // file name without -request.txt / -response.txt
    std::function<void(CIMClient&)> call;
};

class CIMClientAssociationTest : public ::testing::Test
{
protected:
    // Runs the exchanges on one new client (message IDs from 1000) and
    // checks every request against its capture.
    void replay(const std::vector<Exchange>& exchanges)
    {
        CIMClient client;
        std::size_t before = peer.requests().size();
        for (const Exchange& e : exchanges)
            peer.push(kta_test::reply(wireFile(std::string(e.capture) + "-response.txt")));
        client.connect("127.0.0.1", peer.port(), "", "");
        for (const Exchange& e : exchanges)
        {
            SCOPED_TRACE(e.capture);
            e.call(client);
            ASSERT_LT(before, peer.requests().size());
            std::string expected = wireFile(std::string(e.capture) + "-request.txt");
            const std::string from = "HOST: 127.0.0.1:15990";
            expected.replace(expected.find(from), from.size(),
                             "HOST: 127.0.0.1:" + std::to_string(peer.port()));
            EXPECT_EQ(expected, peer.requests()[before++]);
        }
    }

    ScriptedHttpPeer peer;
};

}  // namespace

TEST_F(CIMClientAssociationTest, InstanceLevelOperationsMatchCapturesAndKeepFullPaths)
{
    Array<CIMObject> associators, references, filtered;
    Array<CIMObjectPath> associatorNames, referenceNames;
    replay({{"36-Associators-DT_Base-b1-cimcli",
             [&](CIMClient& c) { associators = c.associators(kNs, kB1); }}});
    replay({{"37-AssociatorNames-DT_Base-b1-cimcli",
             [&](CIMClient& c) { associatorNames = c.associatorNames(kNs, kB1); }}});
    replay({{"38-References-DT_Base-b1-cimcli",
             [&](CIMClient& c) { references = c.references(kNs, kB1); }}});
    replay({{"39-ReferenceNames-DT_Base-b1-cimcli",
             [&](CIMClient& c) { referenceNames = c.referenceNames(kNs, kB1); }}});
    replay({{"40-Associators-DT_Other-a-AssocClass-ResultClass-Role-ResultRole-cimcli",
             [&](CIMClient& c) {
                 filtered = c.associators(kNs, kA, "DT_Link", "DT_Leaf", "Right", "Left");
             }}});

    ASSERT_EQ(1u, associators.size());
    EXPECT_TRUE(associators[0].isInstance());
    expectFullPath(associators[0].getPath(), kA);
    EXPECT_EQ("other A", propertyText(associators[0], "Text"));

    ASSERT_EQ(1u, associatorNames.size());
    expectFullPath(associatorNames[0], kA);

    Array<CIMKeyBinding> linkKeys;
    linkKeys.append(CIMKeyBinding("Left", CIMValue(kB1)));
    linkKeys.append(CIMKeyBinding("Right", CIMValue(kA)));
    const CIMObjectPath link(String(), CIMNamespaceName(), "DT_Link", linkKeys);
    ASSERT_EQ(1u, references.size());
    expectFullPath(references[0].getPath(), link);
    EXPECT_EQ("10", propertyText(references[0], "Weight"));
    Uint32 left = references[0].findProperty("Left");
    ASSERT_NE(PEG_NOT_FOUND, left);
    EXPECT_EQ(CIMTYPE_REFERENCE, references[0].getProperty(left).getType());

    ASSERT_EQ(1u, referenceNames.size());
    expectFullPath(referenceNames[0], link);

    ASSERT_EQ(1u, filtered.size());
    expectFullPath(filtered[0].getPath(), CIMObjectPath("DT_Leaf.Name=\"l1\",Num=3"));
    Uint32 vals = filtered[0].findProperty("LeafVals");
    ASSERT_NE(PEG_NOT_FOUND, vals);
    EXPECT_EQ(3u, filtered[0].getProperty(vals).getValue().getArraySize());
}

TEST_F(CIMClientAssociationTest, ClassLevelOperationsGiveClassesAndClassPaths)
{
    Array<CIMObject> classes;
    Array<CIMObjectPath> names;
    replay({{"41-Associators-class-DT_Other-cimcli",
             [&](CIMClient& c) { classes = c.associators(kNs, CIMObjectPath("DT_Other")); }}});
    replay({{"42-ReferenceNames-class-DT_Base-cimcli",
             [&](CIMClient& c) { names = c.referenceNames(kNs, CIMObjectPath("DT_Base")); }}});

    ASSERT_EQ(1u, classes.size());
    ASSERT_TRUE(classes[0].isClass());
    expectFullPath(classes[0].getPath(), CIMObjectPath("DT_Base"));
    CIMClass base(classes[0]);
    EXPECT_EQ("CIM_ManagedElement", str(base.getSuperClassName().getString()));
    EXPECT_NE(PEG_NOT_FOUND, base.findMethod("Ping"));
    EXPECT_EQ(0u, base.getQualifierCount());

    ASSERT_EQ(61u, names.size());
    std::set<std::string> classNames;
    for (Uint32 i = 0; i < names.size(); i++)
    {
        EXPECT_EQ(0u, names[i].getKeyBindings().size());
        EXPECT_EQ("vm", str(names[i].getHost()));
        classNames.insert(str(names[i].getClassName().getString()));
    }
    EXPECT_EQ(61u, classNames.size());
    for (const char* expected : {"DT_Link", "DT_SubLink", "CIM_Component", "CIM_Dependency"})
        EXPECT_EQ(1u, classNames.count(expected)) << expected;
}

TEST_F(CIMClientAssociationTest, PropertyOperationsMatchCaptures)
{
    CIMValue before, after;
    replay({{"48-GetProperty-DT_Base-b1-Label-cimcli",
             [&](CIMClient& c) { before = c.getProperty(kNs, kB1, "Label"); }}});
    // The captured client typed the value from the class first; ours sends
    // the same request after the same GetClass.
    replay({{"49a-SetProperty-DT_Base-b1-Label-cimcli-step1-GetClass",
             [&](CIMClient& c) { c.getClass(kNs, "DT_Base", false, true, true); }},
            {"49b-SetProperty-DT_Base-b1-Label-cimcli-step2-SetProperty",
             [&](CIMClient& c) {
                 c.setProperty(kNs, kB1, "Label", CIMValue(String("set by sp")));
             }}});
    replay({{"50-GetProperty-DT_Base-b1-Label-after-SetProperty-cimcli",
             [&](CIMClient& c) { after = c.getProperty(kNs, kB1, "Label"); }}});
    EXPECT_EQ("first base", str(before.toString()));
    EXPECT_EQ("set by sp", str(after.toString()));
}

TEST_F(CIMClientAssociationTest, UnknownResultClassBecomesInvalidClass)
{
    CIMStatusCode code = CIM_ERR_SUCCESS;
    std::string message;
    replay({{"52-error-Associators-INVALID_CLASS-ResultClass-cimcli",
             [&](CIMClient& c) {
                 try
                 {
                     c.associators(kNs, kB1, CIMName(), "DT_NoSuch");
                 }
                 catch (const CIMException& e)
                 {
                     code = e.getCode();
                     message = str(e.getMessage());
                 }
             }}});
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, code);
    EXPECT_EQ("CIM_ERR_INVALID_CLASS: DT_NoSuch", message);
}
