#include "preview/ByteSelection.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <limits>

#include "preview/LineFormat.h"

namespace qs {

namespace {

constexpr std::uint64_t kNoEnd = std::numeric_limits<std::uint64_t>::max();

// Each Read maps a view of its bytes: a window bounds what is mapped at once during a copy of
// up to kMaxCopyBytes, and is large enough that mapping costs nothing beside the formatting.
constexpr std::size_t kReadWindow = std::size_t{1} << 20;

// Text is made in a small buffer that stays in the first-level cache and appended from there, so
// the large result is written once; sizing it with resize() would write it twice (zeros first).
constexpr std::size_t kChunkBytes = 1024;

// Columns of the line text (see FormatLine): byte k's hex digits at 10 + 3k, its character at
// 11 + 3N + k.
constexpr std::int64_t kHexColumn = 10;

std::int64_t TextColumn(std::int64_t n) {
    return 11 + 3 * n;
}

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The line and the column of the line text under a client point, either of them possibly outside
// the text. Lines are drawn m_charHeight - 1 pixels apart, so the overlapping pixel row belongs to
// the lower line, which is drawn last.
struct GridPoint {
    std::int64_t line = 0;
    std::int64_t column = 0;
};

GridPoint PointToGrid(const PreviewLayout& layout, int x, int y) {
    const std::int64_t width = std::max(layout.m_charWidth, 1);
    const std::int64_t pitch = std::max(layout.m_charHeight - 1, 1);
    return {layout.m_topLine + FloorDiv(y, pitch),
            FloorDiv(x + std::int64_t{layout.m_leftColumn} * width, width)};
}

// What the dump shows of a file and at which width; n is 0 when there is nothing to hit.
struct Shown {
    std::int64_t n = 0;
    std::uint64_t size = 0;
    std::int64_t lines = 0;
};

Shown ShownFile(int bytesPerLine, std::uint64_t fileSize) {
    if (bytesPerLine < 1 || bytesPerLine > kMaxBytesPerLine || fileSize == 0) {
        return {};
    }
    const std::uint64_t size = std::min(fileSize, kMaxShownFileSize);
    return {bytesPerLine, size, static_cast<std::int64_t>(GetLineCount(size, bytesPerLine))};
}

std::uint64_t RangeEnd(const ByteRange& range) {
    return range.count > kNoEnd - range.start ? kNoEnd : range.start + range.count;
}

// Checks the range, reserves `out` for `units` more and hands `emit` each window of the range's
// bytes with whether it is the last. On any failure `out` is cleared.
template <typename Emit>
bool CopyThroughWindows(ByteSource& source, const ByteRange& range, std::u16string& out,
                        std::uint64_t units, Emit emit) {
    const std::uint64_t size = source.GetSize();
    bool done =
        range.count <= kMaxCopyBytes && range.start <= size && range.count <= size - range.start;
    if (done && range.count != 0) {
        try {
            out.reserve(out.size() + static_cast<std::size_t>(units));
        } catch (const std::exception&) {
            done = false;
        }
    }
    for (std::uint64_t at = 0; done && at < range.count;) {
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(range.count - at, kReadWindow));
        const std::uint8_t* bytes = source.Read(range.start + at, length);
        at += length;
        done = bytes != nullptr;
        if (done) {
            emit(bytes, length, at == range.count);
        }
    }
    if (!done) {
        out.clear();
    }
    return done;
}

// "0x" and at least eight upper-case hex digits, as the offset column shows them, more as needed.
std::u16string HexOffset(std::uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789ABCDEF"[value & 0xF]);
        value >>= 4;
    } while (value != 0 || digits.size() < 8);
    return u"0x" + digits;
}

}  // namespace

ByteRange SpanBetween(std::uint64_t anchor, std::uint64_t other) {
    const std::uint64_t first = std::min(anchor, other);
    const std::uint64_t last = std::max(anchor, other);
    return {first, last - first == kNoEnd ? kNoEnd : last - first + 1};
}

ByteHit HitTestByte(const PreviewLayout& layout, int bytesPerLine, std::uint64_t fileSize, int x,
                    int y) {
    const Shown shown = ShownFile(bytesPerLine, fileSize);
    const GridPoint point = PointToGrid(layout, x, y);
    if (shown.n == 0 || x < 0 || y < 0 || point.line < 0 || point.line >= shown.lines) {
        return {};
    }
    ByteHit hit;
    // A hex cell is its two digits and the blank after them, as in a drag, except the last
    // cell's blank, which begins the gap before the character column.
    std::int64_t k = point.column - kHexColumn;
    if (k >= 0 && k < 3 * shown.n - 1) {
        k /= 3;
    } else {
        k = point.column - TextColumn(shown.n);
        if (k < 0 || k >= shown.n) {
            return {};
        }
        hit.pane = PreviewPane::Text;
    }
    hit.offset = static_cast<std::uint64_t>(point.line * shown.n + k);
    hit.hit = hit.offset < shown.size;
    return hit;
}

std::uint64_t DragHit(const PreviewLayout& layout, int bytesPerLine, std::uint64_t fileSize,
                      PreviewPane pane, int x, int y) {
    const Shown shown = ShownFile(bytesPerLine, fileSize);
    const GridPoint point = PointToGrid(layout, x, y);
    if (shown.n == 0 || point.line < 0) {
        return 0;
    }
    if (point.line >= shown.lines) {
        return shown.size - 1;
    }
    const auto lineStart = static_cast<std::uint64_t>(point.line * shown.n);
    const auto lineBytes =
        static_cast<std::int64_t>(std::min<std::uint64_t>(shown.size - lineStart, shown.n));
    // Floor division gives the space after a hex cell to the byte on its left.
    const std::int64_t k = pane == PreviewPane::Hex ? FloorDiv(point.column - kHexColumn, 3)
                                                    : point.column - TextColumn(shown.n);
    return lineStart + static_cast<std::uint64_t>(std::clamp<std::int64_t>(k, 0, lineBytes - 1));
}

LineHighlight HighlightOnLine(std::uint64_t lineOffset, int lineBytes, int bytesPerLine,
                              const ByteRange& range) {
    if (bytesPerLine < 1 || bytesPerLine > kMaxBytesPerLine || lineBytes < 1) {
        return {};
    }
    const int held = std::min(lineBytes, bytesPerLine);
    const std::uint64_t first = std::max(range.start, lineOffset);
    const std::uint64_t end =
        std::min(RangeEnd(range), lineOffset + static_cast<std::uint64_t>(held));
    if (first >= end) {
        return {};
    }
    // Both below `held`, so within an int.
    const int k0 = static_cast<int>(first - lineOffset);
    const int k1 = static_cast<int>(end - lineOffset);
    const int text = 11 + 3 * bytesPerLine;
    return {true, 10 + 3 * k0, 9 + 3 * k1, text + k0, text + k1};
}

bool FormatHexCopy(ByteSource& source, const ByteRange& range, std::u16string& out) {
    // "XX" per byte and a space between two: 3 units a byte, less the missing last space.
    const std::uint64_t units = range.count == 0 ? 0 : 3 * range.count - 1;
    return CopyThroughWindows(source, range, out, units,
                              [&out](const std::uint8_t* bytes, std::size_t length, bool last) {
                                  // One spare unit: each field is one 8-byte copy of its four
                                  // units.
                                  std::array<char16_t, 3 * kChunkBytes + 1> text;
                                  for (std::size_t at = 0; at < length; at += kChunkBytes) {
                                      const std::size_t count = std::min(length - at, kChunkBytes);
                                      for (std::size_t i = 0; i < count; ++i) {
                                          std::memcpy(&text[3 * i], kHexFields[bytes[at + i]].units,
                                                      sizeof(HexField));
                                      }
                                      const bool end = last && at + count == length;
                                      out.append(text.data(), 3 * count - (end ? 1 : 0));
                                  }
                              });
}

bool FormatTextCopy(ByteSource& source, const ByteRange& range, std::u16string& out) {
    return CopyThroughWindows(source, range, out, range.count,
                              [&out](const std::uint8_t* bytes, std::size_t length, bool) {
                                  std::array<char16_t, kChunkBytes> text;
                                  for (std::size_t at = 0; at < length; at += kChunkBytes) {
                                      const std::size_t count = std::min(length - at, kChunkBytes);
                                      for (std::size_t i = 0; i < count; ++i) {
                                          text[i] = ShownChar(bytes[at + i]);
                                      }
                                      out.append(text.data(), count);
                                  }
                              });
}

std::u16string DescribeSelection(const ByteRange& range) {
    if (range.count == 0) {
        return u"No selection";
    }
    const std::string count = std::to_string(range.count);
    return u"Selected " + HexOffset(range.start) + u" to " +
           HexOffset(range.start + std::min(range.count - 1, kNoEnd - range.start)) + u", " +
           std::u16string(count.begin(), count.end()) + (range.count == 1 ? u" byte" : u" bytes");
}

}  // namespace qs
