// Tokens: numbers in every base, strings with every escape, char16
// literals, and the lexical errors with their positions.

#include "MofLexer.h"

#include <gtest/gtest.h>

using namespace Pegasus::Mof;

namespace {

Token only(const std::string& text)
{
    Lexer lexer(text);
    Token t = lexer.next();
    Token end = lexer.next();
    EXPECT_EQ(end.kind, TokenKind::End) << "trailing input after first token of: " << text;
    return t;
}

}  // namespace

TEST(MofLexer, IntegersInAllBases)
{
    struct Case
    {
        const char* text;
        bool negative;
        std::uint64_t magnitude;
    } cases[] = {
        {"0", false, 0},
        {"42", false, 42},
        {"-5", true, 5},
        {"+7", false, 7},
        {"0x1F", false, 31},
        {"0XfF", false, 255},
        {"-0x10", true, 16},
        {"017", false, 15},
        {"101b", false, 5},
        {"-11B", true, 3},
        {"18446744073709551615", false, UINT64_MAX},
        {"-9223372036854775808", true, 9223372036854775808ull},
        {"-0", false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        Token t = only(c.text);
        ASSERT_EQ(t.kind, TokenKind::Integer) << t.text;
        EXPECT_EQ(t.negative, c.negative);
        EXPECT_EQ(t.magnitude, c.magnitude);
    }
}

TEST(MofLexer, Reals)
{
    struct Case
    {
        const char* text;
        double value;
    } cases[] = {
        {"1.5", 1.5}, {"-2.25", -2.25}, {".5", 0.5}, {"-.5", -0.5},
        {"1e3", 1000.0}, {"2.5E-1", 0.25}, {"+3.0e+2", 300.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        Token t = only(c.text);
        ASSERT_EQ(t.kind, TokenKind::Real);
        EXPECT_DOUBLE_EQ(t.real, c.value);
    }
}

TEST(MofLexer, StringEscapes)
{
    Token t = only(R"("a\bb\tc\nd\fe\rf\"g\'h\\i\x41\X263Aj\x7k")");
    ASSERT_EQ(t.kind, TokenKind::String) << t.text;
    std::u16string expected = u"a\bb\tc\nd\fe\rf\"g'h\\iA\u263Aj\u0007k";
    EXPECT_EQ(t.value, expected);

    // UTF-8 in the source becomes UTF-16, outside the BMP as a pair.
    Token u = only("\"\xC3\xA9\xF0\x9F\x98\x80\"");
    EXPECT_EQ(u.value, std::u16string(u"\u00E9\U0001F600"));
}

TEST(MofLexer, Char16Literals)
{
    struct Case
    {
        const char* text;
        char16_t value;
    } cases[] = {{"'a'", u'a'}, {"'\\n'", u'\n'}, {"'\\''", u'\''}, {"'\\x263a'", u'\u263A'}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        Token t = only(c.text);
        ASSERT_EQ(t.kind, TokenKind::Char16) << t.text;
        ASSERT_EQ(t.value.size(), 1u);
        EXPECT_EQ(t.value[0], c.value);
    }
}

TEST(MofLexer, NamesAliasesPunctuationAndPragma)
{
    Lexer lexer("#pragma Class_1 $my_alias {}()[];,:= // comment\n /* block\n */ x");
    TokenKind kinds[] = {TokenKind::Pragma, TokenKind::Identifier, TokenKind::Alias};
    for (TokenKind k : kinds)
        EXPECT_EQ(lexer.next().kind, k);
    for (char p : std::string("{}()[];,:="))
    {
        Token t = lexer.next();
        EXPECT_EQ(t.kind, TokenKind::Punct);
        EXPECT_EQ(t.punct, p);
    }
    Token x = lexer.next();
    EXPECT_EQ(x.kind, TokenKind::Identifier);
    EXPECT_EQ(x.text, "x");
    EXPECT_EQ(x.line, 3u);
    EXPECT_EQ(x.column, 5u);
    EXPECT_EQ(lexer.next().kind, TokenKind::End);
}

TEST(MofLexer, ErrorsCarryTheirPosition)
{
    struct Case
    {
        const char* text;
        const char* message;
        std::uint32_t line, column;
    } cases[] = {
        {"  \"abc", "unterminated string", 1, 3},
        {"x\n  \"abc\ndef\"", "unterminated string", 2, 3},
        {"/* never closed", "unterminated comment", 1, 1},
        {"\n\n   /* x */ /* y", "unterminated comment", 3, 12},
        {"\"bad \\q escape\"", "invalid escape sequence '\\q'", 1, 1},
        {"09", "invalid number '09'", 1, 1},
        {"12abc", "invalid number '12abc'", 1, 1},
        {"0x", "invalid number '0x'", 1, 1},
        {"99999999999999999999", "integer value out of range '99999999999999999999'", 1, 1},
        {"  @", "unexpected character '@'", 1, 3},
        {"''", "empty character literal", 1, 1},
        {"'ab'", "invalid character literal", 1, 1},
        {"#include", "unknown directive '#include'", 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        Lexer lexer(c.text);
        Token t = lexer.next();
        while (t.kind == TokenKind::Identifier)
            t = lexer.next();
        ASSERT_EQ(t.kind, TokenKind::Error);
        EXPECT_EQ(t.text, c.message);
        EXPECT_EQ(t.line, c.line);
        EXPECT_EQ(t.column, c.column);
    }
}

TEST(MofLexer, ColumnsCountCharactersNotBytes)
{
    Lexer lexer("\"\xC3\xA9\xC3\xA9\" x");
    lexer.next();
    Token x = lexer.next();
    EXPECT_EQ(x.column, 6u);
}
