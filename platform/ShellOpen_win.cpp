#include "platform/ShellOpen.h"

#include <shellapi.h>

namespace qs {
namespace {

ShellExecuteFunction g_shellExecute = ::ShellExecuteW;

}  // namespace

bool ShellOpen(const wchar_t* target) {
    const HINSTANCE result =
        g_shellExecute(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNORMAL);
    // The result is an error code dressed as a handle; above 32 means success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

ShellExecuteFunction SetShellExecuteForTesting(ShellExecuteFunction function) {
    const ShellExecuteFunction previous = g_shellExecute;
    g_shellExecute = function != nullptr ? function : ::ShellExecuteW;
    return previous;
}

}  // namespace qs
