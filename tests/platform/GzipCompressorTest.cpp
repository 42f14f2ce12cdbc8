#include "platform/GzipCompressor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zelk {
namespace {

// Project-like lines with some randomness, or random bytes that deflate cannot shrink.
std::string textOf(size_t size, bool random) {
    std::mt19937 rng(static_cast<unsigned>(size));
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        if (random)
            text += static_cast<char>(rng());
        else
            text += std::to_string(rng() % 300) + "\r\n";
    }
    text.resize(size);
    return text;
}

// Small texts go whole, large ones in pieces on every core; either way the result is one
// gzip member that expands (CRC and length checked) to the text, at any level.
TEST(GzipCompressorTest, EverySizeComesBackWhole) {
    constexpr size_t kMiB = size_t{1} << 20;
    for (const int level : {1, 6, 9})
        for (const size_t size :
             {size_t{0}, size_t{1}, 2 * kMiB - 1, 2 * kMiB, 2 * kMiB + 1, 3 * kMiB + kMiB / 2})
            for (const bool random : {false, true}) {
                if (level != 1 && size > 2 * kMiB + 1)
                    continue; // the slow levels on the piece sizes only
                const std::string text = textOf(size, random);
                const GzipCompressor gzip(level);
                const std::string packed = gzip.compress(text);
                ASSERT_GE(packed.size(), 18u);
                EXPECT_EQ(packed.substr(0, 3), std::string("\x1f\x8b\x08"));
                EXPECT_EQ(gzip.expand(packed, 16 * kMiB), text)
                    << "level " << level << ", " << size << " bytes, random " << random;
            }
}

} // namespace
} // namespace zelk
