// The system's own words for an error code: FormatMessageW on Windows, strerror elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

// The system's message for an error code, without the line break it ends with; "Error <code>."
// when the system has none.
std::u16string DescribeSystemError(std::uint32_t code);

}  // namespace qs
