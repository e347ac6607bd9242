// The four commands of the tree's context menus, on the full path taken when the menu opened.
// Win32 only.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

// Carries out a command chosen in the tree's context menu (ID_FILE_VIEW, ID_FILE_COPYPATH,
// ID_FILE_SAVEAS, ID_FILE_PROPERTIES); 0 and other values do nothing.
void RunFileCommand(UINT command, HWND tree, const std::u16string& path);

// The text of the tree's item in that relation (TVGN_CARET: the selected one, TVGN_ROOT: the
// root), read through a zero-filled 260-unit buffer; empty when there is none.
std::wstring GetTreeItemText(HWND tree, WPARAM relation);

// Asks the tree's parent, by WM_VIEW_FILE, to show the file.
void ViewFile(HWND tree, const std::u16string& path);
// The path on the clipboard as text; the tree is the clipboard's owner.
void CopyPath(HWND tree, const std::u16string& path);
// The Save dialog, starting with the selected item's name, then the copy and its message.
void SaveAs(HWND tree, const std::u16string& path);

}  // namespace qs
