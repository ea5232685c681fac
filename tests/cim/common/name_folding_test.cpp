// The one rule by which CIM names compare: String::equalNoCase, CIMName and
// the folded keys of the compiler (UTF-8) and the server (String) agree.
#include "NameFolding.h"

#include <Pegasus/Common/CIMName.h>

#include <gtest/gtest.h>

#include <string>

using namespace Pegasus;

namespace {

struct Pair
{
    const char* a;   // UTF-8
    const char* b;
    bool same;
};

const Pair kPairs[] = {
    {"CIM_System", "cim_SYSTEM", true},
    {"Gr\xC3\x96\xC3\x9F" "e", "gr\xC3\xB6\xC3\x9F" "E", true},   // GrÖße / größe
    {"\xC3\x80\xC3\x9E", "\xC3\xA0\xC3\xBE", true},                 // ÀÞ / àþ: ends of the range
    {"a\xC3\x97", "a\xC3\xB7", false},                             // × / ÷ are not letters
    {"\xC3\x9F", "SS", false},                                     // ß has no one-letter capital
    {"\xC3\xBF", "\xC5\xB8", false},                               // ÿ / Ÿ: partner beyond Latin-1
    {"\xCE\xA3", "\xCF\x83", false},                               // Σ / σ: beyond Latin-1
    {"\xF0\x9F\x98\x80" "A", "\xF0\x9F\x98\x80" "a", true},       // beside a surrogate pair
    {"name", "names", false},
};

}  // namespace

TEST(NameFoldingTest, EveryComparisonOfNamesFollowsTheSameRule)
{
    for (const Pair& p : kPairs)
    {
        SCOPED_TRACE(std::string(p.a) + " / " + p.b);
        const String a(p.a), b(p.b);
        EXPECT_EQ(p.same, bool(String::equalNoCase(a, b)));
        EXPECT_EQ(p.same, bool(String::equalNoCase(a, p.b)));
        EXPECT_EQ(p.same, CIMName(a).equal(CIMName(b)));
        EXPECT_EQ(p.same, foldedName(a) == foldedName(b));
        EXPECT_EQ(p.same, foldedName(std::string(p.a)) == foldedName(std::string(p.b)));
        // The compiler's key of the UTF-8 text is the server's key of the name.
        EXPECT_EQ(foldedName(a), foldedName(std::string(p.a)));
        EXPECT_EQ(foldedName(b), foldedName(std::string(p.b)));
        String lower(a);
        lower.toLower();
        EXPECT_EQ(foldedName(a), std::string(lower.getCString()));
    }
}
