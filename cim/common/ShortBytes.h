// Copies and comparisons of the short byte runs a markup decoder handles by
// the thousand (names, attribute values, pieces of text).  Up to sixteen
// bytes they take a few overlapping loads and stores inline, where a call
// into the C library would cost more than the work; longer runs go to the
// C library.  Neither reads or writes a byte beyond the n given.
#ifndef Pegasus_Common_ShortBytes_h
#define Pegasus_Common_ShortBytes_h

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Pegasus {

namespace shortbytes {

// The first and the last sizeof(Word) bytes of n (sizeof(Word) <= n <=
// 2 * sizeof(Word)), overlapping in the middle.
template <class Word>
inline void copyEnds(char* to, const char* from, std::size_t n)
{
    Word head, tail;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + n - sizeof(Word), sizeof(Word));
    std::memcpy(to, &head, sizeof(Word));
    std::memcpy(to + n - sizeof(Word), &tail, sizeof(Word));
}

template <class Word>
inline bool equalEnds(const char* a, const char* b, std::size_t n)
{
    Word a1, a2, b1, b2;
    std::memcpy(&a1, a, sizeof(Word));
    std::memcpy(&b1, b, sizeof(Word));
    std::memcpy(&a2, a + n - sizeof(Word), sizeof(Word));
    std::memcpy(&b2, b + n - sizeof(Word), sizeof(Word));
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
}

}  // namespace shortbytes

inline void copyBytes(char* to, const char* from, std::size_t n)
{
    if (n > 16)
        std::memcpy(to, from, n);
    else if (n >= 8)
        shortbytes::copyEnds<std::uint64_t>(to, from, n);
    else if (n >= 4)
        shortbytes::copyEnds<std::uint32_t>(to, from, n);
    else if (n)
    {
        // One to three bytes: the first, the middle and the last.
        char first = from[0], middle = from[n / 2], last = from[n - 1];
        to[0] = first;
        to[n / 2] = middle;
        to[n - 1] = last;
    }
}

inline bool equalBytes(const char* a, const char* b, std::size_t n)
{
    if (n > 16)
        return std::memcmp(a, b, n) == 0;
    if (n >= 8)
        return shortbytes::equalEnds<std::uint64_t>(a, b, n);
    if (n >= 4)
        return shortbytes::equalEnds<std::uint32_t>(a, b, n);
    if (n)
        return a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1];
    return true;
}

}  // namespace Pegasus

#endif
