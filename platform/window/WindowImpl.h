// The window base: a message map interface, a thin window handle wrapper and a subclassing base
// that gives an existing control (created by a dialog template) the behaviour of a C++ class.
// Win32 only.
#pragma once

#include <windows.h>

namespace qs {

// Handles one window message. Returns TRUE when it handled the message and set lResult; FALSE
// leaves the message to the next handler and in the end to the window's default processing.
// Overrides test their entries in order with plain code; an entry may decline a message.
class CMessageMap {
public:
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult) = 0;

    // The window procedures' way in: no exception unwinds through the system's code, so a
    // handler that throws leaves the message unhandled and the default handling takes it.
    BOOL ProcessWithoutThrowing(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                LRESULT& lResult) noexcept {
        try {
            return ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
        } catch (...) {
            return FALSE;
        }
    }

protected:
    virtual ~CMessageMap() = default;
};

// A window handle and the few operations the program needs on it. Owns nothing.
class CWindow {
public:
    explicit CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}

    operator HWND() const { return m_hWnd; }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL ShowWindow(int showCommand) { return ::ShowWindow(m_hWnd, showCommand); }
    BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }

    HWND m_hWnd;
};

// Subclasses an existing window: its window procedure is replaced by ours, which offers every
// message to ProcessWindowMessage and passes what is not handled to the original procedure.
// The object is found from the window through a window property, so no code thunk is needed.
// The original procedure comes back at WM_NCDESTROY (or UnsubclassWindow), after which
// OnFinalMessage runs. No exception leaves the window procedure.
class CWindowImpl : public CWindow, public CMessageMap {
public:
    CWindowImpl() = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    // A window still subclassed when the object dies gets its own procedure back.
    ~CWindowImpl() override;

    // Fails (FALSE) for a null or invalid window, a window already subclassed by a CWindowImpl,
    // or when this object is already attached.
    virtual BOOL SubclassWindow(HWND hWnd);
    // Gives the window its original procedure back; returns the window, or null when this object
    // was not attached or another procedure has since been installed over ours.
    HWND UnsubclassWindow();

    // The original window procedure of the subclassed control. (winuser.h maps the name
    // DefWindowProc to DefWindowProcW; callers see the same mapping, so the name still works.)
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Called after WM_NCDESTROY has been processed and the window has been released.
    virtual void OnFinalMessage(HWND hWnd);

protected:
    // A dialog sends its controls' notifications back to them as the message plus 0x2000
    // (WM_NOTIFY arrives as 0x204E). Maps that do not want such a message pass it here: the
    // message lowered by 0x2000 goes to ::DefWindowProcW, as for any window that ignores it.
    // Returns FALSE for messages that are not reflected ones.
    static BOOL DefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                         LRESULT& lResult);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superWindowProc = nullptr;
};

}  // namespace qs
