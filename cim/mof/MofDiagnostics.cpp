// Message formats.  The first part of each error line is the text cimmof
// users (and the scripts that read its output) know; the position detail
// follows in parentheses so that it never changes that known beginning.

#include "MofDiagnostics.h"

#include <ostream>

namespace Pegasus {
namespace Mof {

const std::string& Location::fileName() const
{
    static const std::string unknown = "<unknown>";
    return file ? *file : unknown;
}

Diagnostics::Diagnostics(std::ostream* out, bool suppressWarnings, unsigned maxErrors)
    : _out(out), _suppressWarnings(suppressWarnings), _maxErrors(maxErrors)
{
}

void Diagnostics::emit(const std::string& line)
{
    if (_beforeMessage && !_inBeforeMessage)
    {
        _inBeforeMessage = true;
        try
        {
            _beforeMessage();
        }
        catch (...)
        {
            _inBeforeMessage = false;
            throw;
        }
        _inBeforeMessage = false;
    }
    _messages.push_back(line);
    if (_out)
        *_out << line << '\n' << std::flush;
}

void Diagnostics::error(const std::string& line)
{
    ++_errors;
    emit(line);
}

void Diagnostics::warning(const std::string& line)
{
    ++_warnings;
    if (!_suppressWarnings)
        emit(line);
}

void Diagnostics::notice(const std::string& line)
{
    emit(line);
}

std::string Diagnostics::syntaxError(const Location& where, const std::string& token,
                                     const std::string& expected)
{
    std::string line = "Parsing error: " + where.fileName() + ":" + std::to_string(where.line)
        + ": syntax error before '" + token + "' (column " + std::to_string(where.column);
    if (!expected.empty())
        line += ": expected " + expected;
    return line + ")";
}

std::string Diagnostics::lexicalError(const Location& where, const std::string& message)
{
    return "Parsing error: " + where.fileName() + ":" + std::to_string(where.line) + ": "
        + message + " (column " + std::to_string(where.column) + ")";
}

std::string Diagnostics::semanticError(const Location& where, const std::string& message)
{
    return "Parsing error: parse error: " + message + " (at " + where.fileName() + ":"
        + std::to_string(where.line) + ":" + std::to_string(where.column) + ")";
}

}  // namespace Mof
}  // namespace Pegasus
