#include "platform/system/ShellOpen.h"

#include <shellapi.h>

namespace qs {

bool ShellOpen(const wchar_t* target) {
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNORMAL);
    // The result is an error code dressed as a handle; above 32 means success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace qs
