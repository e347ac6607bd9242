// The platform's own lower-casing of text: CharLowerW on Windows, elsewhere the Unicode simple
// lower-case mapping (surrogate pairs mapped as one code point, lone surrogates kept).
#pragma once

#include <string>
#include <string_view>

namespace qs {

std::u16string ToLowerCase(std::u16string_view text);

}  // namespace qs
