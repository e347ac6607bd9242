// Views of the program's UTF-16 strings as the wchar_t strings that Win32 takes. Windows only:
// wchar_t is a 16-bit UTF-16 unit there.
#pragma once

#include <string>

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a UTF-16 code unit");

namespace qs {

inline const wchar_t* AsWide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

inline wchar_t* AsWide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }

inline std::u16string FromWide(const wchar_t* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}

inline std::u16string FromWide(const wchar_t* s, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), length);
}

}  // namespace qs
#endif
