// CFileTreeCtrl's message handling: the first population, lazy listing on expansion, the
// double-click that asks for a file to be viewed and the context menu, by mouse or keyboard.
#include "tree/FileTreeCtrl.h"

#include "platform/system/WideText.h"
#include "platform/window/MessageRules.h"
#include "platform/window/UiGuards.h"

namespace qs {

BOOL CFileTreeCtrl::SubclassWindow(HWND hWnd) {
    const BOOL attached = CWindowImpl::SubclassWindow(hWnd);
    // Posted, so the first volume search runs from the loop once the dialog is on screen.
    if (attached)
        ::PostMessageW(m_hWnd, WM_POPULATE_TREE, 0, 0);
    return attached;
}

BOOL CFileTreeCtrl::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                         LRESULT& lResult) {
    if (HandleSizeMessage(uMsg, wParam, lParam, lResult))
        return TRUE;
    switch (uMsg) {
        case WM_LBUTTONDBLCLK:
            lResult = OnLButtonDblClk();
            return TRUE;
        case WM_RBUTTONDOWN:
            // Handled whole: the tree view's own right-button processing never runs.
            lResult = OnRButtonDown(wParam, lParam);
            return TRUE;
        case WM_CONTEXTMENU:
            // The Menu key, and Shift+F10 on Windows, come as (-1, -1). One that follows a mouse
            // click goes on as before: the right click has opened its menu already.
            if (static_cast<short>(LOWORD(lParam)) != -1 ||
                static_cast<short>(HIWORD(lParam)) != -1)
                break;
            lResult = OnKeyboardMenu();
            return TRUE;
        case WM_SYSKEYDOWN:
            // Shift+F10 also comes here (under Wine only here). Opened on the key down and the
            // keys kept from the default processing, so that it never makes a second menu.
            if (wParam != VK_F10 || ::GetKeyState(VK_SHIFT) >= 0)
                break;
            m_menuKeyDown = true;
            lResult = (lParam & (1 << 30)) != 0 ? 0 : OnKeyboardMenu();  // not on auto-repeat
            return TRUE;
        case WM_SYSKEYUP:
            if (wParam != VK_F10 || !m_menuKeyDown)
                break;
            m_menuKeyDown = false;
            lResult = 0;
            return TRUE;
        case WM_POPULATE_TREE:
            lResult = OnPopulateTree();
            return TRUE;
        case msg::kReflectBase + WM_NOTIFY:
            if (lParam != 0 && reinterpret_cast<const NMHDR*>(lParam)->code ==
                                   static_cast<UINT>(TVN_ITEMEXPANDINGW)) {
                lResult = OnItemExpanding(reinterpret_cast<const NMTREEVIEWW*>(lParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DefaultReflectionHandler(hWnd, uMsg, wParam, lParam, lResult);
}

void CFileTreeCtrl::Refresh() {
    CRedrawOff redraw(m_hWnd);
    const auto selected =
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const std::u16string path = GetItemPath(selected);
    if (path.empty()) {
        LocateHiddenVolume();
    } else {
        PopulateFolder(path, selected);
    }
}

LRESULT CFileTreeCtrl::OnPopulateTree() {
    ::SendMessageW(m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_imageList));
    Refresh();
    CountSizes();
    return 0;
}

LRESULT CFileTreeCtrl::OnItemExpanding(const NMTREEVIEWW* notification) {
    const HTREEITEM item = notification->itemNew.hItem;
    // Only the first expansion lists the folder; collapsing and later expansions read nothing.
    if (notification->action == TVE_EXPAND && item != nullptr &&
        ::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) == 0) {
        PopulateFolder(GetItemPath(item), item);
    }
    return 0;  // the expansion goes ahead
}

LRESULT CFileTreeCtrl::OnLButtonDblClk() {
    // The first click of the double-click has normally selected the item under the pointer.
    const auto selected =
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    const bool read =
        selected != nullptr &&
        ::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    if (read && item.lParam > 0)
        return 0;  // a folder or the root: nothing, not even expanding

    // A file, or nothing selected (then the path is empty). The string outlives the call.
    const std::u16string path = GetSelectedPath();
    ::SendMessageW(GetParent(), WM_VIEW_FILE, 0, reinterpret_cast<LPARAM>(AsWide(path)));
    return 0;  // consumed: the tree view's own double-click handling never runs
}

}  // namespace qs
