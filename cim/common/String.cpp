// String keeps UTF-16 code units with a trailing NUL in one reference-counted
// block that copies share until one of them changes (a null block stands for
// the empty string, so default construction allocates nothing).  UTF-8 is
// converted at the boundaries: const char* input and getCString() output.
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

#include "NameFolding.h"
#include "Utf8Text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
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

String::Rep* String::_allocate(Uint32 capacity)
{
    const size_t units = size_t(capacity) + 1;
    if (units > (std::numeric_limits<size_t>::max() - sizeof(Rep)) / sizeof(Char16))
        throw std::bad_alloc();
    Rep* rep = new (::operator new(sizeof(Rep) + units * sizeof(Char16))) Rep;
    rep->refs.store(1, std::memory_order_relaxed);
    rep->size = 0;
    rep->capacity = capacity;
    rep->units()[0] = Char16(0);
    return rep;
}

void String::_release(Rep* rep)
{
    // A text nobody else holds (the usual case for values) is freed
    // without the atomic decrement: no other thread can take a copy of it.
    if (rep && (rep->refs.load(std::memory_order_acquire) == 1 ||
                rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1))
    {
        rep->~Rep();
        ::operator delete(rep);
    }
}

Char16* String::_reserve(Uint32 n)
{
    const bool own = _rep && _rep->refs.load(std::memory_order_acquire) == 1;
    if (own && _rep->capacity >= n)
        return _rep->units();
    const Uint32 size = this->size();
    Uint32 capacity = n;
    if (own)
    {
        // Growing a text of its own: leave room for more of the same, so
        // that appending piece by piece stays linear.
        Uint32 grown = _rep->capacity + _rep->capacity / 2;
        if (grown > capacity && grown >= _rep->capacity)
            capacity = grown;
    }
    Rep* rep = _allocate(capacity);
    if (size)
        memcpy(rep->units(), _rep->units(), size * sizeof(Char16));
    rep->size = size;
    rep->units()[size] = Char16(0);
    _release(_rep);
    _rep = rep;
    return rep->units();
}

void String::_setSize(Uint32 n)
{
    _rep->size = n;
    _rep->units()[n] = Char16(0);
}

String::String() : _rep(nullptr) {}

String::String(const String& str) : _rep(str._rep)
{
    if (_rep)
        _rep->refs.fetch_add(1, std::memory_order_relaxed);
}

String::String(String&& str) noexcept : _rep(str._rep)
{
    str._rep = nullptr;
}

String::String(const String& str, Uint32 n) : _rep(nullptr)
{
    if (n > str.size())
        throw IndexOutOfBoundsException();
    append(str.getChar16Data(), n);
}

String::String(const Char16* str) : _rep(nullptr)
{
    assign(str);
}

String::String(const Char16* str, Uint32 n) : _rep(nullptr)
{
    assign(str, n);
}

String::String(const char* str) : _rep(nullptr)
{
    assign(str);
}

String::String(const char* str, Uint32 n) : _rep(nullptr)
{
    assign(str, n);
}

String::String(const String& s1, const String& s2) : _rep(nullptr)
{
    reserveCapacity(s1.size() + s2.size());
    append(s1);
    append(s2);
}

String::String(const String& s1, const char* s2) : _rep(nullptr)
{
    append(s1);
    append(s2);
}

String::String(const char* s1, const String& s2) : _rep(nullptr)
{
    append(s1);
    append(s2);
}

String::~String()
{
    _release(_rep);
}

String& String::operator=(const String& str)
{
    return assign(str);
}

String& String::operator=(String&& str) noexcept
{
    if (this != &str)
    {
        _release(_rep);
        _rep = str._rep;
        str._rep = nullptr;
    }
    return *this;
}

String& String::operator=(const char* str)
{
    return assign(str);
}

String& String::assign(const String& str)
{
    if (_rep != str._rep)
    {
        if (str._rep)
            str._rep->refs.fetch_add(1, std::memory_order_relaxed);
        _release(_rep);
        _rep = str._rep;
    }
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
    if (n == 0)
    {
        clear();
        return *this;
    }
    // A new block, filled before the old one goes: the source may lie
    // inside this string's own text.
    Rep* rep = _allocate(n);
    memcpy(rep->units(), str, n * sizeof(Char16));
    rep->size = n;
    rep->units()[n] = Char16(0);
    _release(_rep);
    _rep = rep;
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
    std::swap(_rep, tmp._rep);
    return *this;
}

void String::clear()
{
    // A text of its own keeps its block for what is written next.
    if (_rep && _rep->refs.load(std::memory_order_acquire) == 1)
        _setSize(0);
    else
    {
        _release(_rep);
        _rep = nullptr;
    }
}

void String::reserveCapacity(Uint32 capacity)
{
    if (capacity > size())
        _reserve(capacity);
}

const Char16* String::getChar16Data() const
{
    return _rep ? _rep->units() : kEmptyData;
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
    // The reference may be written through: the text becomes this
    // String's own first.
    return _reserve(size())[index];
}

const Char16 String::operator[](Uint32 index) const
{
    if (index >= size())
        throw IndexOutOfBoundsException();
    return getChar16Data()[index];
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
    const Uint32 old = size();
    if (n > std::numeric_limits<Uint32>::max() - 1 - old)
        throw std::bad_alloc();
    // Appending a part of this string to itself: the part is found again
    // at the same offset once the text has its own (maybe larger) block.
    const Char16* data = getChar16Data();
    const bool inside = _rep && str >= data && str < data + old;
    const size_t offset = inside ? size_t(str - data) : 0;
    Char16* units = _reserve(old + n);
    memmove(units + old, inside ? units + offset : str, n * sizeof(Char16));
    _setSize(old + n);
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

// Writes the run of ASCII bytes at p as code units to q, sixteen at a time
// where the processor allows, and moves both to the run's end.  Sixteen
// units are stored even where the run ends inside them: the caller's block
// has room for a unit per byte left, and what follows overwrites them.
inline void widenAsciiRun(const unsigned char*& p, const unsigned char* end, Char16*& q)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 8), _mm_unpackhi_epi8(v, zero));
        unsigned high = unsigned(_mm_movemask_epi8(v));
        if (high)
        {
            unsigned ascii = unsigned(__builtin_ctz(high));
            p += ascii;
            q += ascii;
            return;
        }
        p += 16;
        q += 16;
    }
#endif
    while (p != end && *p < 0x80)
        *q++ = Char16(Uint16(*p++));
}

}  // namespace

// Strict decoding: overlong forms, encoded surrogates, code points above
// U+10FFFF and truncated sequences are rejected.  Units are decoded straight
// into the block, which has room for them since no UTF-8 sequence gives
// more units than it has bytes; on invalid input the text is cut back, so
// nothing is appended.
void String::_appendUtf8(const char* str, size_t n)
{
    if (n == 0)
        return;
    const Uint32 oldSize = size();
    if (n > std::numeric_limits<Uint32>::max() - 1 - oldSize)
        throw std::bad_alloc();
    Char16* const base = _reserve(Uint32(oldSize + n));
    Char16* q = base + oldSize;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(str);
    const unsigned char* const end = p + n;
    bool ok = true;
    while (p != end)
    {
        widenAsciiRun(p, end, q);
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
            *q++ = Char16(Uint16(0xD800 + (c >> 10)));
            *q++ = Char16(Uint16(0xDC00 + (c & 0x3FF)));
        }
        else
            *q++ = Char16(Uint16(c));
        p += len;
    }
    if (!ok)
    {
        _setSize(oldSize);
        throwBadUtf8();
    }
    _setSize(Uint32(q - base));
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
    Char16* units = _reserve(sz);
    memmove(units + index, units + index + n, (sz - index - n) * sizeof(Char16));
    _setSize(sz - n);
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
    const Char16* p = getChar16Data();
    for (Uint32 i = startIndex; i < sz; i++)
    {
        if (p[i] == c)
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
    const Char16* p = getChar16Data();
    for (Uint32 i = size(); i > 0; i--)
    {
        if (p[i - 1] == c)
            return i - 1;
    }
    return PEG_NOT_FOUND;
}

void String::toLower()
{
    const Uint32 n = size();
    if (n == 0)
        return;
    Char16* p = _reserve(n);
    for (Uint32 i = 0; i < n; i++)
        p[i] = foldLower(p[i]);
}

void String::toUpper()
{
    const Uint32 n = size();
    if (n == 0)
        return;
    Char16* p = _reserve(n);
    for (Uint32 i = 0; i < n; i++)
        p[i] = foldUpper(p[i]);
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
    if (s1._rep == s2._rep)
        return true;
    const Uint32 n = s1.size();
    return n == s2.size() &&
           memcmp(s1.getChar16Data(), s2.getChar16Data(), n * sizeof(Char16)) == 0;
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
    if (s1.getChar16Data() == s2.getChar16Data())
        return true;   // one shared text (or both empty)
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
