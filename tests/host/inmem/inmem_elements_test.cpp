// The in-memory schema elements: names, qualifier declarations and
// qualifiers, property declarations, property holders and static
// properties.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "InmemTestModel.h"
#include "TInmemNames.h"
#include "TInmemProperty.h"
#include "TInmemQualifier.h"
#include "TKTAException.h"

namespace NQRVKTA20 {
namespace {

using test::NoContext;
using test::StatusOf;

TEST(InmemNames, ValidityAndNormalisation)
{
    struct Case {
        const char* name;
        bool valid;
    } const cases[] = {
        {"a", true},  {"_", true},   {"_a1", true}, {"CIM_X9", true}, {"", false},
        {"9a", false}, {"a-b", false}, {"a.b", false}, {"\xc3\xa9", false},
    };
    for (Case const& c : cases)
        EXPECT_EQ(InmemIsValidName(c.name), c.valid) << c.name;
    EXPECT_EQ(InmemNormalizeName("CIM_Abc_XYZ9"), "cim_abc_xyz9");
    EXPECT_TRUE(InmemLessNoCase("abstract", "KEY"));
    EXPECT_FALSE(InmemLessNoCase("Key", "KEY"));
    // Three-way, by the lower-cased forms: a prefix sorts first, "_" (0x5F)
    // sorts before every lower-case letter whatever case it is compared with.
    EXPECT_EQ(InmemCompareNoCase("InstanceID", "instanceid"), 0);
    EXPECT_LT(InmemCompareNoCase("Name", "NAMES"), 0);
    EXPECT_GT(InmemCompareNoCase("names", "NAME"), 0);
    EXPECT_LT(InmemCompareNoCase("A_b", "AAb"), 0);
    EXPECT_GT(InmemCompareNoCase("\xc3", "Z"), 0) << "bytes above 0x7F sort last";
}

TEST(InmemQualifierDecl, FlavorBitsAndNameComparison)
{
    test::TModel model;
    boost::shared_ptr<ICIMQualifierDecl> decl = model.ns->AllocateQualifierDecl(
        "Abstract", TCIMValue(false), ICIMQualifierDecl::kScopeClass,
        ICIMQualifierDecl::kFlavorEnableOverride, NoContext());
    decl->SetFlavor(ICIMQualifierDecl::kFlavorToSubclass, NoContext());
    EXPECT_EQ(decl->GetFlavor(NoContext()), ICIMQualifierDecl::kFlavorDefaults);
    decl->UnsetFlavor(ICIMQualifierDecl::kFlavorEnableOverride, NoContext());
    EXPECT_EQ(decl->GetFlavor(NoContext()), ICIMQualifierDecl::kFlavorToSubclass);

    EXPECT_TRUE(*decl < *model.keyDecl);
    EXPECT_FALSE(*model.keyDecl < *decl);
    boost::shared_ptr<ICIMQualifierDecl> upper = model.ns->AllocateQualifierDecl(
        "KEY", TCIMValue(true), ICIMQualifierDecl::kScopeAny, ICIMQualifierDecl::kFlavorNone,
        NoContext());
    EXPECT_TRUE(*upper == *model.keyDecl);
    EXPECT_TRUE(*model.keyDecl == *upper);

    std::vector<TCIMValue> names{TCIMValue("a"), TCIMValue("b")};
    decl->SetDefaultValue(TCIMValue(kString, 2, names), NoContext());
    EXPECT_EQ(decl->GetType(NoContext()), 29);
    EXPECT_TRUE(decl->IsArray(NoContext()));
}

TEST(InmemQualifierDecl, NamespaceMayGoFirst)
{
    boost::shared_ptr<ICIMQualifierDecl> decl;
    {
        test::TModel model;
        decl = model.keyDecl;
        EXPECT_EQ(decl->GetNamespace(NoContext()), model.ns);
    }
    EXPECT_FALSE(decl->GetNamespace(NoContext()));
    EXPECT_EQ(StatusOf([&] { decl->AddToNamespace(NoContext()); }), 15u);
}

TEST(InmemQualifier, PropagationAndElement)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    boost::shared_ptr<ICIMPropertyDecl> name = model.Property(cls, "Name", TCIMValue(kString));
    boost::shared_ptr<ICIMQualifier> key =
        name->AllocateQualifier(model.keyDecl, TCIMValue(true), NoContext());
    EXPECT_EQ(key->GetName(NoContext()), "Key") << "the declaration's letter case";
    EXPECT_FALSE(key->GetPropagated(NoContext()));
    EXPECT_EQ(key->GetClassOrProperty(NoContext()), name);
    EXPECT_FALSE(name->GetQualifier("key", NoContext())) << "allocated, not yet added";
    key->AddToClassOrProperty(NoContext());
    EXPECT_EQ(name->GetQualifier("KEY", NoContext()), key);

    // Qualifiers compare by declaration name only.
    boost::shared_ptr<ICIMQualifier> other =
        cls->AllocateQualifier(model.keyDecl, TCIMValue(false), NoContext());
    EXPECT_TRUE(*key == *other);

    TInmemQualifier& inmem = dynamic_cast<TInmemQualifier&>(*key);
    inmem.SetPropagated(true);
    key->SetValue(TCIMValue(false), NoContext());
    EXPECT_FALSE(key->GetPropagated(NoContext()));
    inmem.SetPropagated(true);
    key->UnsetFlavor(ICIMQualifierDecl::kFlavorToSubclass, NoContext());
    EXPECT_FALSE(key->GetPropagated(NoContext()));
}

TEST(InmemPropertyDecl, TypeFollowsDefaultValueAndClassIsWeak)
{
    boost::shared_ptr<ICIMPropertyDecl> decl;
    {
        test::TModel model;
        boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
        decl = model.Property(cls, "Count", TCIMValue(kUint16));
        EXPECT_EQ(decl->GetClass(NoContext()), cls);
        EXPECT_EQ(decl->GetType(NoContext()), kUint16);
        decl->SetDefaultValue(TCIMValue(static_cast<short>(-1)), NoContext());
        EXPECT_EQ(cls->GetPropertyDecl("COUNT", NoContext())->GetType(NoContext()), kSint16);
        decl->RemoveFromClass(NoContext());
        EXPECT_EQ(StatusOf([&] { cls->GetPropertyDecl("Count", NoContext()); }), 15u);
    }
    EXPECT_FALSE(decl->GetClass(NoContext()));
}

TEST(InmemProperty, ComparisonByDeclarationThenValue)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    boost::shared_ptr<ICIMPropertyDecl> a = model.Property(cls, "A", TCIMValue(kSint32));
    boost::shared_ptr<ICIMPropertyDecl> b = model.Property(cls, "B", TCIMValue(kSint32));
    TInmemProperty a1(a, TCIMValue(1)), a1too(a, TCIMValue(1)), a2(a, TCIMValue(2));
    TInmemProperty b1(b, TCIMValue(1));
    EXPECT_TRUE(a1 == a1too);
    EXPECT_FALSE(a1 == b1) << "different declarations never compare equal";
    EXPECT_TRUE(a1 < a2);
    EXPECT_FALSE(a2 < a1);
    EXPECT_NE(a1 < b1, b1 < a1) << "declarations order the properties";

    TInmemProperty copy(a2);
    copy.SetValue(TCIMValue(5), NoContext());
    EXPECT_EQ(a2.GetValue(NoContext()), TCIMValue(2)) << "copies own their values";
    EXPECT_EQ(StatusOf([&] { TInmemProperty(a, TCIMValue("1")); }), 14u);
}

TEST(InmemProperty, ReferenceMustPointBelowTheDeclaredClass)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> element = model.Class("CIM_Element");
    boost::shared_ptr<ICIMClass> disk = model.Class("CIM_Disk", element);
    boost::shared_ptr<ICIMClass> other = model.Class("CIM_Other");
    boost::shared_ptr<ICIMClass> assoc = model.Class("CIM_Uses");
    assoc->AddQualifier(assoc->AllocateQualifier(model.associationDecl, TCIMValue(true),
                                                 NoContext()),
                        NoContext());
    TCIMValue declared{TCIMReference()};
    declared.SetReferencedClass(element);
    boost::shared_ptr<ICIMPropertyDecl> ref = model.Property(assoc, "Antecedent", declared);

    TInmemProperty property(ref);
    TCIMValue toDisk{TCIMReference()};
    toDisk.SetReferencedClass(disk);
    property.SetValue(toDisk, NoContext());
    TCIMValue toOther{TCIMReference()};
    toOther.SetReferencedClass(other);
    EXPECT_EQ(StatusOf([&] { property.SetValue(toOther, NoContext()); }), 14u);
}

TEST(InmemClass, StaticPropertiesAndChildReplacement)
{
    test::TModel model;
    boost::shared_ptr<ICIMClass> cls = model.Class("CIM_Thing");
    model.Property(cls, "Version", TCIMValue(kString));
    EXPECT_EQ(StatusOf([&] { cls->GetProperty("Version", NoContext()); }), 15u);
    cls->SetPropertyValue("VERSION", TCIMValue("1.0"), NoContext());
    EXPECT_EQ(cls->GetProperty("version", NoContext())->ToString(), "1.0");
    EXPECT_EQ(StatusOf([&] { cls->SetPropertyValue("Version", TCIMValue(1), NoContext()); }),
              14u);
    EXPECT_EQ(StatusOf([&] { cls->SetPropertyValue("Nope", TCIMValue(1), NoContext()); }), 15u);

    boost::shared_ptr<ICIMClass> first = model.Class("CIM_Child", cls);
    first->RemoveFromNamespace(NoContext());
    EXPECT_FALSE(model.ns->GetClass("CIM_Child", NoContext()));
    boost::shared_ptr<ICIMClass> second = model.Class("cim_child", cls);
    cls->AddChildClass(first); // same name in another case: replaces
    int children = 0;
    cls->EnumerateSubClasses([&children](boost::shared_ptr<ICIMClass>) { return ++children > 0; },
                             false, NoContext());
    EXPECT_EQ(children, 1);
    EXPECT_EQ(StatusOf([&] { cls->ModifyClass(second, NoContext()); }), 31u);
}

} // namespace
} // namespace NQRVKTA20
