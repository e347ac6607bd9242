// The preview control's scroll, layout and placement arithmetic, kept apart from the window so
// that every scroll request and every placement can be checked without a window system. The
// control holds one PreviewLayout and turns these results into scroll-bar and drawing calls.
#pragma once

#include <cstdint>

namespace qs {

// The control's scroll state. Positions are bounded only from above when the window is resized,
// so m_leftColumn is -1 while a whole line and one more column fit: lines then start one cell
// from the left edge.
struct PreviewLayout {
    std::int32_t m_charWidth =
        10;  // character cell in pixels; the font's 7 x 14 once a file is set
    std::int32_t m_charHeight = 10;
    std::int32_t m_pageColumns = 0;  // whole columns per page (horizontal page step)
    std::int32_t m_pageRows = 0;     // whole lines per page, at most the line count
    std::int32_t m_lineChars = 0;    // characters per line while a non-empty file is shown, else 0
    std::uint64_t m_lineCount = 0;
    std::int32_t m_leftColumn = 0;  // horizontal position; may be -1
    std::int32_t m_lastColumn = 0;  // horizontal range maximum, max(W - 1, 0)
    std::int32_t m_topLine = 0;     // vertical position
    std::int32_t m_lastLine = 0;    // vertical range maximum, L - 1 (-1 with no lines)
};

// What one scroll bar is set to (range, page and position together).
struct ScrollBarSetting {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::uint32_t page = 0;
    std::int32_t pos = 0;
};

struct ScrollBarSettings {
    ScrollBarSetting vertical;
    ScrollBarSetting horizontal;
};

// Scroll requests, with the values of the platform's SB_ codes (the horizontal ones share them:
// line left = line up, page right = page down, left = top, right = bottom).
enum ScrollRequest : int {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
    kScrollEnd = 8,
};

// True for the requests that move to the scroll bar's tracking position.
inline bool IsThumbRequest(int request) {
    return request == kScrollThumbPosition || request == kScrollThumbTrack;
}

// A new file: the cell read from the font, both positions back at the start, and the file's line
// count and width (W is 0 for an empty file).
void ResetForFile(PreviewLayout& layout, std::int32_t charWidth, std::int32_t charHeight,
                  std::uint64_t lineCount, std::int32_t lineChars);

// Fits the page to a client area and pulls the positions back so the last page stays full;
// returns what both scroll bars are to show. The window applies the two halves one at a time:
// showing or hiding the vertical bar changes the client width that the horizontal half needs.
ScrollBarSetting UpdateVerticalScroll(PreviewLayout& layout, int clientHeight);
ScrollBarSetting UpdateHorizontalScroll(PreviewLayout& layout, int clientWidth);
ScrollBarSettings UpdateScrollBars(PreviewLayout& layout, int clientWidth, int clientHeight);

// Applies a scroll request; trackPosition is used by the thumb requests only. Returns whether the
// position changed, which is the only case in which the bar is moved and the view repainted.
bool ScrollVertically(PreviewLayout& layout, int request, std::int32_t trackPosition);
bool ScrollHorizontally(PreviewLayout& layout, int request, std::int32_t trackPosition);

// Lines [first, end) that a paint of a client area of this height draws: the whole rows that fit,
// one more for a partial row, never past the last line.
struct LineSpan {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
};
LineSpan LinesToDraw(const PreviewLayout& layout, int clientHeight);

// Where line i is drawn: rows are m_charHeight - 1 pixels apart (the count of rows that fit uses
// the full cell height).
struct PreviewPoint {
    int x = 0;
    int y = 0;
};
PreviewPoint LineOrigin(const PreviewLayout& layout, std::uint64_t line);

// The bytes of line i: its 32-bit offset and how many bytes it holds. Lines past the end of the
// file (the count was changed after the file was set) hold none, so nothing past the end is read;
// a line starting at or past 4 GiB has no true 32-bit offset and is not drawn at all.
struct LineBytes {
    std::uint32_t offset = 0;
    std::int32_t count = 0;
    bool drawn = true;
};
LineBytes LineBytesAt(std::uint64_t line, std::int32_t bytesPerLine, std::uint64_t fileSize);

// The empty-state text: measured at (0, 0), moved to the top edge, centred horizontally.
struct PreviewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
PreviewRect PlaceEmptyText(int clientWidth, const PreviewRect& measured);

}  // namespace qs
