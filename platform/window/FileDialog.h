// The common Save dialog: explorer style, resizable, without the read-only box, with the one
// filter "All Files", asking before it lets an existing file be chosen. Win32 only.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace qs {

class CFileDialog {
public:
    // The initial name is cut to what the 260-unit buffer holds with its terminator.
    CFileDialog(const wchar_t* initialName, HWND owner);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a name; IDCANCEL when cancelled or when the dialog failed.
    INT_PTR DoModal();
    // The chosen full file name.
    const wchar_t* GetPathName() const { return m_fileName; }

    // The dialog window while it runs, null otherwise.
    HWND m_hWnd = nullptr;
    OPENFILENAMEW m_ofn;

private:
    // Connects the object to the dialog window; every message keeps its default course.
    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    wchar_t m_fileName[MAX_PATH] = {};
    wchar_t m_fileTitle[256] = {};
};

}  // namespace qs
