#include "preview/LineFormat.h"

#include <array>
#include <cstring>

namespace qs {

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// Two upper-case digits per byte value: one 4-byte copy per byte instead of two look-ups.
struct HexPair {
    char16_t digits[2];
};

constexpr std::array<HexPair, 256> MakeHexPairs() {
    std::array<HexPair, 256> pairs{};
    for (int b = 0; b < 256; ++b) {
        pairs[b].digits[0] = kHexDigits[b >> 4];
        pairs[b].digits[1] = kHexDigits[b & 0xF];
    }
    return pairs;
}

// 0x20 to 0x80 inclusive stand for themselves, code for code (no code page): 0x7F and 0x80 are
// shown as U+007F and U+0080. Everything else is a full stop.
constexpr std::array<char16_t, 256> MakeShownChars() {
    std::array<char16_t, 256> chars{};
    for (int b = 0; b < 256; ++b) {
        chars[b] = (b >= 0x20 && b <= 0x80) ? static_cast<char16_t>(b) : u'.';
    }
    return chars;
}

constexpr std::array<HexPair, 256> kHexPairs = MakeHexPairs();
constexpr std::array<char16_t, 256> kShownChars = MakeShownChars();

int ClampBytesPerLine(int bytesPerLine) {
    if (bytesPerLine < 0) {
        return 0;
    }
    return bytesPerLine > kMaxBytesPerLine ? kMaxBytesPerLine : bytesPerLine;
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

    // Blanks everywhere first; then only the digits and characters are written.
    std::u16string line(static_cast<std::size_t>(GetLineChars(n)), u' ');
    char16_t* out = &line[0];
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::uint8_t>(offset >> (24 - 8 * i));
        std::memcpy(out + 2 * i, kHexPairs[b].digits, sizeof(HexPair));
    }
    char16_t* hex = out + 10;
    char16_t* text = out + 11 + 3 * n;
    for (int k = 0; k < count; ++k) {
        const std::uint8_t b = bytes[k];
        std::memcpy(hex + 3 * k, kHexPairs[b].digits, sizeof(HexPair));
        text[k] = kShownChars[b];
    }
    return line;
}

}  // namespace qs
