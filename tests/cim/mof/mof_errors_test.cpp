// Errors: every kind of syntax error names file, line and column; semantic
// errors name what is wrong; includes that are missing or cyclic; the
// compiler goes on and reports later errors, but writes nothing more.

#include "MofTestSupport.h"

#include <gtest/gtest.h>

using namespace moftest;

TEST(MofErrors, SyntaxErrorsNameFileLineColumnAndExpectation)
{
    struct Case
    {
        const char* mof;
        const char* message;
    } cases[] = {
        {"class T_A { string Id }; ",
         "Parsing error: test.mof:1: syntax error before '}' (column 23: expected ';')"},
        {"class T_A\n{\n  string Id;\n  uint32 X = ;\n};",
         "Parsing error: test.mof:4: syntax error before ';' (column 14: expected a value)"},
        {"classy T_A {};",
         "Parsing error: test.mof:1: syntax error before 'classy' (column 1: expected a class, "
         "instance or qualifier declaration, or #pragma)"},
        {"class T_A : { };",
         "Parsing error: test.mof:1: syntax error before '{' (column 13: expected a superclass name)"},
        {"[Key class T_A {};",
         "Parsing error: test.mof:1: syntax error before 'class' (column 6: expected ']')"},
        {"class T_A { foo Bar; };",
         "Parsing error: test.mof:1: syntax error before 'foo' (column 13: expected a property or "
         "method declaration (a data type, or a class name and REF))"},
        {"Qualifier Q : boolean, Scope(everywhere);",
         "Parsing error: test.mof:1: syntax error before 'everywhere' (column 30: expected a scope "
         "(Class, Association, Indication, Property, Reference, Method, Parameter, Any))"},
        {"Qualifier Q : blob, Scope(any);",
         "Parsing error: test.mof:1: syntax error before 'blob' (column 15: expected a data type)"},
        {"instance T_A { };",
         "Parsing error: test.mof:1: syntax error before 'T_A' (column 10: expected 'of')"},
        {"class T_A { string Id[0]; };",
         "Parsing error: test.mof:1: syntax error before '0' (column 23: expected a positive array size)"},
        {"class T_A { string Id; }",
         "Parsing error: test.mof:1: syntax error before '<end of file>' (column 25: expected ';')"},
        {"class T_A { string S = \"open; };",
         "Parsing error: test.mof:1: unterminated string (column 24)"},
        {"class T_A { /* open",
         "Parsing error: test.mof:1: unterminated comment (column 13)"},
        {"class T_A { string S = \"\\z\"; };",
         "Parsing error: test.mof:1: invalid escape sequence '\\z' (column 24)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mof);
        Compilation run;
        run.text(c.mof);
        ASSERT_GE(run.errors(), 1u);
        EXPECT_EQ(run.messages()[0], c.message);
    }
}

TEST(MofErrors, SemanticErrors)
{
    struct Case
    {
        const char* mof;
        const char* message;
    } cases[] = {
        {"[Nonesuch] class T_A { };",
         "Parsing error: parse error: Could not find declaration for Qualifier named Nonesuch "
         "(at test.mof:1:2)"},
        {"class T_A { [Abstract] string Id; };",
         "Parsing error: parse error: Qualifier Abstract is not allowed on a property (its declared "
         "scope is CLASS ASSOCIATION INDICATION) (at test.mof:1:14)"},
        {"class T_A { [MaxLen (\"ten\")] string Id; };",
         "Parsing error: parse error: Invalid value for qualifier MaxLen: a string value is not valid "
         "for type uint32 (at test.mof:1:22)"},
        {"class T_A { uint8 X = 256; };",
         "Parsing error: parse error: Invalid default value for property X: value 256 is out of "
         "range for type uint8 (at test.mof:1:23)"},
        {"class T_A { uint8 X = -1; };",
         "Parsing error: parse error: Invalid default value for property X: value -1 is out of "
         "range for type uint8 (at test.mof:1:23)"},
        {"class T_A { datetime D = \"2024\"; };",
         "Parsing error: parse error: Invalid default value for property D: invalid datetime value "
         "\"2024\": invalid datetime format (at test.mof:1:26)"},
        {"class T_A { string S[] = \"x\"; };",
         "Parsing error: parse error: Invalid default value for property S: an array value is "
         "needed for type string[] (at test.mof:1:26)"},
        {"class T_A { string S; uint8 s; };",
         "Parsing error: parse error: Property s is declared twice (at test.mof:1:23)"},
        {"class T_A { [Key] string Id; };\ninstance of T_A { Nope = 1; };",
         "Parsing error: parse error: Property Nope is not a property of class T_A (at test.mof:2:19)"},
        {"instance of T_None { Id = 1; };",
         "Parsing error: parse error: Class T_None of an instance declaration does not exist "
         "(at test.mof:1:1)"},
        {"class T_B : T_Missing { };",
         "Parsing error: parse error: Error adding class T_B to the repository: "
         "CIM_ERR_INVALID_SUPERCLASS: T_Missing (at test.mof:1:1)"},
        {"class T_A { [Key] T_A REF R; };\ninstance of T_A { R = $nowhere; };",
         "Parsing error: parse error: Invalid value for property R: undefined alias $nowhere "
         "(at test.mof:2:23)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mof);
        Compilation run;
        run.text(basicQualifiers());
        run.text(c.mof);
        ASSERT_EQ(run.errors(), 1u) << run.allMessages();
        EXPECT_EQ(run.messages()[0], c.message);
    }
}

TEST(MofErrors, ReportsLaterErrorsButWritesNothingAfterTheFirst)
{
    Compilation run;
    run.text(basicQualifiers());
    run.text("class T_Ok1 { };\n"
             "class T_Bad { string X }\n;"
             "class T_Ok2 { };\n"
             "class T_Bad2 { uint32 Y = \"s\"; };\n"
             "class T_Ok3 { };\n");
    EXPECT_EQ(run.errors(), 2u) << run.allMessages();
    EXPECT_FALSE(run.cls("T_Ok1").isUninitialized());
    EXPECT_TRUE(run.cls("T_Ok2").isUninitialized());
    EXPECT_TRUE(run.cls("T_Ok3").isUninitialized());
}

TEST(MofErrors, StopsAfterTooManyErrors)
{
    Compilation run;
    std::string mof;
    for (int i = 0; i < 100; ++i)
        mof += "class ;\n";
    run.text(mof);
    EXPECT_EQ(run.errors(), 20u);
    EXPECT_EQ(run.messages().back(), "Too many errors; compilation stopped.");
}

TEST(MofErrors, IncludesRelativeToFileThenIncludeDirs)
{
    TempDir dir;
    dir.write("quals/q.mof", basicQualifiers());
    dir.write("top/sub/a.mof", "#pragma include (\"b.mof\")\nclass T_A : T_B { };\n");
    dir.write("top/sub/b.mof", "class T_B { [Key] string Id; };\n");
    std::string top = dir.write("top/main.mof",
                                "#pragma include (\"q.mof\")\n"
                                "#pragma include (\"sub/a.mof\")\n"
                                "#pragma include (\"missing.mof\")\n"
                                "class T_C : T_A { };\n");
    CompilerOptions options;
    options.includeDirs.push_back(dir.path() + "/nowhere");
    options.includeDirs.push_back(dir.path() + "/quals");
    Compilation run(options);
    ASSERT_TRUE(run.compiler->compileFile(top));
    EXPECT_EQ(run.errors(), 0u) << run.allMessages();
    ASSERT_EQ(run.messages().size(), 1u);
    EXPECT_EQ(run.messages()[0], "Could not open include file missing.mof");
    std::vector<CIMName> names = run.target.classNames("root/test");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(str(names[0].getString()), "T_B");
    EXPECT_EQ(str(names[2].getString()), "T_C");
}

TEST(MofErrors, IncludeCyclesAreErrorsNotHangs)
{
    TempDir dir;
    std::string a = dir.write("a.mof", "#pragma include (\"b.mof\")\n");
    dir.write("b.mof", "\n  #pragma include (\"a.mof\")\n");
    std::string self = dir.write("self.mof", "#pragma include (\"./self.mof\")\n");
    {
        Compilation run;
        ASSERT_TRUE(run.compiler->compileFile(a));
        ASSERT_EQ(run.errors(), 1u) << run.allMessages();
        EXPECT_EQ(run.messages()[0], "Parsing error: " + dir.path()
                                         + "/b.mof:2: include cycle: a.mof is already being "
                                           "compiled (column 3)");
    }
    {
        Compilation run;
        ASSERT_TRUE(run.compiler->compileFile(self));
        EXPECT_EQ(run.errors(), 1u) << run.allMessages();
    }
}

TEST(MofErrors, IncludeDepthAndUnreadableFilesAreBounded)
{
    TempDir dir;
    for (int i = 0; i < 40; ++i)
        dir.write("n" + std::to_string(i) + ".mof",
                  "#pragma include (\"n" + std::to_string(i + 1) + ".mof\")\n");
    CompilerOptions options;
    options.maxIncludeDepth = 8;
    Compilation run(options);
    ASSERT_TRUE(run.compiler->compileFile(dir.path() + "/n0.mof"));
    ASSERT_EQ(run.errors(), 1u) << run.allMessages();
    EXPECT_NE(run.messages()[0].find("includes nested more than 8 deep"), std::string::npos);

    Compilation missing;
    EXPECT_FALSE(missing.compiler->compileFile(dir.path() + "/absent.mof"));
    EXPECT_FALSE(missing.compiler->compileFile(dir.path()));   // a directory

    CompilerOptions small;
    small.maxFileSize = 10;
    Compilation tooBig(small);
    EXPECT_FALSE(tooBig.compiler->compileFile(dir.path() + "/n0.mof"));
}
