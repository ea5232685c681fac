// The grammar, feature by feature, checked through what the in-memory
// target holds afterwards.

#include "MofTestSupport.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>

#include <gtest/gtest.h>

using namespace moftest;

TEST(MofGrammar, QualifierDeclarations)
{
    Compilation run;
    run.text(R"(
Qualifier Flag : boolean = true, Scope(class, property), Flavor(DisableOverride, Restricted, Translatable);
Qualifier Names : string[] = {"a", "b"}, Scope(any);
Qualifier Fixed : uint8[3], Scope(method, parameter);
Qualifier Plain : sint32, Scope(reference, association, indication, qualifier);
)");
    ASSERT_EQ(run.errors(), 0u) << run.allMessages();
    struct Case
    {
        const char* name;
        CIMType type;
        bool isArray;
        Uint32 arraySize;
        const char* scope;
        const char* flavor;
    } cases[] = {
        {"Flag", CIMTYPE_BOOLEAN, false, 0, "CLASS PROPERTY", "TRANSLATABLE DISABLEOVERRIDE RESTRICTED"},
        {"Names", CIMTYPE_STRING, true, 0,
         "CLASS ASSOCIATION INDICATION PROPERTY REFERENCE METHOD PARAMETER", "OVERRIDABLE TOSUBCLASS"},
        {"Fixed", CIMTYPE_UINT8, true, 3, "METHOD PARAMETER", "OVERRIDABLE TOSUBCLASS"},
        {"Plain", CIMTYPE_SINT32, false, 0, "ASSOCIATION INDICATION REFERENCE", "OVERRIDABLE TOSUBCLASS"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CIMQualifierDecl d = run.target.findQualifier("root/test", c.name);
        ASSERT_FALSE(d.isUninitialized());
        EXPECT_EQ(d.getType(), c.type);
        EXPECT_EQ(d.isArray(), c.isArray);
        EXPECT_EQ(d.getArraySize(), c.arraySize);
        EXPECT_EQ(str(d.getScope().toString()), c.scope);
        EXPECT_EQ(str(d.getFlavor().toString()), c.flavor);
    }
    EXPECT_TRUE(valueOf<Boolean>(run.target.findQualifier("root/test", "Flag").getValue()));
    Array<String> names = valueOf<Array<String>>(run.target.findQualifier("root/test", "Names").getValue());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(str(names[1]), "b");
    EXPECT_TRUE(run.target.findQualifier("root/test", "Plain").getValue().isNull());
}

TEST(MofGrammar, ClassWithEveryKindOfFeature)
{
    Compilation run;
    run.text(basicQualifiers());
    run.text(R"(
// line comment
/* block
   comment */
[Abstract, Description ("Base " "part" /* between pieces */ " joined")]
class T_Base
{
    [Key] string Id;
};

[Description ("Derived")]
class T_Thing : T_Base
{
    boolean B = TRUE;
    uint8 U8 = 0xFF;
    sint8 S8 = -128;
    uint16 U16 = 017;
    sint16 S16 = -1010b;
    uint32 U32 = 4294967295;
    sint32 S32 = -2147483648;
    uint64 U64 = 18446744073709551615;
    sint64 S64 = -9223372036854775808;
    real32 R32 = 1.5;
    real64 R64 = -2.5e-3;
    char16 C = 'x';
    string S = "tab\there";
    datetime When = "20240102030405.000000+000";
    datetime Span = "00000001020304.000000:000";
    string Nothing = NULL;
    [MaxLen (8)] string Tags[] = {"a", "b"};
    uint16 Fixed[3] = {1, 2, 3};
    T_Base REF Link;

    [Description ("Does it")]
    uint32 Run([In] string Name,
               [In (false), Out] uint32 Count[],
               [In] T_Base REF Target,
               [In, Out] T_Base REF Targets[]);
    boolean NoArgs();
};
)");
    ASSERT_EQ(run.errors(), 0u) << run.allMessages();

    CIMClass base = run.cls("T_Base");
    ASSERT_FALSE(base.isUninitialized());
    EXPECT_TRUE(base.isAbstract());
    Uint32 d = base.findQualifier("Description");
    ASSERT_NE(d, PEG_NOT_FOUND);
    EXPECT_EQ(str(valueOf<String>(base.getQualifier(d).getValue())), "Base part joined");
    // Flavor from the declaration when none is given.
    EXPECT_EQ(str(base.getQualifier(base.findQualifier("Abstract")).getFlavor().toString()),
              "OVERRIDABLE RESTRICTED");
    EXPECT_EQ(str(base.getProperty(0).getQualifier(0).getFlavor().toString()),
              "TOSUBCLASS DISABLEOVERRIDE");

    CIMClass c = run.cls("T_Thing");
    ASSERT_FALSE(c.isUninitialized());
    EXPECT_EQ(str(c.getSuperClassName().getString()), "T_Base");
    auto value = [&c](const char* name) { return c.getProperty(c.findProperty(name)).getValue(); };
    EXPECT_TRUE(valueOf<Boolean>(value("B")));
    EXPECT_EQ(valueOf<Uint8>(value("U8")), 255);
    EXPECT_EQ(valueOf<Sint8>(value("S8")), -128);
    EXPECT_EQ(valueOf<Uint16>(value("U16")), 15);
    EXPECT_EQ(valueOf<Sint16>(value("S16")), -10);
    EXPECT_EQ(valueOf<Uint32>(value("U32")), 4294967295u);
    EXPECT_EQ(valueOf<Sint32>(value("S32")), -2147483647 - 1);
    EXPECT_EQ(valueOf<Uint64>(value("U64")), UINT64_MAX);
    EXPECT_EQ(valueOf<Sint64>(value("S64")), INT64_MIN);
    EXPECT_FLOAT_EQ(valueOf<Real32>(value("R32")), 1.5f);
    EXPECT_DOUBLE_EQ(valueOf<Real64>(value("R64")), -2.5e-3);
    EXPECT_EQ(Uint16(valueOf<Char16>(value("C"))), u'x');
    EXPECT_EQ(str(valueOf<String>(value("S"))), "tab\there");
    EXPECT_FALSE(valueOf<CIMDateTime>(value("When")).isInterval());
    EXPECT_TRUE(valueOf<CIMDateTime>(value("Span")).isInterval());
    EXPECT_TRUE(value("Nothing").isNull());
    EXPECT_EQ(value("Nothing").getType(), CIMTYPE_STRING);
    EXPECT_EQ(valueOf<Array<String>>(value("Tags")).size(), 2u);
    EXPECT_EQ(c.getProperty(c.findProperty("Fixed")).getArraySize(), 3u);
    CIMConstProperty link = c.getProperty(c.findProperty("Link"));
    EXPECT_EQ(link.getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(str(link.getReferenceClassName().getString()), "T_Base");

    ASSERT_EQ(c.getMethodCount(), 2u);
    CIMConstMethod m = c.getMethod(c.findMethod("Run"));
    EXPECT_EQ(m.getType(), CIMTYPE_UINT32);
    ASSERT_EQ(m.getParameterCount(), 4u);
    EXPECT_EQ(m.getParameter(0).getType(), CIMTYPE_STRING);
    EXPECT_TRUE(m.getParameter(1).isArray());
    CIMConstQualifier in = m.getParameter(1).getQualifier(m.getParameter(1).findQualifier("In"));
    EXPECT_FALSE(valueOf<Boolean>(in.getValue()));
    EXPECT_EQ(m.getParameter(2).getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(str(m.getParameter(2).getReferenceClassName().getString()), "T_Base");
    EXPECT_TRUE(m.getParameter(3).isArray());
    EXPECT_EQ(m.getParameter(3).getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(c.getMethod(c.findMethod("NoArgs")).getParameterCount(), 0u);

    // Resolution: inherited key first, origin recorded.
    CIMClass full = run.resolved("T_Thing");
    EXPECT_EQ(str(full.getProperty(0).getName().getString()), "Id");
    EXPECT_EQ(str(full.getProperty(0).getClassOrigin().getString()), "T_Base");
    EXPECT_TRUE(full.hasKeys());
}

TEST(MofGrammar, AssociationsIndicationsAndFlavorOverrides)
{
    Compilation run;
    run.text(basicQualifiers());
    run.text(R"(
class T_A { [Key] string Id; };
[Association, Description ("link") : DisableOverride ToInstance]
class T_Assoc
{
    [Key, Max (1)] T_A REF Left;
    [Key] T_A REF Right;
};
[Indication, Abstract : ToSubclass]
class T_Event { string Message; };
)");
    ASSERT_EQ(run.errors(), 0u) << run.allMessages();
    CIMClass assoc = run.cls("T_Assoc");
    EXPECT_TRUE(assoc.isAssociation());
    CIMConstQualifier desc = assoc.getQualifier(assoc.findQualifier("Description"));
    EXPECT_EQ(str(desc.getFlavor().toString()), "TOSUBCLASS TOINSTANCE TRANSLATABLE DISABLEOVERRIDE");
    CIMClass event = run.cls("T_Event");
    EXPECT_NE(event.findQualifier("Indication"), PEG_NOT_FOUND);
    CIMConstQualifier abstract = event.getQualifier(event.findQualifier("Abstract"));
    EXPECT_EQ(str(abstract.getFlavor().toString()), "OVERRIDABLE TOSUBCLASS");
}

TEST(MofGrammar, InstancesAliasesAndReferences)
{
    Compilation run;
    run.text(basicQualifiers());
    run.text(R"(
class T_Node { [Key] string Name; uint32 Size; string Tags[]; datetime When; };
[Association] class T_Edge { [Key] T_Node REF From; [Key] T_Node REF To; };
instance of T_Node as $a { Name = "a"; Size = 1; Tags = {"x", "y"}; When = "20240102030405.000000+000"; };
instance of T_Node as $B { Name = "b\"q"; };
instance of T_Edge { From = $a; To = $b; };
instance of T_Edge { From = "T_Node.Name=\"a\""; To = "T_Node.Name=\"a\""; };
)");
    ASSERT_EQ(run.errors(), 0u) << run.allMessages();
    std::vector<CIMInstance> all = run.instances();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(str(all[0].getPath().toString()), "T_Node.Name=\"a\"");
    const CIMInstance& a = all[0];
    EXPECT_EQ(valueOf<Uint32>(a.getProperty(a.findProperty("Size")).getValue()), 1u);
    EXPECT_EQ(a.getPropertyCount(), 4u);
    // Only the properties given, carrying their class origin.
    EXPECT_EQ(all[1].getPropertyCount(), 1u);
    EXPECT_EQ(str(all[1].getProperty(0).getClassOrigin().getString()), "T_Node");
    const CIMInstance& edge = all[2];
    CIMObjectPath to = valueOf<CIMObjectPath>(edge.getProperty(edge.findProperty("To")).getValue());
    EXPECT_EQ(str(to.toString()), "T_Node.Name=\"b\\\"q\"");
    EXPECT_EQ(str(all[3].getPath().toString()),
              "T_Edge.From=\"T_Node.Name=\\\"a\\\"\",To=\"T_Node.Name=\\\"a\\\"\"");
}

TEST(MofGrammar, PragmasNamespaceAndUnknown)
{
    Compilation run;
    run.text(R"(
#pragma locale ("en_US")
#pragma namespace ("root/other")
Qualifier Key : boolean = false, Scope(property), Flavor(DisableOverride);
class T_Elsewhere { [Key] string Id; };
#pragma frobnicate ("x")
)");
    EXPECT_EQ(run.errors(), 0u) << run.allMessages();
    EXPECT_FALSE(run.target.localClass("root/other", "T_Elsewhere").isUninitialized());
    EXPECT_TRUE(run.cls("T_Elsewhere").isUninitialized());
    ASSERT_EQ(run.messages().size(), 1u);
    EXPECT_EQ(run.messages()[0], "Warning: unknown pragma frobnicate ignored (at test.mof:6)");
}

TEST(MofGrammar, ExistingClassAndInstanceAreWarnings)
{
    Compilation run;
    run.text(basicQualifiers());
    const char* mof = "class T_X { [Key] string Id; };\ninstance of T_X { Id = \"1\"; };\n";
    run.text(mof);
    run.text(mof);
    EXPECT_EQ(run.errors(), 0u) << run.allMessages();
    ASSERT_EQ(run.messages().size(), 2u);
    EXPECT_EQ(run.messages()[0], "Warning:  Class T_X already exists in the repository");
    EXPECT_EQ(run.messages()[1],
              "Warning: the instance already exists.\n"
              "In this implementation, that means it cannot be changed.");
    EXPECT_EQ(run.instances().size(), 1u);
}

TEST(MofGrammar, ClassUpdateOptions)
{
    struct Case
    {
        const char* second;
        bool update, allowE, allowV;
        const char* expectError;   // nullptr: modified without error
    } cases[] = {
        {"[Version (\"1.1.0\")] class T_U { string Id; string More; };", true, false, false, nullptr},
        {"[Version (\"2.0.0\")] class T_U { string Id; string More; };", true, false, false, "needs -aV"},
        {"[Version (\"2.0.0\")] class T_U { string Id; string More; };", true, false, true, nullptr},
        {"[Experimental, Version (\"1.0.0\")] class T_U { string More; };", true, false, false, "needs -aE"},
        {"[Experimental, Version (\"1.0.0\")] class T_U { string More; };", true, true, false, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.second);
        CompilerOptions options;
        options.loader.allowClassUpdate = c.update;
        options.loader.allowExperimental = c.allowE;
        options.loader.allowVersionChange = c.allowV;
        Compilation run(options);
        run.text(basicQualifiers());
        run.text("[Version (\"1.0.0\")] class T_U { string Id; };");
        run.text(c.second);
        if (c.expectError)
        {
            ASSERT_EQ(run.errors(), 1u) << run.allMessages();
            EXPECT_NE(run.messages()[0].find(c.expectError), std::string::npos) << run.allMessages();
            EXPECT_EQ(run.cls("T_U").findProperty("More"), PEG_NOT_FOUND);
        }
        else
        {
            EXPECT_EQ(run.errors(), 0u) << run.allMessages();
            EXPECT_NE(run.cls("T_U").findProperty("More"), PEG_NOT_FOUND);
        }
    }
}
