#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <boost/assert.hpp>
#include <boost/shared_ptr.hpp>

#include <gtest/gtest.h>

#include "TCoreLogger.h"
#include "TKTAException.h"

using NQRVKTA20::TCoreLogger;
using NQRVKTA20::TKTAException;

namespace {

struct Owner {
    int value = 7;
    int Get() const { return value; }
};

// Points the core logger at a temporary file for one test.
class CoreLogCapture {
public:
    CoreLogCapture()
    {
        char name[] = "/tmp/kta-assert-XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        fPath = name;
        TCoreLogger::Instance()->SetLogFile(fPath);
        TCoreLogger::Instance()->SetStderrSeverityLimit(-1);
    }
    ~CoreLogCapture()
    {
        TCoreLogger::Instance()->SetLogFile("");
        TCoreLogger::Instance()->SetStderrSeverityLimit(3);
        unlink(fPath.c_str());
    }
    std::string Text() const
    {
        std::ifstream in(fPath);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string fPath;
};

} // namespace

TEST(AssertHandler, EmptySharedPointerDereferenceThrowsAndLogs)
{
    CoreLogCapture log;
    boost::shared_ptr<Owner> missing;
    try {
        missing->Get();
        FAIL() << "dereferencing an empty pointer did not throw";
    } catch (const TKTAException& e) {
        std::string detail = e.GetDetail();
        EXPECT_NE(std::string::npos, detail.find("px != 0")) << detail;
        EXPECT_NE(std::string::npos, detail.find("shared_ptr.hpp")) << detail;
    }
    EXPECT_THROW(*missing, TKTAException);
    std::string text = log.Text();
    EXPECT_NE(std::string::npos, text.find("[0]")) << text;
    EXPECT_NE(std::string::npos, text.find("Assertion failed: px != 0"));

    boost::shared_ptr<Owner> present(new Owner);
    EXPECT_EQ(7, present->Get());
}

TEST(AssertHandler, MessageFormCarriesItsText)
{
    CoreLogCapture log;
    try {
        BOOST_ASSERT_MSG(1 + 1 == 3, "arithmetic is broken");
        FAIL() << "no exception";
    } catch (const TKTAException& e) {
        std::string detail = e.GetDetail();
        EXPECT_NE(std::string::npos, detail.find("1 + 1 == 3")) << detail;
        EXPECT_NE(std::string::npos, detail.find("arithmetic is broken"));
        EXPECT_NE(std::string::npos, detail.find("assert_test.cpp"));
    }
    BOOST_ASSERT(2 + 2 == 4);  // a passing check does nothing
}
