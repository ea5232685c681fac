// Namespaces, qualifier declarations and classes: creation checks,
// resolution against superclasses, GetClass options, modification and
// deletion.
#include "RepositoryTestSupport.h"

#include <SqliteStore.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <thread>
#include <vector>

using namespace Pegasus;
using namespace repotest;

namespace {

class SchemaTest : public ::testing::Test
{
protected:
    SchemaTest() : repo(dir.path) {}
    ScratchDir dir;
    Repository repo;
};

CIMConstQualifier qualifierOf(const CIMConstProperty& p, const char* name)
{
    Uint32 i = p.findQualifier(CIMName(name));
    return i == PEG_NOT_FOUND ? CIMConstQualifier() : p.getQualifier(i);
}

// --- namespaces and qualifier declarations ---------------------------------

TEST_F(SchemaTest, NamespacesAreCaseInsensitiveAndGuarded)
{
    repo.createNamespace("root/One");
    repo.createNamespace("root/two");
    EXPECT_TRUE(repo.namespaceExists("ROOT/one"));
    EXPECT_FALSE(repo.namespaceExists("root/three"));
    EXPECT_EQ(CIM_ERR_ALREADY_EXISTS, codeOf([&] { repo.createNamespace("Root/ONE"); }));

    Array<CIMNamespaceName> names = repo.enumerateNamespaces();
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("root/One", str(names[0].getString()));

    String message;
    EXPECT_EQ(CIM_ERR_INVALID_NAMESPACE,
              codeOf([&] { repo.enumerateClassNames("root/nosuchns", CIMName(), false); },
                     &message));
    EXPECT_EQ("root/nosuchns", str(message));

    repo.deleteNamespace("ROOT/TWO");
    EXPECT_FALSE(repo.namespaceExists("root/two"));
    EXPECT_EQ(CIM_ERR_INVALID_NAMESPACE, codeOf([&] { repo.deleteNamespace("root/two"); }));
}

TEST_F(SchemaTest, NamesLongerThanTheLimitAreRefusedAndNeverFound)
{
    const std::string longest = "X" + std::string(Repository::kMaxNameLength - 1, 'n');
    const std::string tooLong = longest + "n";
    std::string shouted = longest;
    for (char& c : shouted)
        c = char(std::toupper(static_cast<unsigned char>(c)));

    // A name of the longest length is an ordinary name.
    repo.createNamespace(CIMNamespaceName(longest.c_str()));
    EXPECT_TRUE(repo.namespaceExists(CIMNamespaceName(shouted.c_str())));
    repo.createClass(kNs, CIMClass(CIMName(longest.c_str())));
    EXPECT_EQ(longest, str(repo.getClass(kNs, CIMName(shouted.c_str()), false, true, true,
                                         CIMPropertyList())
                               .getClassName()
                               .getString()));
    repo.setQualifier(kNs, CIMQualifierDecl(CIMName(longest.c_str()), Boolean(false),
                                            CIMScope::ANY));

    // One character more is refused, and never found; the errors do not
    // repeat the name.
    const CIMName huge(tooLong.c_str());
    const std::string refused = "longer than " + std::to_string(Repository::kMaxNameLength) +
                                " characters";
    const std::string absent = "name of " + std::to_string(tooLong.size()) + " characters";
    struct Case
    {
        const char* what;
        std::function<void()> call;
        CIMStatusCode code;
        std::string text;
    };
    const Case cases[] = {
        {"createNamespace", [&] { repo.createNamespace(CIMNamespaceName(tooLong.c_str())); },
         CIM_ERR_INVALID_PARAMETER, "namespace " + absent + ": " + refused},
        {"createClass", [&] { repo.createClass(kNs, CIMClass(huge)); },
         CIM_ERR_INVALID_PARAMETER, "class " + absent + ": " + refused},
        {"setQualifier",
         [&] { repo.setQualifier(kNs, CIMQualifierDecl(huge, Boolean(false), CIMScope::ANY)); },
         CIM_ERR_INVALID_PARAMETER, "qualifier " + absent + ": " + refused},
        {"getClass",
         [&] { repo.getClass(kNs, huge, false, true, true, CIMPropertyList()); },
         CIM_ERR_NOT_FOUND, absent},
        {"getQualifier", [&] { repo.getQualifier(kNs, huge); }, CIM_ERR_NOT_FOUND, absent},
        {"enumerateClassNames", [&] { repo.enumerateClassNames(CIMNamespaceName(
                                          tooLong.c_str()), CIMName(), false); },
         CIM_ERR_INVALID_NAMESPACE, absent},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        String message;
        EXPECT_EQ(c.code, codeOf(c.call, &message));
        EXPECT_EQ(c.text, str(message));
    }
    EXPECT_FALSE(repo.classExists(kNs, huge));
    EXPECT_FALSE(repo.namespaceExists(CIMNamespaceName(tooLong.c_str())));
}

TEST_F(SchemaTest, NamespaceWithClassesIsNotDeleted)
{
    repo.createClass("root/x", CIMClass("Plain"));
    EXPECT_EQ(CIM_ERR_NAMESPACE_NOT_EMPTY, codeOf([&] { repo.deleteNamespace("root/x"); }));
    repo.deleteClass("root/x", "Plain");
    repo.deleteNamespace("root/x");
    EXPECT_FALSE(repo.namespaceExists("root/x"));
}

TEST_F(SchemaTest, OperationsOnMissingNamespaceFailExceptCreators)
{
    const CIMNamespaceName missing("root/missing");
    std::vector<std::function<void()>> reads = {
        [&] { repo.getQualifier(missing, "Key"); },
        [&] { repo.enumerateQualifiers(missing); },
        [&] { repo.getClass(missing, "X", false, true, true, CIMPropertyList()); },
        [&] { repo.enumerateClasses(missing, CIMName(), true, false, true, true); },
        [&] { repo.deleteClass(missing, "X"); },
        [&] { repo.modifyClass(missing, CIMClass("X")); },
        [&] { repo.getInstance(missing, widgetPath("a"), false, false, false, CIMPropertyList()); },
        [&] { repo.enumerateInstanceNames(missing, "X"); },
        [&] { repo.deleteInstance(missing, widgetPath("a")); },
        [&] { repo.classExists(missing, "X"); },
        [&] { repo.isSubclass(missing, "X", "Y"); },
        [&] { repo.enumerateSubclassNames(missing, "X"); },
    };
    for (std::size_t i = 0; i < reads.size(); i++)
        EXPECT_EQ(CIM_ERR_INVALID_NAMESPACE, codeOf(reads[i])) << "operation " << i;
    EXPECT_FALSE(repo.namespaceExists(missing));

    // setQualifier and createClass bring the namespace into being.
    repo.setQualifier("root/q", CIMQualifierDecl("Key", Boolean(false), CIMScope::PROPERTY));
    EXPECT_TRUE(repo.namespaceExists("root/q"));
    repo.createClass("root/c", CIMClass("Plain"));
    EXPECT_TRUE(repo.classExists("root/c", "plain"));
}

TEST_F(SchemaTest, QualifierDeclarationsCreateReplaceDelete)
{
    declareQualifiers(repo);
    CIMQualifierDecl key = repo.getQualifier(kNs, "KEY");
    EXPECT_EQ("Key", str(key.getName().getString()));
    EXPECT_EQ("PROPERTY REFERENCE", str(key.getScope().toString()));
    EXPECT_EQ("TOSUBCLASS DISABLEOVERRIDE", str(key.getFlavor().toString()));

    repo.setQualifier(kNs, CIMQualifierDecl("Key", Boolean(true), CIMScope::PROPERTY));
    Array<CIMQualifierDecl> all = repo.enumerateQualifiers(kNs);
    ASSERT_EQ(12u, all.size());
    EXPECT_EQ("Abstract", str(all[0].getName().getString()));
    EXPECT_EQ("Key", str(all[1].getName().getString())) << "replacing keeps the position";
    EXPECT_EQ("PROPERTY", str(all[1].getScope().toString()));

    repo.deleteQualifier(kNs, "key");
    String message;
    EXPECT_EQ(CIM_ERR_NOT_FOUND, codeOf([&] { repo.getQualifier(kNs, "Key"); }, &message));
    EXPECT_EQ("Key", str(message));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, codeOf([&] { repo.deleteQualifier(kNs, "Key"); }));
}

// --- class creation checks -------------------------------------------------

TEST_F(SchemaTest, CreateClassRejectsInvalidDefinitions)
{
    declareQualifiers(repo);
    repo.createClass(kNs, baseClass());

    struct Case
    {
        const char* what;
        std::function<CIMClass()> make;
        CIMStatusCode code;
        const char* messagePart;
    };
    std::vector<Case> cases = {
        {"missing superclass", [] { return CIMClass("X_A", "NoSuchClass"); },
         CIM_ERR_INVALID_SUPERCLASS, "NoSuchClass"},
        {"duplicate", [] { return CIMClass("wt_base"); }, CIM_ERR_ALREADY_EXISTS, "wt_base"},
        {"undeclared qualifier",
         [] {
             CIMClass c("X_B");
             c.addQualifier(CIMQualifier("Bogus", Boolean(true)));
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "\"Bogus\""},
        {"qualifier outside its scope",
         [] {
             CIMClass c("X_C");
             CIMProperty p("P", String("x"));
             p.addQualifier(CIMQualifier("Abstract", Boolean(true)));
             c.addProperty(p);
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "\"Abstract\""},
        {"qualifier of the wrong type",
         [] {
             CIMClass c("X_D");
             CIMProperty p("P", String("x"));
             p.addQualifier(CIMQualifier("MaxLen", String("10")));
             c.addProperty(p);
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "\"MaxLen\""},
        {"DisableOverride qualifier changed",
         [] {
             CIMClass c("X_E", "WT_Base");
             CIMProperty p("Id", CIMValue(CIMTYPE_STRING, false));
             p.addQualifier(CIMQualifier("Key", Boolean(false)));
             c.addProperty(p);
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "\"Key\""},
        {"override of nothing",
         [] {
             CIMClass c("X_F", "WT_Base");
             CIMProperty p("Other", String("x"));
             p.addQualifier(CIMQualifier("Override", String("Other")));
             c.addProperty(p);
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "Other"},
        {"override with another type",
         [] {
             CIMClass c("X_G", "WT_Base");
             CIMProperty p("Id", CIMValue(CIMTYPE_UINT32, false));
             p.addQualifier(CIMQualifier("Override", String("Id")));
             c.addProperty(p);
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "Id"},
        {"reference to an unknown class",
         [] {
             CIMClass c("X_H");
             c.addProperty(CIMProperty("R", CIMValue(CIMTYPE_REFERENCE, false), 0, "NoSuchClass"));
             return c;
         },
         CIM_ERR_INVALID_PARAMETER, "NoSuchClass"},
    };
    for (const Case& c : cases)
    {
        String message;
        CIMClass cls = c.make();
        EXPECT_EQ(c.code, codeOf([&] { repo.createClass(kNs, cls); }, &message)) << c.what;
        EXPECT_NE(std::string::npos, str(message).find(c.messagePart))
            << c.what << ": " << str(message);
        if (c.code != CIM_ERR_ALREADY_EXISTS)
        {
            EXPECT_FALSE(repo.classExists(kNs, cls.getClassName())) << c.what;
        }
    }
}

TEST_F(SchemaTest, DisableOverrideQualifierMayBeRepeatedWithSameValue)
{
    declareQualifiers(repo);
    repo.createClass(kNs, baseClass());
    CIMClass c("X_Same", "WT_Base");
    CIMProperty p("Id", CIMValue(CIMTYPE_STRING, false));
    p.addQualifier(CIMQualifier("Key", Boolean(true)));
    p.addQualifier(CIMQualifier("Override", String("Id")));
    c.addProperty(p);
    EXPECT_EQ(CIM_ERR_SUCCESS, codeOf([&] { repo.createClass(kNs, c); }));
}

// --- resolution ------------------------------------------------------------

TEST_F(SchemaTest, ResolvedClassMatchesWireCapture)
{
    loadWireSchema(repo);
    // As the capture 29 (GetClass LocalOnly=false IncludeClassOrigin=true).
    CIMClass c = repo.getClass(kNs, "wt_widget", false, true, true, CIMPropertyList());
    EXPECT_EQ("WT_Widget", str(c.getClassName().getString()));
    EXPECT_EQ("WT_Base", str(c.getSuperClassName().getString()));

    // Class qualifiers: Abstract and Version of WT_Base are restricted; the
    // class's own Version and Description carry their declared flavors.
    ASSERT_EQ(2u, c.getQualifierCount());
    EXPECT_EQ("Version", str(c.getQualifier(0).getName().getString()));
    EXPECT_EQ("OVERRIDABLE TRANSLATABLE RESTRICTED", str(c.getQualifier(0).getFlavor().toString()));
    EXPECT_EQ("OVERRIDABLE TOSUBCLASS TRANSLATABLE", str(c.getQualifier(1).getFlavor().toString()));
    EXPECT_EQ(0u, c.getQualifier(1).getPropagated());
    EXPECT_FALSE(c.isAbstract());

    // Inherited first, then local, in definition order.
    const char* names[] = {"Id", "Label", "Size", "Big", "Flag", "When", "States", "Tags",
                           "Weight", "Delta"};
    ASSERT_EQ(10u, c.getPropertyCount());
    for (Uint32 i = 0; i < 10; i++)
        EXPECT_EQ(names[i], str(c.getProperty(i).getName().getString()));
    CIMConstProperty id = c.getProperty(0);
    EXPECT_TRUE(id.getPropagated());
    EXPECT_EQ("WT_Base", str(id.getClassOrigin().getString()));
    EXPECT_EQ("TOSUBCLASS DISABLEOVERRIDE", str(qualifierOf(id, "Key").getFlavor().toString()));
    CIMConstProperty size = c.getProperty(2);
    EXPECT_FALSE(size.getPropagated());
    EXPECT_EQ("WT_Widget", str(size.getClassOrigin().getString()));
    EXPECT_EQ("-5", str(c.getProperty(9).getValue().toString()));

    ASSERT_EQ(1u, c.getMethodCount());
    CIMConstMethod resize = c.getMethod(0);
    EXPECT_EQ("WT_Widget", str(resize.getClassOrigin().getString()));
    ASSERT_EQ(2u, resize.getParameterCount());
    EXPECT_EQ("TOSUBCLASS DISABLEOVERRIDE",
              str(resize.getParameter(0).getQualifier(0).getFlavor().toString()));
}

TEST_F(SchemaTest, OverridingMemberInheritsQualifiersPerFlavor)
{
    declareQualifiers(repo);
    // Like CIM_System.NameFormat overridden by CIM_ComputerSystem.
    CIMClass system("X_System");
    CIMProperty nameFormat("NameFormat", CIMValue(CIMTYPE_STRING, false));
    nameFormat.addQualifier(CIMQualifier("Description", String("system text")));
    nameFormat.addQualifier(CIMQualifier("MaxLen", Uint32(64)));
    nameFormat.addQualifier(CIMQualifier("Units", String("chars"), CIMFlavor::RESTRICTED +
                                                                      CIMFlavor::OVERRIDABLE));
    system.addProperty(nameFormat);
    system.addProperty(CIMProperty("Other", String("default")));
    repo.createClass(kNs, system);

    CIMClass computer("X_Computer", "X_System");
    CIMProperty over("NameFormat", CIMValue(CIMTYPE_STRING, false));
    over.addQualifier(CIMQualifier("Override", String("NameFormat")));
    over.addQualifier(CIMQualifier("Description", String("computer text")));
    computer.addProperty(over);
    repo.createClass(kNs, computer);

    CIMClass c = repo.getClass(kNs, "X_Computer", false, true, true, CIMPropertyList());
    ASSERT_EQ(2u, c.getPropertyCount());
    EXPECT_EQ("Other", str(c.getProperty(0).getName().getString()));
    CIMConstProperty p = c.getProperty(1);
    EXPECT_EQ("NameFormat", str(p.getName().getString()));
    EXPECT_FALSE(p.getPropagated());
    EXPECT_EQ("X_System", str(p.getClassOrigin().getString())) << "origin of the overridden one";

    // MaxLen propagates (marked), Units was made Restricted, Description is
    // redefined, Override is local.
    ASSERT_EQ(3u, p.getQualifierCount());
    EXPECT_EQ("MaxLen", str(p.getQualifier(0).getName().getString()));
    EXPECT_EQ(1u, p.getQualifier(0).getPropagated());
    EXPECT_EQ("Override", str(p.getQualifier(1).getName().getString()));
    EXPECT_EQ(0u, p.getQualifier(1).getPropagated());
    EXPECT_EQ("computer text", str(qualifierOf(p, "Description").getValue().toString()));

    // localOnly keeps the override but not the inherited property.
    CIMClass local = repo.getClass(kNs, "X_Computer", true, true, false, CIMPropertyList());
    ASSERT_EQ(1u, local.getPropertyCount());
    EXPECT_EQ("NameFormat", str(local.getProperty(0).getName().getString()));
}

TEST_F(SchemaTest, ClassQualifiersPropagateUnlessRestricted)
{
    declareQualifiers(repo);
    CIMClass base("X_Base");
    base.addQualifier(CIMQualifier("Description", String("inherited text")));
    base.addQualifier(CIMQualifier("Version", String("2.0")));
    repo.createClass(kNs, base);
    repo.createClass(kNs, CIMClass("X_Sub", "X_Base"));

    CIMClass c = repo.getClass(kNs, "X_Sub", false, true, false, CIMPropertyList());
    ASSERT_EQ(1u, c.getQualifierCount());
    EXPECT_EQ("Description", str(c.getQualifier(0).getName().getString()));
    EXPECT_EQ(1u, c.getQualifier(0).getPropagated());
    EXPECT_EQ(0u, repo.getClass(kNs, "X_Sub", true, true, false, CIMPropertyList())
                      .getQualifierCount());
}

TEST_F(SchemaTest, GetClassOptionsFilter)
{
    loadWireSchema(repo);
    struct Case
    {
        Boolean localOnly, includeQualifiers, includeClassOrigin;
        CIMPropertyList list;
        Uint32 properties;
        bool qualifiers, origins;
    };
    Array<CIMName> two;
    two.append("size");
    two.append("ID");
    std::vector<Case> cases = {
        {false, true, true, CIMPropertyList(), 10, true, true},
        {true, true, true, CIMPropertyList(), 9, true, true},
        {false, false, true, CIMPropertyList(), 10, false, true},
        {false, true, false, CIMPropertyList(), 10, true, false},
        {false, true, true, CIMPropertyList(two), 2, true, true},
        {true, true, true, CIMPropertyList(two), 1, true, true},
        {false, true, true, CIMPropertyList(Array<CIMName>()), 0, true, true},
    };
    for (std::size_t n = 0; n < cases.size(); n++)
    {
        const Case& k = cases[n];
        CIMClass c = repo.getClass(kNs, "WT_Widget", k.localOnly, k.includeQualifiers,
                                   k.includeClassOrigin, k.list);
        EXPECT_EQ(k.properties, c.getPropertyCount()) << "case " << n;
        Uint32 qualifiers = c.getQualifierCount() + c.getMethod(0).getQualifierCount() +
                            c.getMethod(0).getParameter(0).getQualifierCount();
        bool origins = !c.getMethod(0).getClassOrigin().isNull();
        for (Uint32 i = 0; i < c.getPropertyCount(); i++)
        {
            qualifiers += c.getProperty(i).getQualifierCount();
            origins = origins || !c.getProperty(i).getClassOrigin().isNull();
        }
        EXPECT_EQ(k.qualifiers, qualifiers > 0) << "case " << n;
        EXPECT_EQ(k.origins, origins) << "case " << n;
    }
    EXPECT_EQ(1u, repo.getClass(kNs, "WT_Widget", false, true, false, CIMPropertyList())
                      .getMethodCount());
}

TEST_F(SchemaTest, ReturnedClassesAreIndependentCopies)
{
    loadWireSchema(repo);
    CIMClass c = repo.getClass(kNs, "WT_Widget", false, true, true, CIMPropertyList());
    c.removeProperty(0);
    c.getProperty(0).setValue(String("changed"));
    CIMClass again = repo.getClass(kNs, "WT_Widget", false, true, true, CIMPropertyList());
    EXPECT_EQ(10u, again.getPropertyCount());
    EXPECT_TRUE(again.getProperty(1).getValue().isNull());
}

TEST_F(SchemaTest, ClassSentBackFromGetClassStoresOnlyLocalPart)
{
    loadWireSchema(repo);
    CIMClass full = repo.getClass(kNs, "WT_Widget", false, true, true, CIMPropertyList());
    repo.createClass(kNs, CIMClass("X_Other"));  // unrelated
    CIMClass copy = full.clone();
    // Re-create the class under a new name from a GetClass result.
    CIMClass renamed("WT_Copy", "WT_Base");
    for (Uint32 i = 0; i < copy.getPropertyCount(); i++)
        renamed.addProperty(copy.getProperty(i).clone());
    repo.createClass(kNs, renamed);
    CIMClass local = repo.getClass(kNs, "WT_Copy", true, true, true, CIMPropertyList());
    EXPECT_EQ(9u, local.getPropertyCount()) << "the propagated Id is not local";
}

// --- enumeration, hierarchy ------------------------------------------------

TEST_F(SchemaTest, EnumerationFollowsTheHierarchy)
{
    // A <- B <- C, A <- D, E
    repo.createClass(kNs, CIMClass("A"));
    repo.createClass(kNs, CIMClass("B", "A"));
    repo.createClass(kNs, CIMClass("C", "B"));
    repo.createClass(kNs, CIMClass("D", "A"));
    repo.createClass(kNs, CIMClass("E"));

    auto names = [](const Array<CIMName>& a) {
        std::string s;
        for (Uint32 i = 0; i < a.size(); i++)
            s += str(a[i].getString());
        return s;
    };
    EXPECT_EQ("AE", names(repo.enumerateClassNames(kNs, CIMName(), false)));
    EXPECT_EQ("ABCDE", names(repo.enumerateClassNames(kNs, CIMName(), true)));
    EXPECT_EQ("BD", names(repo.enumerateClassNames(kNs, "a", false)));
    EXPECT_EQ("BCD", names(repo.enumerateClassNames(kNs, "A", true)));
    EXPECT_EQ("ABCD", names(repo.enumerateSubclassNames(kNs, "A")));
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, codeOf([&] { repo.enumerateClassNames(kNs, "Z", true); }));
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, codeOf([&] { repo.enumerateSubclassNames(kNs, "Z"); }));

    Array<CIMClass> classes = repo.enumerateClasses(kNs, "A", true, true, true, false);
    ASSERT_EQ(3u, classes.size());
    EXPECT_EQ("C", str(classes[1].getClassName().getString()));

    EXPECT_TRUE(repo.isSubclass(kNs, "c", "A"));
    EXPECT_TRUE(repo.isSubclass(kNs, "A", "a"));
    EXPECT_FALSE(repo.isSubclass(kNs, "A", "C"));
    EXPECT_FALSE(repo.isSubclass(kNs, "E", "A"));
    EXPECT_FALSE(repo.isSubclass(kNs, "Nope", "A"));
}

TEST_F(SchemaTest, DeleteClassRefusesWithChildren)
{
    loadWireSchema(repo);
    String message;
    EXPECT_EQ(CIM_ERR_CLASS_HAS_CHILDREN, codeOf([&] { repo.deleteClass(kNs, "WT_Base"); },
                                                 &message));
    EXPECT_EQ("WT_Base", str(message));
    repo.createInstance(kNs, widget("w1", 1));
    repo.deleteInstance(kNs, CIMObjectPath("WT_Widget.Id=\"w1\""));
    repo.deleteClass(kNs, "wt_widget");
    EXPECT_FALSE(repo.classExists(kNs, "WT_Widget"));
    EXPECT_EQ(CIM_ERR_NOT_FOUND, codeOf([&] { repo.deleteClass(kNs, "WT_Widget"); }));
    EXPECT_EQ(CIM_ERR_NOT_FOUND,
              codeOf([&] { repo.getClass(kNs, "WT_Widget", true, true, false, CIMPropertyList()); },
                     &message));
    EXPECT_EQ("WT_Widget", str(message));

    // Recreated, the class starts without the old instances.
    repo.createClass(kNs, widgetClass());
    EXPECT_EQ(0u, repo.enumerateInstanceNames(kNs, "WT_Widget").size());
    repo.deleteClass(kNs, "WT_Widget");
    repo.deleteClass(kNs, "WT_Base");
    EXPECT_EQ(0u, repo.enumerateClassNames(kNs, CIMName(), true).size());
}

TEST_F(SchemaTest, ModifyClassRules)
{
    loadWireSchema(repo);
    EXPECT_EQ(CIM_ERR_NOT_FOUND, codeOf([&] { repo.modifyClass(kNs, CIMClass("Nope")); }));
    EXPECT_EQ(CIM_ERR_CLASS_HAS_CHILDREN, codeOf([&] { repo.modifyClass(kNs, baseClass()); }));

    // Without instances anything valid goes.
    CIMClass changed = widgetClass();
    changed.removeProperty(changed.findProperty("Label"));
    repo.modifyClass(kNs, changed);
    EXPECT_EQ(9u, repo.getClass(kNs, "WT_Widget", false, true, false, CIMPropertyList())
                      .getPropertyCount());

    // With instances, adding is fine; removing is not.
    repo.createInstance(kNs, widget("w1", 1));
    CIMClass added = changed.clone();
    added.addProperty(CIMProperty("Extra", String("x")));
    repo.modifyClass(kNs, added);
    EXPECT_EQ(CIM_ERR_CLASS_HAS_INSTANCES, codeOf([&] { repo.modifyClass(kNs, changed); }));

    // Definition errors are reported as for createClass.
    CIMClass bad = added.clone();
    bad.addQualifier(CIMQualifier("Bogus", Boolean(true)));
    EXPECT_EQ(CIM_ERR_INVALID_PARAMETER, codeOf([&] { repo.modifyClass(kNs, bad); }));
    EXPECT_EQ(10u, repo.getClass(kNs, "WT_Widget", false, true, false, CIMPropertyList())
                       .getPropertyCount());
}

TEST_F(SchemaTest, SchemaSurvivesReopen)
{
    {
        Repository first(dir.path + "/other");
        loadWireSchema(first);
    }
    Repository second(dir.path + "/other");
    EXPECT_TRUE(second.namespaceExists(kNs));
    EXPECT_EQ(12u, second.enumerateQualifiers(kNs).size());
    CIMClass c = second.getClass(kNs, "WT_Widget", false, true, true, CIMPropertyList());
    EXPECT_EQ(10u, c.getPropertyCount());
    EXPECT_EQ("WT_Base", str(c.getProperty(0).getClassOrigin().getString()));
    Array<CIMName> names = second.enumerateClassNames(kNs, CIMName(), true);
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("WT_Base", str(names[0].getString()));
}

TEST(RepositoryOpen, UnusableDirectoryThrows)
{
    ScratchDir dir;
    std::string file = dir.path + "/plain-file";
    FILE* f = fopen(file.c_str(), "w");
    ASSERT_NE(nullptr, f);
    fclose(f);
    try
    {
        Repository repo(file + "/sub");
        FAIL() << "expected an exception";
    }
    catch (const CIMException&)
    {
        FAIL() << "expected a plain Exception";
    }
    catch (const Exception& e)
    {
        EXPECT_NE(std::string::npos, str(e.getMessage()).find("plain-file"));
    }
}

// Class bodies are decoded from the store when the cache does not hold
// them: with room for one class only, every class still comes back as the
// repository that keeps them all returns it, changes included.
TEST(RepositoryClassCache, ClassesComeBackWhateverTheCacheHolds)
{
    ScratchDir dir;
    Repository roomy(dir.path + "/roomy");
    Repository tight(dir.path + "/tight", 1);
    for (Repository* r : {&roomy, &tight})
    {
        loadWireSchema(*r);
        for (int i = 0; i < 5; i++)
        {
            CIMClass c(CIMName(("WT_Level" + std::to_string(i)).c_str()),
                       CIMName(i == 0 ? "WT_Widget" : ("WT_Level" + std::to_string(i - 1)).c_str()));
            c.addProperty(CIMProperty(CIMName(("P" + std::to_string(i)).c_str()), Uint32(i)));
            r->createClass(kNs, c);
        }
    }
    auto same = [&](Repository& a, Repository& b) {
        Array<CIMName> names = a.enumerateClassNames(kNs, CIMName(), true);
        for (int round = 0; round < 2; round++)
        {
            for (Uint32 i = 0; i < names.size(); i++)
            {
                CIMClass x = a.getClass(kNs, names[i], false, true, true, CIMPropertyList());
                CIMClass y = b.getClass(kNs, names[i], false, true, true, CIMPropertyList());
                EXPECT_TRUE(x.identical(y)) << str(names[i].getString());
            }
        }
        return names.size();
    };
    EXPECT_EQ(7u, same(tight, roomy));
    EXPECT_EQ(7u, tight.enumerateClasses(kNs, CIMName(), true, false, true, true).size());
    EXPECT_EQ("WT_Level4", str(tight.enumerateClassNames(kNs, "WT_Level3", false)[0].getString()));

    for (Repository* r : {&roomy, &tight})
    {
        CIMClass changed = r->getClass(kNs, "WT_Level4", true, true, true, CIMPropertyList());
        changed.addProperty(CIMProperty("Added", String("x")));
        r->modifyClass(kNs, changed);
        r->getClass(kNs, "WT_Base", false, true, true, CIMPropertyList());
    }
    EXPECT_EQ(16u, tight.getClass(kNs, "WT_Level4", false, true, true, CIMPropertyList())
                       .getPropertyCount());
    same(tight, roomy);
    // Memory given back (the cache, the class tree) is read again on use.
    tight.releaseMemory();
    EXPECT_EQ(12u, tight.enumerateQualifiers(kNs).size());
    same(tight, roomy);
    tight.deleteClass(kNs, "WT_Level4");
    EXPECT_EQ(CIM_ERR_NOT_FOUND, codeOf([&] {
                  tight.getClass(kNs, "WT_Level4", false, true, true, CIMPropertyList());
              }));
    roomy.deleteClass(kNs, "WT_Level4");
    EXPECT_EQ(6u, same(tight, roomy));
}

// Readers decode and evict classes while a writer adds subclasses and the
// memory the repository holds is given back again and again; afterwards,
// readers of a reopened repository load the namespace all at once.
TEST(RepositoryClassCache, ConcurrentReadersAndWriter)
{
    ScratchDir dir;
    Repository repo(dir.path, 1);
    loadWireSchema(repo);
    std::vector<std::thread> readers;
    std::atomic<int> wrong(0);
    std::atomic<bool> writing(true);
    readers.emplace_back([&] {
        while (writing.load())
            repo.releaseMemory();
    });
    for (int t = 0; t < 4; t++)
    {
        readers.emplace_back([&, t] {
            for (int i = 0; i < 200; i++)
            {
                bool base = (i + t) % 2 == 0;
                CIMClass c = repo.getClass(kNs, base ? "WT_Base" : "WT_Widget", false, true,
                                           true, CIMPropertyList());
                if (c.getPropertyCount() != (base ? 1u : 10u))
                    wrong++;
            }
        });
    }
    for (int i = 0; i < 20; i++)
    {
        CIMClass c(CIMName(("WT_Sub" + std::to_string(i)).c_str()), "WT_Widget");
        repo.createClass(kNs, c);
    }
    writing = false;
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(10u, repo.getClass(kNs, "WT_Sub19", false, true, true, CIMPropertyList())
                       .getPropertyCount());

    Repository reopened(dir.path, 1);
    std::vector<std::thread> loaders;
    for (int t = 0; t < 4; t++)
    {
        loaders.emplace_back([&] {
            if (reopened.enumerateClassNames(kNs, "WT_Widget", true).size() != 20u)
                wrong++;
        });
    }
    for (std::thread& t : loaders)
        t.join();
    EXPECT_EQ(0, wrong.load());
}

// A store written before the class bodies moved to a table of their own
// (and before texts were stored as UTF-8) is converted when opened.
TEST(RepositoryOpen, StoreOfTheFirstLayoutIsConverted)
{
    ScratchDir dir;
    // class Old_Thing { }; in the first blob format.
    std::string blob("C\x01", 2);
    appendText16(blob, u"Old_Thing");
    appendText16(blob, u"");
    blob.append(3, '\0');   // no qualifiers, properties or methods
    {
        SqliteConnection db(dir.path + "/repository.db");
        db.exec("CREATE TABLE namespaces(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE,"
                "  name TEXT NOT NULL);"
                "CREATE TABLE qualifiers(id INTEGER PRIMARY KEY, ns INTEGER NOT NULL,"
                "  key TEXT NOT NULL, data BLOB NOT NULL, UNIQUE(ns, key));"
                "CREATE TABLE classes(id INTEGER PRIMARY KEY, ns INTEGER NOT NULL,"
                "  key TEXT NOT NULL, super TEXT NOT NULL, local BLOB NOT NULL,"
                "  resolved BLOB NOT NULL, UNIQUE(ns, key));"
                "INSERT INTO namespaces VALUES(1, 'root/old', 'root/Old');");
        db.statement("INSERT INTO classes VALUES(1, 1, 'old_thing', '', ?, ?)")
            .bindBlob(1, blob)
            .bindBlob(2, blob)
            .run();
    }
    const CIMNamespaceName ns("root/old");
    {
        Repository repo(dir.path);
        Array<CIMName> names = repo.enumerateClassNames(ns, CIMName(), true);
        ASSERT_EQ(1u, names.size());
        EXPECT_EQ("Old_Thing", str(names[0].getString()));
        EXPECT_EQ(0u, repo.getClass(ns, "old_thing", false, true, true, CIMPropertyList())
                          .getPropertyCount());
        CIMClass added("New_Thing", "Old_Thing");
        added.addProperty(CIMProperty("Label", String("caf\xc3\xa9")));
        repo.createClass(ns, added);
    }
    Repository reopened(dir.path);
    Array<CIMName> names = reopened.enumerateClassNames(ns, CIMName(), true);
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("New_Thing", str(names[1].getString()));
    CIMClass added = reopened.getClass(ns, "New_Thing", false, true, true, CIMPropertyList());
    String label;
    added.getProperty(0).getValue().get(label);
    EXPECT_EQ("caf\xc3\xa9", str(label));
    EXPECT_EQ("Old_Thing", str(added.getSuperClassName().getString()));
}

TEST(RepositoryOpen, StoreOfANewerVersionIsRefused)
{
    ScratchDir dir;
    {
        Repository repo(dir.path);
        loadWireSchema(repo);
    }
    {
        SqliteConnection db(dir.path + "/repository.db");
        db.exec("PRAGMA user_version=99");
    }
    try
    {
        Repository repo(dir.path);
        FAIL() << "expected an exception";
    }
    catch (const Exception& e)
    {
        EXPECT_NE(std::string::npos, str(e.getMessage()).find("newer version"));
    }
}

}  // namespace
