#include "preview/LineFormat.h"

#include <gtest/gtest.h>

#include <vector>

namespace qs {
namespace {

const std::uint8_t kHello[] = {0x48, 0x65, 0x6C, 0x6C, 0x6F, 0x2C, 0x20,
                               0x77, 0x6F, 0x72, 0x6C, 0x64, 0x0A};

std::u16string Spaces(int n) {
    return std::u16string(static_cast<std::size_t>(n), u' ');
}

TEST(LineFormatTest, WorkedExamples) {
    EXPECT_EQ(FormatLine(kHello, 10, 0, 10),
              u"00000000  48 65 6C 6C 6F 2C 20 77 6F 72  Hello, wor");
    EXPECT_EQ(FormatLine(kHello + 10, 3, 10, 10),
              u"0000000A  6C 64 0A" + Spaces(23) + u"ld." + Spaces(7));
    EXPECT_EQ(FormatLine(kHello, 13, 0, 16), u"00000000  48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 0A" +
                                                 Spaces(11) + u"Hello, world." + Spaces(3));
    EXPECT_EQ(FormatLine(kHello, 13, 0, 10), FormatLine(kHello, 10, 0, 10));  // count cut to N
    // The character column shows only 0x20 to 0x80.
    const std::uint8_t edges[] = {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0x81, 0xFF};
    EXPECT_EQ(FormatLine(edges, 8, 0, 8), u"00000000  00 1F 20 7E 7F 80 81 FF  .. ~\u007F\u0080..");
    // Missing bytes give the offset and blanks.
    for (int n : {1, 10, 16}) {
        EXPECT_EQ(FormatLine(nullptr, n, 0xFFF0, n), u"0000FFF0" + Spaces(4 * n + 3));
        EXPECT_EQ(FormatLine(kHello, -5, 0xFFF0, n), u"0000FFF0" + Spaces(4 * n + 3));
    }
    EXPECT_EQ(FormatLine(kHello, 1, 0x10, 0), u"00000010   ");
    EXPECT_EQ(FormatLine(kHello, 1, 0xFFFFFFFA, 10).substr(0, 10), u"FFFFFFFA  ");
}

TEST(LineFormatTest, EveryCountHasTheWidthAndColumnsOfAFullLine) {
    std::vector<std::uint8_t> bytes(40);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(0x41 + i);
    }
    const char16_t* hex = u"0123456789ABCDEF";
    for (int n : {1, 10, 16, 40}) {
        ASSERT_EQ(GetLineChars(n), 4 * n + 11);
        for (int count = 0; count <= n; ++count) {
            SCOPED_TRACE("N=" + std::to_string(n) + " count=" + std::to_string(count));
            const std::u16string line = FormatLine(bytes.data(), count, 0xDEADBEEF, n);
            ASSERT_EQ(line.size(), static_cast<std::size_t>(4 * n + 11));
            EXPECT_EQ(line.substr(0, 10), u"DEADBEEF  ");
            for (int k = 0; k < n; ++k) {
                const bool present = k < count;
                EXPECT_EQ(line[10 + 3 * k], present ? hex[bytes[k] >> 4] : u' ');
                EXPECT_EQ(line[11 + 3 * k], present ? hex[bytes[k] & 0xF] : u' ');
                EXPECT_EQ(line[12 + 3 * k], u' ');
                EXPECT_EQ(line[11 + 3 * n + k], present ? char16_t(bytes[k]) : u' ');
            }
            EXPECT_EQ(line[10 + 3 * n], u' ');
        }
    }
}

TEST(LineFormatTest, LineCountRoundsUpAndStopsAt4GiB) {
    const std::uint64_t k4GiB = std::uint64_t{1} << 32;
    // clang-format off
    const struct { std::uint64_t size; int n; std::uint64_t lines; } rows[] = {
        {0, 10, 0}, {1, 10, 1}, {10, 10, 1}, {11, 10, 2}, {13, 16, 1}, {32, 16, 2},
        {k4GiB - 1, 10, 429496730}, {k4GiB, 10, 429496730}, {k4GiB + 1, 16, 0x10000000},
        {~std::uint64_t{0}, 1, k4GiB}, {100, 0, 0}, {100, -3, 0}};
    // clang-format on
    for (const auto& row : rows)
        EXPECT_EQ(GetLineCount(row.size, row.n), row.lines) << row.size << " N " << row.n;
}

}  // namespace
}  // namespace qs
