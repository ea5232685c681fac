// The decoder's inline copies and comparisons of short runs: every length
// up to past the library's threshold, a difference at every position, and
// not a byte touched outside the run.
#include "ShortBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace Pegasus;

TEST(ShortBytes, CopiesExactlyTheRunAndComparesEveryByte)
{
    const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGH";
    for (std::size_t n = 0; n <= 40; n++)
    {
        // Guards on either side of the destination stay as they were.
        std::string to(n + 16, '#');
        copyBytes(&to[8], source.data() + 1, n);
        EXPECT_EQ(to, std::string(8, '#') + source.substr(1, n) + std::string(8, '#'))
            << "length " << n;

        EXPECT_TRUE(equalBytes(source.data() + 1, &to[8], n)) << "length " << n;
        for (std::size_t at = 0; at < n; at++)
        {
            std::string other = source.substr(1, n);
            other[at] = '!';
            EXPECT_FALSE(equalBytes(source.data() + 1, other.data(), n))
                << "length " << n << ", difference at " << at;
        }
    }
}
