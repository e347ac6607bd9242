// Text helpers. The program's text is UTF-16 on every platform (std::u16string), since the
// platform's path limits count UTF-16 code units.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// UTF-8 to UTF-16. Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace qs
