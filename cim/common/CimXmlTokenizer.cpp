#include "CimXmlTokenizer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Pegasus {

namespace {

const char* const kInvalidToken = "not well-formed (invalid token)";
const char* const kUnclosedToken = "unclosed token";
// Attributes of a start tag checked for duplicates one by one.
const std::size_t kFewAttributes = 16;

// Byte classes.  A "plain" byte needs no attention inside the construct:
// printable ASCII other than the construct's delimiters.
struct ByteClasses
{
    bool text[256] = {};       // character data: not < & ] CR, controls, non-ASCII
    bool attribute[256] = {};  // attribute value: not < & ' " CR TAB LF, controls, non-ASCII
    bool nameStart[256] = {};  // ASCII name start characters
    bool name[256] = {};       // ASCII name characters

    ByteClasses()
    {
        for (int c = 0x20; c < 0x80; c++)
        {
            text[c] = c != '<' && c != '&' && c != ']';
            attribute[c] = c != '<' && c != '&' && c != '\'' && c != '"';
            bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            nameStart[c] = letter || c == '_' || c == ':';
            name[c] = nameStart[c] || (c >= '0' && c <= '9') || c == '-' || c == '.';
        }
        text[int('\t')] = text[int('\n')] = true;
    }
};

const ByteClasses kBytes;

// Skips sixteen bytes at a time while none of them can need attention in
// character data: no '<', '&' or ']', nothing below 0x20 (CR, controls, and
// also TAB and LF, which the byte loop then passes), nothing beyond ASCII.
inline const char* skipPlainText(const char* s, const char* end)
{
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i bracket = _mm_set1_epi8(']');
    const __m128i space = _mm_set1_epi8(0x20);
    while (end - s >= 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        // Signed: bytes from 0x80 on count as below 0x20.
        __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, amp)),
            _mm_or_si128(_mm_cmpeq_epi8(v, bracket), _mm_cmplt_epi8(v, space)));
        int found = _mm_movemask_epi8(special);
        if (found)
            return s + __builtin_ctz(unsigned(found));
        s += 16;
    }
#endif
    return s;
}

// The end of the run of ASCII name characters at s: letters, digits and
// - . _ : (sixteen bytes at a time where the processor allows).
inline const char* asciiNameRunEnd(const char* s, const char* end)
{
#if defined(__SSE2__)
    // An unsigned range test on signed compares: v in [lo, lo + n) when
    // (v - lo) ^ 0x80 < n ^ 0x80.
    auto inRange = [](__m128i v, char lo, int n) {
        const __m128i flip = _mm_set1_epi8(char(0x80));
        __m128i d = _mm_xor_si128(_mm_sub_epi8(v, _mm_set1_epi8(lo)), flip);
        return _mm_cmplt_epi8(d, _mm_set1_epi8(char(n ^ 0x80)));
    };
    while (end - s >= 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        // Letters of either case; '-' to ':' without '/'; '_'.
        __m128i letter = inRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26);
        __m128i punctuation = _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('/')),
                                               inRange(v, '-', ':' - '-' + 1));
        __m128i underscore = _mm_cmpeq_epi8(v, _mm_set1_epi8('_'));
        unsigned names = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, punctuation), underscore)));
        if (names != 0xFFFF)
            return s + __builtin_ctz(~names);
        s += 16;
    }
#endif
    while (s < end && kBytes.name[static_cast<unsigned char>(*s)])
        ++s;
    return s;
}

inline bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Name characters beyond ASCII (XML 1.0, fifth edition).
bool isNameStartCode(unsigned cp)
{
    return (cp >= 0xC0 && cp <= 0xD6) || (cp >= 0xD8 && cp <= 0xF6) ||
           (cp >= 0xF8 && cp <= 0x2FF) || (cp >= 0x370 && cp <= 0x37D) ||
           (cp >= 0x37F && cp <= 0x1FFF) || (cp >= 0x200C && cp <= 0x200D) ||
           (cp >= 0x2070 && cp <= 0x218F) || (cp >= 0x2C00 && cp <= 0x2FEF) ||
           (cp >= 0x3001 && cp <= 0xD7FF) || (cp >= 0xF900 && cp <= 0xFDCF) ||
           (cp >= 0xFDF0 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0xEFFFF);
}

bool isNameCode(unsigned cp)
{
    return isNameStartCode(cp) || cp == 0xB7 || (cp >= 0x300 && cp <= 0x36F) ||
           (cp >= 0x203F && cp <= 0x2040);
}

bool isXmlChar(unsigned long cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Writes the UTF-8 bytes of cp to `to` (room for four) and counts them.
std::size_t utf8Bytes(unsigned long cp, char* to)
{
    if (cp < 0x80)
    {
        to[0] = char(cp);
        return 1;
    }
    if (cp < 0x800)
    {
        to[0] = char(0xC0 | (cp >> 6));
        to[1] = char(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000)
    {
        to[0] = char(0xE0 | (cp >> 12));
        to[1] = char(0x80 | ((cp >> 6) & 0x3F));
        to[2] = char(0x80 | (cp & 0x3F));
        return 3;
    }
    to[0] = char(0xF0 | (cp >> 18));
    to[1] = char(0x80 | ((cp >> 12) & 0x3F));
    to[2] = char(0x80 | ((cp >> 6) & 0x3F));
    to[3] = char(0x80 | (cp & 0x3F));
    return 4;
}

// Whether [p, end) starts with `literal`: 1 yes, -1 no, 0 the piece ends
// before it can tell.
int startsWith(const char* p, const char* end, const char* literal)
{
    for (; *literal; ++literal, ++p)
    {
        if (p == end)
            return 0;
        if (*p != *literal)
            return -1;
    }
    return 1;
}

bool equalsNoCase(const char* p, std::size_t n, const char* lower)
{
    if (std::strlen(lower) != n)
        return false;
    for (std::size_t i = 0; i < n; i++)
    {
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

}  // namespace

void CimXmlTokenizer::feed(const char* data, std::size_t size, bool last)
{
    const char* p = data;
    const char* end = data + size;
    bool joined = !_pending.empty();
    // A token that spans many pieces is read again from its start each
    // time: after a large unfinished tail the next try waits until the
    // tail has doubled, so that a huge token costs its size a few times,
    // not once per piece.
    if (joined && !last && _pending.size() + size < _retryAt)
    {
        _pending.append(data, size);
        return;
    }
    if (joined)
    {
        _pending.append(data, size);
        p = _pending.data();
        end = p + _pending.size();
    }
    _begin = _counted = p;
    _beginLine = _line;
    _token = p;
    const char* rest = run(p, end, last);
    if (last)
        return;
    countLines(rest);
    if (joined)
        _pending.erase(0, std::size_t(rest - p));
    else
        _pending.assign(rest, std::size_t(end - rest));
    const std::size_t kSmallTail = 4096;
    _retryAt = _pending.size() > kSmallTail ? 2 * _pending.size() : 0;
}

unsigned long CimXmlTokenizer::currentLine()
{
    return lineAt(_token);
}

unsigned long CimXmlTokenizer::lineAt(const char* at)
{
    if (at < _counted)
    {
        _counted = _begin;
        _line = _beginLine;
    }
    countLines(at);
    return _line;
}

// Line ends as XML counts them: LF, CR LF, and a CR alone.  Documents
// often hold a line per element, so the ends are counted sixteen bytes at
// a time: each byte that is an LF, or a CR no LF follows, adds one to its
// lane's counter.
void CimXmlTokenizer::countLines(const char* to)
{
    const char* p = _counted;
    unsigned long lines = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (to - p >= 17)
    {
        // The byte counters are added up before any of them can overflow.
        __m128i counts = _mm_setzero_si128();
        for (int i = 0; i < 255 && to - p >= 17; i++, p += 16)
        {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
            __m128i ends = _mm_or_si128(
                _mm_cmpeq_epi8(v, lf),
                _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(v, cr)));
            counts = _mm_sub_epi8(counts, ends);
        }
        __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        lines += unsigned(_mm_extract_epi16(sums, 0)) + unsigned(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; p < to; ++p)
    {
        if (*p == '\n' || (*p == '\r' && (p + 1 == to || p[1] != '\n')))
            lines++;
    }
    _line += lines;
    _counted = to;
}

void CimXmlTokenizer::fail(const char* at, const char* message)
{
    throw CimXmlException(CimXmlException::SYNTAX,
                          String(("line " + std::to_string(lineAt(at)) + ": " + message).c_str()));
}

const char* CimXmlTokenizer::incomplete(const char* tokenStart, bool last, const char* message)
{
    if (last)
        fail(tokenStart, message);
    _needMore = true;
    return tokenStart;
}

std::size_t CimXmlTokenizer::utf8Char(const char* p, const char* end, bool last, unsigned& cp)
{
    unsigned char c = static_cast<unsigned char>(*p);
    std::size_t n;
    if (c < 0xC2)
        fail(p, kInvalidToken);
    else if (c < 0xE0)
    {
        n = 2;
        cp = c & 0x1F;
    }
    else if (c < 0xF0)
    {
        n = 3;
        cp = c & 0x0F;
    }
    else if (c < 0xF5)
    {
        n = 4;
        cp = c & 0x07;
    }
    else
        fail(p, kInvalidToken);
    for (std::size_t i = 1; i < n; i++)
    {
        if (p + i == end)
        {
            if (last)
                fail(p, "partial character");
            return 0;
        }
        unsigned char b = static_cast<unsigned char>(p[i]);
        if ((b & 0xC0) != 0x80)
            fail(p, kInvalidToken);
        cp = (cp << 6) | (b & 0x3F);
        // Overlong forms and surrogates show in the second byte already.
        if (i == 1 && ((n == 3 && cp < 0x20) || (n == 3 && cp >= 0x360 && cp < 0x380) ||
                       (n == 4 && (cp < 0x10 || cp > 0x10F))))
            fail(p, kInvalidToken);
    }
    if (n == 3 && (cp == 0xFFFE || cp == 0xFFFF))
        fail(p, kInvalidToken);
    return n;
}

const char* CimXmlTokenizer::name(const char* p, const char* end, bool last)
{
    // ASCII names, the only ones CIM-XML has, in one tight loop.
    const char* s = p;
    if (s < end && kBytes.nameStart[static_cast<unsigned char>(*s)])
    {
        s = asciiNameRunEnd(s + 1, end);
        if (s < end && static_cast<unsigned char>(*s) < 0x80)
            return s;
    }
    bool first = s == p;
    p = s;
    while (p < end)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x80)
        {
            if (!(first ? kBytes.nameStart[c] : kBytes.name[c]))
            {
                if (first)
                    fail(p, kInvalidToken);
                return p;
            }
            ++p;
        }
        else
        {
            unsigned cp = 0;
            std::size_t n = utf8Char(p, end, last, cp);
            if (!n)
                return nullptr;
            if (!(first ? isNameStartCode(cp) : isNameCode(cp)))
            {
                if (first)
                    fail(p, kInvalidToken);
                return p;
            }
            p += n;
        }
        first = false;
    }
    if (last)
        fail(p, kUnclosedToken);
    return nullptr;
}

const char* CimXmlTokenizer::run(const char* p, const char* end, bool last)
{
    _needMore = false;
    if (!_started)
    {
        // A byte order mark, then perhaps the XML declaration.
        const char* q = p;
        int bom = startsWith(q, end, "\xEF\xBB\xBF");
        if (bom == 0 && q < end && !last)
            return p;
        if (bom == 1)
            q += 3;
        int declaration = startsWith(q, end, "<?xml");
        if (declaration >= 0 && end - q < 6 && !last)
            return p;
        _started = true;
        if (declaration == 1 && end - q >= 6 && isSpace(q[5]))
        {
            _token = q;
            const char* r = xmlDeclaration(q, end, last);
            if (_needMore)
            {
                _started = false;
                return p;
            }
            q = r;
        }
        p = q;
    }
    while (p < end)
    {
        _token = p;
        const char* r;
        if (*p == '<')
        {
            if (end - p < 2)
                return incomplete(p, last, kUnclosedToken);
            char c = p[1];
            if (c == '/')
                r = endTag(p, end, last);
            else if (c == '!')
                r = markup(p, end, last);
            else if (c == '?')
                r = processingInstruction(p, end, last);
            else
                r = startTag(p, end, last);
        }
        else if (_nameStarts.empty())
            r = outsideRoot(p, end, last);
        else
            r = content(p, end, last);
        if (_needMore)
            return r;
        p = r;
    }
    if (last && !_rootClosed)
        fail(end, "no element found");
    return end;
}

const char* CimXmlTokenizer::outsideRoot(const char* p, const char* end, bool last)
{
    while (p < end && isSpace(*p))
        ++p;
    // A CR at the end of a piece: whether it ends a line of its own shows
    // with the next byte, so it starts the kept tail.
    if (p == end && !last && p[-1] == '\r')
    {
        _needMore = true;
        return p - 1;
    }
    if (p < end && *p != '<')
        fail(p, _rootClosed ? "junk after document element" : "syntax error");
    return p;
}

const char* CimXmlTokenizer::startTag(const char* p, const char* end, bool last)
{
    const char* q = p + 1;
    const char* nameEnd = name(q, end, last);
    if (!nameEnd)
        return incomplete(p, last, kUnclosedToken);
    if (_rootClosed)
        fail(p, "junk after document element");
    _attributeText.size = 0;
    _attributeOffsets.clear();
    const char* s = nameEnd;
    bool empty;
    for (;;)
    {
        const char* space = s;
        while (s < end && isSpace(*s))
            ++s;
        if (s == end)
            return incomplete(p, last, kUnclosedToken);
        if (*s == '>')
        {
            empty = false;
            ++s;
            break;
        }
        if (*s == '/')
        {
            if (s + 1 == end)
                return incomplete(p, last, kUnclosedToken);
            if (s[1] != '>')
                fail(s, kInvalidToken);
            empty = true;
            s += 2;
            break;
        }
        if (s == space)
            fail(s, kInvalidToken);
        const char* attributeName = s;
        s = name(s, end, last);
        if (!s)
            return incomplete(p, last, kUnclosedToken);
        std::size_t nameSize = std::size_t(s - attributeName);
        // Compared pairwise while there are few; beyond that all names are
        // compared at once below, sorted.
        for (std::size_t i = 0; i < _attributeOffsets.size() && i < 2 * kFewAttributes; i += 2)
        {
            // A name is followed by its NUL, then its value.
            std::size_t other = _attributeOffsets[i];
            if (_attributeOffsets[i + 1] - other == nameSize + 1 &&
                equalBytes(_attributeText.data() + other, attributeName, nameSize))
                fail(attributeName, "duplicate attribute");
        }
        _attributeOffsets.push_back(_attributeText.size);
        _attributeText.append(attributeName, nameSize);
        _attributeText.append('\0');
        while (s < end && isSpace(*s))
            ++s;
        if (s == end)
            return incomplete(p, last, kUnclosedToken);
        if (*s != '=')
            fail(s, kInvalidToken);
        ++s;
        while (s < end && isSpace(*s))
            ++s;
        if (s == end)
            return incomplete(p, last, kUnclosedToken);
        char quote = *s;
        if (quote != '"' && quote != '\'')
            fail(s, kInvalidToken);
        ++s;
        _attributeOffsets.push_back(_attributeText.size);
        // The value, normalized as XML requires: each white-space
        // character (a CR LF pair counts as one) becomes a space.
        for (;;)
        {
            const char* plain = s;
            while (s < end && kBytes.attribute[static_cast<unsigned char>(*s)])
                ++s;
            _attributeText.append(plain, std::size_t(s - plain));
            if (s == end)
                return incomplete(p, last, kUnclosedToken);
            char c = *s;
            if (c == quote)
            {
                ++s;
                break;
            }
            if (c == '"' || c == '\'')
            {
                _attributeText.append(c);
                ++s;
            }
            else if (c == '&')
            {
                char decoded[4];
                std::size_t size = 0;
                s = reference(s, end, last, decoded, size);
                if (!s)
                    return incomplete(p, last, kUnclosedToken);
                _attributeText.appendCharacter(decoded, size);
            }
            else if (c == '\t' || c == '\n')
            {
                _attributeText.append(' ');
                ++s;
            }
            else if (c == '\r')
            {
                if (s + 1 == end)
                    return incomplete(p, last, kUnclosedToken);
                _attributeText.append(' ');
                s += s[1] == '\n' ? 2 : 1;
            }
            else if (static_cast<unsigned char>(c) >= 0x80)
            {
                unsigned cp = 0;
                std::size_t n = utf8Char(s, end, last, cp);
                if (!n)
                    return incomplete(p, last, kUnclosedToken);
                _attributeText.append(s, n);
                s += n;
            }
            else
                fail(s, kInvalidToken);
        }
        _attributeText.append('\0');
    }

    _attributes.clear();
    for (std::size_t offset : _attributeOffsets)
        _attributes.push_back(_attributeText.data() + offset);
    if (_attributeOffsets.size() > 2 * kFewAttributes)
    {
        std::vector<const char*> names;
        for (std::size_t i = 0; i < _attributes.size(); i += 2)
            names.push_back(_attributes[i]);
        auto less = [](const char* a, const char* b) { return std::strcmp(a, b) < 0; };
        std::sort(names.begin(), names.end(), less);
        for (std::size_t i = 1; i < names.size(); i++)
        {
            if (std::strcmp(names[i - 1], names[i]) == 0)
                fail(p, "duplicate attribute");
        }
    }
    _attributes.push_back(nullptr);
    _nameStarts.push_back(_names.size);
    _names.append(q, std::size_t(nameEnd - q));
    _names.append('\0');
    _spaceWanted.push_back(_sink->startTag(_names.data() + _nameStarts.back(),
                                           std::size_t(nameEnd - q), _attributes.data()));
    if (empty)
    {
        _sink->endTag();
        _names.size = _nameStarts.back();
        _nameStarts.pop_back();
        _spaceWanted.pop_back();
        _rootClosed = _nameStarts.empty();
    }
    return s;
}

const char* CimXmlTokenizer::endTag(const char* p, const char* end, bool last)
{
    const char* q = p + 2;
    const char* nameEnd = nullptr;
    bool matched = false;
    if (!_nameStarts.empty())
    {
        // Mostly the name is that of the open element, which was checked
        // as it opened: compared, not read again.
        std::size_t open = _nameStarts.back();
        std::size_t size = _names.size - open - 1;
        matched = std::size_t(end - q) > size && equalBytes(_names.data() + open, q, size) &&
                  !kBytes.name[static_cast<unsigned char>(q[size])] &&
                  static_cast<unsigned char>(q[size]) < 0x80;
        if (matched)
            nameEnd = q + size;
    }
    if (!matched)
    {
        nameEnd = name(q, end, last);
        if (!nameEnd)
            return incomplete(p, last, kUnclosedToken);
    }
    const char* s = nameEnd;
    while (s < end && isSpace(*s))
        ++s;
    if (s == end)
        return incomplete(p, last, kUnclosedToken);
    if (*s != '>')
        fail(s, kInvalidToken);
    if (_nameStarts.empty())
        fail(p, _rootClosed ? "junk after document element" : kInvalidToken);
    std::size_t open = _nameStarts.back();
    std::size_t size = _names.size - open - 1;
    if (!matched &&
        (size != std::size_t(nameEnd - q) || !equalBytes(_names.data() + open, q, size)))
        fail(p, "mismatched tag");
    _sink->endTag();
    _names.size = open;
    _nameStarts.pop_back();
    _spaceWanted.pop_back();
    _rootClosed = _nameStarts.empty();
    return s + 1;
}

const char* CimXmlTokenizer::markup(const char* p, const char* end, bool last)
{
    int comment = startsWith(p, end, "<!--");
    if (comment == 1)
    {
        const char* r = skipUntil(p + 4, end, last, "-->", true);
        return r ? r : incomplete(p, last, kUnclosedToken);
    }
    int section = startsWith(p, end, "<![CDATA[");
    if (section == 1)
    {
        if (_nameStarts.empty())
            fail(p, _rootClosed ? "junk after document element" : kInvalidToken);
        return cdata(p, end, last);
    }
    int doctype = startsWith(p, end, "<!DOCTYPE");
    // A DOCTYPE is the only way to declare entities, and entities are the
    // vehicle of expansion bombs and external-file tricks.  CIM-XML never
    // needs one, so it ends the parse before anything in it is read.
    if (doctype == 1)
        fail(p, "DOCTYPE declarations are not allowed");
    if (comment == 0 || section == 0 || doctype == 0)
        return incomplete(p, last, kUnclosedToken);
    fail(p, kInvalidToken);
}

const char* CimXmlTokenizer::cdata(const char* p, const char* end, bool last)
{
    const char* s = p + 9;
    const char* start = s;
    bool decoded = false;
    const char* plain = s;
    for (;;)
    {
        while (s < end && kBytes.text[static_cast<unsigned char>(*s)] && *s != '\r')
            ++s;
        if (s == end)
            return incomplete(p, last, "unclosed CDATA section");
        unsigned char c = static_cast<unsigned char>(*s);
        if (c == ']')
        {
            int close = startsWith(s, end, "]]>");
            if (close == 0)
                return incomplete(p, last, "unclosed CDATA section");
            if (close == 1)
                break;
            ++s;
        }
        else if (c == '<' || c == '&')
            ++s;
        else if (c == '\r')
        {
            if (s + 1 == end)
                return incomplete(p, last, "unclosed CDATA section");
            if (!decoded)
            {
                _decoded.size = 0;
                _decoded.append(start, std::size_t(s - start));
            }
            else
                _decoded.append(plain, std::size_t(s - plain));
            decoded = true;
            _decoded.append('\n');
            s += s[1] == '\n' ? 2 : 1;
            plain = s;
        }
        else if (c >= 0x80)
        {
            unsigned cp = 0;
            std::size_t n = utf8Char(s, end, last, cp);
            if (!n)
                return incomplete(p, last, "unclosed CDATA section");
            s += n;
        }
        else
            fail(s, kInvalidToken);
    }
    if (decoded)
    {
        _decoded.append(plain, std::size_t(s - plain));
        if (_decoded.size)
            _sink->text(_decoded.data(), _decoded.size);
    }
    else if (s > start)
        _sink->text(start, std::size_t(s - start));
    return s + 3;
}

const char* CimXmlTokenizer::content(const char* p, const char* end, bool last)
{
    if (!_spaceWanted.back())
    {
        // White space between child elements is dropped here, the most
        // common text of all.
        const char* w = p;
        while (w < end && isSpace(*w))
            ++w;
        if (w < end && *w == '<')
            return w;
        if (w == end)
        {
            // A CR at the end of a piece: whether it ends a line of its own
            // shows with the next byte, so it starts the kept tail.
            if (!last && w[-1] == '\r')
            {
                _needMore = true;
                return w - 1;
            }
            return w;
        }
    }
    const char* s = p;
    const char* plain = s;
    bool decoded = false;
    for (;;)
    {
        s = skipPlainText(s, end);
        while (s < end && kBytes.text[static_cast<unsigned char>(*s)])
        {
            if (*s == '\n' || *s == '\t')
                s = skipPlainText(s + 1, end);
            else
                ++s;
        }
        if (s == end)
            break;
        unsigned char c = static_cast<unsigned char>(*s);
        if (c == '<')
            break;
        if (c == '&' || c == '\r')
        {
            if (c == '\r' && s + 1 == end && !last)
            {
                _needMore = true;
                break;
            }
            if (!decoded)
            {
                _decoded.size = 0;
                _decoded.append(p, std::size_t(s - p));
            }
            else
                _decoded.append(plain, std::size_t(s - plain));
            decoded = true;
            plain = s;
            if (c == '&')
            {
                char decodedChar[4];
                std::size_t size = 0;
                const char* r = reference(s, end, last, decodedChar, size);
                if (!r)
                {
                    _needMore = true;
                    break;
                }
                _decoded.appendCharacter(decodedChar, size);
                s = r;
            }
            else
            {
                _decoded.append('\n');
                s += s + 1 < end && s[1] == '\n' ? 2 : 1;
            }
            plain = s;
        }
        else if (c == ']')
        {
            int close = startsWith(s, end, "]]>");
            if (close == 1)
                fail(s, kInvalidToken);
            if (close == 0 && !last)
            {
                _needMore = true;
                break;
            }
            ++s;
        }
        else if (c >= 0x80)
        {
            unsigned cp = 0;
            std::size_t n = utf8Char(s, end, last, cp);
            if (!n)
            {
                _needMore = true;
                break;
            }
            s += n;
        }
        else
            fail(s, kInvalidToken);
    }
    bool needMore = _needMore;
    if (decoded)
    {
        _decoded.append(plain, std::size_t(s - plain));
        if (_decoded.size)
            _sink->text(_decoded.data(), _decoded.size);
    }
    else if (s > p)
        _sink->text(p, std::size_t(s - p));
    _needMore = needMore;
    return s;
}

const char* CimXmlTokenizer::reference(const char* p, const char* end, bool last, char* to,
                                       std::size_t& size)
{
    const char* q = p + 1;
    if (q == end)
    {
        if (last)
            fail(p, kUnclosedToken);
        return nullptr;
    }
    if (*q == '#')
    {
        ++q;
        bool hex = q < end && *q == 'x';
        if (hex)
            ++q;
        unsigned long value = 0;
        std::size_t digits = 0;
        for (; q < end; ++q, ++digits)
        {
            char c = *q;
            unsigned d;
            if (c >= '0' && c <= '9')
                d = unsigned(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                d = unsigned(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                d = unsigned(c - 'A' + 10);
            else
                break;
            value = value * (hex ? 16 : 10) + d;
            if (value > 0x10FFFF)
                value = 0x110000;
        }
        if (q == end)
        {
            if (last)
                fail(p, kUnclosedToken);
            return nullptr;
        }
        if (*q != ';' || digits == 0)
            fail(q, kInvalidToken);
        if (!isXmlChar(value))
            fail(p, "reference to invalid character number");
        size = utf8Bytes(value, to);
        return q + 1;
    }
    // The predefined entities, by far the most frequent references.
    static const struct
    {
        const char* text;   // name and ';'
        std::size_t size;
        char value;
    } kPredefined[] = {
        {"quot;", 5, '"'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"amp;", 4, '&'}, {"apos;", 5, '\''}};
    for (const auto& e : kPredefined)
    {
        if (std::size_t(end - q) >= e.size && equalBytes(q, e.text, e.size))
        {
            to[0] = e.value;
            size = 1;
            return q + e.size;
        }
    }
    const char* nameEnd = name(q, end, last);
    if (!nameEnd)
        return nullptr;
    if (*nameEnd != ';')
        fail(nameEnd, kInvalidToken);
    // Any other name: an entity no declaration defined.
    fail(p, "undefined entity");
}

const char* CimXmlTokenizer::skipUntil(const char* p, const char* end, bool last,
                                       const char* close, bool comment)
{
    for (const char* s = p; s < end;)
    {
        unsigned char c = static_cast<unsigned char>(*s);
        if (c == static_cast<unsigned char>(close[0]))
        {
            int closed = startsWith(s, end, close);
            if (closed == 1)
                return s + std::strlen(close);
            if (closed == 0)
                break;
            // "--" may appear in a comment only as its end.
            if (comment && s[1] == '-')
                fail(s, kInvalidToken);
            ++s;
        }
        else if (c >= 0x80)
        {
            unsigned cp = 0;
            std::size_t n = utf8Char(s, end, last, cp);
            if (!n)
                break;
            s += n;
        }
        else if (c < 0x20 && !isSpace(char(c)))
            fail(s, kInvalidToken);
        else
            ++s;
    }
    if (last)
        fail(p, kUnclosedToken);
    return nullptr;
}

const char* CimXmlTokenizer::processingInstruction(const char* p, const char* end, bool last)
{
    const char* target = p + 2;
    const char* targetEnd = name(target, end, last);
    if (!targetEnd)
        return incomplete(p, last, kUnclosedToken);
    if (equalsNoCase(target, std::size_t(targetEnd - target), "xml"))
        fail(p, "XML or text declaration not at start of entity");
    // The target ends the instruction or is followed by white space.
    const char* s = targetEnd;
    if (s < end && !isSpace(*s))
    {
        if (*s != '?')
            fail(s, kInvalidToken);
        if (s + 1 == end)
            return incomplete(p, last, kUnclosedToken);
        if (s[1] != '>')
            fail(s, kInvalidToken);
    }
    const char* r = skipUntil(s, end, last, "?>", false);
    return r ? r : incomplete(p, last, kUnclosedToken);
}

// <?xml version="..." [encoding="..."] [standalone="yes|no"] ?>.  The
// document must be UTF-8, so no other encoding is accepted.
const char* CimXmlTokenizer::xmlDeclaration(const char* p, const char* end, bool last)
{
    const char* close = p + 5;
    for (;; ++close)
    {
        if (close + 1 >= end)
            return incomplete(p, last, kUnclosedToken);
        if (close[0] == '?' && close[1] == '>')
            break;
    }
    const char* const kBad = "XML declaration not well-formed";
    const char* s = p + 5;
    const char* const names[] = {"version", "encoding", "standalone"};
    unsigned next = 0;
    for (;;)
    {
        const char* space = s;
        while (s < close && isSpace(*s))
            ++s;
        if (s == close)
            break;
        if (s == space)
            fail(s, kBad);
        const char* n = s;
        while (s < close && *s >= 'a' && *s <= 'z')
            ++s;
        unsigned which = next;
        while (which < 3 && (std::strlen(names[which]) != std::size_t(s - n) ||
                             std::memcmp(names[which], n, std::size_t(s - n)) != 0))
            which++;
        if (which == 3 || (next == 0 && which != 0))
            fail(n, kBad);
        next = which + 1;
        while (s < close && isSpace(*s))
            ++s;
        if (s == close || *s != '=')
            fail(s, kBad);
        ++s;
        while (s < close && isSpace(*s))
            ++s;
        if (s == close || (*s != '"' && *s != '\''))
            fail(s, kBad);
        char quote = *s++;
        const char* value = s;
        while (s < close && *s != quote)
        {
            char c = *s;
            bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
            if (!ok)
                fail(s, kBad);
            ++s;
        }
        if (s == close || (s == value && which != 0))
            fail(s, kBad);
        std::size_t size = std::size_t(s - value);
        if (which == 1 && !equalsNoCase(value, size, "utf-8"))
            fail(value, "unknown encoding");
        if (which == 2 && !(size == 3 && std::memcmp(value, "yes", 3) == 0) &&
            !(size == 2 && std::memcmp(value, "no", 2) == 0))
            fail(value, kBad);
        ++s;
    }
    if (next == 0)
        fail(close, kBad);
    return close + 2;
}

}  // namespace Pegasus
