#include <gtest/gtest.h>

#include "ConfigFile.h"
#include "FailingSystemCalls.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

TEST(ConfigFileTest, ParsesCommentsBlanksAndSpacing)
{
    ConfigEntries entries = parseConfigText(
        "# header\n"
        "\n"
        "   # indented comment\n"
        "httpPort=5988\n"
        "traceLevel = 3\n"
        "  _x1\t=\tvalue with  spaces  \n"
        "empty=\n"
        "httpPort=1234\n"
        "last=no newline",
        "f");
    ConfigEntries expected = {{"httpPort", "5988"},
                              {"traceLevel", "3"},
                              {"_x1", "value with  spaces  "},
                              {"empty", ""},
                              {"last", "no newline"}};
    EXPECT_EQ(entries, expected);
}

TEST(ConfigFileTest, SyntaxErrorsNameFileAndLine)
{
    struct
    {
        const char* text;
        int line;
    } cases[] = {
        {"novalue\n", 1},
        {"a=1\n\n1abc=2\n", 3},
        {"a=1\n-x=2\n", 2},
        {"a b=1\n", 1},
        {"=1\n", 1},
        {"# c\nname:value\n", 2},
    };
    for (const auto& c : cases)
    {
        try
        {
            parseConfigText(c.text, "/h/cimserver_planned.conf");
            ADD_FAILURE() << "no error for: " << c.text;
        }
        catch (const ConfigFileError& e)
        {
            EXPECT_EQ(std::string(e.what()),
                      "Syntax error in configuration file: "
                      "/h/cimserver_planned.conf(" +
                          std::to_string(c.line) + ")");
        }
    }
}

TEST(ConfigFileTest, WriteThenReadRoundTrips)
{
    TempHome home;
    const std::string path = home.file("cimserver_planned.conf");
    ConfigEntries entries = {{"providerDir", "provider/a:provider/b:"},
                             {"traceLevel", "4"},
                             {"hostname", ""}};
    writeConfigFile(SystemCalls::real(), path, entries);

    EXPECT_EQ(home.mode("cimserver_planned.conf"), 0644u);
    const std::string text = home.read("cimserver_planned.conf");
    EXPECT_EQ(text[0], '#');
    EXPECT_NE(text.find("\n\nproviderDir=provider/a:provider/b:\n"),
              std::string::npos);

    ConfigEntries read;
    EXPECT_TRUE(readConfigFile(SystemCalls::real(), path, read));
    EXPECT_EQ(read, entries);
}

TEST(ConfigFileTest, MissingFileReadsAsEmpty)
{
    TempHome home;
    ConfigEntries read = {{"stale", "x"}};
    EXPECT_FALSE(readConfigFile(SystemCalls::real(), home.file("none.conf"),
                                read));
    EXPECT_TRUE(read.empty());
}

TEST(ConfigFileTest, BakIsTransientAndStaleOnesAreRemoved)
{
    TempHome home;
    const std::string path = home.file("c.conf");
    writeConfigFile(SystemCalls::real(), path, {{"a", "1"}});
    writeConfigFile(SystemCalls::real(), path, {{"a", "2"}});
    EXPECT_FALSE(home.exists("c.conf.bak"));
    EXPECT_FALSE(home.exists("c.conf.tmp"));

    // A .bak left by an interrupted save goes with the next load.
    home.write("c.conf.bak", "a=0\n");
    ConfigEntries read;
    readConfigFile(SystemCalls::real(), path, read);
    EXPECT_EQ(read, (ConfigEntries{{"a", "2"}}));
    EXPECT_FALSE(home.exists("c.conf.bak"));
}

TEST(ConfigFileTest, InterruptedSaveIsRecoveredFromBak)
{
    TempHome home;
    home.write("c.conf.bak", "a=old\n");
    ConfigEntries read;
    EXPECT_TRUE(readConfigFile(SystemCalls::real(), home.file("c.conf"), read));
    EXPECT_EQ(read, (ConfigEntries{{"a", "old"}}));
    EXPECT_TRUE(home.exists("c.conf"));
    EXPECT_FALSE(home.exists("c.conf.bak"));
}

struct FailureCase
{
    const char* call;
    int nth;
};

class ConfigFileFailureTest : public ::testing::TestWithParam<FailureCase>
{
};

// Whatever step of a save fails, the error is reported and the old contents
// are still what a reader gets.
TEST_P(ConfigFileFailureTest, FailedSaveKeepsOldContents)
{
    TempHome home;
    const std::string path = home.file("c.conf");
    writeConfigFile(SystemCalls::real(), path, {{"a", "old"}});

    FailingSystemCalls sys;
    sys.failOn(GetParam().call, GetParam().nth, EIO);
    EXPECT_THROW(writeConfigFile(sys, path, {{"a", "new"}}), ConfigFileError);

    ConfigEntries read;
    ASSERT_TRUE(readConfigFile(SystemCalls::real(), path, read));
    EXPECT_EQ(read, (ConfigEntries{{"a", "old"}}));
    EXPECT_FALSE(home.exists("c.conf.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Steps, ConfigFileFailureTest,
                         // open 1 reads the file to compare (a failure
                         // there only means "changed"); open 2 creates the
                         // temporary file.
                         ::testing::Values(FailureCase{"open", 2},
                                           FailureCase{"write", 1},
                                           FailureCase{"fsync", 1},
                                           FailureCase{"rename", 1},
                                           FailureCase{"rename", 2}));

// Saving what the file already holds touches nothing (no write, no fsync):
// a server restarted with the same values starts without a disk sync.
TEST(ConfigFileTest, SavingUnchangedContentsWritesNothing)
{
    TempHome home;
    const std::string path = home.file("c.conf");
    writeConfigFile(SystemCalls::real(), path, {{"a", "1"}, {"b", "2"}});

    FailingSystemCalls sys;
    sys.failOn("write", 0, EIO);  // every write through sys fails
    EXPECT_NO_THROW(writeConfigFile(sys, path, {{"a", "1"}, {"b", "2"}}));
    // A prefix of the old contents is a change, and so is a longer file.
    EXPECT_THROW(writeConfigFile(sys, path, {{"a", "1"}}), ConfigFileError);
    EXPECT_THROW(writeConfigFile(sys, path, {{"a", "1"}, {"b", "2"}, {"c", "3"}}),
                 ConfigFileError);

    ConfigEntries read;
    ASSERT_TRUE(readConfigFile(SystemCalls::real(), path, read));
    EXPECT_EQ(read, (ConfigEntries{{"a", "1"}, {"b", "2"}}));
}

TEST(ConfigFileTest, ReadErrorsNameThePath)
{
    TempHome home;
    home.write("c.conf", "a=1\n");
    FailingSystemCalls sys;
    sys.failOn("open", 1, EACCES);
    ConfigEntries read;
    try
    {
        readConfigFile(sys, home.file("c.conf"), read);
        FAIL() << "no error";
    }
    catch (const ConfigFileError& e)
    {
        EXPECT_NE(std::string(e.what()).find(home.file("c.conf")),
                  std::string::npos);
        EXPECT_NE(std::string(e.what()).find("Permission denied"),
                  std::string::npos);
    }
}

TEST(ConfigFileTest, RemoveTakesBakAlongAndToleratesAbsence)
{
    TempHome home;
    home.write("c.conf", "a=1\n");
    home.write("c.conf.bak", "a=0\n");
    removeConfigFile(SystemCalls::real(), home.file("c.conf"));
    EXPECT_FALSE(home.exists("c.conf"));
    EXPECT_FALSE(home.exists("c.conf.bak"));
    EXPECT_NO_THROW(removeConfigFile(SystemCalls::real(), home.file("c.conf")));
}

}  // namespace
