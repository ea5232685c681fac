// Our CIMClient against the running server over TCP: a class and its
// instances through their whole life, and the status code of every kind of
// refusal.
#include "IntegrationSupport.h"

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::statusOf;
using integration::text;

namespace {

const char kNsName[] = "root/ops";
const CIMNamespaceName kNs(kNsName);

CIMObjectPath pathOf(const char* className, const char* id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", id, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), className, keys);
}

CIMInstance gizmo(const char* id, Uint32 count)
{
    CIMInstance instance("OPS_Gizmo");
    instance.addProperty(CIMProperty("Id", String(id)));
    instance.addProperty(CIMProperty("Count", count));
    return instance;
}

Uint32 countOf(const CIMInstance& instance)
{
    Uint32 value = 0;
    instance.getProperty(instance.findProperty("Count")).getValue().get(value);
    return value;
}

class ClientOperations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server().ensureStarted());
        RunResult load = server().cimmof(kNsName, integration::sharedFile("wire/wiretest.mof"));
        ASSERT_EQ(load.status, 0) << describe(load);
        server().connect(client);
    }

    CIMClient client;
};

}  // namespace

TEST_F(ClientOperations, ClassAndInstanceLifeCycle)
{
    CIMClass widget = client.getClass(kNs, "WT_Widget", false, true, true);
    EXPECT_EQ(text(widget.getSuperClassName().getString()), "WT_Base");
    ASSERT_NE(widget.findProperty("Id"), PEG_NOT_FOUND);
    EXPECT_EQ(text(widget.getProperty(widget.findProperty("Id")).getClassOrigin().getString()),
              "WT_Base");

    CIMClass newClass("OPS_Gizmo", "WT_Base");
    newClass.addProperty(CIMProperty("Count", CIMValue(CIMTYPE_UINT32, false)));
    client.createClass(kNs, newClass);
    Array<CIMName> subclasses = client.enumerateClassNames(kNs, "WT_Base", true);
    EXPECT_EQ(subclasses.size(), 2u);

    CIMObjectPath created = client.createInstance(kNs, gizmo("z1", 5));
    EXPECT_EQ(text(created.getClassName().getString()), "OPS_Gizmo");
    ASSERT_EQ(created.getKeyBindings().size(), 1u);
    EXPECT_EQ(text(created.getKeyBindings()[0].getValue()), "z1");

    CIMInstance read = client.getInstance(kNs, pathOf("OPS_Gizmo", "z1"), false);
    EXPECT_EQ(countOf(read), 5u);
    // The inherited key is filled in by the server from the class.
    EXPECT_NE(read.findProperty("Id"), PEG_NOT_FOUND);

    CIMInstance changed = gizmo("z1", 6);
    changed.setPath(pathOf("OPS_Gizmo", "z1"));
    client.modifyInstance(kNs, changed);
    EXPECT_EQ(countOf(client.getInstance(kNs, pathOf("OPS_Gizmo", "z1"), false)), 6u);

    // A deep enumeration of the base class finds the widgets of the MOF
    // and the new gizmo.
    Array<CIMInstance> all = client.enumerateInstances(kNs, "WT_Base");
    EXPECT_EQ(all.size(), 4u);
    Array<CIMObjectPath> gizmos = client.enumerateInstanceNames(kNs, "OPS_Gizmo");
    ASSERT_EQ(gizmos.size(), 1u);
    EXPECT_EQ(text(gizmos[0].getHost()), "");
    EXPECT_TRUE(gizmos[0].getNameSpace().isNull());

    client.deleteInstance(kNs, pathOf("OPS_Gizmo", "z1"));
    EXPECT_EQ(client.enumerateInstanceNames(kNs, "OPS_Gizmo").size(), 0u);
    client.deleteClass(kNs, "OPS_Gizmo");
    EXPECT_EQ(statusOf([&] { client.getClass(kNs, "OPS_Gizmo"); }), CIM_ERR_NOT_FOUND);
    EXPECT_EQ(client.enumerateInstances(kNs, "WT_Base").size(), 3u);
}

TEST_F(ClientOperations, RefusalsCarryTheirStatusCodes)
{
    const CIMNamespaceName missingNs("root/nowhere");
    CIMInstance duplicate("WT_Widget");
    duplicate.addProperty(CIMProperty("Id", String("w1")));
    CIMInstance strayProperty("WT_Widget");
    strayProperty.addProperty(CIMProperty("Id", String("w7")));
    strayProperty.addProperty(CIMProperty("NoSuchProperty", String("x")));

    // A few of each kind, the streamed enumerations among them; the
    // repository tests have every refusal.
    struct Case
    {
        const char* what;
        std::function<void()> operation;
        CIMStatusCode code;
    } cases[] = {
        {"getClass in unknown namespace", [&] { client.getClass(missingNs, "WT_Widget"); },
         CIM_ERR_INVALID_NAMESPACE},
        {"enumerateInstances in unknown namespace",
         [&] { client.enumerateInstances(missingNs, "WT_Widget"); }, CIM_ERR_INVALID_NAMESPACE},
        {"enumerateInstances of unknown class",
         [&] { client.enumerateInstances(kNs, "OPS_Unknown"); }, CIM_ERR_INVALID_CLASS},
        {"deleteClass with a subclass", [&] { client.deleteClass(kNs, "WT_Base"); },
         CIM_ERR_CLASS_HAS_CHILDREN},
        {"getInstance unknown", [&] { client.getInstance(kNs, pathOf("WT_Widget", "w404")); },
         CIM_ERR_NOT_FOUND},
        {"createInstance existing", [&] { client.createInstance(kNs, duplicate); },
         CIM_ERR_ALREADY_EXISTS},
        {"createInstance with a property the class lacks",
         [&] { client.createInstance(kNs, strayProperty); }, CIM_ERR_NO_SUCH_PROPERTY},
    };
    for (const Case& c : cases)
    {
        std::string message;
        EXPECT_EQ(statusOf(c.operation, &message), c.code) << c.what << ": " << message;
        // The client's message starts with the status name the server sent.
        EXPECT_EQ(message.rfind(cimStatusCodeToString(c.code), 0), 0u) << c.what << ": "
                                                                        << message;
    }

    // None of the refusals changed anything.
    EXPECT_EQ(client.enumerateInstanceNames(kNs, "WT_Widget").size(), 3u);
    EXPECT_EQ(client.enumerateClassNames(kNs, "WT_Base", true).size(), 1u);
}
