#include "tree/FileTypeIcons.h"

#include <shellapi.h>
#include <shlobj.h>

#include <initializer_list>

#include "res/resource.h"

namespace qs {

namespace {

// Our own icon at the list's size, from the image drawn for it; the caller destroys it.
HICON LoadProgramIcon(int id, int width, int height) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                           IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

// Appends an icon; the list keeps its own copy.
bool AppendIcon(HIMAGELIST list, HICON icon) {
    return icon != nullptr && ::ImageList_ReplaceIcon(list, -1, icon) >= 0;
}

// A blank image holds the position, so that the later indexes stay where the tree expects them.
void AppendBlank(HIMAGELIST list) {
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(list, &width, &height);
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP blank = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    if (blank != nullptr) {
        ::ImageList_Add(list, blank, nullptr);
        ::DeleteObject(blank);
    }
}

// The shell's icon of a special folder, or null. The caller destroys it.
HICON GetSpecialFolderIcon(int csidl) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(::SHGetFolderLocation(nullptr, csidl, nullptr, 0, &pidl))) {
        return nullptr;
    }
    SHFILEINFOW info = {};
    const DWORD_PTR ok = ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info,
                                          SHGFI_PIDL | SHGFI_ICON);
    ::CoTaskMemFree(pidl);
    return ok ? info.hIcon : nullptr;
}

// The shell's small icon for a file name, asked without touching the disk, or null. The caller
// destroys it.
HICON GetFileTypeIcon(const wchar_t* name) {
    SHFILEINFOW info = {};
    const DWORD_PTR ok = ::SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                          SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON);
    return ok ? info.hIcon : nullptr;
}

// The shell's icon, else (missing or refused by the list) ours, else a blank image.
void AppendShellIcon(HIMAGELIST list, HICON shellIcon, HICON fallback) {
    if (!AppendIcon(list, shellIcon) && !AppendIcon(list, fallback)) {
        AppendBlank(list);
    }
    if (shellIcon != nullptr) {
        ::DestroyIcon(shellIcon);
    }
}

}  // namespace

HIMAGELIST CreateFileTypeImageList(bool askShell) {
    // The system's small-icon size: 16 x 16 at 96 DPI, larger on a scaled screen, where the
    // DPI-aware process gets no scaling from the system.
    const int width = ::GetSystemMetrics(SM_CXSMICON);
    const int height = ::GetSystemMetrics(SM_CYSMICON);
    const HIMAGELIST list = ::ImageList_Create(width, height, ILC_COLOR32, 0, 1);
    if (list == nullptr) {
        return nullptr;
    }
    ::ImageList_SetBkColor(list, RGB(255, 255, 255));

    const HICON folderFallback = LoadProgramIcon(IDI_FOLDER_FALLBACK, width, height);
    for (int csidl : {CSIDL_DESKTOP, CSIDL_APPDATA, CSIDL_BITBUCKET}) {
        AppendShellIcon(list, askShell ? GetSpecialFolderIcon(csidl) : nullptr, folderFallback);
    }
    const HICON fileFallback = LoadProgramIcon(IDI_FILE_FALLBACK, width, height);
    for (const wchar_t* name :
         {L".mui", L".dat", L".log", L"explorer.exe", L".dll", L".ttf", L".ini"}) {
        AppendShellIcon(list, askShell ? GetFileTypeIcon(name) : nullptr, fileFallback);
    }
    for (const HICON fallback : {folderFallback, fileFallback}) {
        if (fallback != nullptr) {
            ::DestroyIcon(fallback);
        }
    }
    return list;
}

void DestroyFileTypeImageList(HIMAGELIST list) {
    if (list != nullptr) {
        ::ImageList_Remove(list, -1);
        ::ImageList_Destroy(list);
    }
}

}  // namespace qs
