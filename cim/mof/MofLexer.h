// MofLexer: splits one MOF text into tokens.
//
// The text is UTF-8 and must outlive the lexer (the lexer keeps a view of
// it).  Keywords are not recognised here: MOF keywords are case-insensitive
// and most of them are also legal names, so the parser decides from context.
// Malformed input (an unterminated string or comment, a bad escape or
// number, a stray character) gives an Error token carrying the message; the
// lexer then carries on after the bad input, so the parser can go on.
//
// Not thread-safe; one lexer per text.
#ifndef PEGASUS_MOF_LEXER_H
#define PEGASUS_MOF_LEXER_H

#include "MofSyntax.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Pegasus {
namespace Mof {

enum class TokenKind
{
    End,          // end of the text
    Identifier,   // also keywords and data type names
    Alias,        // $name (text holds the name)
    Integer,      // negative + magnitude
    Real,         // real
    String,       // one "..." piece; adjacent pieces are joined by the parser
    Char16,       // '.'
    Punct,        // one of { } ( ) [ ] ; , : =  (punct holds it)
    Pragma,       // #pragma
    Error         // message in text
};

struct Token
{
    TokenKind kind = TokenKind::End;
    char punct = 0;
    bool negative = false;
    std::uint64_t magnitude = 0;
    double real = 0.0;
    std::string text;          // identifier / alias name, or error message
    std::u16string value;      // decoded string or char16
    std::string_view source;   // the token as written
    std::uint32_t line = 0;
    std::uint32_t column = 0;
};

class Lexer
{
public:
    explicit Lexer(std::string_view text);

    // The next token; End forever once the text is used up.
    Token next();

private:
    char peekChar(std::size_t ahead = 0) const;
    void advance(std::size_t count = 1);
    bool skipBlanksAndComments(Token& error);
    Token lexNumber();
    Token lexString();
    Token lexChar16();
    Token lexIdentifier(TokenKind kind);
    Token make(TokenKind kind, std::size_t start, std::uint32_t line, std::uint32_t column) const;
    Token error(const std::string& message, std::size_t start,
                std::uint32_t line, std::uint32_t column) const;
    // Reads one escape sequence after the backslash; false on a bad one.
    bool readEscape(std::u16string& out, std::string& message);
    // Appends the UTF-8 character at the current position as UTF-16.
    bool readUtf8(std::u16string& out);

    std::string_view _text;
    std::size_t _pos = 0;
    std::uint32_t _line = 1;
    std::uint32_t _column = 1;
};

// True for the characters that may continue a name (bytes >= 0x80 are
// parts of non-ASCII characters, which names may contain).
bool isNameChar(unsigned char c);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const std::u16string& text);

}  // namespace Mof
}  // namespace Pegasus

#endif
