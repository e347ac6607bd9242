// The tree's image list: ten 16x16 icons at the positions of IconIndex.h. Win32 only.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace qs {

// Builds the list from the shell's icons, with the program's icon resources IDI_FOLDER_FALLBACK
// (positions 0 to 2) and IDI_FILE_FALLBACK (3 to 9) wherever the shell gives none. With
// askShell false every position gets its fallback, as on a shell that gives nothing.
// Null when the list itself cannot be created.
HIMAGELIST CreateFileTypeImageList(bool askShell = true);

// Removes the images and destroys the list; null is ignored.
void DestroyFileTypeImageList(HIMAGELIST list);

}  // namespace qs
