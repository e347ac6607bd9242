#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
#include "tree/FileTypeIcons.h"
#include "tree/IconIndex.h"

namespace qs {
namespace {

// The pixels of one image of a list at the system's small-icon size, drawn onto white.
std::vector<COLORREF> Pixels(HIMAGELIST list, int index) {
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT all = {0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < size * size; ++i)
        pixels.push_back(::GetPixel(dc, i % size, i / size));
    ::SelectObject(dc, old), ::DeleteObject(bitmap), ::DeleteDC(dc);
    return pixels;
}

// Ten icons at the system's small-icon size on white, with the shell or without; a shell that
// gives nothing leaves the own images at that size (not smaller ones stretched: the scaled screen's
// run runs this too) of our folder icon in the folder positions and of our file icon in the file
// positions (the test program carries both, from TestResources.rc).
TEST(FileTypeIconsTest, TheListHoldsTenIconsWithOrWithoutTheShell) {
    ::SetProcessDPIAware();  // as the program is: else a scaled screen's metrics are not seen
    ::CoInitialize(nullptr);
    for (bool askShell : {true, false}) {
        const HIMAGELIST list = CreateFileTypeImageList(askShell);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(ICON_COUNT, ::ImageList_GetImageCount(list));
        int cx = 0, cy = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(list, &cx, &cy));
        EXPECT_TRUE(cx == ::GetSystemMetrics(SM_CXSMICON) && cy == ::GetSystemMetrics(SM_CYSMICON));
        EXPECT_EQ(RGB(255, 255, 255), ::ImageList_GetBkColor(list));
        const std::vector<COLORREF> blank(cx * cy, RGB(255, 255, 255));
        EXPECT_TRUE(Pixels(list, ICON_VOLUME) != blank && Pixels(list, ICON_MUI) != blank);
        // The shell's icons of the special folders, then our two at the list's size.
        const HIMAGELIST shell = ::ImageList_Create(cx, cy, ILC_COLOR32, 0, 1);
        ::ImageList_SetBkColor(shell, RGB(255, 255, 255));
        for (int folder : {CSIDL_DESKTOP, CSIDL_APPDATA, CSIDL_BITBUCKET}) {
            PIDLIST_ABSOLUTE pidl = nullptr;
            SHFILEINFOW info = {};
            ::SHGetFolderLocation(nullptr, folder, nullptr, 0, &pidl);
            ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info,
                             SHGFI_PIDL | SHGFI_ICON);
            ::ImageList_ReplaceIcon(shell, -1, info.hIcon);
            ::CoTaskMemFree(pidl), ::DestroyIcon(info.hIcon);
        }
        for (int id : {IDI_FOLDER_FALLBACK, IDI_FILE_FALLBACK}) {
            const auto own = static_cast<HICON>(::LoadImageW(
                ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
            ::ImageList_ReplaceIcon(shell, -1, own), ::DestroyIcon(own);
        }
        for (int i = 0; !askShell && i < ICON_COUNT; ++i)
            EXPECT_EQ(Pixels(shell, i < ICON_MUI ? 3 : 4), Pixels(list, i)) << i;
        // With the shell, each special folder's slot holds the shell's icon of that folder.
        for (int i = 0; askShell && i < 3; ++i)  // (three different icons under Wine)
            EXPECT_TRUE(Pixels(list, i) == Pixels(shell, i) &&
                        Pixels(shell, i) != Pixels(shell, (i + 1) % 3))
                << i;
        ::ImageList_Destroy(shell);
        DestroyFileTypeImageList(list);
    }
    ::CoUninitialize();
}

}  // namespace
}  // namespace qs
