#include "platform/window/DialogResize.h"

namespace qs {
namespace {

// SCROLLBAR with WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEGRIP |
// SBS_SIZEBOXBOTTOMRIGHTALIGN: given the whole client area, the system sizes the box to its
// standard size in the area's bottom-right corner.
constexpr DWORD kGripStyle = 0x5400001C;
constexpr unsigned kGripFlags = kResizeMoveX | kResizeMoveY | kResizeRepaint;

}  // namespace

void CDialogResize::InitResize(HWND dialog, const ResizeMapEntry* map, bool addGrip,
                               bool useMinTrackSize, DWORD forceStyle) {
    m_dialog = dialog;
    m_entries.clear();

    const DWORD style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    if ((style & forceStyle) != forceStyle)
        ::SetWindowLongW(dialog, GWL_STYLE, static_cast<LONG>(style | forceStyle));
    if ((style & WS_CHILD) == 0) {
        // A sizing frame around a dialog without a small icon of its own: the caption shows none.
        const LONG exStyle = ::GetWindowLongW(dialog, GWL_EXSTYLE);
        ::SetWindowLongW(dialog, GWL_EXSTYLE, exStyle | WS_EX_DLGMODALFRAME);
        if (::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) == 0)
            ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
    }

    RECT client = {};
    ::GetClientRect(dialog, &client);
    m_initialClient = {client.right, client.bottom};

    if (addGrip) {
        if (::GetDlgItem(dialog, kGripId) == nullptr) {
            const auto instance =
                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
            ::CreateWindowExW(
                0, L"SCROLLBAR", nullptr, kGripStyle, 0, 0, client.right, client.bottom, dialog,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGripId)), instance, nullptr);
        }
        m_gripAdded = ::GetDlgItem(dialog, kGripId) != nullptr;
        if (m_gripAdded)
            AddEntry(kGripId, kGripFlags);
    }
    if (useMinTrackSize) {
        RECT window = {};
        ::GetWindowRect(dialog, &window);
        m_minTrackSize = {window.right - window.left, window.bottom - window.top};
    }
    for (; map != nullptr && map->id != -1; ++map)
        AddEntry(map->id, map->flags);
}

void CDialogResize::AddEntry(int id, unsigned flags) {
    const HWND control = ::GetDlgItem(m_dialog, id);
    RECT rect = {};
    if (control == nullptr || !::GetWindowRect(control, &rect))
        return;
    ::MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&rect), 2);
    m_entries.push_back({id, flags, {rect.left, rect.top, rect.right, rect.bottom}});
}

BOOL CDialogResize::ProcessResizeMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                         LRESULT& lResult) {
    switch (uMsg) {
        case WM_GETMINMAXINFO:
            if (m_minTrackSize.x == -1)
                return FALSE;
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = m_minTrackSize;
            lResult = 0;
            return TRUE;
        case WM_SIZE: {
            // The system sizes a new dialog before WM_INITDIALOG: nothing is recorded yet then.
            if (m_dialog == nullptr)
                return FALSE;
            const SizeResponse response = RespondToSize(static_cast<unsigned>(wParam));
            const HWND grip = m_gripAdded ? ::GetDlgItem(m_dialog, kGripId) : nullptr;
            if (grip != nullptr && response.grip != GripChange::kKeep)
                ::ShowWindow(grip, response.grip == GripChange::kShow ? SW_SHOW : SW_HIDE);
            if (response.layOut)
                LayOut(LOWORD(lParam), HIWORD(lParam));
            lResult = 0;
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void CDialogResize::LayOut(int clientWidth, int clientHeight) {
    const int dx = clientWidth - m_initialClient.cx;
    const int dy = clientHeight - m_initialClient.cy;
    // With drawing off, the moves are drawn once, together, instead of control by control.
    const bool visible = ::IsWindowVisible(m_dialog) != FALSE;
    if (visible)
        ::SendMessageW(m_dialog, WM_SETREDRAW, FALSE, 0);
    for (const Entry& entry : m_entries) {
        const HWND control = ::GetDlgItem(m_dialog, entry.id);
        if (control == nullptr)
            continue;
        const ClientRect r = LayOutControl(entry.flags, entry.initial, dx, dy);
        ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if ((entry.flags & kResizeRepaint) != 0)
            ::InvalidateRect(control, nullptr, TRUE);
    }
    if (visible) {
        ::SendMessageW(m_dialog, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_dialog, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

}  // namespace qs
