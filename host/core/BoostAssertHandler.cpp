// The host's handler for failed Boost checks (ktacore and its users are
// built with BOOST_ENABLE_ASSERT_HANDLER).  A failed check, typically an
// empty boost::shared_ptr dereferenced where an owner or target object was
// expected, is logged at severity 0 and turned into TKTAException with
// status 15 ("not found"; the detail names the check, function, file and
// line), so the caller's error handling runs instead of the process
// crashing on a null pointer.

#include <string>

#include <boost/assert.hpp>

#include "ILogger.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace {

std::string Describe(char const* expr, char const* message,
                     char const* function, char const* file, long line)
{
    std::string text = "Assertion failed: ";
    text += expr ? expr : "?";
    if (message) {
        text += " (";
        text += message;
        text += ")";
    }
    text += " in ";
    text += function ? function : "?";
    text += " at ";
    text += file ? file : "?";
    text += ":" + std::to_string(line);
    return text;
}

[[noreturn]] void Raise(const std::string& text)
{
    NQRVKTA20::TRootObject::GetCoreLogger()->Log(
        NQRVKTA20::ILogger::kLogError, text);
    throw NQRVKTA20::TKTAException(NQRVKTA20::TKTAStatusCode::kNotFound,
                                   text);
}

} // namespace

namespace boost {

void assertion_failed(char const* expr, char const* function,
                      char const* file, long line)
{
    Raise(Describe(expr, nullptr, function, file, line));
}

void assertion_failed_msg(char const* expr, char const* msg,
                          char const* function, char const* file, long line)
{
    Raise(Describe(expr, msg, function, file, line));
}

} // namespace boost
