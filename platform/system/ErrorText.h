// The system's own words for an error code. Win32 only: FormatMessageW.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

// The system's message for a GetLastError code, without the line break it ends with; "Error
// <code>" when the system has none.
std::u16string GetSystemErrorText(std::uint32_t code);

}  // namespace qs
