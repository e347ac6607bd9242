// The folder menu's own commands, for a folder or the volume's root: Save As (a copy of all of
// it, on a worker thread behind a progress window) and Save Listing As (a CSV file of what is
// below it). Win32 only.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

// Carries out a command chosen in a folder's menu; the file menu's commands go to
// RunFileCommand.
void RunFolderCommand(UINT command, HWND tree, const std::u16string& path);

// The folder picker, then the copy of the folder or root at path into a new folder there.
void SaveFolderAs(HWND tree, const std::u16string& path);
// The copy from the chosen folder on: the progress window, modal over owner while the worker
// copies, then at most one box that says what was left out or why the copy stopped. Refused with
// a box when the target is on the hidden volume (volumeRoot) or another copy is running.
void SaveFolderCopy(HWND owner, const std::u16string& source, const std::u16string& volumeRoot,
                    const std::u16string& targetParent);
// The Save dialog for a CSV file, then the listing written whole.
void SaveListingAs(HWND tree, const std::u16string& path);

// For closing the program while a copy runs: true when one runs, which is then asked to stop
// and ends without its box.
bool StopFolderCopyForClose();

}  // namespace qs
