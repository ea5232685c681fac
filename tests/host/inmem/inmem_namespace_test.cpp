// TInmemNamespace and TInmemClass: registries, duplicates, the class tree,
// qualifier rules and the release of class-instance cycles.
#include <string>
#include <vector>

#include <boost/weak_ptr.hpp>
#include <gtest/gtest.h>

#include "ICIMInstance.h"
#include "InmemTestModel.h"
#include "TInmemNamespaceProvider.h"
#include "TKTAException.h"

namespace NQRVKTA20 {
namespace {

using test::NoContext;
using test::StatusOf;

std::vector<std::string> Names(std::vector<boost::shared_ptr<ICIMClass>> const& classes)
{
    std::vector<std::string> names;
    for (auto const& cls : classes)
        names.push_back(cls->GetName(NoContext()));
    return names;
}

TEST(InmemNamespace, ClassLookupIgnoresLetterCase)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    EXPECT_EQ(model.ns->GetClass("cim_thing", NoContext()), cls);
    EXPECT_EQ(model.ns->GetClass("CIM_THING", NoContext()), cls);
    EXPECT_EQ(cls->GetName(NoContext()), "CIM_Thing") << "name kept as given";
    EXPECT_FALSE(model.ns->GetClass("CIM_Other", NoContext()));
    EXPECT_FALSE(model.ns->GetClass("not a name!", NoContext())) << "never throws";
}

TEST(InmemNamespace, DuplicateNamesThrow16AndKeepTheFirst)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> first = model.Class("CIM_Thing");
    boost::shared_ptr<ICIMClass> second =
        model.ns->AllocateClass("cim_THING", boost::shared_ptr<ICIMClass>(), NoContext());
    EXPECT_EQ(StatusOf([&] { second->AddToNamespace(NoContext()); }), 16u);
    EXPECT_EQ(model.ns->GetClass("CIM_Thing", NoContext()), first);

    boost::shared_ptr<ICIMQualifierDecl> key = model.ns->AllocateQualifierDecl(
        "KEY", TCIMValue(false), ICIMQualifierDecl::kScopeProperty,
        ICIMQualifierDecl::kFlavorNone, NoContext());
    EXPECT_EQ(StatusOf([&] { key->AddToNamespace(NoContext()); }), 16u);
    EXPECT_EQ(model.ns->GetQualifierDecl("key", NoContext()), model.keyDecl);
}

TEST(InmemNamespace, InvalidNamesThrow25)
{
    test::TModel model;
    for (const char* name : {"", "1abc", "a-b", "a b"}) {
        EXPECT_EQ(StatusOf([&] {
                      model.ns->AllocateClass(name, boost::shared_ptr<ICIMClass>(), NoContext());
                  }),
                  25u)
            << name;
    }
    EXPECT_EQ(StatusOf([&] {
                  model.ns->AllocateClass("_a1", boost::shared_ptr<ICIMClass>(), NoContext());
              }),
              0u);
}

TEST(InmemNamespace, DuplicatePropertyDeclarationThrows16)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    model.Property(cls, "Name", TCIMValue(kString));
    EXPECT_EQ(StatusOf([&] { model.Property(cls, "NAME", TCIMValue(kUint8)); }), 16u);
    EXPECT_EQ(cls->GetPropertyDecl("name", NoContext())->GetType(NoContext()), kString);
    EXPECT_EQ(StatusOf([&] { cls->GetPropertyDecl("Missing", NoContext()); }), 15u);
    EXPECT_EQ(StatusOf([&] { model.Property(cls, "Ref", TCIMValue(kReference)); }), 22u)
        << "references belong to associations";
}

TEST(InmemNamespace, RootClassesAndSubclassWalks)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> b = model.Class("B_Root");
    boost::shared_ptr<ICIMClass> a = model.Class("a_Root");
    boost::shared_ptr<ICIMClass> b1 = model.Class("B_One", b);
    boost::shared_ptr<ICIMClass> b1x = model.Class("B_OneChild", b1);
    boost::shared_ptr<ICIMClass> b2 = model.Class("B_Two", b);

    std::vector<boost::shared_ptr<ICIMClass>> seen;
    auto collect = [&seen](boost::shared_ptr<ICIMClass> c) {
        seen.push_back(c);
        return true;
    };
    model.ns->EnumerateRootClasses(collect, NoContext());
    EXPECT_EQ(Names(seen), (std::vector<std::string>{"a_Root", "B_Root"}));

    seen.clear();
    b->EnumerateSubClasses(collect, false, NoContext());
    EXPECT_EQ(Names(seen), (std::vector<std::string>{"B_One", "B_Two"}));
    seen.clear();
    b->EnumerateSubClasses(collect, true, NoContext());
    EXPECT_EQ(Names(seen), (std::vector<std::string>{"B_One", "B_OneChild", "B_Two"}));

    int calls = 0;
    b->EnumerateSubClasses([&calls](boost::shared_ptr<ICIMClass>) { return ++calls < 2; }, true,
                           NoContext());
    EXPECT_EQ(calls, 2) << "false inside the nested walk stops the whole walk";

    EXPECT_TRUE(b1x->IsSubclassOf(b, NoContext()));
    EXPECT_TRUE(b1x->IsSubclassOf(b1x, NoContext()));
    EXPECT_FALSE(b1x->IsSubclassOf(b2, NoContext()));
    EXPECT_FALSE(b->IsSubclassOf(b1, NoContext()));
    EXPECT_TRUE(b->IsRootClass(NoContext()));
    EXPECT_FALSE(b1->IsRootClass(NoContext()));
    EXPECT_EQ(b1x->GetSuperClass(NoContext()), b1);
}

TEST(InmemNamespace, QualifierOverrideRules)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    boost::shared_ptr<ICIMQualifierDecl> units = model.ns->AllocateQualifierDecl(
        "Units", TCIMValue(kString), ICIMQualifierDecl::kScopeAny,
        ICIMQualifierDecl::kFlavorToSubclass, NoContext());
    boost::shared_ptr<ICIMQualifier> bytes = cls->AllocateQualifier(units, TCIMValue("Bytes"),
                                                                    NoContext());
    EXPECT_EQ(bytes->GetFlavor(NoContext()), ICIMQualifierDecl::kFlavorToSubclass);
    cls->AddQualifier(bytes, NoContext());

    // Same value and flavor: accepted, the stored object stays.
    cls->AddQualifier(cls->AllocateQualifier(units, TCIMValue("Bytes"), NoContext()),
                      NoContext());
    EXPECT_EQ(cls->GetQualifier("UNITS", NoContext()), bytes);
    // Different value without the override flavor: refused.
    EXPECT_EQ(StatusOf([&] {
                  cls->AddQualifier(cls->AllocateQualifier(units, TCIMValue("Bits"), NoContext()),
                                    NoContext());
              }),
              28u);
    // With the override flavor on the stored one: replaced.
    bytes->SetFlavor(ICIMQualifierDecl::kFlavorEnableOverride, NoContext());
    EXPECT_EQ(bytes->GetFlavor(NoContext()), ICIMQualifierDecl::kFlavorDefaults);
    boost::shared_ptr<ICIMQualifier> bits =
        cls->AllocateQualifier(units, TCIMValue("Bits"), NoContext());
    cls->AddQualifier(bits, NoContext());
    EXPECT_EQ(cls->GetQualifier("units", NoContext()), bits);
    bool found = true;
    EXPECT_FALSE(cls->GetQualifier("Missing", found, NoContext()));
    EXPECT_FALSE(found);
}

TEST(InmemNamespace, InstancesAreEnumeratedAndReleased)
{
    boost::weak_ptr<ICIMInstance> watched;
    boost::weak_ptr<ICIMClass> watchedClass;
    {
        test::TModel model;
        boost::shared_ptr<ICIMClass> base = model.Class("T_Base");
        model.Property(base, "Id", TCIMValue(kUint32), true);
        boost::shared_ptr<ICIMClass> derived = model.Class("T_Derived", base);
        for (unsigned int id : {2u, 1u}) {
            boost::shared_ptr<ICIMInstance> i = base->AllocateInstance(NoContext());
            i->SetPropertyValue("Id", TCIMValue(id), NoContext());
            i->AddToNamespace(NoContext());
        }
        boost::shared_ptr<ICIMInstance> d = derived->AllocateInstance(NoContext());
        d->SetPropertyValue("Id", TCIMValue(3u), NoContext());
        d->AddToNamespace(NoContext());
        watched = d;
        watchedClass = derived;

        std::vector<std::string> paths;
        auto collect = [&paths](boost::shared_ptr<ICIMInstance> i) {
            paths.push_back(i->GetReference(NoContext()).GetPath());
            return true;
        };
        base->EnumerateInstances(collect, false, NoContext());
        EXPECT_EQ(paths, (std::vector<std::string>{"T_Base.Id=1", "T_Base.Id=2"}));
        paths.clear();
        base->EnumerateInstances(collect, true, NoContext());
        EXPECT_EQ(paths.size(), 3u);
        EXPECT_EQ(paths.back(), "T_Derived.Id=3");
    }
    EXPECT_TRUE(watched.expired()) << "the namespace breaks the class-instance cycle";
    EXPECT_TRUE(watchedClass.expired());
}

TEST(InmemNamespace, LookupsFallBackToUnderlyingAndUpcall)
{
    test::TModel lower;
    boost::shared_ptr<ICIMClass> deep = lower.Class("CIM_Deep");
    test::TModel upper;
    upper.ns->AddUnderlyingNamespace(lower.ns, NoContext());
    EXPECT_EQ(upper.ns->GetClass("cim_deep", NoContext()), deep);

    boost::shared_ptr<ICIMQualifierDecl> only = lower.ns->AllocateQualifierDecl(
        "OnlyBelow", TCIMValue(kString), ICIMQualifierDecl::kScopeAny,
        ICIMQualifierDecl::kFlavorNone, NoContext());
    only->AddToNamespace(NoContext());
    EXPECT_FALSE(upper.ns->GetQualifierDecl("OnlyBelow", NoContext()));
    upper.ns->SetUpcallNamespace(lower.ns, NoContext());
    EXPECT_EQ(upper.ns->GetQualifierDecl("onlybelow", NoContext()), only);
}

TEST(InmemNamespace, UnofferedOperationsThrow1)
{
    test::TModel model;
    std::string language = "WQL", query = "SELECT * FROM CIM_Thing";
    EXPECT_EQ(StatusOf([&] {
                  model.ns->ExecuteQuery(ICIMNamespace::TInstanceCallback(), language, query,
                                         NoContext());
              }),
              1u);
    EXPECT_EQ(StatusOf([&] {
                  model.ns->Subscribe(boost::shared_ptr<ICIMIndicationFilter>(),
                                      ICIMNamespace::TIndicationCallback(), NoContext());
              }),
              1u);
}

TEST(InmemNamespaceProvider, AllocatesEmptyNamespaces)
{
    boost::shared_ptr<TInmemNamespaceProvider> provider = TInmemNamespaceProvider::GetInstance();
    EXPECT_EQ(provider->GetName(NoContext()), "inmem");
    EXPECT_FALSE(provider->IsIndicationsSupported(NoContext()));
    boost::shared_ptr<ICIMNamespace> ns = provider->AllocateNamespace(NoContext(), false, "x");
    ASSERT_TRUE(ns);
    EXPECT_EQ(ns->GetNamespaceProvider(NoContext()), provider);
    int calls = 0;
    ns->EnumerateRootClasses([&calls](boost::shared_ptr<ICIMClass>) { return ++calls > 0; },
                             NoContext());
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace NQRVKTA20
