#include "commands/FileCommands.h"

#include <commctrl.h>

#include "commands/SaveCopy.h"
#include "platform/system/Clipboard.h"
#include "platform/system/PropertySheet.h"
#include "platform/system/WideText.h"
#include "platform/window/FileDialog.h"
#include "platform/window/UiGuards.h"
#include "res/resource.h"
#include "tree/FileTreeCtrl.h"

namespace qs {

namespace {

constexpr wchar_t kCaption[] = L"Quarrystone";

}  // namespace

std::wstring GetTreeItemText(HWND tree, WPARAM relation) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

void ViewFile(HWND tree, const std::u16string& path) {
    ::SendMessageW(::GetParent(tree), WM_VIEW_FILE, 0, reinterpret_cast<LPARAM>(AsWide(path)));
}

void CopyPath(HWND tree, const std::u16string& path) {
    SetClipboardText(tree, path);
}

void SaveAs(HWND tree, const std::u16string& path) {
    CFileDialog dialog(GetTreeItemText(tree, TVGN_CARET).c_str(), ::GetActiveWindow());
    if (dialog.DoModal() != IDOK)
        return;
    SaveCopyOutcome outcome;
    {
        CWaitCursor wait;
        outcome = SaveCopy(*MakeCopyFiles(), path, FromWide(dialog.GetPathName()));
    }
    if (const char16_t* message = GetSaveCopyMessage(outcome))
        ::MessageBoxW(tree, reinterpret_cast<const wchar_t*>(message), kCaption,
                      MB_OK | MB_ICONWARNING);
}

void RunFileCommand(UINT command, HWND tree, const std::u16string& path) {
    switch (command) {
        case ID_FILE_VIEW:
            ViewFile(tree, path);
            break;
        case ID_FILE_COPYPATH:
            CopyPath(tree, path);
            break;
        case ID_FILE_SAVEAS:
            SaveAs(tree, path);
            break;
        case ID_FILE_PROPERTIES:
            ShowPropertySheet(path);
            break;
        default:
            break;
    }
}

}  // namespace qs
