#include <gtest/gtest.h>

#include "CimconfigCommandLine.h"
#include "CimconfigCommands.h"

using namespace Pegasus;

namespace {

typedef CimconfigRequest R;

struct GoodCase
{
    std::vector<std::string> args;
    R::Operation operation;
    const char* name;
    const char* value;
    bool current, planned, defaultValue;
    uint32_t timeout;
};

TEST(CimconfigCommandLineTest, AcceptedForms)
{
    const GoodCase cases[] = {
        {{"-g", "httpPort"}, R::Get, "httpPort", "", true, false, false, 20},
        {{"-g", "p", "-c", "-p", "-d"}, R::Get, "p", "", true, true, true, 20},
        {{"-g", "p", "-d"}, R::Get, "p", "", false, false, true, 20},
        {{"-s", "providerDir=provider/a:provider/b:"}, R::Set, "providerDir",
         "provider/a:provider/b:", true, false, false, 20},
        {{"-s", "providerDir="}, R::Set, "providerDir", "", true, false,
         false, 20},
        {{"-s", "x=a=b", "-p", "-t", "5"}, R::Set, "x", "a=b", false, true,
         false, 5},
        {{"-c", "-p", "-s", "x=1"}, R::Set, "x", "1", true, true, false, 20},
        {{"-u", "traceLevel"}, R::Unset, "traceLevel", "", true, false, false,
         20},
        {{"-u", "t", "-p"}, R::Unset, "t", "", false, true, false, 20},
        {{"-l"}, R::List, "", "", false, false, false, 20},
        {{"-l", "-p"}, R::List, "", "", false, true, false, 20},
        {{"-H", "All"}, R::PropertyHelp, "All", "", false, false, false, 20},
        {{"-h"}, R::Usage, "", "", false, false, false, 20},
        {{"--help"}, R::Usage, "", "", false, false, false, 20},
        {{"--version"}, R::Version, "", "", false, false, false, 20},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        R r = parseCimconfigCommandLine(c.args);
        EXPECT_EQ(r.operation, c.operation);
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.value, c.value);
        EXPECT_EQ(r.current, c.current);
        EXPECT_EQ(r.planned, c.planned);
        EXPECT_EQ(r.defaultValue, c.defaultValue);
        EXPECT_EQ(r.timeoutSeconds, c.timeout);
    }
}

TEST(CimconfigCommandLineTest, UsageProblems)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "Required arguments missing."},
        {{"-c"}, "Required arguments missing."},
        {{"-x"}, "Unknown flag -x"},
        {{"-g", "p", "--bogus"}, "Unknown flag --bogus"},
        {{"-g"}, "Missing required value for flag g"},
        {{"-g", "-c"}, "Missing required value for flag g"},
        {{"-s", "x=1", "-d"}, "option \"-d\" is not valid for this command"},
        {{"-l", "-d"}, "option \"-d\" is not valid for this command"},
        {{"-g", "p", "-t", "5"}, "option \"-t\" is not valid for this command"},
        {{"-s", "foo"}, "argument \"foo\" is not valid for option \"-s\""},
        {{"-s", "=1"}, "argument \"=1\" is not valid for option \"-s\""},
        {{"-s", "x=1", "-t", "abc"},
         "argument \"abc\" is not valid for option \"-t\""},
        {{"-g", "a", "-g", "b"}, "duplicate \"-g\" option"},
        {{"-g", "a", "-c", "-c"}, "duplicate \"-c\" option"},
        {{"-g", "a", "-l"}, "option \"-l\" was unexpected"},
        {{"-l", "-s", "a=1"}, "option \"-s\" was unexpected"},
        {{"-l", "-c", "-p"}, "option \"-p\" is not valid for this command"},
        {{"-H", "All", "-c"}, "option \"-c\" is not valid for this command"},
    };
    for (const auto& c : cases)
    {
        try
        {
            parseCimconfigCommandLine(c.first);
            ADD_FAILURE() << "accepted " << ::testing::PrintToString(c.first);
        }
        catch (const CimconfigUsageError& e)
        {
            EXPECT_STREQ(e.what(), c.second)
                << ::testing::PrintToString(c.first);
        }
    }
}

TEST(CimconfigCommandLineTest, PropertyHelp)
{
    EXPECT_EQ(propertyHelpText("httpPort").find("httpPort (Static,Default:)\n"),
              0u);
    EXPECT_EQ(propertyHelpText("traceLevel").find(
                  "traceLevel (Dynamic,Default:0)\n    "),
              0u);
    EXPECT_EQ(propertyHelpText("nosuch"), "");
}

}  // namespace
