// The user's hyperlink colours as the registry keeps them: a string value of three decimal
// numbers, red, green and blue, separated by commas ("0,0,255"). Portable: the Win32 half only
// reads the value's type and bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qs {

struct LinkColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Registry value types as the platform numbers them; only the two string types carry a colour.
constexpr uint32_t REG_VALUE_STRING = 1;         // REG_SZ
constexpr uint32_t REG_VALUE_EXPAND_STRING = 2;  // REG_EXPAND_SZ

// The largest value read, in bytes, terminator included: eleven UTF-16 units and the zero.
constexpr size_t LINK_COLOUR_VALUE_BYTES = 24;

// The colour in a value of `size` bytes (UTF-16, little-endian) of the given type, or nothing
// when the value is not a string, is longer than LINK_COLOUR_VALUE_BYTES, does not end with a
// zero, or is not exactly three non-empty runs of decimal digits separated by two commas (no
// spaces, no signs). Each number is taken modulo 256. Reads no byte at or past data + size.
std::optional<LinkColour> ParseLinkColour(uint32_t type, const uint8_t* data, size_t size);

}  // namespace qs
