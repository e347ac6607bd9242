// Scoped user-interface states that must come back on every path out of a long operation.
// Win32 only.
#pragma once

#include <windows.h>

namespace qs {

// The system wait cursor for the life of the object; the previous cursor comes back after.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

// A window's drawing switched off for the life of the object, so a long change is drawn once.
class CRedrawOff {
public:
    explicit CRedrawOff(HWND window) : m_window(window) {
        ::SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
    }
    ~CRedrawOff() { ::SendMessageW(m_window, WM_SETREDRAW, TRUE, 0); }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;

private:
    HWND m_window;
};

}  // namespace qs
