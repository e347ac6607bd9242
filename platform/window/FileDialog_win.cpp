#include "platform/window/FileDialog.h"

#include "platform/window/AppModule.h"

namespace qs {

namespace {

// Systems before 4.90 know only the shorter, version-4.0 layout of the structure.
DWORD StructureSize() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but what tells the layouts apart
#endif
    if (!::GetVersionExW(&version) || version.dwMajorVersion < 4 ||
        (version.dwMajorVersion == 4 && version.dwMinorVersion < 90))
        return OPENFILENAME_SIZE_VERSION_400W;
    return sizeof(OPENFILENAMEW);
}

}  // namespace

CFileDialog::CFileDialog(const wchar_t* initialName, HWND owner) : m_ofn() {
    // Cut to 259 units; the buffer is zero-filled, so the cut name keeps its terminator.
    for (int i = 0; initialName != nullptr && i < MAX_PATH - 1 && initialName[i] != L'\0'; ++i)
        m_fileName[i] = initialName[i];
    m_ofn.lStructSize = StructureSize();
    m_ofn.hwndOwner = owner;
    m_ofn.hInstance = g_module.GetResourceInstance();
    m_ofn.lpstrFilter = L"All Files\0*.*\0";  // the literal's own null ends the list
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_fileTitle;
    m_ofn.nMaxFileTitle = 256;
    m_ofn.Flags =
        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.lpfnHook = HookProc;
}

INT_PTR CFileDialog::DoModal() {
    const BOOL chosen = ::GetSaveFileNameW(&m_ofn);
    m_hWnd = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT uMsg, WPARAM, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG && lParam != 0) {
        auto* self = reinterpret_cast<CFileDialog*>(
            reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
        // An explorer-style hook gets a child of the dialog, not the dialog itself.
        self->m_hWnd = ::GetParent(hWnd);
    }
    return 0;
}

}  // namespace qs
