#include "TCoreLogger.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TRootObject.h"

using NQRVKTA20::ILogger;
using NQRVKTA20::TCoreLogger;
using NQRVKTA20::TRootObject;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

const std::regex kHeader(
    R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(-?\d+)\] <(\d+)> (.*)$)");

class TempFile {
public:
    TempFile()
    {
        char name[] = "/tmp/kta-log-XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        fPath = name;
    }
    ~TempFile() { unlink(fPath.c_str()); }
    const std::string& Path() const { return fPath; }

private:
    std::string fPath;
};

// Sends standard error into a file for the life of the object.
class StderrCapture {
public:
    StderrCapture()
    {
        fflush(stderr);
        fSaved = dup(2);
        int fd = open(fFile.Path().c_str(), O_WRONLY | O_TRUNC);
        dup2(fd, 2);
        close(fd);
    }
    ~StderrCapture() { Restore(); }
    std::string Text()
    {
        Restore();
        return ReadFile(fFile.Path());
    }

private:
    void Restore()
    {
        if (fSaved >= 0) {
            dup2(fSaved, 2);
            close(fSaved);
            fSaved = -1;
        }
    }
    TempFile fFile;
    int fSaved = -1;
};

} // namespace

TEST(LoggerFormat, RecordsKeepOneLinePerLineAndNoDoubleNewline)
{
    const struct {
        const char* message;
        const char* record;
    } cases[] = {
        {"plain", "P plain\n"},
        {"ends in newline\n", "P ends in newline\n"},
        {"two\n\n", "P two\n    \n"},
        {"first\nsecond\nthird", "P first\n    second\n    third\n"},
        {"first\nsecond\n", "P first\n    second\n"},
        {"", "P \n"},
        {"\n", "P \n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.record, TCoreLogger::FormatRecord("P ", c.message))
            << c.message;
}

TEST(LoggerFile, WritesTimeSeverityThreadAndText)
{
    TempFile file;
    TCoreLogger logger;
    logger.SetStderrSeverityLimit(-1);
    ASSERT_TRUE(logger.SetLogFile(file.Path()));
    EXPECT_EQ(file.Path(), logger.GetLogFile());
    logger.Log(ILogger::kLogDiagnostic, "TPEGASUSNamespace::connect enter\n");
    logger.Log(0, "failure text");

    std::vector<std::string> lines = Lines(ReadFile(file.Path()));
    ASSERT_EQ(2u, lines.size());
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kHeader)) << lines[0];
    EXPECT_EQ("3", m[1]);
    EXPECT_EQ(std::to_string(gettid()), m[2]);
    EXPECT_EQ("TPEGASUSNamespace::connect enter", m[3]);
    ASSERT_TRUE(std::regex_match(lines[1], m, kHeader)) << lines[1];
    EXPECT_EQ("0", m[1]);
    EXPECT_EQ("failure text", m[3]);

    // A failed switch keeps the old file; an empty path closes it.
    EXPECT_FALSE(logger.SetLogFile("/nonexistent-dir/kta.log"));
    logger.Log(3, "still here");
    ASSERT_TRUE(logger.SetLogFile(""));
    EXPECT_EQ("", logger.GetLogFile());
    logger.Log(3, "goes nowhere");
    std::string text = ReadFile(file.Path());
    EXPECT_NE(std::string::npos, text.find("still here"));
    EXPECT_EQ(std::string::npos, text.find("goes nowhere"));
}

TEST(LoggerFile, SeverityLimitsSelectTargets)
{
    TempFile file;
    TCoreLogger logger;
    ASSERT_TRUE(logger.SetLogFile(file.Path()));
    logger.SetFileSeverityLimit(2);
    logger.SetStderrSeverityLimit(0);
    StderrCapture captured;
    for (int severity = 0; severity <= 5; ++severity)
        logger.Log(severity, "sev" + std::to_string(severity));
    std::string errText = captured.Text();
    std::string fileText = ReadFile(file.Path());
    EXPECT_EQ(3u, Lines(fileText).size());
    EXPECT_NE(std::string::npos, fileText.find("sev2"));
    EXPECT_EQ(std::string::npos, fileText.find("sev3"));
    EXPECT_EQ(1u, Lines(errText).size());
    EXPECT_NE(std::string::npos, errText.find("sev0"));
}

TEST(LoggerThreads, ManyThreadsNeitherInterleaveNorLose)
{
    const int kThreads = 8;
    const int kMessages = 400;
    TempFile file;
    TCoreLogger logger;
    logger.SetStderrSeverityLimit(-1);
    ASSERT_TRUE(logger.SetLogFile(file.Path()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&logger, t] {
            std::string filler(200, static_cast<char>('a' + t));
            for (int i = 0; i < kMessages; ++i) {
                logger.Log(3, "T" + std::to_string(t) + " #" +
                                  std::to_string(i) + " " + filler +
                                  "\ncontinued " + std::to_string(t) + "\n");
            }
        });
    }
    for (auto& th : threads)
        th.join();

    std::vector<std::string> lines = Lines(ReadFile(file.Path()));
    ASSERT_EQ(static_cast<size_t>(2 * kThreads * kMessages), lines.size());
    std::map<int, int> next;  // thread -> next expected sequence number
    for (size_t i = 0; i < lines.size(); i += 2) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, kHeader)) << lines[i];
        std::istringstream body(m[3].str());
        char tag;
        int thread, seq;
        char hash;
        std::string filler;
        body >> tag >> thread >> hash >> seq >> filler;
        ASSERT_EQ('T', tag);
        EXPECT_EQ(std::string(200, static_cast<char>('a' + thread)), filler);
        EXPECT_EQ(next[thread], seq) << "thread " << thread;
        next[thread] = seq + 1;
        EXPECT_EQ("    continued " + std::to_string(thread), lines[i + 1]);
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(kMessages, next[t]);
}

TEST(CoreLogger, UsableBeforeConfigurationOnStandardError)
{
    boost::shared_ptr<ILogger> core = TRootObject::GetCoreLogger();
    ASSERT_TRUE(core);
    EXPECT_EQ(core, TRootObject::GetCoreLogger());
    StderrCapture captured;
    core->Log(3, "diagnostic shown");
    core->Log(4, "debug hidden");
    std::string text = captured.Text();
    EXPECT_NE(std::string::npos, text.find("[3]"));
    EXPECT_NE(std::string::npos, text.find("diagnostic shown"));
    EXPECT_EQ(std::string::npos, text.find("debug hidden"));
}
