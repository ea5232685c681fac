// Tokenizer for MOF text.  Works on bytes: every construct of the grammar
// is ASCII, and non-ASCII characters may appear only inside names, strings
// and comments, where they are either copied (names, as UTF-8) or decoded
// (strings, to UTF-16).

#include "MofLexer.h"

#include <cstdlib>

namespace Pegasus {
namespace Mof {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexValue(char c)
{
    if (isDigit(c))
        return unsigned(c - '0');
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    return unsigned(c - 'A' + 10);
}

bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool isPunct(char c)
{
    switch (c)
    {
    case '{': case '}': case '(': case ')': case '[': case ']':
    case ';': case ',': case ':': case '=':
        return true;
    default:
        return false;
    }
}

// Multiplies and adds with overflow detection (the magnitude must fit 64
// bits: the largest legal value is 2^64 - 1 for uint64).
bool accumulate(std::uint64_t& value, unsigned base, unsigned digit)
{
    if (value > (UINT64_MAX - digit) / base)
        return false;
    value = value * base + digit;
    return true;
}

}  // namespace

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

std::string utf16ToUtf8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()
            && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
        {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        else if (code >= 0xD800 && code <= 0xDFFF)
        {
            code = 0xFFFD;
        }
        if (code < 0x80)
        {
            out.push_back(char(code));
        }
        else if (code < 0x800)
        {
            out.push_back(char(0xC0 | (code >> 6)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
        else if (code < 0x10000)
        {
            out.push_back(char(0xE0 | (code >> 12)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
        else
        {
            out.push_back(char(0xF0 | (code >> 18)));
            out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

Lexer::Lexer(std::string_view text) : _text(text)
{
    // A byte-order mark is not part of the text.
    if (_text.size() >= 3 && _text.substr(0, 3) == "\xEF\xBB\xBF")
        _pos = 3;
}

char Lexer::peekChar(std::size_t ahead) const
{
    return _pos + ahead < _text.size() ? _text[_pos + ahead] : '\0';
}

void Lexer::advance(std::size_t count)
{
    for (; count > 0 && _pos < _text.size(); --count)
    {
        unsigned char c = static_cast<unsigned char>(_text[_pos++]);
        if (c == '\n')
        {
            ++_line;
            _column = 1;
        }
        else if ((c & 0xC0) != 0x80)
        {
            // Continuation bytes of a UTF-8 character take no column.
            ++_column;
        }
    }
}

Token Lexer::make(TokenKind kind, std::size_t start, std::uint32_t line,
                  std::uint32_t column) const
{
    Token t;
    t.kind = kind;
    t.source = _text.substr(start, _pos - start);
    t.line = line;
    t.column = column;
    return t;
}

Token Lexer::error(const std::string& message, std::size_t start,
                   std::uint32_t line, std::uint32_t column) const
{
    Token t = make(TokenKind::Error, start, line, column);
    t.text = message;
    return t;
}

bool Lexer::skipBlanksAndComments(Token& err)
{
    for (;;)
    {
        char c = peekChar();
        if (_pos >= _text.size())
            return true;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')
        {
            advance();
        }
        else if (c == '/' && peekChar(1) == '/')
        {
            while (_pos < _text.size() && peekChar() != '\n')
                advance();
        }
        else if (c == '/' && peekChar(1) == '*')
        {
            std::size_t start = _pos;
            std::uint32_t line = _line, column = _column;
            advance(2);
            std::size_t end = _text.find("*/", _pos);
            if (end == std::string_view::npos)
            {
                advance(_text.size() - _pos);
                err = error("unterminated comment", start, line, column);
                return false;
            }
            advance(end + 2 - _pos);
        }
        else
        {
            return true;
        }
    }
}

Token Lexer::next()
{
    Token err;
    if (!skipBlanksAndComments(err))
        return err;

    std::size_t start = _pos;
    std::uint32_t line = _line, column = _column;
    if (_pos >= _text.size())
        return make(TokenKind::End, start, line, column);

    char c = peekChar();
    if (isPunct(c))
    {
        advance();
        Token t = make(TokenKind::Punct, start, line, column);
        t.punct = c;
        return t;
    }
    if (c == '"')
        return lexString();
    if (c == '\'')
        return lexChar16();
    if (isDigit(c) || ((c == '+' || c == '-' || c == '.')
                       && (isDigit(peekChar(1)) || (peekChar(1) == '.' && isDigit(peekChar(2))))))
        return lexNumber();
    if (isNameStart(static_cast<unsigned char>(c)))
        return lexIdentifier(TokenKind::Identifier);
    if (c == '$' && isNameStart(static_cast<unsigned char>(peekChar(1))))
    {
        advance();
        Token t = lexIdentifier(TokenKind::Alias);
        t.source = _text.substr(start, _pos - start);
        t.line = line;
        t.column = column;
        return t;
    }
    if (c == '#')
    {
        advance();
        std::size_t nameStart = _pos;
        while (_pos < _text.size() && isNameChar(static_cast<unsigned char>(peekChar())))
            advance();
        std::string_view name = _text.substr(nameStart, _pos - nameStart);
        if (name.size() == 6)
        {
            std::string lower(name);
            for (char& ch : lower)
                ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
            if (lower == "pragma")
                return make(TokenKind::Pragma, start, line, column);
        }
        return error("unknown directive '" + std::string(_text.substr(start, _pos - start)) + "'",
                     start, line, column);
    }

    // Anything else cannot start a token: report the whole character.
    advance();
    while (_pos < _text.size() && (static_cast<unsigned char>(peekChar()) & 0xC0) == 0x80)
        advance();
    return error("unexpected character '" + std::string(_text.substr(start, _pos - start)) + "'",
                 start, line, column);
}

Token Lexer::lexIdentifier(TokenKind kind)
{
    std::size_t start = _pos;
    std::uint32_t line = _line, column = _column;
    while (_pos < _text.size() && isNameChar(static_cast<unsigned char>(peekChar())))
        advance();
    Token t = make(kind, start, line, column);
    t.text.assign(_text.substr(start, _pos - start));
    return t;
}

Token Lexer::lexNumber()
{
    std::size_t start = _pos;
    std::uint32_t line = _line, column = _column;
    bool negative = false;
    if (peekChar() == '+' || peekChar() == '-')
    {
        negative = peekChar() == '-';
        advance();
    }
    std::size_t digitsStart = _pos;
    std::uint64_t value = 0;
    bool overflow = false;
    bool isReal = false;

    auto finishBadNumber = [&]() {
        while (_pos < _text.size()
               && (isNameChar(static_cast<unsigned char>(peekChar())) || peekChar() == '.'))
            advance();
        return error("invalid number '" + std::string(_text.substr(start, _pos - start)) + "'",
                     start, line, column);
    };

    if (peekChar() == '0' && (peekChar(1) == 'x' || peekChar(1) == 'X'))
    {
        advance(2);
        if (!isHexDigit(peekChar()))
            return finishBadNumber();
        while (isHexDigit(peekChar()))
        {
            overflow |= !accumulate(value, 16, hexValue(peekChar()));
            advance();
        }
    }
    else
    {
        while (isDigit(peekChar()))
            advance();
        std::string_view digits = _text.substr(digitsStart, _pos - digitsStart);
        char after = peekChar();
        bool exponent = (after == 'e' || after == 'E')
            && (isDigit(peekChar(1))
                || ((peekChar(1) == '+' || peekChar(1) == '-') && isDigit(peekChar(2))));
        if ((after == '.' && isDigit(peekChar(1))) || exponent)
        {
            isReal = true;
            if (after == '.')
            {
                advance();
                while (isDigit(peekChar()))
                    advance();
            }
            if (peekChar() == 'e' || peekChar() == 'E')
            {
                if (isDigit(peekChar(1))
                    || ((peekChar(1) == '+' || peekChar(1) == '-') && isDigit(peekChar(2))))
                {
                    advance(2);
                    while (isDigit(peekChar()))
                        advance();
                }
            }
        }
        else if ((after == 'b' || after == 'B')
                 && digits.find_first_not_of("01") == std::string_view::npos
                 && !isNameChar(static_cast<unsigned char>(peekChar(1))))
        {
            for (char d : digits)
                overflow |= !accumulate(value, 2, unsigned(d - '0'));
            advance();
        }
        else if (digits.size() > 1 && digits[0] == '0')
        {
            for (char d : digits)
            {
                if (d > '7')
                    return finishBadNumber();
                overflow |= !accumulate(value, 8, unsigned(d - '0'));
            }
        }
        else
        {
            for (char d : digits)
                overflow |= !accumulate(value, 10, unsigned(d - '0'));
        }
    }

    if (_pos < _text.size()
        && (isNameChar(static_cast<unsigned char>(peekChar())) || peekChar() == '.'))
        return finishBadNumber();

    Token t = make(isReal ? TokenKind::Real : TokenKind::Integer, start, line, column);
    if (isReal)
    {
        std::string text(t.source);
        t.real = std::strtod(text.c_str(), nullptr);
        return t;
    }
    if (overflow)
        return error("integer value out of range '" + std::string(t.source) + "'",
                     start, line, column);
    t.negative = negative && value != 0;
    t.magnitude = value;
    return t;
}

bool Lexer::readUtf8(std::u16string& out)
{
    unsigned char c = static_cast<unsigned char>(peekChar());
    std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::uint32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0Fu : c & 0x1Fu;
    bool good = length > 1 && c < 0xF8;
    for (std::size_t i = 1; good && i < length; ++i)
    {
        unsigned char cc = static_cast<unsigned char>(peekChar(i));
        if ((cc & 0xC0) != 0x80)
            good = false;
        else
            code = (code << 6) | (cc & 0x3Fu);
    }
    if (!good || code > 0x10FFFF)
    {
        // Not UTF-8: keep going with a replacement character.
        advance();
        out.push_back(u'\uFFFD');
        return false;
    }
    advance(length);
    if (code >= 0x10000)
    {
        code -= 0x10000;
        out.push_back(char16_t(0xD800 + (code >> 10)));
        out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
    }
    else
    {
        out.push_back(char16_t(code));
    }
    return true;
}

bool Lexer::readEscape(std::u16string& out, std::string& message)
{
    // Positioned on the backslash.
    char c = peekChar(1);
    switch (c)
    {
    case 'b': out.push_back(u'\b'); break;
    case 't': out.push_back(u'\t'); break;
    case 'n': out.push_back(u'\n'); break;
    case 'f': out.push_back(u'\f'); break;
    case 'r': out.push_back(u'\r'); break;
    case '"': out.push_back(u'"'); break;
    case '\'': out.push_back(u'\''); break;
    case '\\': out.push_back(u'\\'); break;
    case 'x':
    case 'X':
    {
        advance(2);
        unsigned code = 0;
        int count = 0;
        while (count < 4 && isHexDigit(peekChar()))
        {
            code = code * 16 + hexValue(peekChar());
            advance();
            ++count;
        }
        if (count == 0)
        {
            message = std::string("invalid escape sequence '\\") + c + "' (hex digits expected)";
            return false;
        }
        out.push_back(char16_t(code));
        return true;
    }
    default:
        message = "invalid escape sequence '\\";
        if (c != '\0' && c != '\n')
            message += c;
        message += "'";
        advance(c == '\0' || c == '\n' ? 1 : 2);
        return false;
    }
    advance(2);
    return true;
}

Token Lexer::lexString()
{
    std::size_t start = _pos;
    std::uint32_t line = _line, column = _column;
    advance();
    std::u16string value;
    std::string badEscape;
    for (;;)
    {
        if (_pos >= _text.size() || peekChar() == '\n' || peekChar() == '\r')
            return error("unterminated string", start, line, column);
        char c = peekChar();
        if (c == '"')
        {
            advance();
            break;
        }
        if (c == '\\')
        {
            std::string message;
            if (!readEscape(value, message) && badEscape.empty())
                badEscape = message;
        }
        else if (static_cast<unsigned char>(c) >= 0x80)
        {
            readUtf8(value);
        }
        else
        {
            value.push_back(char16_t(static_cast<unsigned char>(c)));
            advance();
        }
    }
    if (!badEscape.empty())
        return error(badEscape, start, line, column);
    Token t = make(TokenKind::String, start, line, column);
    t.value = std::move(value);
    return t;
}

Token Lexer::lexChar16()
{
    std::size_t start = _pos;
    std::uint32_t line = _line, column = _column;
    advance();
    std::u16string value;
    std::string message;
    char c = peekChar();
    if (_pos >= _text.size() || c == '\n' || c == '\r')
        return error("unterminated character literal", start, line, column);
    if (c == '\\')
    {
        if (!readEscape(value, message))
            return error(message, start, line, column);
    }
    else if (c == '\'')
    {
        advance();
        return error("empty character literal", start, line, column);
    }
    else if (static_cast<unsigned char>(c) >= 0x80)
    {
        readUtf8(value);
    }
    else
    {
        value.push_back(char16_t(static_cast<unsigned char>(c)));
        advance();
    }
    if (peekChar() != '\'' || value.size() != 1)
    {
        while (_pos < _text.size() && peekChar() != '\'' && peekChar() != '\n')
            advance();
        if (peekChar() == '\'')
            advance();
        return error("invalid character literal", start, line, column);
    }
    advance();
    Token t = make(TokenKind::Char16, start, line, column);
    t.value = std::move(value);
    return t;
}

}  // namespace Mof
}  // namespace Pegasus
