#include <gtest/gtest.h>

#include <cstring>

#include "ConfigProperties.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

struct ValueCase
{
    const char* property;
    const char* value;
    bool valid;
};

class ConfigValueTest : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(ConfigValueTest, AcceptsOnlyValidValues)
{
    const ValueCase& c = GetParam();
    const ConfigPropertyInfo* info = findConfigProperty(c.property);
    ASSERT_NE(info, nullptr) << c.property;
    std::string reason;
    EXPECT_EQ(checkConfigValue(*info, c.value, "/nonexistent-home", reason),
              c.valid)
        << c.property << "=" << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ConfigValueTest,
    ::testing::Values(
        ValueCase{"daemon", "true", true},
        ValueCase{"daemon", "FALSE", true},
        ValueCase{"daemon", "TrUe", true},
        ValueCase{"daemon", "yes", false},
        ValueCase{"daemon", "", false},
        ValueCase{"httpPort", "", true},
        ValueCase{"httpPort", "1", true},
        ValueCase{"httpPort", "65535", true},
        ValueCase{"httpPort", "65536", false},
        ValueCase{"httpPort", "0", false},
        ValueCase{"httpPort", "05988", false},
        ValueCase{"httpPort", "59 88", false},
        ValueCase{"httpPort", "-1", false},
        ValueCase{"shutdownTimeout", "0", true},
        ValueCase{"shutdownTimeout", "4294967295", true},
        ValueCase{"shutdownTimeout", "4294967296", false},
        ValueCase{"shutdownTimeout", "010", false},
        ValueCase{"shutdownTimeout", "", false},
        ValueCase{"maxContentLength", "1", true},
        ValueCase{"maxContentLength", "0", false},
        ValueCase{"traceLevel", "0", true},
        ValueCase{"traceLevel", "5", true},
        ValueCase{"traceLevel", "6", false},
        ValueCase{"traceLevel", "abc", false},
        ValueCase{"traceLevel", "00", false},
        ValueCase{"logLevel", "warning", true},
        ValueCase{"logLevel", "DEBUG", false},
        ValueCase{"listenAddress", "All", true},
        ValueCase{"listenAddress", "127.0.0.1", true},
        ValueCase{"listenAddress", "127.0.0.1,::1", true},
        ValueCase{"listenAddress", "127.0.0.1,", false},
        ValueCase{"listenAddress", "localhost", false},
        ValueCase{"listenAddress", "", false},
        ValueCase{"repositoryDir", "", false},
        ValueCase{"repositoryDir", "repo", true},
        ValueCase{"traceComponents", "", true},
        ValueCase{"traceComponents", "a\nb", false},
        ValueCase{"startFile", "", true},
        ValueCase{"enableHttpsConnection", "false", true},
        ValueCase{"enableHttpsConnection", "true", false},
        ValueCase{"enableAuthentication", "TRUE", true},
        ValueCase{"enableAuthentication", "yes", false},
        ValueCase{"pamConfigDir", "", true},
        ValueCase{"pamConfigDir", "/etc/pam.d", true},
        ValueCase{"enableAuthentication", "false", true}));

TEST(ConfigPropertiesTest, RefusedValuesSayWhy)
{
    std::string reason;
    const ConfigPropertyInfo* https = findConfigProperty("enableHttpsConnection");
    ASSERT_NE(https, nullptr);
    EXPECT_FALSE(checkConfigValue(*https, "true", ".", reason));
    EXPECT_NE(reason.find("HTTPS"), std::string::npos);
    EXPECT_EQ(invalidValueMessage("enableHttpsConnection", "true", reason),
              "Invalid property value: enableHttpsConnection=true (" +
                  reason + ")");

    // A value that is simply malformed gets the plain message.
    EXPECT_FALSE(checkConfigValue(*https, "maybe", ".", reason));
    EXPECT_EQ(reason, "");
    EXPECT_EQ(invalidValueMessage("traceLevel", "abc", ""),
              "Invalid property value: traceLevel=abc");
}

TEST(ConfigPropertiesTest, DefaultsOfTheLaunchSettings)
{
    struct
    {
        const char* name;
        const char* value;
        bool dynamic;
    } expected[] = {
        {"httpPort", "", false},
        {"enableHttpsConnection", "false", false},
        {"enableAuthentication", "false", false},
        {"listenAddress", "127.0.0.1", false},
        {"repositoryDir", "repository", false},
        {"providerDir", "lib", true},
        {"shutdownTimeout", "30", true},
        {"traceLevel", "0", true},
        {"daemon", "true", false},
        {"startFile", "/var/tmp/cimserverqrv_tc_wexlo_start.conf", false},
    };
    for (const auto& e : expected)
    {
        const ConfigPropertyInfo* info = findConfigProperty(e.name);
        ASSERT_NE(info, nullptr) << e.name;
        EXPECT_STREQ(info->defaultValue, e.value) << e.name;
        EXPECT_EQ(info->dynamic, e.dynamic) << e.name;
    }
}

TEST(ConfigPropertiesTest, TableIsSortedAndNamesAreCaseSensitive)
{
    const auto& all = configProperties();
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_LT(std::strcmp(all[i - 1].name, all[i].name), 0)
            << all[i].name;
    for (const auto& p : all)
        EXPECT_EQ(findConfigProperty(p.name), &p);
    EXPECT_EQ(findConfigProperty("httpport"), nullptr);
    EXPECT_EQ(findConfigProperty(""), nullptr);
    EXPECT_EQ(findConfigProperty("zzz"), nullptr);
}

TEST(ConfigPropertiesTest, EveryDefaultExceptDirectoriesIsValid)
{
    for (const auto& p : configProperties())
    {
        if (p.kind == ConfigValueKind::DirectoryList)
            continue;
        std::string reason;
        EXPECT_TRUE(checkConfigValue(p, p.defaultValue, ".", reason))
            << p.name;
    }
}

TEST(ConfigPropertiesTest, ProviderDirEntriesMustBeDirectoriesBelowHome)
{
    TempHome home;
    home.mkdir("provider");
    home.mkdir("provider/a");
    home.mkdir("provider/b");
    home.write("plain", "x");
    const ConfigPropertyInfo* info = findConfigProperty("providerDir");
    ASSERT_NE(info, nullptr);
    std::string reason;
    // The plug-in's form: relative entries with a colon after each.
    EXPECT_TRUE(checkConfigValue(*info, "provider/a:provider/b:", home.path(),
                                 reason));
    EXPECT_TRUE(checkConfigValue(*info, "", home.path(), reason));
    EXPECT_TRUE(checkConfigValue(*info, home.file("provider"), home.path(),
                                 reason));
    EXPECT_FALSE(checkConfigValue(*info, "provider/a:provider/c", home.path(),
                                  reason));
    EXPECT_FALSE(checkConfigValue(*info, "plain", home.path(), reason));
}

TEST(ConfigPropertiesTest, SplitDirectoryListResolvesAndSkipsEmptyEntries)
{
    EXPECT_EQ(splitDirectoryList("/h", "provider/a:provider/b:"),
              (std::vector<std::string>{"/h/provider/a", "/h/provider/b"}));
    EXPECT_EQ(splitDirectoryList("/h/", "::/abs::rel"),
              (std::vector<std::string>{"/abs", "/h/rel"}));
    EXPECT_TRUE(splitDirectoryList("/h", "").empty());
    EXPECT_TRUE(splitDirectoryList("/h", ":").empty());
    EXPECT_EQ(resolveAgainstHome("", "lib"), "./lib");
}

}  // namespace
