// String: UTF-8 <-> UTF-16 conversion, the stream operator's Latin-1
// output, comparisons, the editing members' bounds, and copies that share
// one text until one of them changes.
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "Utf8Text.h"

#include "CommonTestSupport.h"

PEGASUS_USING_PEGASUS;

namespace
{

std::string streamed(const String& s)
{
    std::ostringstream os;
    os << s;
    return os.str();
}
}

TEST(StringTest, Utf8RoundTripsAndCountsCodeUnits)
{
    struct Case
    {
        const char* text;
        Uint32 units;
    };
    const Case cases[] = {
        {"", 0},
        {"plain ascii", 11},
        {"caf\xC3\xA9", 4},                 // U+00E9
        {"\xE2\x98\xBA smile", 7},           // U+263A
        {"\xF0\x9F\x98\x80", 2},             // U+1F600: a surrogate pair
        {"\xEF\xBF\xBF", 1},                 // U+FFFF
        // ASCII runs longer than a word, around and between other characters
        {"0123456789abcdef\xC3\xA9" "0123456789abcdefg\xF0\x9F\x98\x80xyz", 39},
        {"\xC3\xA9" "01234567", 9},
    };
    for (const Case& c : cases)
    {
        String s(c.text);
        EXPECT_EQ(c.units, s.size()) << c.text;
        EXPECT_EQ(std::string(c.text), text(s)) << c.text;
        EXPECT_EQ(std::string(c.text), utf8Text(s)) << c.text;
    }
    // A two-byte character at every place of a long ASCII text, appended
    // to a text already there: every unit lands where it belongs.
    for (size_t at = 0; at <= 40; at++)
    {
        std::string ascii = "the quick brown fox jumps over the lazy dog 0123";
        std::string utf8 = ascii.substr(0, at) + "\xC3\xA9" + ascii.substr(at);
        String s("ab");
        s.append(utf8.c_str(), Uint32(utf8.size()));
        ASSERT_EQ(ascii.size() + 3, s.size()) << at;
        for (size_t i = 0; i < s.size(); i++)
        {
            Uint16 expected = i < 2 ? Uint16("ab"[i])
                              : i - 2 < at ? Uint16(ascii[i - 2])
                              : i - 2 == at ? Uint16(0xE9)
                                            : Uint16(ascii[i - 3]);
            ASSERT_EQ(expected, Uint16(s[Uint32(i)])) << "at " << at << ", unit " << i;
        }
    }
    // An unpaired surrogate keeps its own three-byte sequence in both.
    String lone;
    lone.append(Char16(0xD800));
    lone.append(Char16('x'));
    EXPECT_EQ(std::string("\xED\xA0\x80x"), utf8Text(lone));
    EXPECT_EQ(text(lone), utf8Text(lone));
    String pair("\xF0\x9F\x98\x80");
    EXPECT_EQ(0xD83D, Uint16(pair[0]));
    EXPECT_EQ(0xDE00, Uint16(pair[1]));
}

TEST(StringTest, InvalidUtf8IsRejected)
{
    const char* bad[] = {
        "\x80",                  // stray continuation byte
        "\xC3",                  // truncated
        "\xC0\xAF",              // overlong '/'
        "\xED\xA0\x80",          // encoded surrogate
        "\xF4\x90\x80\x80",      // above U+10FFFF
        "ok\xFFno",
        "0123456789abcdef0123\x80",   // after a long ASCII run
    };
    for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); i++)
        EXPECT_THROW(String s(bad[i]), Exception) << "input #" << i;

    // A failed append leaves the string as it was.
    String s("keep\xC3\xA9");
    EXPECT_THROW(s.append("more\xC3"), Exception);
    EXPECT_THROW(s.append("a run of ascii long enough\xE2\x98"), Exception);
    EXPECT_EQ(String("keep\xC3\xA9"), s);
    EXPECT_EQ(5u, s.size());
    String empty;
    EXPECT_THROW(empty.append("\x80"), Exception);
    EXPECT_EQ(0u, empty.size());
    EXPECT_EQ(0, Uint16(empty.getChar16Data()[0]));
}

TEST(StringTest, NullPointersThrowNullPointer)
{
    const char* nullText = 0;
    const Char16* nullUnits = 0;
    EXPECT_THROW(String s(nullText), NullPointer);
    EXPECT_THROW(String s(nullUnits), NullPointer);
    try
    {
        String s(nullText);
    }
    catch (const NullPointer& e)
    {
        EXPECT_EQ(String("null pointer"), e.getMessage());
    }
}

TEST(StringTest, LengthLimitedConstructors)
{
    EXPECT_EQ(String("ab"), String("abc", 2));
    EXPECT_EQ(String("ab"), String(String("abc"), 2));
    EXPECT_THROW(String(String("abc"), 4), IndexOutOfBoundsException);
    const Char16 units[] = {'x', 'y', 'z', 0};
    EXPECT_EQ(String("xy"), String(units, 2));
    EXPECT_EQ(String("xyz"), String(units));
}

TEST(StringTest, StreamWritesLatin1BytesAndEscapesTheRest)
{
    EXPECT_EQ("abc", streamed(String("abc")));
    // U+00E9 is one byte 0xE9, not the two UTF-8 bytes.
    EXPECT_EQ("caf\xE9", streamed(String("caf\xC3\xA9")));
    EXPECT_EQ("\\x263A!", streamed(String("\xE2\x98\xBA!")));
    const Char16 withNul[] = {'a', 0, 'b'};
    EXPECT_EQ("a\\x0000b", streamed(String(withNul, 3)));
    EXPECT_EQ("\\xD83D\\xDE00", streamed(String("\xF0\x9F\x98\x80")));
    EXPECT_EQ("\\xABCD", streamed(String(std::vector<Char16>{Char16(0xABCD)}.data(), 1)));
}

TEST(StringTest, ComparisonsAndCaseFolding)
{
    EXPECT_TRUE(String("abc") == "abc");
    EXPECT_TRUE("abc" == String("abc"));
    EXPECT_TRUE(String("abc") != String("abd"));
    EXPECT_TRUE(String("abc") < String("abd"));
    EXPECT_TRUE(String("ab") < String("abc"));
    EXPECT_TRUE(String("b") > String("abc"));
    EXPECT_LT(String::compare(String("a"), String("b")), 0);
    EXPECT_EQ(0, String::compare(String("abcX"), String("abcY"), 3));
    EXPECT_NE(0, String::compare(String("abcX"), String("abcY"), 4));

    EXPECT_TRUE(String::equalNoCase(String("HeLLo"), String("hello")));
    EXPECT_TRUE(String::equalNoCase(String("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9"));  // ÉTÉ / été
    EXPECT_FALSE(String::equalNoCase(String("hello"), String("hell")));
    EXPECT_FALSE(String::equal(String("Hello"), String("hello")));
    EXPECT_EQ(0, String::compareNoCase(String("ABC"), String("abc")));
    EXPECT_LT(String::compareNoCase(String("abc"), String("ABD")), 0);

    String s("Mixed \xC3\x89 Case");
    s.toLower();
    EXPECT_EQ("mixed \xC3\xA9 case", text(s));
    s.toUpper();
    EXPECT_EQ("MIXED \xC3\x89 CASE", text(s));
}

TEST(StringTest, EditingMembers)
{
    String s("hello world");
    EXPECT_EQ(4u, s.find(Char16('o')));
    EXPECT_EQ(7u, s.find(5, Char16('o')));
    EXPECT_EQ(7u, s.reverseFind(Char16('o')));
    EXPECT_EQ(6u, s.find(String("world")));
    EXPECT_EQ(6u, s.find("world"));
    EXPECT_EQ(PEG_NOT_FOUND, s.find("xyz"));
    EXPECT_EQ(PEG_NOT_FOUND, s.find(Char16('z')));

    EXPECT_EQ(String("world"), s.subString(6));
    EXPECT_EQ(String("wor"), s.subString(6, 3));
    EXPECT_EQ(String("world"), s.subString(6, 100));
    EXPECT_EQ(String(), s.subString(100));

    s.remove(5);
    EXPECT_EQ(String("hello"), s);
    s.remove(1, 3);
    EXPECT_EQ(String("ho"), s);
    EXPECT_THROW(s.remove(1, 2), IndexOutOfBoundsException);
    EXPECT_THROW(s[2], IndexOutOfBoundsException);
    const String& cs = s;
    EXPECT_THROW(cs[2], IndexOutOfBoundsException);
    s[0] = Char16('H');
    EXPECT_EQ(String("Ho"), s);

    String t("abc");
    t.append(t);   // appending itself
    EXPECT_EQ(String("abcabc"), t);
    t.append(Char16('!')).append("\xC3\xA9", 2);
    EXPECT_EQ("abcabc!\xC3\xA9", text(t));
    EXPECT_EQ(String("ab") + "cd", String("abcd"));
    EXPECT_EQ("ab" + String("cd"), String("abcd"));

    String p;
    p.appendPrintf("%d-%s-%.2f", 42, "x", 1.5);
    EXPECT_EQ(String("42-x-1.50"), p);
    std::string big(1000, 'q');
    p.appendPrintf("%s", big.c_str());
    EXPECT_EQ(1009u, p.size());
}

TEST(StringTest, EmptyAndCString)
{
    EXPECT_EQ(0u, String::EMPTY.size());
    EXPECT_EQ(0, Uint16(String().getChar16Data()[0]));
    EXPECT_EQ(std::string(""), text(String()));
    CString null;
    EXPECT_EQ(nullptr, static_cast<const char*>(null));
    CString copy = String("x").getCString();
    CString other;
    other = copy;
    EXPECT_STREQ("x", static_cast<const char*>(other));
    String cleared("abc");
    cleared.clear();
    EXPECT_EQ(0u, cleared.size());
    EXPECT_EQ(String(), cleared);
}

TEST(StringTest, CopiesShareTheTextUntilOneChanges)
{
    const String original("Shared Text");
    String copy(original);
    EXPECT_EQ(original.getChar16Data(), copy.getChar16Data());   // no copy made

    // Each way of changing a copy leaves the original and the other copies
    // as they were.
    const std::vector<void (*)(String&)> edits = {
        [](String& s) { s[0] = Char16('X'); },
        [](String& s) { s.append("!"); },
        [](String& s) { s.append(s.getChar16Data() + 7, 4); },   // part of itself
        [](String& s) { s.remove(6); },
        [](String& s) { s.toLower(); },
        [](String& s) { s.toUpper(); },
        [](String& s) { s.clear(); },
        [](String& s) { s.reserveCapacity(100); s.append("x"); },
        [](String& s) { s.assign(s.getChar16Data() + 1, 3); },
        [](String& s) { s = "other"; },
    };
    for (size_t i = 0; i < edits.size(); i++)
    {
        String a(original);
        String b = a;
        edits[i](b);
        EXPECT_EQ("Shared Text", text(original)) << "edit #" << i;
        EXPECT_EQ("Shared Text", text(a)) << "edit #" << i;
        EXPECT_NE(text(a), text(b)) << "edit #" << i;
    }

    String self("ab");
    String alias(self);
    self.append(self.getChar16Data(), self.size());
    EXPECT_EQ("abab", text(self));
    EXPECT_EQ("ab", text(alias));

    // A failed append to a shared text changes neither copy.
    String shared("keep");
    String other(shared);
    EXPECT_THROW(shared.append("x\xC3"), Exception);
    EXPECT_EQ("keep", text(shared));
    EXPECT_EQ("keep", text(other));

    // Appending piece by piece to a text of its own grows it in place.
    String grown;
    for (int i = 0; i < 1000; i++)
        grown.append(Char16('a' + i % 26));
    EXPECT_EQ(1000u, grown.size());
    EXPECT_EQ(Char16('a' + 999 % 26), grown[999]);
    EXPECT_EQ(0, Uint16(grown.getChar16Data()[1000]));

    // Copies handed to other threads are counted safely: every thread
    // copies and drops the one text many times while this one reads it.
    String name("CIM_ComputerSystem");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
    {
        threads.emplace_back([&name] {
            for (int i = 0; i < 20000; i++)
            {
                String c(name);
                String d;
                d = c;
                d.append("x");
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ("CIM_ComputerSystem", text(name));
}
