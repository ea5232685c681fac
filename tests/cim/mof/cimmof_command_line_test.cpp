// The cimmof command line: options, and the exact usage-error texts.

#include "CimmofCommandLine.h"

#include <gtest/gtest.h>

using namespace Pegasus::Mof;

namespace {

bool parse(std::vector<const char*> args, CimmofOptions& options, std::vector<std::string>& errors)
{
    args.insert(args.begin(), "cimmof");
    return parseCimmofCommandLine(static_cast<int>(args.size()), args.data(), options, errors);
}

}  // namespace

TEST(CimmofCommandLine, PluginInvocationAndOtherForms)
{
    CimmofOptions o;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse({"-n", "root/PG_InterOp", "-aE", "/x/reg.mof"}, o, errors));
    EXPECT_EQ(o.nameSpace, "root/PG_InterOp");
    EXPECT_TRUE(o.allowExperimental);
    EXPECT_FALSE(o.allowVersionChange);
    EXPECT_FALSE(o.allowClassUpdate);
    ASSERT_EQ(o.files.size(), 1u);
    EXPECT_EQ(o.files[0], "/x/reg.mof");

    CimmofOptions p;
    ASSERT_TRUE(parse({"-w", "-E", "-uc", "-aEV", "-I", "d1", "-Id2", "--namespace", "root/x",
                       "--xml", "--trace", "a.mof", "b.mof"}, p, errors));
    EXPECT_TRUE(p.suppressWarnings && p.checkOnly && p.allowClassUpdate && p.xml && p.trace);
    EXPECT_TRUE(p.allowExperimental && p.allowVersionChange);
    EXPECT_EQ(p.includeDirs, (std::vector<std::string>{"d1", "d2"}));
    EXPECT_EQ(p.nameSpace, "root/x");
    EXPECT_EQ(p.files, (std::vector<std::string>{"a.mof", "b.mof"}));
    EXPECT_TRUE(p.traceFile.empty());

    CimmofOptions q;
    ASSERT_TRUE(parse({"--trace=t.log"}, q, errors));
    EXPECT_EQ(q.traceFile, "t.log");
    EXPECT_EQ(q.nameSpace, "root/cimv2");
    EXPECT_TRUE(q.files.empty());

    CimmofOptions h, v;
    ASSERT_TRUE(parse({"-h"}, h, errors));
    EXPECT_TRUE(h.help);
    ASSERT_TRUE(parse({"--version"}, v, errors));
    EXPECT_TRUE(v.version);
}

TEST(CimmofCommandLine, UsageErrors)
{
    struct Case
    {
        std::vector<const char*> args;
        std::vector<std::string> lines;
    } cases[] = {
        {{"-R", "x.mof"},
         {"cimmof: Command line errors:", "> Unknown flag -R",
          "cimmof: Use '--help' to obtain command syntax."}},
        {{"-aX", "x.mof"},
         {"cimmof: Unknown value specified for option -a.",
          "cimmof: Use '--help' to obtain command syntax."}},
        {{"-aEVE"},
         {"cimmof: Unknown value specified for option -a.",
          "cimmof: Use '--help' to obtain command syntax."}},
    };
    for (const Case& c : cases)
    {
        CimmofOptions o;
        std::vector<std::string> errors;
        EXPECT_FALSE(parse(c.args, o, errors));
        EXPECT_EQ(errors, c.lines);
    }
    CimmofOptions o;
    std::vector<std::string> errors;
    EXPECT_FALSE(parse({"-n"}, o, errors));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "cimmof: Command line errors:");
}
