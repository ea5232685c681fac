// TPEGASUSQualifierDecl and TPEGASUSQualifier: name comparison, flavor
// bits, the propagated flag, weak links and registration with their owners.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifier.h"
#include "TPEGASUSQualifierDecl.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

typedef ICIMQualifierDecl Q;
TCIMContext const kNone;

boost::shared_ptr<TPEGASUSQualifierDecl> MakeDecl(
    std::string const& name, Q::EFlavor flavor = Q::kFlavorDefaults,
    boost::shared_ptr<TPEGASUSNamespace> ns = boost::shared_ptr<TPEGASUSNamespace>())
{
    return boost::shared_ptr<TPEGASUSQualifierDecl>(
        new TPEGASUSQualifierDecl(ns, name, TCIMValue(kString), Q::kScopeAny, flavor));
}

boost::shared_ptr<TPEGASUSPropertyDecl> MakeProperty(std::string const& name = "Caption")
{
    return boost::shared_ptr<TPEGASUSPropertyDecl>(new TPEGASUSPropertyDecl(
        boost::shared_ptr<TPEGASUSClass>(), name, TCIMValue(kString)));
}

// A real namespace (no server started) in a root of its own.
class QualifierDeclInNamespace : public nsptest::NamespaceTest {
protected:
    QualifierDeclInNamespace() : NamespaceTest("root/repository") {}
};

TEST(PegasusQualifierDecl, ComparesByLowerCasedNameInEitherOrder)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> key = MakeDecl("Key"), KEY = MakeDecl("KEY"),
                                             abstract = MakeDecl("Abstract");
    EXPECT_TRUE(*key == *KEY);
    EXPECT_TRUE(*KEY == *key);
    EXPECT_FALSE(*key < *KEY);
    EXPECT_FALSE(*KEY < *key);
    EXPECT_TRUE(*abstract < *key);
    EXPECT_FALSE(*key < *abstract);
    EXPECT_FALSE(*abstract == *key);
    // A prefix sorts first.
    EXPECT_TRUE(*MakeDecl("key") < *MakeDecl("KEYS"));
    EXPECT_EQ(25u, nsptest::StatusOf([&] { (void)(*key == *MakeDecl("Bad-Name")); }));
}

TEST(PegasusQualifierDecl, TypeAndArrayFlagFollowTheDefaultValue)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> decl = MakeDecl("ValueMap");
    EXPECT_EQ(kString, decl->GetType(kNone));
    EXPECT_FALSE(decl->IsArray(kNone));
    decl->SetDefaultValue(TCIMValue(kString, 0, {TCIMValue("a"), TCIMValue("b")}), kNone);
    EXPECT_EQ(29, decl->GetType(kNone).GetCode());
    EXPECT_TRUE(decl->IsArray(kNone));
    EXPECT_EQ("ValueMap", decl->GetName(kNone));
    EXPECT_EQ(Q::kScopeAny, decl->GetScope(kNone));
}

TEST(PegasusQualifierFlavor, SetAndUnsetActOnBitsOnly)
{
    struct Case {
        Q::EFlavor start;
        bool set;
        Q::EFlavor bits;
        Q::EFlavor expected;
    };
    const Case cases[] = {
        {Q::kFlavorEnableOverride, true, Q::kFlavorToSubclass, Q::kFlavorDefaults},
        {Q::kFlavorDefaults, false, Q::kFlavorEnableOverride, Q::kFlavorToSubclass},
        {Q::kFlavorDefaults, true, Q::kFlavorTranslatable, static_cast<Q::EFlavor>(7)},
        {Q::kFlavorToSubclass, false, Q::kFlavorEnableOverride, Q::kFlavorToSubclass},
        {static_cast<Q::EFlavor>(7), false, Q::kFlavorDefaults, Q::kFlavorTranslatable},
    };
    for (Case const& c : cases) {
        boost::shared_ptr<TPEGASUSQualifierDecl> decl = MakeDecl("Units", c.start);
        TPEGASUSQualifier qualifier(MakeProperty(), decl, TCIMValue("x"), c.start);
        if (c.set) {
            decl->SetFlavor(c.bits, kNone);
            qualifier.SetFlavor(c.bits, kNone);
        } else {
            decl->UnsetFlavor(c.bits, kNone);
            qualifier.UnsetFlavor(c.bits, kNone);
        }
        EXPECT_EQ(c.expected, decl->GetFlavor(kNone)) << c.start << " " << c.bits;
        EXPECT_EQ(c.expected, qualifier.GetFlavor(kNone)) << c.start << " " << c.bits;
    }
}

TEST(PegasusQualifier, AllocatedQualifierHasTheDeclarationsFlavorAndNameAndIsNotPropagated)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> property = MakeProperty();
    boost::shared_ptr<TPEGASUSQualifierDecl> decl = MakeDecl("MappingStrings",
                                                             Q::kFlavorToSubclass);
    // The flavor argument of the second form is not applied.
    boost::shared_ptr<ICIMQualifier> both[] = {
        property->AllocateQualifier(decl, TCIMValue(7u), kNone),
        property->AllocateQualifier(decl, TCIMValue(7u), Q::kFlavorTranslatable, kNone)};
    for (boost::shared_ptr<ICIMQualifier> const& qualifier : both) {
        EXPECT_EQ(Q::kFlavorToSubclass, qualifier->GetFlavor(kNone));
        EXPECT_FALSE(qualifier->GetPropagated(kNone));
        EXPECT_EQ("MappingStrings", qualifier->GetName(kNone));
        EXPECT_EQ(kUint32, qualifier->GetType(kNone));
        EXPECT_EQ(property, qualifier->GetClassOrProperty(kNone));
        EXPECT_EQ(decl, qualifier->GetDeclaration(kNone));
    }
    // Allocation does not add.
    EXPECT_FALSE(property->LookupQualifier("mappingstrings").second);
}

TEST(PegasusQualifier, CopyKeepsPropagatedUntilValueOrFlavorChanges)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> decl = MakeDecl("Description");
    boost::shared_ptr<TPEGASUSQualifier> original(
        new TPEGASUSQualifier(MakeProperty(), decl, TCIMValue("text"), Q::kFlavorToSubclass));
    original->SetPropagated(true);

    std::vector<std::function<void(ICIMQualifier&)>> const changes = {
        [](ICIMQualifier& q) { q.SetValue(TCIMValue("other"), kNone); },
        [](ICIMQualifier& q) { q.SetFlavor(Q::kFlavorNone, kNone); },
        [](ICIMQualifier& q) { q.UnsetFlavor(Q::kFlavorNone, kNone); },
    };
    boost::shared_ptr<TPEGASUSPropertyDecl> element = MakeProperty("Other");
    for (std::size_t i = 0; i < changes.size(); ++i) {
        TPEGASUSQualifier copy(element, original);
        EXPECT_TRUE(copy.GetPropagated(kNone)) << i;
        EXPECT_EQ(decl, copy.GetDeclaration(kNone));
        EXPECT_EQ(TCIMValue("text"), copy.GetValue(kNone));
        EXPECT_EQ(Q::kFlavorToSubclass, copy.GetFlavor(kNone));
        EXPECT_EQ(element, copy.GetClassOrProperty(kNone));
        changes[i](copy);
        EXPECT_FALSE(copy.GetPropagated(kNone)) << i;
    }
    original->SetPropagated(false);
    EXPECT_FALSE(TPEGASUSQualifier(element, original).GetPropagated(kNone));
}

TEST(PegasusQualifier, ComparesByDeclarationNameOnly)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> property = MakeProperty();
    TPEGASUSQualifier a(property, MakeDecl("Units"), TCIMValue("Bytes"));
    TPEGASUSQualifier b(property, MakeDecl("UNITS"), TCIMValue(5u), Q::kFlavorNone);
    TPEGASUSQualifier c(property, MakeDecl("Values"), TCIMValue("Bytes"));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(b < c);
    EXPECT_FALSE(c == a);
    EXPECT_EQ("UNITS", b.GetName(kNone));
}

TEST(PegasusQualifier, WithoutDeclarationThrows15)
{
    boost::shared_ptr<const ICIMQualifierDecl> none;
    EXPECT_EQ(15u, nsptest::StatusOf([&] { TPEGASUSQualifier q(MakeProperty(), none, TCIMValue()); }));
    EXPECT_EQ(15u, nsptest::StatusOf([&] {
                  TPEGASUSQualifier q(MakeProperty(), boost::shared_ptr<const ICIMQualifier>());
              }));
}

TEST(PegasusQualifier, AddToClassOrPropertyReachesTheElementUntilItIsGone)
{
    boost::shared_ptr<TPEGASUSPropertyDecl> property = MakeProperty();
    boost::shared_ptr<ICIMQualifier> qualifier =
        property->AllocateQualifier(MakeDecl("Units"), TCIMValue("KB"), kNone);
    qualifier->AddToClassOrProperty(kNone);
    EXPECT_EQ(qualifier, property->GetQualifier("uNITS", kNone));

    boost::shared_ptr<ICIMQualifier> orphan =
        property->AllocateQualifier(MakeDecl("Key"), TCIMValue(true), kNone);
    property.reset();
    EXPECT_FALSE(orphan->GetClassOrProperty(kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { orphan->AddToClassOrProperty(kNone); }));
}

TEST_F(QualifierDeclInNamespace, AddToNamespaceRegistersOnceByLowerCasedName)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> decl =
        MakeDecl("ValueMap", Q::kFlavorDefaults, fNamespace);
    EXPECT_EQ(fNamespace, decl->GetNamespace(kNone));
    EXPECT_FALSE(fNamespace->GetQualifierDecl("valuemap", kNone));
    decl->AddToNamespace(kNone);
    EXPECT_EQ(decl, fNamespace->GetQualifierDecl("VALUEMAP", kNone));

    boost::shared_ptr<TPEGASUSQualifierDecl> twin =
        MakeDecl("valueMAP", Q::kFlavorNone, fNamespace);
    EXPECT_EQ(16u, nsptest::StatusOf([&] { twin->AddToNamespace(kNone); }));
    EXPECT_EQ(decl, fNamespace->GetQualifierDecl("ValueMap", kNone));
}

TEST_F(QualifierDeclInNamespace, NamespaceLinkIsWeak)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> decl =
        MakeDecl("Override", Q::kFlavorDefaults, fNamespace);
    fNamespace.reset();
    EXPECT_FALSE(decl->GetNamespace(kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { decl->AddToNamespace(kNone); }));
}

} // namespace
