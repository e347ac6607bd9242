#include "platform/system/PropertySheet.h"

#include "platform/system/WideText.h"

namespace qs {

namespace {

ShellExecuteExFunction g_shellExecuteEx = ::ShellExecuteExW;

}  // namespace

bool ShowPropertySheet(const std::u16string& path) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = L"properties";
    info.lpFile = AsWide(path);
    info.nShow = SW_SHOW;
    return g_shellExecuteEx(&info) != FALSE;
}

ShellExecuteExFunction SetShellExecuteExForTesting(ShellExecuteExFunction function) {
    const ShellExecuteExFunction previous = g_shellExecuteEx;
    g_shellExecuteEx = function ? function : ::ShellExecuteExW;
    return previous;
}

}  // namespace qs
