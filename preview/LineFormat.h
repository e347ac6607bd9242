// The hex dump's line format: how a file divides into lines and the exact text of one line.
// Pure functions, no state: the preview control formats each visible line as it paints it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qs {

// Line offsets are shown as eight hexadecimal digits (32 bits), so only a file's first 4 GiB can
// be shown with true offsets; the line count stops there.
constexpr std::uint64_t kMaxShownFileSize = std::uint64_t{1} << 32;

// Keeps 4 * N + 11 inside an int; no real view comes near it.
constexpr int kMaxBytesPerLine = (0x7FFFFFFF - 11) / 4;

// Number of lines for a file of `size` bytes at `bytesPerLine` bytes per line: the size divided
// by N, rounded up, over at most the first 4 GiB. 0 for an empty file, and for N below 1 (a count
// of 0 would divide by zero).
std::uint64_t GetLineCount(std::uint64_t size, int bytesPerLine);

// Width of every line in characters, W = 4 * N + 11: offset (8), two spaces, "XX " per byte, a
// separating space, one character per byte. N is taken as 0 when negative.
int GetLineChars(int bytesPerLine);

// The character column's unit for one byte: 0x20 to 0x80 inclusive stand for themselves, code for
// code (no code page), so 0x7F and 0x80 are U+007F and U+0080; everything else is a full stop.
// The copy of the character pane uses it too, so that it gives exactly what the column shows.
constexpr char16_t ShownChar(std::uint8_t byte) {
    return (byte >= 0x20 && byte <= 0x80) ? static_cast<char16_t>(byte) : u'.';
}

// One byte's hexadecimal field, "XX ", plus a fourth unit, a blank, so that a field is one 8-byte
// copy. The extra blank lands where the next field starts (and is overwritten) or on a blank that
// the text has there anyway. The dump's lines and the hex copy are both written from kHexFields.
struct HexField {
    char16_t units[4];
};
extern const std::array<HexField, 256> kHexFields;

// One line of the dump, exactly GetLineChars(bytesPerLine) UTF-16 units:
//   "%08X  " offset, then "%02X " per byte present and "   " per missing slot, then " ",
//   then one character per byte present (0x20..0x80 as themselves, the rest as '.'), then a space
//   per missing slot.
// `count` (clamped to 0..N) bytes are read from `bytes`; a null `bytes` is drawn as count 0,
// which is how a line whose bytes are unavailable looks: the offset followed by blanks.
std::u16string FormatLine(const std::uint8_t* bytes, int count, std::uint32_t offset,
                          int bytesPerLine);

}  // namespace qs
