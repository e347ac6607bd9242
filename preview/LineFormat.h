// The hex dump's line format: how a file divides into lines and the exact text of one line.
// Pure functions, no state: the preview control formats each visible line as it paints it.
#pragma once

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

// One line of the dump, exactly GetLineChars(bytesPerLine) UTF-16 units:
//   "%08X  " offset, then "%02X " per byte present and "   " per missing slot, then " ",
//   then one character per byte present (0x20..0x80 as themselves, the rest as '.'), then a space
//   per missing slot.
// `count` (clamped to 0..N) bytes are read from `bytes`; a null `bytes` is drawn as count 0,
// which is how a line whose bytes are unavailable looks: the offset followed by blanks.
std::u16string FormatLine(const std::uint8_t* bytes, int count, std::uint32_t offset,
                          int bytesPerLine);

}  // namespace qs
