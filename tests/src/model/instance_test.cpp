// TPEGASUSInstance: its server identity (namespace text, Pegasus namespace
// and object path) and registering with its class.
#include <set>

#include <gtest/gtest.h>

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>

#include "ICIMPropertyDecl.h"
#include "TInmemClass.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSNamespace.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

std::string Text(Pegasus::String const& text)
{
    return std::string(text.getCString());
}

// A pegasus namespace without a server, in a root of its own, and one class
// "X" of it with a string property "Name".
class PegasusInstance : public nsptest::NamespaceTest {
protected:
    PegasusInstance()
        : NamespaceTest("repo"), fClass(new TPEGASUSClass(fNamespace, "X", {}))
    {
        fClass->AddPropertyDecl(fClass->AllocatePropertyDecl("Name", TCIMValue(kString), {}));
    }
    ~PegasusInstance() override { fClass->ClearInstances(); }

    boost::shared_ptr<TPEGASUSInstance> Make()
    {
        return boost::shared_ptr<TPEGASUSInstance>(new TPEGASUSInstance(fClass, {}));
    }

    boost::shared_ptr<TPEGASUSClass> fClass;
};

TEST_F(PegasusInstance, KeepsTheServerIdentityItIsGiven)
{
    boost::shared_ptr<TPEGASUSInstance> instance = Make();
    EXPECT_EQ("", instance->GetPegasusNSPStr());
    EXPECT_TRUE(instance->getPegNameSpace().isNull());
    EXPECT_EQ("", Text(instance->getPegInstanceName().toString()));
    EXPECT_EQ(fClass, instance->GetClass({}));

    instance->SetPegasusNSPStr("root/cimv2");
    instance->setPegNameSpace(Pegasus::CIMNamespaceName("root/cimv2"));
    instance->setPegInstanceName(Pegasus::CIMObjectPath("X.Name=\"a\""));
    EXPECT_EQ("root/cimv2", instance->GetPegasusNSPStr());
    // Reached through the host's interface as well.
    EXPECT_EQ("root/cimv2", boost::shared_ptr<ICIMInstance>(instance)->GetPegasusNSPStr());
    EXPECT_EQ("root/cimv2", Text(instance->getPegNameSpace().getString()));
    EXPECT_EQ("X.Name=\"a\"", Text(instance->getPegInstanceName().toString()));
}

TEST_F(PegasusInstance, PropertiesShowTheirValuesThroughTheDisplayRules)
{
    boost::shared_ptr<ICIMPropertyDecl> size =
        fClass->AllocatePropertyDecl("Size", TCIMValue(kUint64), {});
    boost::shared_ptr<ICIMQualifierDecl> units = fNamespace->AllocateQualifierDecl(
        "Units", TCIMValue(kString), ICIMQualifierDecl::kScopeProperty,
        ICIMQualifierDecl::kFlavorNone, {});
    size->AddQualifier(size->AllocateQualifier(units, TCIMValue(std::string("Bytes")), {}), {});
    fClass->AddPropertyDecl(size);

    boost::shared_ptr<TPEGASUSInstance> instance = Make();
    instance->SetPropertyValue("Size", TCIMValue(1536ull), {});
    boost::shared_ptr<ICIMProperty> property = instance->GetProperty("size", {});
    EXPECT_EQ("1.5 Kilobytes", property->ToString());
    EXPECT_EQ(std::vector<std::string>({"1.5 Kilobytes"}), property->ToStringVector());
    // Changes through the handed-out object are the instance's own.
    property->SetValue(TCIMValue(1024ull), {});
    EXPECT_EQ(TCIMValue(1024ull), instance->GetProperty("Size", {})->GetValue({}));
    EXPECT_EQ("1024 Bytes", instance->GetProperty("Size", {})->ToString());

    std::vector<std::string> shown;
    instance->EnumerateProperties(
        [&shown](boost::shared_ptr<ICIMProperty> p) {
            shown.push_back(p->ToString());
            return true;
        },
        {});
    EXPECT_EQ(std::vector<std::string>({"", "1024 Bytes"}), shown);
}

TEST_F(PegasusInstance, AddToNamespaceRegistersWithItsClassUnderItsPath)
{
    boost::shared_ptr<TPEGASUSInstance> first = Make(), second = Make();
    first->SetPropertyValue("name", TCIMValue("a"), {});
    first->AddToNamespace({});
    second->AddToNamespace({});

    TPEGASUSClass::TInstanceMap const& kept = fClass->GetInstances();
    ASSERT_EQ(2u, kept.size());
    // Without key properties both have the same path; both are kept.
    std::set<ICIMInstance*> under;
    auto range = kept.equal_range(first->BuildPath({}).GetPath());
    for (auto entry = range.first; entry != range.second; ++entry)
        under.insert(entry->second.get());
    EXPECT_EQ((std::set<ICIMInstance*>{first.get(), second.get()}), under);
    EXPECT_EQ(TCIMValue("a"), first->GetProperty("Name", {})->GetValue({}));
}

TEST_F(PegasusInstance, AddToNamespaceNeedsAClassOfThePegasusNamespace)
{
    boost::shared_ptr<ICIMClass> foreign(new TInmemClass(fRepository, "Y", {}));
    boost::shared_ptr<TPEGASUSInstance> instance(new TPEGASUSInstance(foreign, {}));
    try {
        instance->AddToNamespace({});
        FAIL() << "no exception";
    } catch (TKTAException const& e) {
        EXPECT_EQ(TKTAStatusCode::kWrongType, e.GetStatusCode());
    }
}

TEST_F(PegasusInstance, MethodCallsNeedADeclarationAndAClient)
{
    // An argument is looked up in the class's declarations first.
    TCIMContext in, out;
    in["Delay"] = TCIMValue(5u);
    EXPECT_EQ(TKTAStatusCode::kNotFound,
              nsptest::StatusOf([&] { Make()->InvokeMethod("Reset", in, out, {}); }));
    // Without a connected namespace there is no client to call.
    TCIMContext none;
    EXPECT_EQ(TKTAStatusCode::kConnectionFailed,
              nsptest::StatusOf([&] { Make()->InvokeMethod("Reset", none, out, {}); }));
    EXPECT_TRUE(out.empty());
}

} // namespace
