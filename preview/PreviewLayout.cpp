#include "preview/PreviewLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace qs {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// Line counts are 64-bit while scroll positions are 32-bit: a count too large for a scroll bar
// (only a file of gigabytes at one byte per line) pins the range instead of wrapping it.
std::int32_t Saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp(value, kInt32Min, kInt32Max));
}

std::int64_t ToSigned(std::uint64_t value) {
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(value, static_cast<std::uint64_t>(kInt32Max) + 1));
}

// The cell comes from the font's description; a degenerate one must not divide by zero.
std::int64_t Cell(std::int32_t size) {
    return std::max<std::int32_t>(size, 1);
}

// The common tail of both scroll handlers: bound above by the last full page, then below by 0.
bool MoveTo(std::int32_t& position, std::int64_t wanted, std::int64_t upperBound) {
    const std::int32_t old = position;
    position = Saturate(std::max<std::int64_t>(std::min(wanted, upperBound), 0));
    return position != old;
}

}  // namespace

void ResetForFile(PreviewLayout& layout, std::int32_t charWidth, std::int32_t charHeight,
                  std::uint64_t lineCount, std::int32_t lineChars) {
    layout.m_charWidth = charWidth;
    layout.m_charHeight = charHeight;
    layout.m_topLine = 0;
    layout.m_lastLine = 0;
    layout.m_leftColumn = 0;
    layout.m_lastColumn = 0;
    layout.m_lineCount = lineCount;
    layout.m_lineChars = lineChars;
}

ScrollBarSetting UpdateVerticalScroll(PreviewLayout& layout, int clientHeight) {
    const std::int64_t lines = ToSigned(layout.m_lineCount);
    const std::int64_t rows = std::max(clientHeight, 0) / Cell(layout.m_charHeight);
    layout.m_pageRows = Saturate(std::min(rows, lines));
    layout.m_lastLine = Saturate(lines - 1);
    layout.m_topLine =
        Saturate(std::min<std::int64_t>(layout.m_topLine, lines - layout.m_pageRows));
    ScrollBarSetting bar;
    bar.min = 0;
    bar.max = layout.m_lastLine;
    bar.page = static_cast<std::uint32_t>(layout.m_pageRows);
    bar.pos = layout.m_topLine;
    return bar;
}

ScrollBarSetting UpdateHorizontalScroll(PreviewLayout& layout, int clientWidth) {
    const std::int64_t width = std::max(layout.m_lineChars, 0);
    const std::int64_t columns = std::max(clientWidth, 0) / Cell(layout.m_charWidth);
    layout.m_pageColumns = Saturate(std::min(columns, width + 1));
    layout.m_lastColumn = Saturate(std::max<std::int64_t>(width - 1, 0));
    // With room for the whole line and one more column this bound is -1: see PreviewLayout.
    layout.m_leftColumn = Saturate(std::min<std::int64_t>(
        layout.m_leftColumn, std::int64_t{layout.m_lastColumn} - layout.m_pageColumns + 1));
    ScrollBarSetting bar;
    bar.min = 0;
    bar.max = layout.m_lastColumn;
    bar.page = static_cast<std::uint32_t>(
        std::min<std::int64_t>(layout.m_pageColumns, std::int64_t{layout.m_lastColumn} + 1));
    bar.pos = layout.m_leftColumn;
    return bar;
}

ScrollBarSettings UpdateScrollBars(PreviewLayout& layout, int clientWidth, int clientHeight) {
    ScrollBarSettings bars;
    bars.vertical = UpdateVerticalScroll(layout, clientHeight);
    bars.horizontal = UpdateHorizontalScroll(layout, clientWidth);
    return bars;
}

namespace {

// One scroll request on either axis: where it asks to go before the clamps. The axes differ only
// in their page step and in where the far end lies.
std::int64_t RequestedPosition(int request, std::int64_t old, std::int64_t page,
                               std::int64_t farEnd, std::int32_t trackPosition) {
    switch (request) {
        case kScrollLineUp:
            return old > 0 ? old - 1 : old;
        case kScrollLineDown:
            return old + 1;
        case kScrollPageUp:
            return old - page;
        case kScrollPageDown:
            return old + page;
        case kScrollThumbPosition:
        case kScrollThumbTrack:
            return trackPosition;
        case kScrollTop:
            return 0;
        case kScrollBottom:
            return farEnd;
        default:
            return old;
    }
}

}  // namespace

bool ScrollVertically(PreviewLayout& layout, int request, std::int32_t trackPosition) {
    const std::int64_t lastPage = std::int64_t{layout.m_lastLine} - layout.m_pageRows + 1;
    const std::int64_t wanted = RequestedPosition(
        request, layout.m_topLine, std::max(layout.m_pageRows, 1), lastPage, trackPosition);
    return MoveTo(layout.m_topLine, wanted, lastPage);
}

bool ScrollHorizontally(PreviewLayout& layout, int request, std::int32_t trackPosition) {
    const std::int64_t lastPage = std::int64_t{layout.m_lastColumn} - layout.m_pageColumns + 1;
    // No minimum of one here: a window narrower than one cell has no page to step by. The far
    // end is one past the last column; the clamp brings it back to the last page.
    const std::int64_t wanted =
        RequestedPosition(request, layout.m_leftColumn, layout.m_pageColumns,
                          std::int64_t{layout.m_lastColumn} + 1, trackPosition);
    return MoveTo(layout.m_leftColumn, wanted, lastPage);
}

LineSpan LinesToDraw(const PreviewLayout& layout, int clientHeight) {
    const std::int64_t height = std::max(clientHeight, 0);
    const std::int64_t cell = Cell(layout.m_charHeight);
    const std::int64_t lines = ToSigned(layout.m_lineCount);
    const std::int64_t first = std::max<std::int64_t>(layout.m_topLine, 0);
    std::int64_t end = std::min(layout.m_topLine + height / cell, lines);
    if (height % cell != 0) {
        ++end;
    }
    end = std::max(std::min(end, lines), first);
    return {static_cast<std::uint64_t>(first), static_cast<std::uint64_t>(end)};
}

PreviewPoint LineOrigin(const PreviewLayout& layout, std::uint64_t line) {
    const std::int64_t row = ToSigned(line) - layout.m_topLine;
    return {Saturate(-std::int64_t{layout.m_leftColumn} * layout.m_charWidth),
            Saturate(row * (std::int64_t{layout.m_charHeight} - 1))};
}

LineBytes LineBytesAt(std::uint64_t line, std::int32_t bytesPerLine, std::uint64_t fileSize) {
    LineBytes bytes;
    if (bytesPerLine <= 0) {
        return bytes;
    }
    // Checked before the cut to 32 bits: a wrapped offset would show bytes from the start.
    const std::uint64_t offset = line * static_cast<std::uint64_t>(bytesPerLine);
    if (offset > std::numeric_limits<std::uint32_t>::max()) {
        bytes.drawn = false;
        return bytes;
    }
    bytes.offset = static_cast<std::uint32_t>(offset);
    if (offset < fileSize) {
        bytes.count = static_cast<std::int32_t>(
            std::min<std::uint64_t>(fileSize - offset, static_cast<std::uint64_t>(bytesPerLine)));
    }
    return bytes;
}

PreviewRect PlaceEmptyText(int clientWidth, const PreviewRect& measured) {
    const int width = measured.right - measured.left;
    PreviewRect placed = measured;
    placed.left = clientWidth / 2 - width / 2;
    placed.right = placed.left + width;
    return placed;
}

}  // namespace qs
