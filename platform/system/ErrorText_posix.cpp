#include <cstring>

#include "platform/system/ErrorText.h"
#include "platform/system/Text.h"

namespace qs {

std::u16string DescribeSystemError(std::uint32_t code) {
    return Utf8ToUtf16(std::strerror(static_cast<int>(code)));
}

}  // namespace qs
