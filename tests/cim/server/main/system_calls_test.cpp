// The helpers on top of the system-call seam: reading a whole file.
#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FailingSystemCalls.h"
#include "SystemCalls.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TEST(ReadWholeFile, ReadsRegularFilesUpToTheLimitAndNamesEveryFailure)
{
    TempHome home;
    const std::string big(70000, 'x');  // more than one read's buffer
    writeText(home.file("big"), big);
    writeText(home.file("empty"), "");
    struct Case
    {
        const char* name;
        size_t limit;
        int error;
        std::string content;
    } const cases[] = {
        {"big", big.size(), 0, big},
        {"big", big.size() - 1, EFBIG, ""},
        {"empty", 0, 0, ""},
        {"missing", 100, ENOENT, ""},
        {".", 100, EINVAL, ""},  // a directory
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + " limit " + std::to_string(c.limit));
        std::string content = "left over";
        const int error = readWholeFile(SystemCalls::real(), home.file(c.name), c.limit, content);
        EXPECT_EQ(error, c.error);
        if (error == 0)
        {
            EXPECT_EQ(content, c.content);
        }
    }
}

TEST(ReadWholeFile, ReadsAFifoAndStopsOneThatGrowsPastTheLimit)
{
    TempHome home;
    const std::string path = home.file("fifo");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    // The reader may close before the writer is done.
    std::signal(SIGPIPE, SIG_IGN);
    for (size_t limit : {size_t(100000), size_t(1000)})
    {
        SCOPED_TRACE(limit);
        std::thread writer([&path]() { writeText(path, std::string(5000, 'y')); });
        std::string content;
        const int error = readWholeFile(SystemCalls::real(), path, limit, content);
        writer.join();
        if (limit >= 5000)
        {
            EXPECT_EQ(error, 0);
            EXPECT_EQ(content, std::string(5000, 'y'));
        }
        else
        {
            EXPECT_EQ(error, EFBIG);
        }
    }
}

TEST(ReadWholeFile, AFailedReadIsReported)
{
    TempHome home;
    writeText(home.file("text"), "some text");
    FailingSystemCalls sys;
    sys.failOn("read", 1, EIO);
    std::string content;
    EXPECT_EQ(readWholeFile(sys, home.file("text"), 100, content), EIO);
    EXPECT_EQ(readWholeFile(sys, home.file("text"), 100, content), 0) << "only the first read fails";
    EXPECT_EQ(content, "some text");
}

}  // namespace
