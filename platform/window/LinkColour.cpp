#include "platform/window/LinkColour.h"

namespace qs {

std::optional<LinkColour> ParseLinkColour(uint32_t type, const uint8_t* data, size_t size) {
    if (type != REG_VALUE_STRING && type != REG_VALUE_EXPAND_STRING)
        return std::nullopt;
    // Whole UTF-16 units only, at least the terminator, and the last one a zero.
    if (data == nullptr || size < 2 || size > LINK_COLOUR_VALUE_BYTES || size % 2 != 0)
        return std::nullopt;
    const size_t units = size / 2;
    const auto unitAt = [data](size_t i) {
        return static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    };
    if (unitAt(units - 1) != u'\0')
        return std::nullopt;

    // The text is what comes before the first zero, as the platform's string calls see it.
    unsigned component[3] = {};
    size_t part = 0;
    size_t digits = 0;
    for (size_t i = 0; i < units; ++i) {
        const char16_t c = unitAt(i);
        if (c == u'\0')
            break;
        if (c == u',') {
            if (digits == 0 || part == 2)
                return std::nullopt;
            ++part;
            digits = 0;
        } else if (c >= u'0' && c <= u'9') {
            // Modulo 256 as we go: exact for any length, and nothing can overflow.
            component[part] = (component[part] * 10 + static_cast<unsigned>(c - u'0')) % 256;
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits == 0)
        return std::nullopt;
    return LinkColour{static_cast<uint8_t>(component[0]), static_cast<uint8_t>(component[1]),
                      static_cast<uint8_t>(component[2])};
}

}  // namespace qs
