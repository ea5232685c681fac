#include "TConfig.h"

#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "TKTAException.h"

using NQRVKTA20::TConfig;
using NQRVKTA20::TKTAException;

namespace {

class ConfigFile {
public:
    explicit ConfigFile(const std::string& content)
    {
        char name[] = "/tmp/kta-config-XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        fPath = name;
        std::ofstream(fPath, std::ios::binary) << content;
    }
    ~ConfigFile() { unlink(fPath.c_str()); }
    const std::string& Path() const { return fPath; }

private:
    std::string fPath;
};

} // namespace

TEST(ConfigLoad, FileSyntax)
{
    ConfigFile file(
        "# leading comment\n"
        "\n"
        "pegasus_multi_thread=on\n"
        "  spaced key  =  spaced value  \n"
        "\tsingle_thread_pegasus_group = a,b\t\n"
        "   # indented comment = not a setting\n"
        "equals=a=b=c\n"
        "empty=\n"
        "crlf=value\r\n"
        "dup=first\n"
        "dup=second\n"
        "no equals sign here\n"
        " = no key\n"
        "last=no newline at end");
    TConfig config;
    config.Load(file.Path());
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"pegasus_multi_thread", "on"},
        {"spaced key", "spaced value"},
        {"single_thread_pegasus_group", "a,b"},
        {"equals", "a=b=c"},
        {"empty", ""},
        {"crlf", "value"},
        {"dup", "second"},
        {"last", "no newline at end"},
        {"# indented comment", ""},
        {"no equals sign here", ""},
        {"absent", ""},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.value, config.getValue(e.key)) << e.key;
    EXPECT_TRUE(config.hasValue("empty"));
    EXPECT_FALSE(config.hasValue("no equals sign here"));
    EXPECT_FALSE(config.hasValue(""));
}

TEST(ConfigLoad, MergesOverEarlierValues)
{
    ConfigFile file("b=from file\nc=3\n");
    TConfig config;
    config.setValue("a", "kept");
    config.setValue("b", "replaced");
    config.Load(file.Path());
    EXPECT_EQ("kept", config.getValue("a"));
    EXPECT_EQ("from file", config.getValue("b"));
    EXPECT_EQ("3", config.getValue("c"));
    config.Clear();
    EXPECT_FALSE(config.hasValue("a"));
}

TEST(ConfigLoad, UnreadableOrOversizedFileThrowsAndChangesNothing)
{
    TConfig config;
    config.setValue("a", "1");
    try {
        config.Load("/nonexistent/kta.conf");
        ADD_FAILURE() << "no exception";
    } catch (const TKTAException& e) {
        EXPECT_EQ(15u, e.GetStatusCode());
        EXPECT_NE(std::string::npos, e.GetDetail().find("/nonexistent/kta.conf"));
    }
    EXPECT_THROW(config.Load("/tmp"), TKTAException);
    ConfigFile big("a=2\n" + std::string(TConfig::kMaxFileBytes, '#'));
    EXPECT_THROW(config.Load(big.Path()), TKTAException);
    EXPECT_EQ("1", config.getValue("a"));
}

TEST(ConfigInstance, IsOneProcessWideTable)
{
    TConfig& first = TConfig::GetInstance();
    EXPECT_EQ(&first, &TConfig::GetInstance());
    first.setValue("kta_config_test_key", "x");
    EXPECT_EQ("x", TConfig::GetInstance().getValue("kta_config_test_key"));
}
