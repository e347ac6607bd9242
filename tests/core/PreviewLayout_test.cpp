#include "preview/PreviewLayout.h"

#include <gtest/gtest.h>

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

// Layouts of lines of 51 columns. A: 100 lines on a page of 20 rows and 20 columns, the last page
// starting at line 80 and column 31. N: narrower and lower than one cell. S: 3 lines, 2 rows.
// T: 200000 lines. G: 2^40 lines, more than a scroll bar can count.
TEST(PreviewLayoutTest, EveryScrollRequestThenTheClamps) {
    enum { A, N, S, T, G };
    const PreviewLayout layouts[] = {Laid(100, 51, 20 * kCellWidth, 20 * kCellHeight),
                                     Laid(100, 51, kCellWidth - 1, kCellHeight - 1),
                                     Laid(3, 51, 40 * kCellWidth, 2 * kCellHeight),
                                     Laid(200000, 51, 1000, 20 * kCellHeight),
                                     Laid(std::uint64_t{1} << 40, 51, 1000, 20 * kCellHeight)};
    // Scroll requests by short name; rows: layout, axis, start, request, track, expected, changed.
    enum { LU = kScrollLineUp, LD, PU, PD, TP, TT, TOP, BOT, END };
    constexpr bool V = true, H = false;
    constexpr std::int32_t M = std::numeric_limits<std::int32_t>::max() - 19;
    // clang-format off
    const struct { int layout; bool vertical; std::int32_t start; int request;
                   std::int32_t track, expected; bool changed; } rows[] = {
        {A, V, 5, LU, 0, 4, 1},         {A, V, 0, LU, 0, 0, 0},    {A, V, 5, LD, 0, 6, 1},
        {A, V, 80, LD, 0, 80, 0},       {A, V, 30, PU, 0, 10, 1},  {A, V, 3, PU, 0, 0, 1},
        {A, V, 0, PU, 0, 0, 0},         {A, V, 10, PD, 0, 30, 1},  {A, V, 70, PD, 0, 80, 1},
        {A, V, 10, TP, 42, 42, 1},      {A, V, 10, TT, 42, 42, 1}, {A, V, 42, TT, 42, 42, 0},
        {A, V, 10, TT, 500, 80, 1},     {A, V, 10, TP, -3, 0, 1},  {A, V, 50, TOP, 0, 0, 1},
        {A, V, 0, TOP, 0, 0, 0},        {A, V, 0, BOT, 0, 80, 1},  {A, V, 80, BOT, 0, 80, 0},
        {A, V, 50, END, 17, 50, 0},     {A, V, 50, 9, 17, 50, 0},  {A, H, 31, LD, 0, 31, 0},
        {A, H, 3, PU, 0, 0, 1},         {A, H, 25, PD, 0, 31, 1},  {A, H, 0, TT, 100, 31, 1},
        {A, H, 10, TT, -5, 0, 1},       {A, H, 0, BOT, 0, 31, 1},  {A, H, 31, BOT, 0, 31, 0},
        {A, H, 10, END, 3, 10, 0},      {N, H, 5, PD, 0, 5, 0},    {N, H, 5, PU, 0, 5, 0},
        {N, V, 5, PD, 0, 6, 1},         {S, V, 0, BOT, 0, 1, 1},   {S, V, 1, LD, 0, 1, 0},
        {T, V, 0, TT, 70000, 70000, 1}, {G, V, 0, BOT, 0, M, 1},   {G, V, M, PD, 0, M, 0}};
    // clang-format on
    for (const auto& row : rows) {
        PreviewLayout layout = layouts[row.layout];
        std::int32_t& position = row.vertical ? layout.m_topLine : layout.m_leftColumn;
        position = row.start;
        const bool changed = row.vertical ? ScrollVertically(layout, row.request, row.track)
                                          : ScrollHorizontally(layout, row.request, row.track);
        SCOPED_TRACE(std::to_string(row.layout) + (row.vertical ? " V" : " H") + " request " +
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
    // clang-format off
    const struct { std::uint64_t lines; std::int32_t top; int height; std::uint64_t first, end; }
    rows[] = {
        {100, 0, 280, 0, 20}, {100, 0, 281, 0, 21},  {100, 0, 279, 0, 20},    {100, 0, 400, 0, 29},
        {100, 0, 0, 0, 0},    {100, 10, 28, 10, 12}, {100, 90, 400, 90, 100}, {5, 3, 28, 3, 5},
        {5, 3, 29, 3, 5},     {5, 0, 27, 0, 2}};
    // clang-format on
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
    // clang-format off
    const struct { std::uint64_t line; std::int32_t perLine; std::uint64_t size;
                   std::uint32_t offset; std::int32_t count; bool drawn; } rows[] = {
        {1, 10, 20, 10, 10, true}, {2, 10, 20, 20, 0, true}, {0, 16, 1, 0, 1, true},
        {3, 10, 25, 30, 0, true}, {5, 0, 25, 0, 0, true},
        {0x0FFFFFFF, 16, k4GiB, 0xFFFFFFF0u, 16, true}, {1u << 28, 16, k4GiB, 0, 0, false},
        {1u << 29, 16, k4GiB, 0, 0, false}};
    // clang-format on
    for (const auto& row : rows) {
        const LineBytes bytes = LineBytesAt(row.line, row.perLine, row.size);
        SCOPED_TRACE(std::to_string(row.line) + " at " + std::to_string(row.perLine));
        EXPECT_EQ(bytes.drawn, row.drawn);
        EXPECT_EQ(bytes.offset, row.offset);
        EXPECT_EQ(bytes.count, row.count);
    }
}

}  // namespace
}  // namespace qs
