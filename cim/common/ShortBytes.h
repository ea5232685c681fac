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

inline void copyBytes(char* to, const char* from, std::size_t n)
{
    if (n > 16)
    {
        std::memcpy(to, from, n);
        return;
    }
    if (n >= 8)
    {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
    }
    else if (n >= 4)
    {
        std::uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    }
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
    {
        std::uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a, 8);
        std::memcpy(&b1, b, 8);
        std::memcpy(&a2, a + n - 8, 8);
        std::memcpy(&b2, b + n - 8, 8);
        return ((a1 ^ b1) | (a2 ^ b2)) == 0;
    }
    if (n >= 4)
    {
        std::uint32_t a1, a2, b1, b2;
        std::memcpy(&a1, a, 4);
        std::memcpy(&b1, b, 4);
        std::memcpy(&a2, a + n - 4, 4);
        std::memcpy(&b2, b + n - 4, 4);
        return ((a1 ^ b1) | (a2 ^ b2)) == 0;
    }
    if (n)
        return a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1];
    return true;
}

}  // namespace Pegasus

#endif
