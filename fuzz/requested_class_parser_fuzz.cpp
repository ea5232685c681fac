// Fuzz target: arbitrary bytes as a requested-class file, parsed the way the
// namespace reads one (a terminated copy handed to Parse), then the record
// read back and checked against a second parse.  The parser's messages are
// still built but go nowhere, so that logging does not slow the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TCoreLogger.h"
#include "TPEGASUSRequestedClassParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        NQRVKTA20::TCoreLogger::Instance()->SetStderrSeverityLimit(-1);
        NQRVKTA20::TCoreLogger::Instance()->SetLogFile("");
        return true;
    }();
    (void)quiet;

    std::vector<char> text(size + 1, '\0');
    if (size > 0)
        std::memcpy(text.data(), data, size);

    // The record grows with each parse of the same object, and a parse
    // depends on nothing but the text: a second parse of it must repeat
    // the first one's class entries exactly.
    TPEGASUSRequestedClassParser parser;
    parser.Parse(text.data());
    const std::vector<std::string> once = parser.GetRequestedClassData();
    const std::map<std::string, std::string> settings = parser.GetRequestedProInfoData();
    parser.Parse(text.data());
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    if (parser.GetRequestedClassData() != twice || parser.GetRequestedProInfoData() != settings)
        std::abort();
    return 0;
}
