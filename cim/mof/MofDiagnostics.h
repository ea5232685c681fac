// Diagnostics: where the compiler's errors, warnings and notices go.
//
// Every message is one line, written to the given stream (if any) as it
// happens and kept in order for callers that want to inspect them (tests).
// Errors are counted; warnings are dropped when warnings are suppressed
// (cimmof -w); notices are informational lines that are never suppressed
// and are not errors (a missing include file).
//
// Not thread-safe.
#ifndef PEGASUS_MOF_DIAGNOSTICS_H
#define PEGASUS_MOF_DIAGNOSTICS_H

#include "MofSyntax.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace Pegasus {
namespace Mof {

class Diagnostics
{
public:
    // `out` may be null: messages are then only kept.  After `maxErrors`
    // errors tooManyErrors() turns true and the parser stops.
    explicit Diagnostics(std::ostream* out, bool suppressWarnings = false,
                         unsigned maxErrors = 20);

    void error(const std::string& line);
    void warning(const std::string& line);
    void notice(const std::string& line);

    unsigned errorCount() const { return _errors; }
    unsigned warningCount() const { return _warnings; }
    bool tooManyErrors() const { return _errors >= _maxErrors; }
    const std::vector<std::string>& messages() const { return _messages; }

    // Called before each message is written or kept (not from within
    // itself): lets work whose messages belong before it finish first.
    // An empty function removes the hook.
    void setBeforeMessage(std::function<void()> hook) { _beforeMessage = std::move(hook); }

    // "Parsing error: F:L: syntax error before 'T' (column C: expected E)"
    static std::string syntaxError(const Location& where, const std::string& token,
                                   const std::string& expected);
    // "Parsing error: F:L: <message> (column C)"
    static std::string lexicalError(const Location& where, const std::string& message);
    // "Parsing error: parse error: <message> (at F:L:C)"
    static std::string semanticError(const Location& where, const std::string& message);

private:
    void emit(const std::string& line);

    std::ostream* _out;
    bool _suppressWarnings;
    unsigned _maxErrors;
    unsigned _errors = 0;
    unsigned _warnings = 0;
    std::vector<std::string> _messages;
    std::function<void()> _beforeMessage;
    bool _inBeforeMessage = false;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
