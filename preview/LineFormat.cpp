#include "preview/LineFormat.h"

#include <array>
#include <cstring>

namespace qs {

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

constexpr std::array<HexField, 256> MakeHexFields() {
    std::array<HexField, 256> fields{};
    for (int b = 0; b < 256; ++b) {
        fields[b].units[0] = kHexDigits[b >> 4];
        fields[b].units[1] = kHexDigits[b & 0xF];
        fields[b].units[2] = u' ';
        fields[b].units[3] = u' ';
    }
    return fields;
}

}  // namespace

// Made at compile time; the declaration in the header gives it external linkage.
constexpr std::array<HexField, 256> kHexFields = MakeHexFields();

namespace {

// ShownChar as a table: one load per byte on the paint path.
constexpr std::array<char16_t, 256> MakeShownChars() {
    std::array<char16_t, 256> chars{};
    for (int b = 0; b < 256; ++b) {
        chars[b] = ShownChar(static_cast<std::uint8_t>(b));
    }
    return chars;
}

constexpr std::array<char16_t, 256> kShownChars = MakeShownChars();

int ClampBytesPerLine(int bytesPerLine) {
    if (bytesPerLine < 0) {
        return 0;
    }
    return bytesPerLine > kMaxBytesPerLine ? kMaxBytesPerLine : bytesPerLine;
}

void FillBlanks(char16_t* out, int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = u' ';
    }
}

// Writes all 4 * n + 11 units of the line.
void ComposeLine(char16_t* out, const std::uint8_t* bytes, int count, std::uint32_t offset, int n) {
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::uint8_t>(offset >> (24 - 8 * i));
        std::memcpy(out + 2 * i, kHexFields[b].units, 2 * sizeof(char16_t));
    }
    out[8] = u' ';
    out[9] = u' ';
    char16_t* hex = out + 10;
    char16_t* text = out + 11 + 3 * n;
    for (int k = 0; k < count; ++k) {
        const std::uint8_t b = bytes[k];
        std::memcpy(hex + 3 * k, kHexFields[b].units, sizeof(HexField));
        text[k] = kShownChars[b];
    }
    // Missing slots and the separating space, then the missing characters.
    FillBlanks(hex + 3 * count, 3 * (n - count) + 1);
    FillBlanks(text + count, n - count);
}

}  // namespace

std::uint64_t GetLineCount(std::uint64_t size, int bytesPerLine) {
    if (bytesPerLine < 1) {
        return 0;
    }
    const std::uint64_t shown = size < kMaxShownFileSize ? size : kMaxShownFileSize;
    const auto n = static_cast<std::uint64_t>(bytesPerLine);
    return shown / n + (shown % n != 0 ? 1 : 0);
}

int GetLineChars(int bytesPerLine) {
    return 4 * ClampBytesPerLine(bytesPerLine) + 11;
}

std::u16string FormatLine(const std::uint8_t* bytes, int count, std::uint32_t offset,
                          int bytesPerLine) {
    const int n = ClampBytesPerLine(bytesPerLine);
    if (bytes == nullptr || count < 0) {
        count = 0;
    } else if (count > n) {
        count = n;
    }
    // Sized once (zero-filled, which compiles to a plain memset) and then written in full: no
    // growing, no second pass over the blanks.
    std::u16string line;
    line.resize(static_cast<std::size_t>(GetLineChars(n)));
    ComposeLine(&line[0], bytes, count, offset, n);
    return line;
}

}  // namespace qs
