#include "preview/LineFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qs {
namespace {

const std::vector<std::uint8_t> kHello = {0x48, 0x65, 0x6C, 0x6C, 0x6F, 0x2C, 0x20,
                                          0x77, 0x6F, 0x72, 0x6C, 0x64, 0x0A};

std::u16string Spaces(int n) {
    return std::u16string(static_cast<std::size_t>(n), u' ');
}

TEST(LineFormatTest, WorkedExamples) {
    // N = 10, as the view dialog uses: a full line and a short last line.
    EXPECT_EQ(FormatLine(kHello.data(), 10, 0, 10),
              u"00000000  48 65 6C 6C 6F 2C 20 77 6F 72  Hello, wor");
    EXPECT_EQ(FormatLine(kHello.data() + 10, 3, 10, 10),
              u"0000000A  6C 64 0A" + Spaces(23) + u"ld." + Spaces(7));
    // N = 16: the whole file on one short line.
    EXPECT_EQ(FormatLine(kHello.data(), 13, 0, 16),
              u"00000000  48 65 6C 6C 6F 2C 20 77 6F 72 6C 64 0A" + Spaces(11) + u"Hello, world." +
                  Spaces(3));
}

TEST(LineFormatTest, EveryCountHasTheWidthAndColumnsOfAFullLine) {
    std::vector<std::uint8_t> bytes(40);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(0x41 + i);  // 'A', 'B', ...: no space, no dot
    }
    for (int n : {1, 10, 16, 40}) {
        const int width = 4 * n + 11;
        EXPECT_EQ(GetLineChars(n), width);
        for (int count = 0; count <= n; ++count) {
            SCOPED_TRACE("N=" + std::to_string(n) + " count=" + std::to_string(count));
            const std::u16string line = FormatLine(bytes.data(), count, 0xDEADBEEF, n);
            ASSERT_EQ(line.size(), static_cast<std::size_t>(width));
            EXPECT_EQ(line.substr(0, 10), u"DEADBEEF  ");
            for (int k = 0; k < n; ++k) {
                const bool present = k < count;
                const char16_t hi = present ? u"0123456789ABCDEF"[bytes[k] >> 4] : u' ';
                const char16_t lo = present ? u"0123456789ABCDEF"[bytes[k] & 0xF] : u' ';
                EXPECT_EQ(line[10 + 3 * k], hi) << "k=" << k;
                EXPECT_EQ(line[11 + 3 * k], lo) << "k=" << k;
                EXPECT_EQ(line[12 + 3 * k], u' ') << "k=" << k;
                EXPECT_EQ(line[11 + 3 * n + k], present ? char16_t(bytes[k]) : u' ') << "k=" << k;
            }
            EXPECT_EQ(line[10 + 3 * n], u' ');  // the separating space
            if (count == n) {
                EXPECT_NE(line.back(), u' ');  // a full line has no trailing blank
            }
        }
    }
}

TEST(LineFormatTest, CharacterColumnShowsOnly0x20To0x80) {
    struct Row {
        std::uint8_t byte;
        char16_t shown;
        const char16_t* hex;
    };
    const Row rows[] = {
        {0x00, u'.', u"00"}, {0x1F, u'.', u"1F"},      {0x20, u' ', u"20"},
        {0x7E, u'~', u"7E"}, {0x7F, u'\u007F', u"7F"}, {0x80, u'\u0080', u"80"},
        {0x81, u'.', u"81"}, {0xFF, u'.', u"FF"},      {0x41, u'A', u"41"},
    };
    for (const Row& row : rows) {
        const std::u16string line = FormatLine(&row.byte, 1, 0, 1);
        EXPECT_EQ(line, u"00000000  " + std::u16string(row.hex) + u"  " + row.shown)
            << "byte " << int(row.byte);
    }
    // All 256 values at once: each is one UTF-16 unit, never a code-page translation.
    std::vector<std::uint8_t> all(256);
    for (int b = 0; b < 256; ++b) {
        all[b] = static_cast<std::uint8_t>(b);
    }
    const std::u16string line = FormatLine(all.data(), 256, 0, 256);
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = (b >= 0x20 && b <= 0x80) ? char16_t(b) : u'.';
        EXPECT_EQ(line[11 + 3 * 256 + b], expected) << "byte " << b;
    }
}

TEST(LineFormatTest, CountZeroAndMissingBytesGiveOffsetAndBlanks) {
    for (int n : {1, 10, 16}) {
        const std::u16string expected = u"0000FFF0" + Spaces(4 * n + 3);
        EXPECT_EQ(FormatLine(kHello.data(), 0, 0xFFF0, n), expected);
        // An unavailable line (no bytes) looks the same whatever count is passed.
        EXPECT_EQ(FormatLine(nullptr, n, 0xFFF0, n), expected);
        EXPECT_EQ(FormatLine(kHello.data(), -5, 0xFFF0, n), expected);
    }
}

TEST(LineFormatTest, CountAboveNIsCutToN) {
    EXPECT_EQ(FormatLine(kHello.data(), 13, 0, 10), FormatLine(kHello.data(), 10, 0, 10));
}

TEST(LineFormatTest, OffsetsAdvanceByNAndUseAll32Bits) {
    const struct {
        std::uint64_t line;
        int n;
        const char16_t* prefix;
    } rows[] = {
        {1, 10, u"0000000A  "},    {16, 10, u"000000A0  "},        {1, 16, u"00000010  "},
        {0x10, 16, u"00000100  "}, {429496729, 10, u"FFFFFFFA  "}, {0x0FFFFFFF, 16, u"FFFFFFF0  "},
    };
    for (const auto& row : rows) {
        const auto offset = static_cast<std::uint32_t>(row.line * row.n);
        EXPECT_EQ(FormatLine(kHello.data(), 1, offset, row.n).substr(0, 10), row.prefix);
    }
}

TEST(LineFormatTest, LineCountRoundsUpAndStopsAt4GiB) {
    const std::uint64_t k4GiB = std::uint64_t{1} << 32;
    const struct {
        std::uint64_t size;
        int n;
        std::uint64_t lines;
    } rows[] = {
        {0, 10, 0},
        {1, 10, 1},
        {10, 10, 1},
        {11, 10, 2},
        {13, 10, 2},
        {13, 16, 1},
        {32, 16, 2},
        {k4GiB - 1, 10, 429496730},
        {k4GiB, 10, 429496730},  // last line: 6 bytes at 0xFFFFFFFA
        {k4GiB, 16, 0x10000000},
        {k4GiB + 1, 16, 0x10000000},    // beyond 4 GiB: only the first 4 GiB
        {~std::uint64_t{0}, 1, k4GiB},  // N = 1: the last offset is 0xFFFFFFFF
        {100, 0, 0},                    // no bytes per line: no lines, no division by zero
        {100, -3, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(GetLineCount(row.size, row.n), row.lines)
            << "size " << row.size << " N " << row.n;
        if (row.lines > 0) {
            // The last line's offset never wraps.
            EXPECT_LT((row.lines - 1) * static_cast<std::uint64_t>(row.n), k4GiB);
        }
    }
}

TEST(LineFormatTest, WidthForDegenerateBytesPerLine) {
    EXPECT_EQ(GetLineChars(16), 75);
    EXPECT_EQ(GetLineChars(10), 51);
    EXPECT_EQ(GetLineChars(0), 11);
    EXPECT_EQ(GetLineChars(-1), 11);
    EXPECT_EQ(FormatLine(kHello.data(), 1, 0x10, 0), u"00000010   ");
}

}  // namespace
}  // namespace qs
