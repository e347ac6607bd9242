#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <vector>

#include "tree/FileTypeIcons.h"
#include "tree/IconIndex.h"

namespace qs {
namespace {

// The pixels of one image of the list, drawn onto white.
std::vector<COLORREF> Pixels(HIMAGELIST list, int index) {
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT all = {0, 0, 16, 16};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < 256; ++i)
        pixels.push_back(::GetPixel(dc, i % 16, i / 16));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

// Ten 16-pixel icons on white, with the shell or without; a shell that gives nothing leaves our
// folder icon in the folder positions and our file icon in the file positions (the test program
// carries both, from TestResources.rc).
TEST(FileTypeIconsTest, TheListHoldsTenIconsWithOrWithoutTheShell) {
    ::CoInitialize(nullptr);
    for (bool askShell : {true, false}) {
        const HIMAGELIST list = CreateFileTypeImageList(askShell);
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(ICON_COUNT, ::ImageList_GetImageCount(list));
        int cx = 0, cy = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(list, &cx, &cy));
        EXPECT_TRUE(cx == ::GetSystemMetrics(SM_CXSMICON) && cy == ::GetSystemMetrics(SM_CYSMICON));
        EXPECT_EQ(RGB(255, 255, 255), ::ImageList_GetBkColor(list));
        const std::vector<COLORREF> folder = Pixels(list, ICON_VOLUME);
        const std::vector<COLORREF> file = Pixels(list, ICON_MUI);
        EXPECT_NE(std::vector<COLORREF>(256, RGB(255, 255, 255)), folder);
        EXPECT_NE(std::vector<COLORREF>(256, RGB(255, 255, 255)), file);
        for (int i = 0; !askShell && i < ICON_COUNT; ++i)
            EXPECT_EQ(i < ICON_MUI ? folder : file, Pixels(list, i)) << i;
        EXPECT_TRUE(askShell || folder != file);
        // With the shell, each special folder's slot holds the shell's icon of that folder.
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
