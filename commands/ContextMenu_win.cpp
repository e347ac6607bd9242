// The tree's context menu: on a right click, select the item under the pointer and open the menu
// there; from the keyboard, open it under the selected item's label. Either way the chosen command
// runs on the item's full path inside the one message.
#include <windows.h>

#include <cstring>

#include "commands/FileCommands.h"
#include "commands/FolderCommands.h"
#include "platform/window/MenuPlacement_win.h"
#include "platform/window/UiGuards.h"
#include "res/resource.h"
#include "tree/FileTreeCtrl.h"

namespace qs {

namespace {

// The tree view's own left-button up, whatever happens between: it ends the click that the
// synthetic button down began.
class CLeftButtonUp {
public:
    CLeftButtonUp(HWND tree, WPARAM keys, LPARAM point)
        : m_tree(tree), m_keys(keys), m_point(point) {}
    ~CLeftButtonUp() { ::SendMessageW(m_tree, WM_LBUTTONUP, m_keys, m_point); }
    CLeftButtonUp(const CLeftButtonUp&) = delete;
    CLeftButtonUp& operator=(const CLeftButtonUp&) = delete;

private:
    HWND m_tree;
    WPARAM m_keys;
    LPARAM m_point;
};

}  // namespace

LRESULT CFileTreeCtrl::OnRButtonDown(WPARAM keys, LPARAM point) {
    // The tree view selects the item under a left click; where there is none, nothing changes.
    ::SendMessageW(m_hWnd, WM_LBUTTONDOWN, keys, point);
    // Goes up once the menu and its command are done, on every way out.
    const CLeftButtonUp buttonUp(m_hWnd, keys, point);
    // Signed 16-bit coordinates: left of or above a monitor's origin they are negative.
    POINT screen = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ::ClientToScreen(m_hWnd, &screen);
    TrackSelectedItemMenu(screen);
    return 0;
}

LRESULT CFileTreeCtrl::OnKeyboardMenu() {
    const auto selected =
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected == nullptr)
        return 0;
    // Under the selected item's label, scrolled into view first when the user scrolled it away.
    ::SendMessageW(m_hWnd, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected));
    // TVM_GETITEMRECT reads the item from the start of the rectangle it fills.
    RECT label = {};
    std::memcpy(&label, &selected, sizeof selected);
    if (!::SendMessageW(m_hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)))
        return 0;
    POINT screen = {label.left, label.bottom};
    ::ClientToScreen(m_hWnd, &screen);
    TrackSelectedItemMenu(screen);
    return 0;
}

void CFileTreeCtrl::TrackSelectedItemMenu(POINT screen) {
    // Declared in this order so that the menu is destroyed before the path is released.
    std::u16string path;
    CLoadedMenu menu;

    // Files, and anything whose folder flag can't be read, get the file menu.
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem =
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const bool isFolder =
        item.hItem != nullptr &&
        ::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE &&
        item.lParam > 0;

    const HMENU popup = menu.Load(isFolder ? IDR_FOLDER_MENU : IDR_FILE_MENU);
    if (popup == nullptr)
        return;

    // Taken before the menu opens: its modal loop may change the selection.
    path = GetSelectedPath();
    const auto command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD, ClampMenuX(screen), screen.y, 0, m_hWnd, nullptr));
    if (isFolder)
        RunFolderCommand(command, m_hWnd, path);
    else
        RunFileCommand(command, m_hWnd, path);
}

}  // namespace qs
