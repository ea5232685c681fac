#include <gtest/gtest.h>

#include <map>
#include <set>

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Exception.h>

#include "InteropProviders.h"

using namespace Pegasus;

namespace {

struct Collected : public InstanceResponseHandler, public ObjectPathResponseHandler
{
    void processing() override {}
    void complete() override {}
    void deliver(const CIMInstance& i) override { instances.push_back(i); }
    void deliver(const CIMObjectPath& p) override { paths.push_back(p); }
    std::vector<CIMInstance> instances;
    std::vector<CIMObjectPath> paths;
};

std::string text(const String& s)
{
    return std::string(s.getCString());
}

// The keys of a path as "Name=value,..." (paths keep them in name order).
std::string keysOf(const CIMObjectPath& path)
{
    std::string out;
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
        out += (out.empty() ? "" : ",") + text(keys[i].getName().getString()) + "=" +
               text(keys[i].getValue());
    return out;
}

// `path` with the key `name` set to `value`.
CIMObjectPath withKey(CIMObjectPath path, const char* name, const char* value)
{
    Array<CIMKeyBinding> keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
        if (keys[i].getName().equal(name))
            keys[i] = CIMKeyBinding(name, value, CIMKeyBinding::STRING);
    path.setKeyBindings(keys);
    return path;
}

CIMObjectPath classPath(const CIMName& className)
{
    return CIMObjectPath("host", CIMNamespaceName("root/PG_InterOp"), className);
}

// A fake server: namespaces and the classes stored in root/PG_InterOp can
// be changed between calls, as creations and deletions would.
struct FakeServer
{
    std::vector<std::string> namespaces{"root/PG_InterOp", "root/cimv2"};
    std::vector<std::string> stored;

    InteropSystem system()
    {
        InteropSystem s;
        s.systemName = "box";
        s.namespaces = [this] {
            Array<CIMNamespaceName> names;
            for (const std::string& n : namespaces)
                names.append(CIMNamespaceName(n.c_str()));
            return names;
        };
        s.classStored = [this](const CIMName& c) {
            for (const std::string& n : stored)
                if (c.equal(CIMName(n.c_str())))
                    return true;
            return false;
        };
        return s;
    }
};

// Providers delete themselves in terminate().
template <class P>
struct Owned
{
    P* provider;
    ~Owned() { provider->terminate(); }
    P* operator->() { return provider; }
};

}  // namespace

TEST(InteropProviders, NamespacesFollowTheRepositoryWithTheDmtfKeys)
{
    FakeServer server;
    OperationContext context;
    Owned<NamespaceProvider> base{new NamespaceProvider(kCimNamespaceClass, server.system())};
    Owned<NamespaceProvider> derived{new NamespaceProvider(kPgNamespaceClass, server.system())};

    Collected all;
    base->enumerateInstances(context, classPath(kCimNamespaceClass), false, false,
                             CIMPropertyList(), all);
    ASSERT_EQ(all.instances.size(), 2u);
    const CIMInstance& first = all.instances[0];
    EXPECT_EQ(text(first.getClassName().getString()), "PG_Namespace");
    EXPECT_EQ(keysOf(first.getPath()),
              "CreationClassName=PG_Namespace,Name=root/PG_InterOp,"
              "ObjectManagerCreationClassName=CIM_ObjectManager,ObjectManagerName=cimserver,"
              "SystemCreationClassName=CIM_ComputerSystem,SystemName=box");
    EXPECT_EQ(text(first.getPath().getNameSpace().getString()), "root/PG_InterOp");
    Uint16 classInfo = 99;
    first.getProperty(first.findProperty("ClassInfo")).getValue().get(classInfo);
    EXPECT_EQ(classInfo, 0u);

    // A namespace made or removed shows at the next request; names and
    // instances agree.
    server.namespaces = {"root/PG_InterOp", "root/new"};
    Collected names;
    derived->enumerateInstanceNames(context, classPath(kPgNamespaceClass), names);
    ASSERT_EQ(names.paths.size(), 2u);
    EXPECT_NE(keysOf(names.paths[1]).find("Name=root/new"), std::string::npos);

    // GetInstance: every key must match (names without regard to case).
    Collected got;
    base->getInstance(context, withKey(names.paths[1], "Name", "ROOT/NEW"), false, false,
                      CIMPropertyList(), got);
    ASSERT_EQ(got.instances.size(), 1u);
    EXPECT_NE(keysOf(got.instances[0].getPath()).find("Name=root/new"), std::string::npos);
    for (const auto& wrong :
         {std::make_pair("Name", "root/cimv2"), std::make_pair("SystemName", "otherbox")})
    {
        CIMObjectPath badPath = withKey(names.paths[1], wrong.first, wrong.second);
        Collected none;
        EXPECT_THROW(base->getInstance(context, badPath, false, false, CIMPropertyList(), none),
                     CIMObjectNotFoundException)
            << wrong.second;
    }

    // With PG_Namespace in the repository, the server asks both providers
    // in one enumeration of CIM_Namespace: only PG_Namespace's answers.
    server.stored = {"CIM_Namespace", "PG_Namespace"};
    Collected fromBase, fromDerived;
    base->enumerateInstances(context, classPath(kCimNamespaceClass), false, false,
                             CIMPropertyList(), fromBase);
    derived->enumerateInstances(context, classPath(kPgNamespaceClass), false, false,
                                CIMPropertyList(), fromDerived);
    EXPECT_EQ(fromBase.instances.size(), 0u);
    EXPECT_EQ(fromDerived.instances.size(), 2u);
    // A single instance is still found through either class.
    Collected single;
    base->getInstance(context, names.paths[0], false, false, CIMPropertyList(), single);
    EXPECT_EQ(single.instances.size(), 1u);

    Collected unused;
    EXPECT_THROW(base->createInstance(context, names.paths[0], all.instances[0], unused),
                 CIMNotSupportedException);
    struct : ResponseHandler
    {
        void processing() override {}
        void complete() override {}
    } done;
    EXPECT_THROW(derived->deleteInstance(context, names.paths[0], done), CIMNotSupportedException);
}

TEST(InteropProviders, ObjectManagerAndClassDefinitionsAgreeOnTheKeys)
{
    FakeServer server;
    OperationContext context;
    Owned<ObjectManagerProvider> manager{new ObjectManagerProvider(server.system())};
    Collected all;
    manager->enumerateInstances(context, classPath(kCimObjectManagerClass), false, false,
                                CIMPropertyList(), all);
    ASSERT_EQ(all.instances.size(), 1u);
    EXPECT_EQ(keysOf(all.instances[0].getPath()),
              "CreationClassName=CIM_ObjectManager,Name=cimserver,"
              "SystemCreationClassName=CIM_ComputerSystem,SystemName=box");

    // Each definition declares as keys exactly the instances' keys, and
    // every property an instance carries.
    Owned<NamespaceProvider> namespaces{new NamespaceProvider(kPgNamespaceClass, server.system())};
    Collected ns;
    namespaces->enumerateInstances(context, classPath(kPgNamespaceClass), false, false,
                                   CIMPropertyList(), ns);
    std::map<std::string, CIMInstance> examples = {
        {"CIM_Namespace", ns.instances[0]},
        {"PG_Namespace", ns.instances[0]},
        {"CIM_ObjectManager", all.instances[0]}};
    std::vector<CIMClass> definitions = interopClassDefinitions();
    ASSERT_EQ(definitions.size(), 3u);
    for (CIMClass& definition : definitions)
    {
        const std::string name = text(definition.getClassName().getString());
        ASSERT_EQ(examples.count(name), 1u) << name;
        const CIMInstance& example = examples[name];
        Array<CIMName> keyNames;
        definition.getKeyNames(keyNames);
        std::set<std::string> declared, used;
        for (Uint32 i = 0; i < keyNames.size(); ++i)
            declared.insert(text(keyNames[i].getString()));
        const Array<CIMKeyBinding>& keys = example.getPath().getKeyBindings();
        for (Uint32 i = 0; i < keys.size(); ++i)
            used.insert(text(keys[i].getName().getString()));
        EXPECT_EQ(declared, used) << name;
        for (Uint32 i = 0; i < example.getPropertyCount(); ++i)
        {
            const CIMConstProperty p = example.getProperty(i);
            Uint32 at = definition.findProperty(p.getName());
            ASSERT_NE(at, PEG_NOT_FOUND) << name << "." << text(p.getName().getString());
            EXPECT_EQ(definition.getProperty(at).getType(), p.getType()) << name;
        }
    }
}
