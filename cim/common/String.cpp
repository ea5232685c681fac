// String keeps UTF-16 code units in a vector with a trailing NUL (an empty
// vector stands for the empty string, so default construction allocates
// nothing).  UTF-8 is converted at the boundaries: const char* input and
// getCString() output.
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

#include "NameFolding.h"
#include "Utf8Text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

PEGASUS_NAMESPACE_BEGIN

namespace
{
constexpr Char16 kEmptyData[1] = {Char16(0)};

inline Uint16 foldLower(Uint16 c) { return foldNameUnit(c); }
inline Uint16 foldUpper(Uint16 c) { return capitalNameUnit(c); }

[[noreturn]] void throwBadUtf8()
{
    throw Exception("invalid UTF-8 character detected");
}

// Appends the UTF-8 form of the code units to out.  Surrogate pairs become
// one four-byte sequence; an unpaired surrogate is written as its own
// three-byte sequence so that no data is lost.  With Fold, each unit is
// first folded as a name (NameFolding.h).
template <bool Fold = false>
void toUtf8(const Char16* p, size_t n, std::string& out)
{
    out.reserve(out.size() + n);
    for (size_t i = 0; i < n; i++)
    {
        Uint32 c = Uint16(p[i]);
        if (c < 0x80)
        {
            // A run of ASCII units maps one to one onto bytes.
            size_t end = i + 1;
            while (end < n && Uint16(p[end]) < 0x80)
                end++;
            size_t at = out.size();
            out.resize(at + (end - i));
            char* q = &out[at];
            for (; i < end; i++)
                *q++ = char(Fold ? foldNameUnit(Uint16(p[i])) : Uint16(p[i]));
            i--;
            continue;
        }
        if (Fold)
            c = foldNameUnit(Uint16(c));
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n &&
            Uint16(p[i + 1]) >= 0xDC00 && Uint16(p[i + 1]) <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (Uint16(p[i + 1]) - 0xDC00);
            i++;
        }
        if (c < 0x80)
            out += char(c);
        else if (c < 0x800)
        {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
        else
        {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
}

int compareUnits(const Char16* p, Uint32 np, const Char16* q, Uint32 nq,
                 bool noCase)
{
    Uint32 n = np < nq ? np : nq;
    for (Uint32 i = 0; i < n; i++)
    {
        int a = Uint16(p[i]);
        int b = Uint16(q[i]);
        if (noCase)
        {
            a = foldLower(Uint16(a));
            b = foldLower(Uint16(b));
        }
        if (a != b)
            return a - b;
    }
    if (np == nq)
        return 0;
    return np < nq ? -1 : 1;
}

size_t lengthOf(const Char16* str)
{
    size_t n = 0;
    while (Uint16(str[n]) != 0)
        n++;
    return n;
}
}

// ----------------------------------------------------------------- CString

CString::CString() : _rep(0) {}

CString::CString(char* cstr) : _rep(cstr) {}

CString::CString(const CString& cstr) : _rep(0)
{
    if (cstr._rep)
    {
        size_t n = strlen(cstr._rep) + 1;
        _rep = new char[n];
        memcpy(_rep, cstr._rep, n);
    }
}

CString::~CString()
{
    delete[] _rep;
}

CString& CString::operator=(const CString& cstr)
{
    if (this != &cstr)
    {
        CString tmp(cstr);
        std::swap(_rep, tmp._rep);
    }
    return *this;
}

// ------------------------------------------------------------------ String

const String String::EMPTY;

String::String() {}

String::String(const String& str) : _buf(str._buf) {}

String::String(String&& str) noexcept : _buf(std::move(str._buf)) {}

String::String(const String& str, Uint32 n)
{
    if (n > str.size())
        throw IndexOutOfBoundsException();
    append(str.getChar16Data(), n);
}

String::String(const Char16* str)
{
    assign(str);
}

String::String(const Char16* str, Uint32 n)
{
    assign(str, n);
}

String::String(const char* str)
{
    assign(str);
}

String::String(const char* str, Uint32 n)
{
    assign(str, n);
}

String::String(const String& s1, const String& s2)
{
    reserveCapacity(s1.size() + s2.size());
    append(s1);
    append(s2);
}

String::String(const String& s1, const char* s2)
{
    append(s1);
    append(s2);
}

String::String(const char* s1, const String& s2)
{
    append(s1);
    append(s2);
}

String::~String() {}

String& String::operator=(const String& str)
{
    return assign(str);
}

String& String::operator=(String&& str) noexcept
{
    _buf = std::move(str._buf);
    return *this;
}

String& String::operator=(const char* str)
{
    return assign(str);
}

String& String::assign(const String& str)
{
    if (this != &str)
        _buf = str._buf;
    return *this;
}

String& String::assign(const Char16* str)
{
    if (!str)
        throw NullPointer();
    return assign(str, Uint32(lengthOf(str)));
}

String& String::assign(const Char16* str, Uint32 n)
{
    if (!str)
        throw NullPointer();
    std::vector<Char16> buf(str, str + n);
    if (n)
        buf.push_back(Char16(0));
    _buf.swap(buf);
    return *this;
}

String& String::assign(const char* str)
{
    if (!str)
        throw NullPointer();
    return assign(str, Uint32(strlen(str)));
}

String& String::assign(const char* str, Uint32 n)
{
    if (!str)
        throw NullPointer();
    String tmp;
    tmp._appendUtf8(str, n);
    _buf.swap(tmp._buf);
    return *this;
}

void String::clear()
{
    _buf.clear();
}

void String::reserveCapacity(Uint32 capacity)
{
    _buf.reserve(size_t(capacity) + 1);
}

const Char16* String::getChar16Data() const
{
    return _buf.empty() ? kEmptyData : _buf.data();
}

std::string utf8Text(const String& text)
{
    std::string out;
    toUtf8(text.getChar16Data(), text.size(), out);
    return out;
}

CString String::getCString() const
{
    std::string utf8;
    toUtf8(getChar16Data(), size(), utf8);
    char* p = new char[utf8.size() + 1];
    memcpy(p, utf8.c_str(), utf8.size() + 1);
    return CString(p);
}

Char16& String::operator[](Uint32 index)
{
    if (index >= size())
        throw IndexOutOfBoundsException();
    return _buf[index];
}

const Char16 String::operator[](Uint32 index) const
{
    if (index >= size())
        throw IndexOutOfBoundsException();
    return _buf[index];
}

String& String::append(const Char16& c)
{
    return append(&c, 1);
}

String& String::append(const Char16* str, Uint32 n)
{
    if (n == 0)
        return *this;
    if (!str)
        throw NullPointer();
    if (_buf.empty())
        _buf.push_back(Char16(0));
    const Char16* begin = _buf.data();
    if (str >= begin && str < begin + _buf.size())
    {
        // Appending a part of this string to itself.
        std::vector<Char16> copy(str, str + n);
        _buf.insert(_buf.end() - 1, copy.begin(), copy.end());
    }
    else
        _buf.insert(_buf.end() - 1, str, str + n);
    return *this;
}

String& String::append(const String& str)
{
    return append(str.getChar16Data(), str.size());
}

String& String::append(const char* str)
{
    if (!str)
        throw NullPointer();
    _appendUtf8(str, strlen(str));
    return *this;
}

String& String::append(const char* str, Uint32 n)
{
    if (!str)
        throw NullPointer();
    _appendUtf8(str, n);
    return *this;
}

namespace {

// Appends ASCII bytes as code units.  They are widened into a small buffer
// first, sixteen at a time where the processor allows, and each buffer full
// is appended as a block.
void appendAscii(std::vector<Char16>& buf, const unsigned char* p, size_t n)
{
    Char16 wide[128];
    while (n)
    {
        const size_t k = n < 128 ? n : 128;
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (; i + 16 <= k; i += 16)
        {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + i), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + i + 8),
                             _mm_unpackhi_epi8(v, zero));
        }
#endif
        for (; i < k; i++)
            wide[i] = Char16(Uint16(p[i]));
        buf.insert(buf.end(), wide, wide + k);
        p += k;
        n -= k;
    }
}

}  // namespace

// Strict decoding: overlong forms, encoded surrogates, code points above
// U+10FFFF and truncated sequences are rejected.  Units are decoded straight
// into the buffer; on invalid input the buffer is cut back, so nothing is
// appended.
void String::_appendUtf8(const char* str, size_t n)
{
    if (n == 0)
        return;
    const size_t oldSize = size();
    if (!_buf.empty())
        _buf.pop_back();   // the NUL goes back on at the end
    _buf.reserve(oldSize + n + 1);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(str);
    const unsigned char* const end = p + n;
    bool ok = true;
    while (p != end)
    {
        // A run of ASCII bytes maps one to one onto code units: found eight
        // bytes at a time, then copied in one piece.
        const unsigned char* run = p;
        while (end - p >= 8)
        {
            uint64_t word;
            memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        while (p != end && *p < 0x80)
            p++;
        if (p != run)
            appendAscii(_buf, run, size_t(p - run));
        if (p == end)
            break;
        Uint32 c = *p;
        size_t len;
        Uint32 min;
        if ((c & 0xE0) == 0xC0)
        {
            len = 2;
            min = 0x80;
            c &= 0x1F;
        }
        else if ((c & 0xF0) == 0xE0)
        {
            len = 3;
            min = 0x800;
            c &= 0x0F;
        }
        else if ((c & 0xF8) == 0xF0)
        {
            len = 4;
            min = 0x10000;
            c &= 0x07;
        }
        else
        {
            ok = false;
            break;
        }
        if (size_t(end - p) < len)
        {
            ok = false;
            break;
        }
        for (size_t k = 1; k < len; k++)
        {
            if ((p[k] & 0xC0) != 0x80)
                ok = false;
            c = (c << 6) | (p[k] & 0x3F);
        }
        if (!ok || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            ok = false;
            break;
        }
        if (c >= 0x10000)
        {
            c -= 0x10000;
            _buf.push_back(Char16(Uint16(0xD800 + (c >> 10))));
            _buf.push_back(Char16(Uint16(0xDC00 + (c & 0x3FF))));
        }
        else
            _buf.push_back(Char16(Uint16(c)));
        p += len;
    }
    if (!ok)
        _buf.resize(oldSize);
    if (!_buf.empty())
        _buf.push_back(Char16(0));
    if (!ok)
        throwBadUtf8();
}

void String::remove(Uint32 index, Uint32 n)
{
    Uint32 sz = size();
    if (n == PEG_NOT_FOUND)
        n = index <= sz ? sz - index : 0;
    if (index > sz || n > sz - index)
        throw IndexOutOfBoundsException();
    if (n == 0)
        return;
    _buf.erase(_buf.begin() + index, _buf.begin() + index + n);
    if (_buf.size() == 1)
        _buf.clear();
}

String String::subString(Uint32 index, Uint32 n) const
{
    Uint32 sz = size();
    if (index >= sz)
        return String();
    if (n > sz - index)
        n = sz - index;
    return String(getChar16Data() + index, n);
}

Uint32 String::find(Char16 c) const
{
    return find(0, c);
}

Uint32 String::find(Uint32 startIndex, Char16 c) const
{
    Uint32 sz = size();
    for (Uint32 i = startIndex; i < sz; i++)
    {
        if (_buf[i] == c)
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 String::find(const String& s) const
{
    Uint32 sz = size();
    Uint32 n = s.size();
    if (n > sz)
        return PEG_NOT_FOUND;
    const Char16* p = getChar16Data();
    const Char16* q = s.getChar16Data();
    for (Uint32 i = 0; i + n <= sz; i++)
    {
        if (memcmp(p + i, q, n * sizeof(Char16)) == 0)
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 String::find(const char* s) const
{
    return find(String(s));
}

Uint32 String::reverseFind(Char16 c) const
{
    for (Uint32 i = size(); i > 0; i--)
    {
        if (_buf[i - 1] == c)
            return i - 1;
    }
    return PEG_NOT_FOUND;
}

void String::toLower()
{
    for (Uint32 i = 0, n = size(); i < n; i++)
        _buf[i] = foldLower(_buf[i]);
}

void String::toUpper()
{
    for (Uint32 i = 0, n = size(); i < n; i++)
        _buf[i] = foldUpper(_buf[i]);
}

void String::appendPrintf(const char* format, ...)
{
    char small[256];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(small, sizeof(small), format, ap);
    va_end(ap);
    if (n < 0)
        return;
    if (size_t(n) < sizeof(small))
    {
        append(small, Uint32(n));
        return;
    }
    std::vector<char> big(size_t(n) + 1);
    va_start(ap, format);
    vsnprintf(big.data(), big.size(), format, ap);
    va_end(ap);
    append(big.data(), Uint32(n));
}

int String::compare(const String& s1, const String& s2, Uint32 n)
{
    Uint32 n1 = s1.size() < n ? s1.size() : n;
    Uint32 n2 = s2.size() < n ? s2.size() : n;
    return compareUnits(s1.getChar16Data(), n1, s2.getChar16Data(), n2, false);
}

int String::compare(const String& s1, const String& s2)
{
    return compareUnits(s1.getChar16Data(), s1.size(),
                        s2.getChar16Data(), s2.size(), false);
}

int String::compare(const String& s1, const char* s2)
{
    return compare(s1, String(s2));
}

int String::compareNoCase(const String& s1, const String& s2)
{
    return compareUnits(s1.getChar16Data(), s1.size(),
                        s2.getChar16Data(), s2.size(), true);
}

Boolean String::equal(const String& s1, const String& s2)
{
    return s1._buf == s2._buf;
}

namespace {

// Compares s1 with a NUL-terminated string without converting it when that
// string is plain ASCII (the usual case: names written in the code).
// Returns 1 or 0, or -1 when s2 holds a non-ASCII byte: the caller then
// converts it, which also reports invalid UTF-8 as before.
int equalAscii(const String& s1, const char* s2, bool noCase)
{
    if (!s2)
        return -1;
    const Char16* p = s1.getChar16Data();
    Uint32 n = s1.size();
    bool same = true;
    Uint32 i = 0;
    for (; s2[i]; i++)
    {
        unsigned char c = static_cast<unsigned char>(s2[i]);
        if (c >= 0x80)
            return -1;
        if (!same)
            continue;
        if (i >= n)
        {
            same = false;
            continue;
        }
        Uint16 a = Uint16(p[i]);
        same = noCase ? foldLower(a) == foldLower(c) : a == c;
    }
    return same && i == n ? 1 : 0;
}

}  // namespace

Boolean String::equal(const String& s1, const char* s2)
{
    int r = equalAscii(s1, s2, false);
    if (r >= 0)
        return r == 1;
    return equal(s1, String(s2));
}

Boolean String::equalNoCase(const String& s1, const String& s2)
{
    return s1.size() == s2.size() && compareNoCase(s1, s2) == 0;
}

Boolean String::equalNoCase(const String& s1, const char* s2)
{
    int r = equalAscii(s1, s2, true);
    if (r >= 0)
        return r == 1;
    return equalNoCase(s1, String(s2));
}

// ------------------------------------------------------------ free operators

Boolean operator==(const String& s1, const String& s2) { return String::equal(s1, s2); }
Boolean operator==(const String& s1, const char* s2) { return String::equal(s1, s2); }
Boolean operator==(const char* s1, const String& s2) { return String::equal(s2, s1); }
Boolean operator!=(const String& s1, const String& s2) { return !String::equal(s1, s2); }
Boolean operator!=(const String& s1, const char* s2) { return !String::equal(s1, s2); }
Boolean operator!=(const char* s1, const String& s2) { return !String::equal(s2, s1); }
Boolean operator<(const String& s1, const String& s2) { return String::compare(s1, s2) < 0; }
Boolean operator<(const String& s1, const char* s2) { return String::compare(s1, s2) < 0; }
Boolean operator<(const char* s1, const String& s2) { return String::compare(s2, s1) > 0; }
Boolean operator<=(const String& s1, const String& s2) { return String::compare(s1, s2) <= 0; }
Boolean operator<=(const String& s1, const char* s2) { return String::compare(s1, s2) <= 0; }
Boolean operator<=(const char* s1, const String& s2) { return String::compare(s2, s1) >= 0; }
Boolean operator>(const String& s1, const String& s2) { return String::compare(s1, s2) > 0; }
Boolean operator>(const String& s1, const char* s2) { return String::compare(s1, s2) > 0; }
Boolean operator>(const char* s1, const String& s2) { return String::compare(s2, s1) < 0; }
Boolean operator>=(const String& s1, const String& s2) { return String::compare(s1, s2) >= 0; }
Boolean operator>=(const String& s1, const char* s2) { return String::compare(s1, s2) >= 0; }
Boolean operator>=(const char* s1, const String& s2) { return String::compare(s2, s1) <= 0; }

String operator+(const String& s1, const String& s2) { return String(s1, s2); }
String operator+(const String& s1, const char* s2) { return String(s1, s2); }
String operator+(const char* s1, const String& s2) { return String(s1, s2); }

std::ostream& operator<<(std::ostream& os, const String& str)
{
    static const char hex[] = "0123456789ABCDEF";
    const Char16* p = str.getChar16Data();
    std::string out;
    out.reserve(str.size());
    for (Uint32 i = 0, n = str.size(); i < n; i++)
    {
        Uint16 c = p[i];
        if (c > 0 && c <= 0xFF)
            out += char(c);
        else
        {
            char esc[6] = {'\\', 'x', hex[(c >> 12) & 0xF], hex[(c >> 8) & 0xF],
                           hex[(c >> 4) & 0xF], hex[c & 0xF]};
            out.append(esc, 6);
        }
    }
    return os << out;
}

// ------------------------------------------------------------- name folding

std::string foldedName(const String& name)
{
    std::string out;
    toUtf8<true>(name.getChar16Data(), name.size(), out);
    return out;
}

std::string foldedName(const std::string& utf8)
{
    // In UTF-8 the folded Latin-1 capitals U+00C0..U+00DE are C3 80..C3 9E
    // (C3 97 is the multiplication sign); their small letters are 0x20
    // above in the second byte.  C3 is always a lead byte, never a
    // continuation byte, so no other sequence is touched.
    std::string out(utf8);
    for (std::size_t i = 0, n = out.size(); i < n; i++)
    {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z')
            out[i] = char(c + 0x20);
        else if (c == 0xC3 && i + 1 < n)
        {
            unsigned char d = static_cast<unsigned char>(out[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97)
                out[i + 1] = char(d + 0x20);
            i++;
        }
    }
    return out;
}

PEGASUS_NAMESPACE_END
