#include "platform/window/CentreWindow.h"

#include "platform/window/Centre.h"

namespace qs {
namespace {

ScreenRect ToScreenRect(const RECT& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
            static_cast<int>(r.bottom)};
}

bool GetWorkArea(HWND hWnd, RECT* workArea) {
    const HMONITOR monitor = ::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info))
        return false;
    *workArea = info.rcWork;
    return true;
}

}  // namespace

bool CentreWindow(HWND hWnd) {
    RECT window = {};
    if (!::GetWindowRect(hWnd, &window))
        return false;

    const HWND owner = ::GetWindow(hWnd, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    // Over the owner, inside the work area nearest to it; otherwise on our own monitor.
    const HWND reference = overOwner ? owner : hWnd;
    RECT workArea = {};
    if (!GetWorkArea(reference, &workArea))
        return false;
    RECT over = workArea;
    if (overOwner && !::GetWindowRect(owner, &over))
        return false;

    const ScreenPoint position =
        CentrePosition(ToScreenRect(window), ToScreenRect(over), ToScreenRect(workArea));
    return ::SetWindowPos(hWnd, nullptr, position.x, position.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace qs
