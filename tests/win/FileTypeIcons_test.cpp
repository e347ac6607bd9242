#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
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
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            pixels.push_back(::GetPixel(dc, x, y));
        }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

TEST(FileTypeIconsTest, TheListHoldsTenIconsWithTheShell) {
    ::CoInitialize(nullptr);
    const HIMAGELIST list = CreateFileTypeImageList();
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(ICON_COUNT, ::ImageList_GetImageCount(list));
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);
    EXPECT_EQ(RGB(255, 255, 255), ::ImageList_GetBkColor(list));
    DestroyFileTypeImageList(list);
    ::CoUninitialize();
}

// A shell that gives nothing: the folder positions all show icon 205, the file positions 204.
TEST(FileTypeIconsTest, FallbackIconsKeepEveryPosition) {
    ASSERT_NE(nullptr, ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(204)));
    ASSERT_NE(nullptr, ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(205)));
    const HIMAGELIST list = CreateFileTypeImageList(false);
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(ICON_COUNT, ::ImageList_GetImageCount(list));
    const std::vector<COLORREF> folder = Pixels(list, ICON_VOLUME);
    const std::vector<COLORREF> file = Pixels(list, ICON_MUI);
    EXPECT_NE(folder, file);
    EXPECT_NE(std::vector<COLORREF>(256, RGB(255, 255, 255)), folder);
    EXPECT_NE(std::vector<COLORREF>(256, RGB(255, 255, 255)), file);
    for (int i = 0; i < ICON_COUNT; ++i) {
        EXPECT_EQ(i < ICON_MUI ? folder : file, Pixels(list, i)) << i;
    }
    DestroyFileTypeImageList(list);
}

}  // namespace
}  // namespace qs
