// Scoped user-interface states that must come back on every path out of a long operation, and
// loaded menus that must go.
// Win32 only.
#pragma once

#include <windows.h>

#include "platform/window/AppModule.h"

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

// A menu resource, destroyed with the object once loaded.
class CLoadedMenu {
public:
    CLoadedMenu() = default;
    ~CLoadedMenu() {
        if (m_menu != nullptr)
            ::DestroyMenu(m_menu);
    }
    CLoadedMenu(const CLoadedMenu&) = delete;
    CLoadedMenu& operator=(const CLoadedMenu&) = delete;

    // The popup at position 0 of the menu; null when either can't be had.
    HMENU Load(UINT id) {
        m_menu = ::LoadMenuW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(id));
        return m_menu ? ::GetSubMenu(m_menu, 0) : nullptr;
    }

private:
    HMENU m_menu = nullptr;
};

}  // namespace qs
