#include "preview/ByteSelection.h"

#include <gtest/gtest.h>

#include <vector>

namespace qs {
namespace {

constexpr std::size_t kWindow = std::size_t{1} << 20;

// Byte i is i & 0xFF; a read that covers `failAt` fails, like a view that can't be mapped.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::size_t size) : m_bytes(size) {
        for (std::size_t i = 0; i < size; ++i)
            m_bytes[i] = static_cast<std::uint8_t>(i);
    }
    std::uint64_t GetSize() const override { return m_bytes.size(); }
    const std::uint8_t* Read(std::uint64_t offset, std::size_t length) override {
        m_widest = std::max(m_widest, length);
        return offset <= m_failAt && m_failAt - offset < length ? nullptr : &m_bytes[offset];
    }
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_failAt = ~std::uint64_t{0};
    std::size_t m_widest = 0;
};

TEST(ByteSelectionTest, CopyTextsAppendAsThePanesShowOrClearOnFailure) {
    constexpr auto H = PreviewPane::Hex, T = PreviewPane::Text;
    constexpr std::uint64_t kFail = kWindow + 8, kSize = kWindow + 16;
    // clang-format off
    const struct { std::uint64_t start, count; PreviewPane pane; const char16_t* text;
                   std::uint64_t failAt = ~std::uint64_t{0}; } rows[] = {
        {0x51, 4, H, u">51 52 53 54"}, {0x51, 4, T, u">QRST"}, {0x45, 1, H, u">45"},
        {8, 4, H, u">08 09 0A 0B"}, {0x1E, 4, T, u">.. !"}, {0x7E, 4, T, u">~\u007F\u0080."},
        {0xFE, 2, T, u">.."}, {kWindow - 2, 4, H, u">FE FF 00 01"}, {5, 0, H, u">"},
        {kSize - 1, 1, T, u">."}, {kSize - 1, 2, H, u""},
        {0, kMaxCopyBytes + 1, T, u""}, {kWindow - 2, 4, H, u"", kWindow},
        {0, kSize, T, u"", kFail}};
    // clang-format on
    for (const auto& row : rows) {
        MemorySource source(kSize);
        source.m_failAt = row.failAt;
        std::u16string out = u">";
        const bool ok =
            (row.pane == H ? FormatHexCopy : FormatTextCopy)(source, {row.start, row.count}, out);
        EXPECT_EQ(out, row.text) << row.start << " " << row.count;
        EXPECT_EQ(ok, !out.empty()) << row.start << " " << row.count;
    }
    // A whole file: read a window at a time.
    MemorySource source(kSize);
    std::u16string hex, text;
    ASSERT_TRUE(FormatHexCopy(source, {0, kSize}, hex) && FormatTextCopy(source, {0, kSize}, text));
    EXPECT_EQ(source.m_widest, kWindow);
    EXPECT_EQ(hex.size(), 3 * kSize - 1);
    EXPECT_EQ(hex.substr(3 * kWindow - 6, 11), u"FE FF 00 01");
}

// Rows of lines of N = 10 (51 columns). The 7 x 14 cell unscrolled (left column -1: byte k's
// digits from x = 77 + 21k, characters from x = 294, lines 13 pixels apart) over 25 bytes, the
// last line short; the 11 x 21 cell scrolled to line 5, column 3 (digits from x = 77 + 33k,
// characters from x = 418, lines 20 pixels apart) over 1000 bytes.
TEST(ByteSelectionTest, PointsHitTheCellsOfBytesAtBothCellSizes) {
    constexpr auto H = PreviewPane::Hex, T = PreviewPane::Text;
    constexpr int kMiss = -1;
    // clang-format off
    const struct { bool large; int x, y, offset; PreviewPane pane; } rows[] = {
        {0, 77, 0, 0, H}, {0, 90, 12, 0, H}, {0, 90, 13, 10, H}, {0, 279, 0, 9, H},
        {0, 294, 0, 0, T}, {0, 300, 26, 20, T}, {0, 363, 0, 9, T}, {0, 174, 26, 24, H},
        {0, 76, 0, kMiss, H}, {0, 91, 0, 0, H}, {0, 283, 0, kMiss, H}, {0, 287, 0, kMiss, H},
        {0, 364, 0, kMiss, H},
        {0, 3, 0, kMiss, H}, {0, -1, 0, kMiss, H}, {0, 182, 26, kMiss, H}, {0, 330, 26, kMiss, H},
        {0, 80, 39, kMiss, H}, {0, 80, -1, kMiss, H}, {1, 77, 0, 50, H}, {1, 88, 19, 50, H},
        {1, 77, 20, 60, H}, {1, 428, 40, 70, T}, {1, 429, 40, 71, T}, {1, 99, 0, 50, H},
        {1, 76, 0, kMiss, H}, {1, 0, 0, kMiss, H}};
    // clang-format on
    for (const auto& row : rows) {
        // The cell, then the left column and the top line; the hit-test reads nothing else.
        const PreviewLayout layout = row.large ? PreviewLayout{11, 21, 0, 0, 0, 0, 3, 0, 5, 0}
                                               : PreviewLayout{7, 14, 0, 0, 0, 0, -1, 0, 0, 0};
        const ByteHit hit = HitTestByte(layout, 10, row.large ? 1000 : 25, row.x, row.y);
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
        EXPECT_EQ(hit.hit ? static_cast<int>(hit.offset) : kMiss, row.offset);
        EXPECT_TRUE(!hit.hit || hit.pane == row.pane);
    }
}

// The unscrolled 7 x 14 layout above, over 25 bytes; top 1 puts line 0 just above the view.
TEST(ByteSelectionTest, DragsGoToTheNearestByteOfThePaneClampedToTheFile) {
    constexpr auto H = PreviewPane::Hex, T = PreviewPane::Text;
    // clang-format off
    const struct { int top; PreviewPane pane; int x, y; std::uint64_t offset; } rows[] = {
        {0, H, 91, 0, 0}, {0, H, 98, 0, 1}, {0, H, 0, 13, 10}, {0, H, 290, 13, 19},
        {0, T, 200, 13, 10}, {0, T, 500, 13, 19}, {0, T, 500, 26, 24}, {0, H, 80, -5, 0},
        {0, H, 80, 100, 24}, {1, H, 98, -5, 1}, {1, T, -50, 13, 20}};
    // clang-format on
    for (const auto& row : rows) {
        const PreviewLayout layout{7, 14, 0, 0, 0, 0, -1, 0, row.top, 0};
        EXPECT_EQ(DragHit(layout, 10, 25, row.pane, row.x, row.y), row.offset)
            << row.x << "," << row.y;
    }
}

TEST(ByteSelectionTest, HighlightsCoverTheLinesPartOfTheRange) {
    // clang-format off
    const struct { std::uint64_t line; int bytes, n; ByteRange range; LineHighlight expected; }
    rows[] = {
        {10, 10, 10, {12, 3}, {true, 16, 24, 43, 46}}, {10, 10, 10, {15, 100}, {true, 25, 39, 46, 51}},
        {10, 10, 10, {0, 13}, {true, 10, 18, 41, 44}}, {10, 10, 10, {0, 100}, {true, 10, 39, 41, 51}},
        {20, 5, 10, {18, 100}, {true, 10, 24, 41, 46}}, {16, 16, 16, {31, 1}, {true, 55, 57, 74, 75}},
        {10, 10, 10, {20, 5}, {}}, {10, 10, 10, {5, 5}, {}}, {10, 10, 10, {12, 0}, {}}};
    // clang-format on
    for (const auto& row : rows) {
        const LineHighlight got = HighlightOnLine(row.line, row.bytes, row.n, row.range);
        const LineHighlight& want = row.expected;
        EXPECT_TRUE(got.any == want.any && got.hexFirst == want.hexFirst &&
                    got.hexEnd == want.hexEnd && got.textFirst == want.textFirst &&
                    got.textEnd == want.textEnd)
            << row.range.start << "+" << row.range.count << " on " << row.line;
    }
}

TEST(ByteSelectionTest, SpansAndDescriptions) {
    EXPECT_EQ(DescribeSelection(SpanBetween(0x4B, 0x3C)),
              u"Selected 0x0000003C to 0x0000004B, 16 bytes");
    EXPECT_EQ(DescribeSelection(SpanBetween(7, 7)), u"Selected 0x00000007 to 0x00000007, 1 byte");
    EXPECT_EQ(DescribeSelection({0x1FFFFFFFF, 2}), u"Selected 0x1FFFFFFFF to 0x200000000, 2 bytes");
    EXPECT_EQ(DescribeSelection({}), u"No selection");
}

}  // namespace
}  // namespace qs
