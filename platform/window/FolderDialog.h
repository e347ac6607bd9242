// The system's folder picker (IFileOpenDialog choosing folders of the file system), for where a
// copy goes. Win32 only; COM must be initialised on the thread.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

class CFolderDialog {
public:
    CFolderDialog(HWND owner, const wchar_t* title) : m_owner(owner), m_title(title) {}

    // IDOK when the user chose a folder; IDCANCEL when cancelled or when the picker failed.
    INT_PTR DoModal();
    // The chosen folder's path.
    const std::wstring& GetFolderPath() const { return m_path; }

private:
    HWND m_owner;
    const wchar_t* m_title;
    std::wstring m_path;
};

}  // namespace qs
