#include <windows.h>

#include "platform/system/ErrorText.h"
#include "platform/system/WideText.h"

namespace qs {

std::u16string DescribeSystemError(std::uint32_t code) {
    wchar_t* text = nullptr;
    // The system's own language; no inserts, since the caller has nothing to fill them with.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message = length != 0 ? FromWide(text, length) : u"";
    ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.pop_back();
    if (message.empty()) {
        const std::string number = "Error " + std::to_string(code) + ".";
        message.assign(number.begin(), number.end());
    }
    return message;
}

}  // namespace qs
