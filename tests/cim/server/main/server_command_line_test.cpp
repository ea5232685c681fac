#include <gtest/gtest.h>

#include "ServerCommandLine.h"

using namespace Pegasus;

namespace {

ServerCommandLine parse(std::vector<std::string> args)
{
    return parseServerCommandLine(args);
}

std::string errorOf(std::vector<std::string> args)
{
    try
    {
        parseServerCommandLine(args);
    }
    catch (const ServerCommandLineError& e)
    {
        return e.what();
    }
    return "(no error)";
}

TEST(ServerCommandLineTest, PropertiesAndHome)
{
    using Properties = std::vector<std::pair<std::string, std::string> >;
    // The plug-in's start line.
    ServerCommandLine line = parse({"httpPort=5988",
                                    "enableHttpsConnection=false",
                                    "enableAuthentication=false"});
    EXPECT_EQ(line.action, ServerCommandLine::Start);
    EXPECT_FALSE(line.homeGiven);
    EXPECT_EQ(line.properties, (Properties{{"httpPort", "5988"},
                                           {"enableHttpsConnection", "false"},
                                           {"enableAuthentication", "false"}}));

    line = parse({"-D", "/opt/home", "traceLevel=1"});
    EXPECT_TRUE(line.homeGiven);
    EXPECT_EQ(line.home, "/opt/home");
    EXPECT_EQ(line.properties, (Properties{{"traceLevel", "1"}}));

    // A value may hold '=' and may be empty.
    EXPECT_EQ(parse({"providerDir=", "hostname=a=b"}).properties,
              (Properties{{"providerDir", ""}, {"hostname", "a=b"}}));
}

TEST(ServerCommandLineTest, Actions)
{
    struct
    {
        std::vector<std::string> args;
        ServerCommandLine::Action action;
    } cases[] = {
        {{}, ServerCommandLine::Start},
        {{"-s"}, ServerCommandLine::Stop},
        {{"--status"}, ServerCommandLine::Status},
        {{"-v"}, ServerCommandLine::Version},
        {{"--version"}, ServerCommandLine::Version},
        {{"-h"}, ServerCommandLine::Help},
        {{"--help"}, ServerCommandLine::Help},
        {{"-D", "/x", "-s"}, ServerCommandLine::Stop},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse(c.args).action, c.action) << ::testing::PrintToString(c.args);
}

TEST(ServerCommandLineTest, Errors)
{
    EXPECT_EQ(errorOf({"-x"}),
              "cimserver not started: Unrecognized command line option. ");
    EXPECT_EQ(errorOf({"httpPort=1", "--bogus"}),
              "cimserver not started: Unrecognized command line option. ");
    EXPECT_EQ(errorOf({"-s", "-s"}), "Duplicate shutdown option specified.");
    EXPECT_EQ(errorOf({"justaword"}),
              "cimserver not started: Unrecognized config property: "
              "justaword");
    EXPECT_EQ(errorOf({"=5"}),
              "cimserver not started: Unrecognized config property: =5");
}

TEST(ServerCommandLineTest, HelpTextShape)
{
    const std::string help = serverHelpText();
    EXPECT_EQ(help.find("\nCIM Server 2.14.4\n\n"), 0u);
    EXPECT_NE(help.find("Usage: cimserver"), std::string::npos);
    EXPECT_STREQ(kServerVersion, "2.14.4");
}

}  // namespace
