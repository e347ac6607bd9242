// The hex viewer's selection without the window: which byte a point is on, which columns of a line
// to draw highlighted, and the texts that Copy puts on the clipboard. Portable; the preview
// control turns mouse messages into these calls and these results into drawing and clipboard calls.
#pragma once

#include <cstdint>
#include <string>

#include "preview/ByteSource.h"
#include "preview/PreviewLayout.h"

namespace qs {

enum class PreviewPane { Hex, Text };

// Bytes [start, start + count); count 0 is "nothing".
struct ByteRange {
    std::uint64_t start = 0;
    std::uint64_t count = 0;
};

// The range from one byte to another, in either order, both included.
ByteRange SpanBetween(std::uint64_t anchor, std::uint64_t other);

struct ByteHit {
    bool hit = false;
    std::uint64_t offset = 0;
    PreviewPane pane = PreviewPane::Hex;
};

// The byte whose cell holds the client point: in the hex column a byte's cell is its two digits
// and the blank after them (columns 10 + 3k to 12 + 3k of the line text; the last byte's blank
// belongs to the gap before the characters), in the character column its one character (column
// 11 + 3N + k). Points on the offset column, on the gap between the columns, past a short last
// line's bytes, below the last line or outside the client area (negative coordinates: the right and
// bottom edges are the caller's, whose presses arrive only inside) hit nothing. bytesPerLine is N,
// fileSize the shown size.
ByteHit HitTestByte(const PreviewLayout& layout, int bytesPerLine, std::uint64_t fileSize, int x,
                    int y);

// While dragging in `pane`: the byte nearest the point in that pane, clamped to the file. A point
// above the first line or left of the pane's first cell goes to the line's (or file's) first
// byte, one past the pane's last cell or below the last line to the last byte; a point on the
// space between two hex cells belongs to the byte on its left. 0 for an empty file.
std::uint64_t DragHit(const PreviewLayout& layout, int bytesPerLine, std::uint64_t fileSize,
                      PreviewPane pane, int x, int y);

// The columns of one line's text to draw highlighted for `range`: [hexFirst, hexEnd) from the
// first covered byte's first digit to the last covered byte's second digit (the spaces between
// covered bytes included, the one after the last not), and [textFirst, textEnd) over the covered
// characters. `any` is false when the line and the range don't meet. lineOffset is the line's
// first byte, lineBytes the bytes it holds.
struct LineHighlight {
    bool any = false;
    int hexFirst = 0;
    int hexEnd = 0;
    int textFirst = 0;
    int textEnd = 0;
};
LineHighlight HighlightOnLine(std::uint64_t lineOffset, int lineBytes, int bytesPerLine,
                              const ByteRange& range);

// Larger selections are refused: as hex text 16 MiB is already 96 MiB of UTF-16.
constexpr std::uint64_t kMaxCopyBytes = std::uint64_t{16} << 20;

// The selection as the hex pane gives it: upper-case pairs separated by single spaces, no line
// breaks ("51 75 61 72"). As the text pane gives it: each byte as the character column shows it
// (ShownChar). Both read `source` a window at a time and append to `out`, which is reserved once
// to its exact final size. False, with `out` cleared, when a read fails, when the range passes the
// source's end or kMaxCopyBytes, or when the text can't be allocated. An empty range appends
// nothing.
bool FormatHexCopy(ByteSource& source, const ByteRange& range, std::u16string& out);
bool FormatTextCopy(ByteSource& source, const ByteRange& range, std::u16string& out);

// "Selected 0x0000003C to 0x0000004B, 16 bytes" (first and last byte, inclusive, 8 or more
// upper-case hex digits; "1 byte" for one), or "No selection" for an empty range.
std::u16string DescribeSelection(const ByteRange& range);

}  // namespace qs
