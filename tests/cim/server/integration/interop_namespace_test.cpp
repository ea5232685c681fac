// Namespace discovery in root/PG_InterOp through our client: the
// namespaces as CIM_Namespace / PG_Namespace instances, kept current as
// namespaces are created and deleted, the object manager, and the class
// definitions, built in until a schema compiled into the namespace defines
// the classes itself.
#include "IntegrationSupport.h"

#include <Pegasus/Common/Constants.h>

#include <set>

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::statusOf;
using integration::text;

namespace {

const CIMNamespaceName kInterop("root/PG_InterOp");

std::string keyValue(const CIMObjectPath& path, const char* name)
{
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
        if (keys[i].getName().equal(name))
            return text(keys[i].getValue());
    return "(no key " + std::string(name) + ")";
}

std::string stringProperty(const CIMInstance& instance, const char* name)
{
    Uint32 at = instance.findProperty(name);
    if (at == PEG_NOT_FOUND)
        return "(no property " + std::string(name) + ")";
    String value;
    instance.getProperty(at).getValue().get(value);
    return text(value);
}

// The Name keys of the namespace instances of `className`, from both
// enumerations (which must agree).
std::multiset<std::string> namespaceNames(CIMClient& client, const char* className)
{
    std::multiset<std::string> fromNames, fromInstances;
    Array<CIMObjectPath> paths = client.enumerateInstanceNames(kInterop, className);
    for (Uint32 i = 0; i < paths.size(); ++i)
        fromNames.insert(keyValue(paths[i], "Name"));
    Array<CIMInstance> instances = client.enumerateInstances(kInterop, className);
    for (Uint32 i = 0; i < instances.size(); ++i)
    {
        EXPECT_EQ(text(instances[i].getClassName().getString()), "PG_Namespace");
        fromInstances.insert(keyValue(instances[i].getPath(), "Name"));
    }
    EXPECT_EQ(fromNames, fromInstances) << className;
    return fromNames;
}

CIMInstance namespaceInstance(const char* name)
{
    CIMInstance instance(PEGASUS_CLASSNAME___NAMESPACE);
    instance.addProperty(CIMProperty("Name", String(name)));
    return instance;
}

class InteropNamespace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server().ensureStarted());
        server().connect(client);
    }

    CIMClient client;
};

}  // namespace

TEST_F(InteropNamespace, ListsEveryNamespaceAsItIsCreatedAndDeleted)
{
    std::multiset<std::string> before = namespaceNames(client, "CIM_Namespace");
    EXPECT_EQ(before.count("root/PG_InterOp"), 1u);
    EXPECT_EQ(before.count("root/PG_Internal"), 1u);
    EXPECT_EQ(before.count("root/interoptest"), 0u);
    EXPECT_EQ(namespaceNames(client, "PG_Namespace"), before);

    client.createInstance("root", namespaceInstance("interoptest"));
    std::multiset<std::string> during = namespaceNames(client, "CIM_Namespace");
    EXPECT_EQ(during.size(), before.size() + 1);
    ASSERT_EQ(during.count("root/interoptest"), 1u);

    // GetInstance by the path the enumeration gave, with every key.
    CIMObjectPath created;
    Array<CIMObjectPath> paths = client.enumerateInstanceNames(kInterop, "CIM_Namespace");
    for (Uint32 i = 0; i < paths.size(); ++i)
        if (keyValue(paths[i], "Name") == "root/interoptest")
            created = paths[i];
    EXPECT_EQ(keyValue(created, "CreationClassName"), "PG_Namespace");
    EXPECT_EQ(keyValue(created, "ObjectManagerCreationClassName"), "CIM_ObjectManager");
    CIMInstance got = client.getInstance(kInterop, created);
    EXPECT_EQ(stringProperty(got, "Name"), "root/interoptest");
    ASSERT_NE(got.findProperty("ClassInfo"), PEG_NOT_FOUND);
    EXPECT_FALSE(got.getProperty(got.findProperty("ClassInfo")).getValue().isNull());

    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Name", "interoptest", CIMKeyBinding::STRING));
    client.deleteInstance("root", CIMObjectPath(String(), CIMNamespaceName(),
                                                PEGASUS_CLASSNAME___NAMESPACE, keys));
    EXPECT_EQ(namespaceNames(client, "CIM_Namespace"), before);
    EXPECT_EQ(statusOf([&] { client.getInstance(kInterop, created); }), CIM_ERR_NOT_FOUND);

    // The object manager the namespaces name.
    Array<CIMObjectPath> managers = client.enumerateInstanceNames(kInterop, "CIM_ObjectManager");
    ASSERT_EQ(managers.size(), 1u);
    EXPECT_EQ(keyValue(managers[0], "Name"), keyValue(created, "ObjectManagerName"));
    EXPECT_EQ(keyValue(managers[0], "SystemName"), keyValue(created, "SystemName"));
    CIMInstance manager = client.getInstance(kInterop, managers[0]);
    EXPECT_EQ(stringProperty(manager, "CreationClassName"), "CIM_ObjectManager");
}

TEST_F(InteropNamespace, ClassesAreBuiltInUntilASchemaDefinesThem)
{
    for (const char* name : {"CIM_Namespace", "PG_Namespace", "CIM_ObjectManager"})
    {
        CIMClass builtIn = client.getClass(kInterop, name, false, true, true);
        Array<CIMName> keys;
        builtIn.getKeyNames(keys);
        EXPECT_EQ(keys.size(), std::string(name) == "CIM_ObjectManager" ? 4u : 6u) << name;
        // Only in root/PG_InterOp.
        EXPECT_EQ(statusOf([&] { client.getClass("root/PG_Internal", name); }),
                  CIM_ERR_NOT_FOUND)
            << name;
    }
    EXPECT_EQ(client.getClass(kInterop, "PG_Namespace").getPropertyCount(), 0u)
        << "LocalOnly shows no inherited property";

    // The DMTF schema compiled into the namespace (after the server's own,
    // as a client would add it) replaces the built-in definitions; a
    // PG_Namespace defined there too does not double the answers.
    std::multiset<std::string> before = namespaceNames(client, "CIM_Namespace");
    RunResult schema = server().cimmof(
        "root/PG_InterOp", integration::sharedFile("cim-schema/cim_schema_2.41.0.mof"));
    ASSERT_EQ(schema.status, 0) << describe(schema);
    RunResult derived = server().cimmofText("root/PG_InterOp", "namespace.mof",
                                            "class PG_Namespace : CIM_Namespace {};\n");
    ASSERT_EQ(derived.status, 0) << describe(derived);
    CIMClass stored = client.getClass(kInterop, "CIM_Namespace");
    EXPECT_NE(stored.findProperty("DescriptionOfClassInfo"), PEG_NOT_FOUND);
    EXPECT_NE(client.getClass(kInterop, "CIM_ObjectManager", false).findProperty("Caption"),
              PEG_NOT_FOUND);
    EXPECT_EQ(namespaceNames(client, "CIM_Namespace"), before);
    EXPECT_EQ(namespaceNames(client, "PG_Namespace"), before);
}
