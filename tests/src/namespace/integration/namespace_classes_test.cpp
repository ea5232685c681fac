// Classes served by a started namespace from the real CIM server: the
// superclass chain loaded once whatever the letter case, qualifiers with
// their declarations, property and method declarations, the failures that
// stay confined to one qualifier, and a release that leaves nothing alive.
// All cases share one started namespace (one process); the last case
// releases it.
#include <filesystem>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>

#include "ICIMMethodDecl.h"
#include "ICIMParameterDecl.h"
#include "ICIMPropertyDecl.h"
#include "ICIMQualifier.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifierDecl.h"

#include "StagedServer.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

std::string const kStagePegasus = std::string(KTA_STAGE_DIR) + "/pegasus";

// Four levels, an association, methods with parameters, a qualifier the
// server will have forgotten by the time the class is read.
std::string TestMof()
{
    return "#pragma include (\"" + kStagePegasus + "/pegSchema/CIM/Qualifiers.mof\")\n"
           R"(
Qualifier NsptestNote : string = null, Scope(any), Flavor(EnableOverride, ToSubclass);
Qualifier NsptestGone : string = null, Scope(class, property);

[Abstract, Description ("Level one")]
class NSPTEST_Level1 {
    [Key, Description ("The key")] string Name;
    uint16 Count;
    [NsptestNote ("a note")] string Note;
    string Tags[];
    datetime Since;
};
class NSPTEST_Level2 : NSPTEST_Level1 { uint32 Size; };
class NSPTEST_Level3 : NSPTEST_Level2 { real64 Ratio; };
[Description ("Level four")]
class NSPTEST_Level4 : NSPTEST_Level3 {
    boolean Enabled;
    uint32 Reset([In] uint16 Delay, [In (false), Out] string Report, [In] string Zeta,
                 [In] uint8 alpha);
};
class NSPTEST_Sibling : NSPTEST_Level1 { };
[Association]
class NSPTEST_Link {
    [Key] NSPTEST_Level1 REF Left;
    [Key] NSPTEST_Level1 REF Right;
};
[NsptestGone ("x"), Description ("Orphan")]
class NSPTEST_Orphan {
    [NsptestGone ("y"), Key] string Label;
    uint8 Small;
};
)";
}

class PegasusNamespaceClasses : public nsptest::StartedNamespace {
protected:
    static void SetUpTestSuite()
    {
        // The root is the module directory too: no vendor provider.
        ASSERT_NO_FATAL_FAILURE(Start("nsptest_classes"));
        nsptest::WriteFile(*sRoot / "nsptest.mof", TestMof());
        sNamespace->callCimmof("root/cimv2", *sRoot / "nsptest.mof");

        // The class with an object-typed property cannot be written in MOF;
        // the qualifier NsptestGone is then forgotten by the server.
        Pegasus::CIMClient client;
        client.connect("127.0.0.1", sNamespace->GetPort(), "", "");
        Pegasus::CIMClass embedded(Pegasus::CIMName("NSPTEST_Embedded"));
        embedded.addProperty(Pegasus::CIMProperty(
            Pegasus::CIMName("Payload"), Pegasus::CIMValue(Pegasus::CIMTYPE_OBJECT, false)));
        embedded.addProperty(Pegasus::CIMProperty(Pegasus::CIMName("Plain"),
                                                  Pegasus::CIMValue(Pegasus::Uint32(0))));
        client.createClass("root/cimv2", embedded);
        client.deleteQualifier("root/cimv2", Pegasus::CIMName("NsptestGone"));
    }

    static boost::shared_ptr<TPEGASUSClass> Get(std::string const& name,
                                                TCIMContext context = TCIMContext())
    {
        return boost::dynamic_pointer_cast<TPEGASUSClass>(sNamespace->GetClass(name, context));
    }
};

TEST_F(PegasusNamespaceClasses, ChainIsLoadedOnceTopMostFirstWhateverTheCase)
{
    boost::shared_ptr<TPEGASUSClass> level4 = Get("nsptest_LEVEL4");
    ASSERT_TRUE(level4);
    EXPECT_EQ("NSPTEST_Level4", level4->GetName(TCIMContext()));
    EXPECT_EQ("root/cimv2", level4->GetPegasusNSPStr());
    EXPECT_EQ(60000, level4->GetTimeout());

    // One server fetch per class, the top-most class built first.
    std::vector<std::string> built;
    for (nsptest::LogRecord const& record : fLog.Matching("AllocateClass  --> "))
        built.push_back(record.text);
    EXPECT_EQ(std::vector<std::string>(
                  {"AllocateClass  --> NSPTEST_Level1  inherit from --> ",
                   "AllocateClass  --> NSPTEST_Level2  inherit from --> NSPTEST_Level1",
                   "AllocateClass  --> NSPTEST_Level3  inherit from --> NSPTEST_Level2",
                   "AllocateClass  --> NSPTEST_Level4  inherit from --> NSPTEST_Level3"}),
              built);
    EXPECT_EQ(4u, fLog.Matching("TPEGASUSNamespace::GetClass from Pegasus for: ").size());

    // Later requests in any case are answered from the registry.
    EXPECT_EQ(level4, Get("NSPTEST_Level4"));
    boost::shared_ptr<TPEGASUSClass> level2 = Get("Nsptest_Level2");
    EXPECT_EQ(4u, fLog.Matching("TPEGASUSNamespace::GetClass from Pegasus for: ").size());
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSNamespace::GetClass Nsptest_Level2 Found in "
                                "TPEGASUSNamespace").size());

    // The tree: links, children, subclass tests, root classes.
    boost::shared_ptr<TPEGASUSClass> level1 = Get("NSPTEST_Level1");
    boost::shared_ptr<TPEGASUSClass> root = sNamespace->GetRootClass();
    EXPECT_EQ(level1, level2->GetParentLink());
    EXPECT_EQ(root, level1->GetParentLink());
    EXPECT_EQ(root, Get("<root>"));
    EXPECT_EQ(root, Get(""));
    // While connected, only the root class itself answers true.
    EXPECT_TRUE(root->IsRootClass(TCIMContext()));
    EXPECT_FALSE(level1->IsRootClass(TCIMContext()));
    EXPECT_EQ(Get("NSPTEST_Level3"), level4->GetSuperClass(TCIMContext()));
    EXPECT_EQ(root, level1->GetSuperClass(TCIMContext()));
    EXPECT_TRUE(level4->IsSubclassOf(level1, TCIMContext()));
    EXPECT_TRUE(level4->IsSubclassOf(level4, TCIMContext()));
    EXPECT_TRUE(level4->IsSubclassOf(root, TCIMContext()));
    EXPECT_FALSE(level1->IsSubclassOf(level4, TCIMContext()));
    boost::shared_ptr<TPEGASUSClass> sibling = Get("NSPTEST_Sibling");
    EXPECT_FALSE(sibling->IsSubclassOf(level2, TCIMContext()));

    std::vector<std::string> walked;
    sNamespace->EnumerateRootClasses(
        [&walked](boost::shared_ptr<ICIMClass> cls) {
            walked.push_back(cls->GetName(TCIMContext()));
            return true;
        },
        TCIMContext());
    EXPECT_EQ(std::vector<std::string>({"NSPTEST_Level1", "NSPTEST_Level2", "NSPTEST_Level3",
                                        "NSPTEST_Level4", "NSPTEST_Sibling"}),
              std::vector<std::string>(walked.begin(), walked.begin() + 5));
}

TEST_F(PegasusNamespaceClasses, QualifiersPropertiesAndMethodsComeFromTheServer)
{
    boost::shared_ptr<TPEGASUSClass> level1 = Get("NSPTEST_Level1");
    boost::shared_ptr<TPEGASUSClass> level4 = Get("NSPTEST_Level4");
    ASSERT_TRUE(level1 && level4);
    EXPECT_TRUE(level1->IsAbstract(TCIMContext()));
    EXPECT_FALSE(level4->IsAbstract(TCIMContext()));
    EXPECT_FALSE(level1->IsAssociation(TCIMContext()));
    EXPECT_TRUE(Get("NSPTEST_Link")->IsAssociation(TCIMContext()));
    EXPECT_EQ(TCIMValue(std::string("Level four")),
              level4->GetQualifier("description", TCIMContext())->GetValue(TCIMContext()));

    // Each declaration is read once and shared by every qualifier of its
    // name; its type is that of the server's declaration.
    boost::shared_ptr<const ICIMQualifierDecl> description =
        level4->GetQualifier("Description", TCIMContext())->GetDeclaration(TCIMContext());
    EXPECT_EQ(description,
              level1->GetQualifier("DESCRIPTION", TCIMContext())->GetDeclaration(TCIMContext()));
    EXPECT_EQ(description, sNamespace->GetQualifierDecl("description", TCIMContext()));
    EXPECT_EQ(kString, description->GetType(TCIMContext()));

    // Inherited properties with their types and null defaults.
    EXPECT_EQ(kUint16, level4->GetPropertyDecl("count", TCIMContext())->GetType(TCIMContext()));
    boost::shared_ptr<ICIMPropertyDecl> tags = level4->GetPropertyDecl("Tags", TCIMContext());
    EXPECT_EQ(29, static_cast<int>(tags->GetType(TCIMContext())));
    EXPECT_TRUE(tags->IsArray(TCIMContext()));
    EXPECT_TRUE(tags->GetDefaultValue(TCIMContext()).IsNull());
    EXPECT_EQ(kDateTime, level4->GetPropertyDecl("Since", TCIMContext())->GetType(TCIMContext()));
    EXPECT_EQ(kReference,
              Get("NSPTEST_Link")->GetPropertyDecl("Left", TCIMContext())->GetType(TCIMContext()));
    EXPECT_EQ(TCIMValue(std::string("a note")),
              level4->GetPropertyDecl("Note", TCIMContext())
                  ->GetQualifier("NsptestNote", TCIMContext())
                  ->GetValue(TCIMContext()));
    std::vector<std::string> keys;
    level4->EnumerateKeyNames(
        [&keys](const std::string* name) {
            keys.push_back(*name);
            return true;
        },
        TCIMContext());
    EXPECT_EQ(std::vector<std::string>({"Name"}), keys);

    // Methods: return and parameter types, parameter qualifiers, name order.
    boost::shared_ptr<ICIMMethodDecl> reset = level4->GetMethodDecl("RESET", TCIMContext());
    ASSERT_TRUE(reset);
    EXPECT_EQ(kUint32, reset->GetReturnType(TCIMContext()));
    std::vector<std::string> parameters;
    reset->EnumerateParameterDecls(
        [&parameters](boost::shared_ptr<ICIMParameterDecl> parameter) {
            parameters.push_back(parameter->GetName(TCIMContext()) + ":" +
                                 parameter->GetType(TCIMContext()).GetName());
            return true;
        },
        TCIMContext());
    EXPECT_EQ(std::vector<std::string>(
                  {"alpha:uint8", "Delay:uint16", "Report:string", "Zeta:string"}),
              parameters);
    EXPECT_EQ(TCIMValue(true), reset->GetParameterDecl("report", TCIMContext())
                                   ->GetQualifier("Out", TCIMContext())
                                   ->GetValue(TCIMContext()));
    EXPECT_FALSE(level1->GetMethodDecl("Reset", TCIMContext()));
}

TEST_F(PegasusNamespaceClasses, OneBadQualifierOrPropertyTypeLosesNothingElse)
{
    boost::shared_ptr<TPEGASUSClass> orphan = Get("NSPTEST_Orphan");
    ASSERT_TRUE(orphan);
    EXPECT_EQ(2u, fLog.Matching("TPEGASUSClass::Initialize - Unable to retrieve qualifier: "
                                "NsptestGone").size());
    EXPECT_FALSE(orphan->GetQualifier("NsptestGone", TCIMContext()));
    EXPECT_TRUE(orphan->GetQualifier("Description", TCIMContext()));
    boost::shared_ptr<ICIMPropertyDecl> label = orphan->GetPropertyDecl("Label", TCIMContext());
    EXPECT_TRUE(label->GetQualifier("Key", TCIMContext()));
    EXPECT_EQ(kUint8, orphan->GetPropertyDecl("Small", TCIMContext())->GetType(TCIMContext()));

    boost::shared_ptr<TPEGASUSClass> embedded = Get("NSPTEST_Embedded");
    ASSERT_TRUE(embedded);
    std::vector<nsptest::LogRecord> unsupported = fLog.Matching("Not supported type");
    ASSERT_EQ(1u, unsupported.size());
    EXPECT_EQ("Not supported type of property Payload in class NSPTEST_Embedded: 15, default "
              "to string.",
              unsupported[0].text);
    EXPECT_EQ(3, unsupported[0].severity);
    EXPECT_EQ(kString, embedded->GetPropertyDecl("Payload", TCIMContext())->GetType(TCIMContext()));
    EXPECT_EQ(kUint32, embedded->GetPropertyDecl("Plain", TCIMContext())->GetType(TCIMContext()));
}

TEST_F(PegasusNamespaceClasses, ClassesThatCannotBeHadGiveEmptyPointers)
{
    EXPECT_FALSE(Get("NSPTEST_Missing"));
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSNamespace::GetClass from Pegasus for: NSPTEST_Missing "
                                "returned exception: ").size());
    EXPECT_FALSE(Get("9Level"));
    EXPECT_EQ(1u, fLog.Matching("PEGASUS: CIM name '9Level' is invalid").size());
    TCIMContext wrongType;
    wrongType["nsp"] = TCIMValue(5u);
    EXPECT_FALSE(Get("NSPTEST_Link2", wrongType));
    TCIMContext otherNamespace;
    otherNamespace["nsp"] = TCIMValue(std::string("root/nowhere"));
    EXPECT_FALSE(Get("NSPTEST_Sibling2", otherNamespace));
    EXPECT_TRUE(fLog.Matching("AllocateClass  --> ").empty());
}

TEST_F(PegasusNamespaceClasses, OverridingAnInheritedPropertyFollowsTheRules)
{
    boost::shared_ptr<TPEGASUSClass> level3 = Get("NSPTEST_Level3");
    ASSERT_TRUE(level3);
    boost::shared_ptr<ICIMQualifierDecl> overrideDecl = sNamespace->AllocateQualifierDecl(
        "Override", TCIMValue(kString), ICIMQualifierDecl::kScopeProperty,
        ICIMQualifierDecl::kFlavorNone, TCIMContext());
    auto withOverride = [&](std::string const& name, TCIMValue const& type) {
        boost::shared_ptr<ICIMPropertyDecl> decl =
            level3->AllocatePropertyDecl(name, type, TCIMContext());
        decl->AddQualifier(decl->AllocateQualifier(overrideDecl, TCIMValue(name), TCIMContext()),
                           TCIMContext());
        return decl;
    };

    // Another type: two lines and status 14; the inherited one stays.
    boost::shared_ptr<ICIMPropertyDecl> other = withOverride("Count", TCIMValue(kString));
    try {
        other->AddToClass(TCIMContext());
        FAIL() << "an override of another type was accepted";
    } catch (TKTAException const& e) {
        EXPECT_EQ(TKTAStatusCode::kWrongType, e.GetStatusCode());
    }
    std::vector<nsptest::LogRecord> lines = fLog.Matching("TPEGASUS: Attempt");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("TPEGASUS: Attempt to override property Count in class NSPTEST_Level3: different "
              "types",
              lines[0].text);
    EXPECT_EQ(0, lines[0].severity);
    EXPECT_EQ(0u, lines[1].text.find("TPEGASUS: Attempt define property Count in class "
                                     "NSPTEST_Level3failed. Reason = "));
    EXPECT_EQ(kUint16, level3->GetPropertyDecl("count", TCIMContext())->GetType(TCIMContext()));

    // The class read from the server declared every property itself, so an
    // override of the same type is refused too.
    EXPECT_THROW(withOverride("Count", TCIMValue(kUint16))->AddToClass(TCIMContext()),
                 TKTAException);
    EXPECT_EQ(1u, fLog.Matching("TPEGASUS: Attempt to override property Count in class "
                                "NSPTEST_Level3: original was defined in this class").size());

    // A declaration of another class is overridden by one of the same type.
    boost::shared_ptr<ICIMPropertyDecl> inherited =
        Get("NSPTEST_Level2")->AllocatePropertyDecl("Extra", TCIMValue(kUint8), TCIMContext());
    level3->AddPropertyDecl(inherited);
    boost::shared_ptr<ICIMPropertyDecl> same = withOverride("Extra", TCIMValue(kUint8));
    same->AddToClass(TCIMContext());
    EXPECT_EQ(same, level3->GetPropertyDecl("EXTRA", TCIMContext()));
    // Without an override qualifier the name is taken.
    boost::shared_ptr<ICIMPropertyDecl> plain =
        level3->AllocatePropertyDecl("Ratio", TCIMValue(kReal64), TCIMContext());
    EXPECT_THROW(plain->AddToClass(TCIMContext()), TKTAException);
    EXPECT_EQ(1u, fLog.Matching("TPEGASUS: Attempt to add property Ratio to class "
                                "NSPTEST_Level3: already exists").size());
}

// Last: releasing the namespace after it served classes, qualifiers and a
// cached instance leaves none of them alive.
TEST_F(PegasusNamespaceClasses, ReleaseLeavesNothingAlive)
{
    boost::shared_ptr<TPEGASUSClass> level4 = Get("NSPTEST_Level4");
    ASSERT_TRUE(level4);
    boost::shared_ptr<ICIMInstance> instance = level4->AllocateInstance(TCIMContext());
    instance->SetPropertyValue("Name", TCIMValue(std::string("one")), TCIMContext());
    instance->AddToNamespace(TCIMContext());
    ASSERT_EQ(1u, level4->GetInstances().size());

    boost::weak_ptr<TPEGASUSNamespace> ns = sNamespace;
    boost::weak_ptr<TPEGASUSClass> cls = level4;
    boost::weak_ptr<TPEGASUSClass> root = sNamespace->GetRootClass();
    boost::weak_ptr<ICIMInstance> cached = instance;
    boost::weak_ptr<ICIMPropertyDecl> decl = level4->GetPropertyDecl("Name", TCIMContext());
    boost::weak_ptr<ICIMMethodDecl> method = level4->GetMethodDecl("Reset", TCIMContext());
    boost::weak_ptr<const ICIMQualifierDecl> qualifierDecl =
        level4->GetQualifier("Description", TCIMContext())->GetDeclaration(TCIMContext());
    instance.reset();
    level4.reset();

    TPEGASUSNamespaceProvider::ClearNamespace();
    sNamespace.reset();
    EXPECT_TRUE(ns.expired());
    EXPECT_TRUE(cls.expired());
    EXPECT_TRUE(root.expired());
    EXPECT_TRUE(cached.expired());
    EXPECT_TRUE(decl.expired());
    EXPECT_TRUE(method.expired());
    EXPECT_TRUE(qualifierDecl.expired());
}

} // namespace
