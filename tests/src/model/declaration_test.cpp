// TPEGASUSPropertyDecl, TPEGASUSMethodDecl and TPEGASUSParameterDecl: the
// qualifier add rule they share, their lookups, enumeration orders, weak
// links and the way they join their class or method.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSMethodDecl.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSParameterDecl.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifier.h"
#include "TPEGASUSQualifierDecl.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

typedef ICIMQualifierDecl Q;
TCIMContext const kNone;

boost::shared_ptr<const ICIMQualifierDecl> Decl(std::string const& name, Q::EFlavor flavor)
{
    return boost::shared_ptr<const ICIMQualifierDecl>(new TPEGASUSQualifierDecl(
        boost::shared_ptr<TPEGASUSNamespace>(), name, TCIMValue(kString), Q::kScopeAny, flavor));
}

// A class (no namespace needed) with one property, one method and one
// parameter of that method, each made the way class initialisation makes
// them.
class PegasusDeclarations : public ::testing::Test {
protected:
    PegasusDeclarations()
        : fClass(new TPEGASUSClass(boost::shared_ptr<TPEGASUSNamespace>(), "CIM_Fan", {})),
          fProperty(boost::dynamic_pointer_cast<TPEGASUSPropertyDecl>(
              fClass->AllocatePropertyDecl("Speed", TCIMValue(kUint64), kNone))),
          fMethod(boost::dynamic_pointer_cast<TPEGASUSMethodDecl>(
              fClass->AllocateMethodDecl("SetSpeed", kUint32, kNone))),
          fParameter(boost::dynamic_pointer_cast<TPEGASUSParameterDecl>(
              fMethod->AllocateParameterDecl("DesiredSpeed", kUint64, kNone)))
    {
    }

    std::vector<ICIMNamedElement*> Elements()
    {
        return {fProperty.get(), fMethod.get(), fParameter.get()};
    }

    // Adds a qualifier made by `element` itself.
    boost::shared_ptr<ICIMQualifier> Add(ICIMNamedElement& element, std::string const& name,
                                         TCIMValue const& value, Q::EFlavor flavor)
    {
        boost::shared_ptr<ICIMQualifier> qualifier =
            element.AllocateQualifier(Decl(name, flavor), value, kNone);
        element.AddQualifier(qualifier, kNone);
        return qualifier;
    }

    static std::vector<std::string> QualifierNames(ICIMNamedElement& element, std::size_t stopAt)
    {
        std::vector<std::string> names;
        element.EnumerateQualifiers(
            [&](boost::shared_ptr<ICIMQualifier> q) {
                names.push_back(q->GetName(kNone));
                return names.size() < stopAt;
            },
            kNone);
        return names;
    }

    nsptest::LogCapture fLog;
    boost::shared_ptr<TPEGASUSClass> fClass;
    boost::shared_ptr<TPEGASUSPropertyDecl> fProperty;
    boost::shared_ptr<TPEGASUSMethodDecl> fMethod;
    boost::shared_ptr<TPEGASUSParameterDecl> fParameter;
};

TEST_F(PegasusDeclarations, QualifierAddRuleOnEveryDeclarationKind)
{
    struct Case {
        const char* what;
        Q::EFlavor storedFlavor;
        TCIMValue newValue;
        Q::EFlavor extraFlavor;  // set on the new qualifier before adding
        uint32_t status;
        bool replaced;
    };
    const Case cases[] = {
        {"overridable stored one is replaced", Q::kFlavorDefaults, TCIMValue("MB"),
         Q::kFlavorNone, 0, true},
        {"other value", Q::kFlavorToSubclass, TCIMValue("MB"), Q::kFlavorNone, 28, false},
        {"same value, other flavor", Q::kFlavorToSubclass, TCIMValue("KB"),
         Q::kFlavorTranslatable, 28, false},
        {"other type, same text", Q::kFlavorNone, TCIMValue(kString, 0, {TCIMValue("KB")}),
         Q::kFlavorNone, 28, false},
        {"equal value and flavor", Q::kFlavorToSubclass, TCIMValue("KB"), Q::kFlavorNone, 0,
         false},
    };
    for (Case const& c : cases) {
        for (ICIMNamedElement* element : Elements()) {
            boost::shared_ptr<ICIMQualifier> stored =
                Add(*element, "UNITS", TCIMValue("KB"), c.storedFlavor);
            boost::shared_ptr<ICIMQualifier> fresh =
                element->AllocateQualifier(Decl("Units", c.storedFlavor), c.newValue, kNone);
            fresh->SetFlavor(c.extraFlavor, kNone);
            EXPECT_EQ(c.status, nsptest::StatusOf([&] { element->AddQualifier(fresh, kNone); }))
                << c.what;
            EXPECT_EQ(c.replaced ? fresh : stored, element->GetQualifier("units", kNone))
                << c.what;
            EXPECT_EQ(1u, QualifierNames(*element, 99).size()) << c.what;
            fProperty->ClearQualifiers();
            fMethod->Clear();
            fParameter->ClearQualifiers();
        }
    }
}

TEST_F(PegasusDeclarations, AddQualifierAcceptsOnlyOwnQualifiers)
{
    for (ICIMNamedElement* element : Elements())
        EXPECT_EQ(14u, nsptest::StatusOf([&] {
                      element->AddQualifier(boost::shared_ptr<ICIMQualifier>(), kNone);
                  }));
}

TEST_F(PegasusDeclarations, QualifiersEnumerateInLowerCasedOrderAndStopAtFalse)
{
    for (ICIMNamedElement* element : Elements()) {
        Add(*element, "Zeta", TCIMValue(1u), Q::kFlavorNone);
        Add(*element, "alpha", TCIMValue(1u), Q::kFlavorNone);
        Add(*element, "Mid", TCIMValue(1u), Q::kFlavorNone);
        EXPECT_EQ((std::vector<std::string>{"alpha", "Mid", "Zeta"}),
                  QualifierNames(*element, 99));
        EXPECT_EQ((std::vector<std::string>{"alpha"}), QualifierNames(*element, 1));
    }
}

TEST_F(PegasusDeclarations, QualifierLookupsDifferByKind)
{
    boost::shared_ptr<ICIMQualifier> onProperty =
        Add(*fProperty, "Key", TCIMValue(true), Q::kFlavorNone);
    Add(*fMethod, "Key", TCIMValue(true), Q::kFlavorNone);
    boost::shared_ptr<ICIMQualifier> onParameter =
        Add(*fParameter, "IN", TCIMValue(true), Q::kFlavorNone);

    EXPECT_EQ(onProperty, fProperty->GetQualifier("KEY", kNone));
    EXPECT_EQ(onParameter, fParameter->GetQualifier("in", kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fProperty->GetQualifier("Out", kNone); }));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fMethod->GetQualifier("Out", kNone); }));
    EXPECT_FALSE(fParameter->GetQualifier("Out", kNone));

    bool found = false;
    EXPECT_EQ(onProperty, fProperty->GetQualifier("kEy", found, kNone));
    EXPECT_TRUE(found);
    EXPECT_FALSE(fProperty->GetQualifier("Out", found, kNone));
    EXPECT_FALSE(found);
    EXPECT_EQ(1u, nsptest::StatusOf([&] { fMethod->GetQualifier("Key", found, kNone); }));
    EXPECT_EQ(1u, nsptest::StatusOf([&] { fParameter->GetQualifier("IN", found, kNone); }));

    EXPECT_TRUE(fProperty->LookupQualifier("key").second);
    EXPECT_EQ(onParameter, fParameter->LookupQual("In").first->second);
    EXPECT_FALSE(fParameter->LookupQual("Out").second);
    EXPECT_EQ(25u, nsptest::StatusOf([&] { fProperty->GetQualifier("no such", kNone); }));
}

TEST_F(PegasusDeclarations, RemoveQualifierByLowerCasedName)
{
    boost::shared_ptr<ICIMQualifier> key = Add(*fProperty, "Key", TCIMValue(true), Q::kFlavorNone);
    boost::shared_ptr<ICIMQualifier> same =
        fParameter->AllocateQualifier(Decl("KEY", Q::kFlavorNone), TCIMValue(true), kNone);
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fParameter->RemoveQualifier(same); }));
    fProperty->RemoveQualifier(same);
    EXPECT_FALSE(fProperty->LookupQualifier("Key").second);
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fProperty->RemoveQualifier(key); }));
}

TEST_F(PegasusDeclarations, ParametersByNameInLowerCasedOrder)
{
    boost::shared_ptr<ICIMParameterDecl> zeta =
        fMethod->AllocateParameterDecl("Zeta", kString, kNone);
    boost::shared_ptr<ICIMParameterDecl> alpha =
        fMethod->AllocateParameterDecl("alpha", kBoolean, kNone);
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fMethod->GetParameterDecl("Zeta", kNone); }));
    zeta->AddToMethod(kNone);
    alpha->AddToMethod(kNone);
    EXPECT_EQ(zeta, fMethod->GetParameterDecl("ZETA", kNone));
    EXPECT_EQ(fMethod, alpha->GetMethodDecl(kNone));

    std::vector<boost::shared_ptr<ICIMParameterDecl>> seen;
    auto collect = [&](std::size_t stopAt) {
        seen.clear();
        fMethod->EnumerateParameterDecls(
            [&](boost::shared_ptr<ICIMParameterDecl> p) {
                seen.push_back(p);
                return seen.size() < stopAt;
            },
            kNone);
        return seen;
    };
    EXPECT_EQ((std::vector<boost::shared_ptr<ICIMParameterDecl>>{alpha, zeta}), collect(99));
    EXPECT_EQ((std::vector<boost::shared_ptr<ICIMParameterDecl>>{alpha}), collect(1));

    fMethod->RemoveParameterDecl(boost::dynamic_pointer_cast<TPEGASUSParameterDecl>(zeta));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fMethod->GetParameterDecl("zeta", kNone); }));
    EXPECT_EQ(15u, nsptest::StatusOf([&] {
                  fMethod->RemoveParameterDecl(
                      boost::dynamic_pointer_cast<TPEGASUSParameterDecl>(zeta));
              }));
}

TEST_F(PegasusDeclarations, DuplicateParameterIsLoggedAndThrows16)
{
    fParameter->AddToMethod(kNone);
    boost::shared_ptr<ICIMParameterDecl> twin =
        fMethod->AllocateParameterDecl("DESIREDspeed", kString, kNone);
    EXPECT_EQ(16u, nsptest::StatusOf([&] { twin->AddToMethod(kNone); }));
    EXPECT_EQ(fParameter, fMethod->GetParameterDecl("desiredspeed", kNone));
    std::vector<nsptest::LogRecord> lines = fLog.Matching("already exists");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0, lines[0].severity);
    EXPECT_EQ("Inmem: Attempt to add property DESIREDspeed to method SetSpeed: already exists",
              lines[0].text);
}

TEST_F(PegasusDeclarations, TypeAndArrayFlag)
{
    EXPECT_EQ(kUint64, fProperty->GetType(kNone));
    EXPECT_FALSE(fProperty->IsArray(kNone));
    fProperty->SetDefaultValue(TCIMValue(kString, 0, {TCIMValue("a")}), kNone);
    EXPECT_EQ(29, fProperty->GetType(kNone).GetCode());
    EXPECT_TRUE(fProperty->IsArray(kNone));

    // A parameter never reports itself an array, whatever code it carries.
    boost::shared_ptr<ICIMParameterDecl> list =
        fMethod->AllocateParameterDecl("Names", TCIMValue::TCIMType(29u), kNone);
    EXPECT_EQ(29, list->GetType(kNone).GetCode());
    EXPECT_FALSE(list->IsArray(kNone));
    EXPECT_EQ(kUint32, fMethod->GetReturnType(kNone));
}

TEST_F(PegasusDeclarations, DeclarationsCompareByLowerCasedName)
{
    boost::shared_ptr<ICIMPropertyDecl> speed =
        fClass->AllocatePropertyDecl("SPEED", TCIMValue(kString), kNone);
    boost::shared_ptr<ICIMPropertyDecl> rpm =
        fClass->AllocatePropertyDecl("rpm", TCIMValue(kString), kNone);
    EXPECT_TRUE(*fProperty == *speed);
    EXPECT_FALSE(*fProperty < *speed);
    EXPECT_TRUE(*rpm < *fProperty);  // "rpm" < "speed" though 'S' < 'r'
    boost::shared_ptr<ICIMParameterDecl> same =
        fMethod->AllocateParameterDecl("desiredSPEED", kUint64, kNone);
    EXPECT_TRUE(*fParameter == *same);
}

TEST_F(PegasusDeclarations, PropertyAddToClassReachesTheClass)
{
    EXPECT_EQ(fClass, fProperty->GetClass(kNone));
    EXPECT_EQ(fClass, fMethod->GetClass(kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fClass->GetPropertyDecl("speed", kNone); }));
    fProperty->AddToClass(kNone);
    EXPECT_EQ(fProperty, fClass->GetPropertyDecl("SPEED", kNone));
}

TEST_F(PegasusDeclarations, OwnerLinksAreWeak)
{
    fClass.reset();
    EXPECT_FALSE(fProperty->GetClass(kNone));
    EXPECT_FALSE(fMethod->GetClass(kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fProperty->AddToClass(kNone); }));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fMethod->AddToClass(kNone); }));

    fMethod.reset();
    EXPECT_FALSE(fParameter->GetMethodDecl(kNone));
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fParameter->AddToMethod(kNone); }));
}

TEST_F(PegasusDeclarations, MethodClearDropsParametersAndAllQualifiers)
{
    fParameter->AddToMethod(kNone);
    Add(*fParameter, "In", TCIMValue(true), Q::kFlavorNone);
    Add(*fMethod, "Static", TCIMValue(true), Q::kFlavorNone);
    fMethod->Clear();
    EXPECT_TRUE(QualifierNames(*fParameter, 99).empty());
    EXPECT_TRUE(QualifierNames(*fMethod, 99).empty());
    EXPECT_EQ(15u, nsptest::StatusOf([&] { fMethod->GetParameterDecl("DesiredSpeed", kNone); }));
}

} // namespace
