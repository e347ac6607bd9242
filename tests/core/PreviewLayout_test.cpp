#include "preview/PreviewLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace qs {
namespace {

constexpr int kCellWidth = 7;
constexpr int kCellHeight = 14;

// A layout after SetFile and a first size, the way the control gets there.
PreviewLayout Laid(std::uint64_t lines, std::int32_t lineChars, int width, int height) {
    PreviewLayout layout;
    ResetForFile(layout, kCellWidth, kCellHeight, lines, lineChars);
    UpdateScrollBars(layout, width, height);
    return layout;
}

void ExpectBar(const ScrollBarSetting& bar, int min, int max, unsigned page, int pos) {
    EXPECT_EQ(bar.min, min);
    EXPECT_EQ(bar.max, max);
    EXPECT_EQ(bar.page, page);
    EXPECT_EQ(bar.pos, pos);
}

// 100 lines of 51 columns on a page of 20 rows and 20 columns: the last page starts at line 80
// and at column 31.
TEST(PreviewLayoutTest, EveryScrollRequestThenTheClamps) {
    constexpr bool V = true;
    constexpr bool H = false;
    const struct {
        bool vertical;
        std::int32_t start;
        int request;
        std::int32_t track;
        std::int32_t expected;
        bool changed;
    } rows[] = {
        {V, 5, kScrollLineUp, 0, 4, true},         {V, 0, kScrollLineUp, 0, 0, false},
        {V, 5, kScrollLineDown, 0, 6, true},       {V, 80, kScrollLineDown, 0, 80, false},
        {V, 30, kScrollPageUp, 0, 10, true},       {V, 3, kScrollPageUp, 0, 0, true},
        {V, 0, kScrollPageUp, 0, 0, false},        {V, 10, kScrollPageDown, 0, 30, true},
        {V, 70, kScrollPageDown, 0, 80, true},     {V, 10, kScrollThumbPosition, 42, 42, true},
        {V, 10, kScrollThumbTrack, 42, 42, true},  {V, 42, kScrollThumbTrack, 42, 42, false},
        {V, 10, kScrollThumbTrack, 500, 80, true}, {V, 10, kScrollThumbPosition, -3, 0, true},
        {V, 50, kScrollTop, 0, 0, true},           {V, 0, kScrollTop, 0, 0, false},
        {V, 0, kScrollBottom, 0, 80, true},        {V, 80, kScrollBottom, 0, 80, false},
        {V, 50, kScrollEnd, 17, 50, false},        {V, 50, 9, 17, 50, false},
        {H, 31, kScrollLineDown, 0, 31, false},    {H, 3, kScrollPageUp, 0, 0, true},
        {H, 25, kScrollPageDown, 0, 31, true},     {H, 0, kScrollThumbTrack, 100, 31, true},
        {H, 10, kScrollThumbTrack, -5, 0, true},   {H, 0, kScrollBottom, 0, 31, true},
        {H, 31, kScrollBottom, 0, 31, false},      {H, 10, kScrollEnd, 3, 10, false},
    };
    for (const auto& row : rows) {
        PreviewLayout layout = Laid(100, 51, 20 * kCellWidth, 20 * kCellHeight);
        std::int32_t& position = row.vertical ? layout.m_topLine : layout.m_leftColumn;
        position = row.start;
        const bool changed = row.vertical ? ScrollVertically(layout, row.request, row.track)
                                          : ScrollHorizontally(layout, row.request, row.track);
        SCOPED_TRACE(std::string(row.vertical ? "V" : "H") + " request " +
                     std::to_string(row.request) + " from " + std::to_string(row.start));
        EXPECT_EQ(changed, row.changed);
        EXPECT_EQ(position, row.expected);
    }
}

// 25 bytes at 10 a line: 3 lines of 51 characters; an empty file hides both bars.
TEST(PreviewLayoutTest, SmallAndEmptyFiles) {
    PreviewLayout layout = Laid(3, 51, 40 * kCellWidth, 2 * kCellHeight);
    const ScrollBarSettings bars = UpdateScrollBars(layout, 40 * kCellWidth, 2 * kCellHeight);
    ExpectBar(bars.vertical, 0, 2, 2, 0);
    ExpectBar(bars.horizontal, 0, 50, 40, 0);
    EXPECT_TRUE(ScrollVertically(layout, kScrollBottom, 0));
    EXPECT_EQ(layout.m_topLine, 1);
    EXPECT_FALSE(ScrollVertically(layout, kScrollLineDown, 0));

    layout = Laid(0, 0, 500, 400);
    const ScrollBarSettings none = UpdateScrollBars(layout, 500, 400);
    ExpectBar(none.vertical, 0, -1, 0, 0);
    ExpectBar(none.horizontal, 0, 0, 1, 0);
    EXPECT_EQ(LinesToDraw(layout, 400).end, 0u);
    for (int request = kScrollLineUp; request <= kScrollEnd; ++request) {
        EXPECT_FALSE(ScrollVertically(layout, request, 3)) << request;
        EXPECT_FALSE(ScrollHorizontally(layout, request, 3)) << request;
    }
}

TEST(PreviewLayoutTest, WideWindowStartsOneColumnLeftUntilAnyHorizontalRequest) {
    struct {
        int columns;
        std::int32_t left;
        unsigned page;
    } widths[] = {{52, -1, 51}, {200, -1, 51}, {51, 0, 51}, {50, 0, 50}};
    for (const auto& w : widths) {
        PreviewLayout layout = Laid(3, 51, 0, 0);
        ExpectBar(UpdateScrollBars(layout, w.columns * kCellWidth + 3, 100).horizontal, 0, 50,
                  w.page, w.left);
        EXPECT_EQ(LineOrigin(layout, 0).x, -w.left * kCellWidth) << w.columns;
    }
    for (int request = kScrollLineUp; request <= kScrollEnd; ++request) {
        PreviewLayout layout = Laid(3, 51, 60 * kCellWidth, 100);
        ASSERT_EQ(layout.m_leftColumn, -1);
        ScrollHorizontally(layout, request, 0);
        EXPECT_EQ(layout.m_leftColumn, 0) << "request " << request;
    }
}

TEST(PreviewLayoutTest, ClientNarrowerThanOneCell) {
    PreviewLayout layout = Laid(100, 51, kCellWidth - 1, kCellHeight - 1);
    EXPECT_EQ(layout.m_pageColumns, 0);
    EXPECT_EQ(layout.m_pageRows, 0);
    layout.m_leftColumn = 5;
    EXPECT_FALSE(ScrollHorizontally(layout, kScrollPageDown, 0));
    EXPECT_FALSE(ScrollHorizontally(layout, kScrollPageUp, 0));
    EXPECT_EQ(layout.m_leftColumn, 5);
    layout.m_topLine = 5;
    EXPECT_TRUE(ScrollVertically(layout, kScrollPageDown, 0));  // at least one line
    EXPECT_EQ(layout.m_topLine, 6);
}

TEST(PreviewLayoutTest, EnlargingAtTheEndPullsTheTopBackShrinkingKeepsIt) {
    PreviewLayout layout = Laid(100, 51, 1000, 20 * kCellHeight);
    ScrollVertically(layout, kScrollBottom, 0);
    ASSERT_EQ(layout.m_topLine, 80);
    EXPECT_EQ(UpdateScrollBars(layout, 1000, 30 * kCellHeight + 5).vertical.pos, 70);
    EXPECT_EQ(layout.m_topLine, 70);
    EXPECT_EQ(UpdateScrollBars(layout, 1000, 10 * kCellHeight).vertical.pos, 70);
    ExpectBar(UpdateScrollBars(layout, 1000, 200 * kCellHeight).vertical, 0, 99, 100, 0);

    layout = Laid(3, 51, 30 * kCellWidth, 100);
    ScrollHorizontally(layout, kScrollBottom, 0);
    ASSERT_EQ(layout.m_leftColumn, 21);
    EXPECT_EQ(UpdateScrollBars(layout, 40 * kCellWidth, 100).horizontal.pos, 11);
    EXPECT_EQ(UpdateScrollBars(layout, 10 * kCellWidth, 100).horizontal.pos, 11);
}

TEST(PreviewLayoutTest, LinesDrawnAreTheWholeRowsPlusOneForARemainderThirteenPixelsApart) {
    const struct {
        std::uint64_t lines;
        std::int32_t top;
        int height;
        std::uint64_t first, end;
    } rows[] = {
        {100, 0, 280, 0, 20}, {100, 0, 281, 0, 21},  {100, 0, 279, 0, 20},    {100, 0, 400, 0, 29},
        {100, 0, 0, 0, 0},    {100, 10, 28, 10, 12}, {100, 90, 400, 90, 100}, {5, 3, 28, 3, 5},
        {5, 3, 29, 3, 5},     {5, 0, 27, 0, 2},
    };
    for (const auto& row : rows) {
        PreviewLayout layout = Laid(row.lines, 51, 1000, 1000);
        layout.m_topLine = row.top;
        const LineSpan span = LinesToDraw(layout, row.height);
        EXPECT_EQ(span.first, row.first) << row.height;
        EXPECT_EQ(span.end, row.end) << row.height;
    }
    PreviewLayout layout = Laid(100, 51, 20 * kCellWidth, 400);
    layout.m_topLine = 40;
    layout.m_leftColumn = 3;
    for (int k : {0, 1, 28}) {
        EXPECT_EQ(LineOrigin(layout, 40 + k).x, -21);
        EXPECT_EQ(LineOrigin(layout, 40 + k).y, 13 * k);  // rows 13 pixels apart
    }
}

// The last rows: N raised after the file was set, so lines run past 4 GiB.
TEST(PreviewLayoutTest, LineBytesNeverPassTheEndOfTheFileNorWrapAt4GiB) {
    constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
    const struct {
        std::uint64_t line;
        std::int32_t perLine;
        std::uint64_t size;
        std::uint32_t offset;
        std::int32_t count;
        bool drawn;
    } rows[] = {
        {1, 10, 20, 10, 10, true},
        {2, 10, 20, 20, 0, true},
        {0, 16, 1, 0, 1, true},
        {3, 10, 25, 30, 0, true},
        {5, 0, 25, 0, 0, true},
        {0x0FFFFFFF, 16, k4GiB, 0xFFFFFFF0u, 16, true},
        {1u << 28, 16, k4GiB, 0, 0, false},
        {1u << 29, 16, k4GiB, 0, 0, false},
    };
    for (const auto& row : rows) {
        const LineBytes bytes = LineBytesAt(row.line, row.perLine, row.size);
        SCOPED_TRACE(std::to_string(row.line) + " at " + std::to_string(row.perLine));
        EXPECT_EQ(bytes.drawn, row.drawn);
        EXPECT_EQ(bytes.offset, row.offset);
        EXPECT_EQ(bytes.count, row.count);
    }
}

TEST(PreviewLayoutTest, ThumbTakes32BitsAndHugeLineCountsPinTheRange) {
    PreviewLayout layout = Laid(200000, 51, 1000, 20 * kCellHeight);
    EXPECT_TRUE(ScrollVertically(layout, kScrollThumbTrack, 70000));
    EXPECT_EQ(layout.m_topLine, 70000);
    layout = Laid(std::uint64_t{1} << 40, 51, 1000, 20 * kCellHeight);
    EXPECT_EQ(layout.m_lastLine, std::numeric_limits<std::int32_t>::max());
    EXPECT_TRUE(ScrollVertically(layout, kScrollBottom, 0));
    EXPECT_EQ(layout.m_topLine, std::numeric_limits<std::int32_t>::max() - 19);
    EXPECT_FALSE(ScrollVertically(layout, kScrollPageDown, 0));
}

}  // namespace
}  // namespace qs
