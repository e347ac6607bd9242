// The Go To box: the offset the user typed, in hex or decimal, absolute or relative to where the
// view is, checked against the file. Portable: the dialog lives in the Win32 half.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

enum class OffsetBase { Hex, Decimal };

enum class OffsetError { None, Empty, NotANumber, PastEnd, Negative, Overflow };

struct OffsetParse {
    std::uint64_t offset = 0;
    OffsetError error = OffsetError::None;
};

// Hex takes an optional 0x or 0X; a leading + or - moves from `current`; spaces and tabs around
// the text are ignored. offset >= fileSize: PastEnd. A result below 0: Negative. More than 64 bits,
// in the number or in current + delta: Overflow. The offset is 0 on an error.
OffsetParse ParseOffset(const std::u16string& text, OffsetBase base, std::uint64_t current,
                        std::uint64_t fileSize);

// The typed text rewritten from one base into the other, so that it still means the same place:
// a leading + or - stays, hex is written as FormatOffset writes it. Text that is not a number in
// `from` (or too large for 64 bits) comes back as it is.
std::u16string RewriteOffset(const std::u16string& text, OffsetBase from, OffsetBase to);

// One short sentence for the Go To dialog; for PastEnd it gives the file's size in hex and
// decimal. Empty for None.
std::u16string GetOffsetErrorMessage(OffsetError error, std::uint64_t fileSize);

// "%08X": at least eight upper-case hex digits, more for offsets past 32 bits.
std::u16string FormatOffset(std::uint64_t offset);

}  // namespace qs
