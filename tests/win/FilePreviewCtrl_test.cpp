#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/GdiHandles.h"
#include "platform/WideText.h"
#include "preview/FilePreviewCtrl.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

constexpr int kPreviewId = 1001;

// The last WM_NOTIFY the test parent received.
struct Notification {
    int count = 0;
    WPARAM wParam = 0;
    NMHDR header = {};
};
Notification g_notification;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NOTIFY) {
        ++g_notification.count;
        g_notification.wParam = wParam;
        g_notification.header = *reinterpret_cast<const NMHDR*>(lParam);
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Client pixels as 0x00RRGGBB, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

Pixels ReadPixels(HDC source, int width, int height) {
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CMemoryDC memory(source);
    CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(source, width, height));
    {
        CSelectObject selection(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    }
    ::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data.data(), &info, DIB_RGB_COLORS);
    for (std::uint32_t& p : pixels.data)
        p &= 0xFFFFFF;
    return pixels;
}

class FilePreviewCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_notification = Notification();
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PreviewTestParent";
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
        ::RegisterClassW(&windowClass);
        m_parent = ::CreateWindowExW(0, L"PreviewTestParent", L"Preview", WS_POPUP | WS_VISIBLE, 0,
                                     0, 800, 700, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_parent, nullptr);
        m_static = ::CreateWindowExW(WS_EX_STATICEDGE, L"Static", L"Static",
                                     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 10, 10, 400, 300,
                                     m_parent, reinterpret_cast<HMENU>(kPreviewId),
                                     windowClass.hInstance, nullptr);
        ASSERT_NE(m_static, nullptr);
        ASSERT_TRUE(m_preview.SubclassWindow(m_static));
        ASSERT_TRUE(m_preview.SetBytesPerLine(10));
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        m_folder = folder;
    }

    void TearDown() override {
        if (m_parent != nullptr)
            ::DestroyWindow(m_parent);
        for (const std::wstring& path : m_files)
            ::DeleteFileW(path.c_str());
    }

    std::wstring MakeFile(const wchar_t* name, const std::string& content) {
        const std::wstring path = m_folder + L"qs-preview-" + name;
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        if (!content.empty()) {
            ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                        nullptr);
        }
        ::CloseHandle(file);
        m_files.push_back(path);
        return path;
    }

    // A file of `lines` full lines of 10 bytes each.
    std::wstring MakeLines(const wchar_t* name, int lines) {
        std::string content(static_cast<size_t>(lines) * 10, '\0');
        for (size_t i = 0; i < content.size(); ++i)
            content[i] = static_cast<char>('A' + i % 26);
        return MakeFile(name, content);
    }

    void Resize(int width, int height) {
        ::SetWindowPos(m_static, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

    RECT Client() const {
        RECT client = {};
        ::GetClientRect(m_static, &client);
        return client;
    }

    SCROLLINFO Bar(int bar) const {
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        EXPECT_TRUE(::GetScrollInfo(m_static, bar, &info));
        return info;
    }

    bool BarShown(DWORD style) const {
        return (::GetWindowLongW(m_static, GWL_STYLE) & style) != 0;
    }

    Pixels Capture() {
        ::InvalidateRect(m_static, nullptr, FALSE);
        ::UpdateWindow(m_static);
        const RECT client = Client();
        const HDC dc = ::GetDC(m_static);
        Pixels pixels = ReadPixels(dc, client.right, client.bottom);
        ::ReleaseDC(m_static, dc);
        return pixels;
    }

    // What the control should show: the same text drawn with the same font on white.
    using Drawing = void (*)(HDC dc, const RECT& client, const void* context);
    Pixels Expected(const RECT& client, Drawing draw, const void* context) {
        const HDC screen = ::GetDC(m_static);
        CMemoryDC memory(screen);
        CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, client.right, client.bottom));
        CGdiObject<HFONT> font(::CreateFontW(
            14, 7, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH | FF_DONTCARE, L"Courier"));
        Pixels pixels;
        {
            CSelectObject selectBitmap(memory.Get(), bitmap.Get());
            CSelectObject selectFont(memory.Get(), font.Get());
            ::FillRect(memory.Get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            draw(memory.Get(), client, context);
            pixels = ReadPixels(memory.Get(), client.right, client.bottom);
        }
        ::ReleaseDC(m_static, screen);
        return pixels;
    }

    HWND m_parent = nullptr;
    HWND m_static = nullptr;
    CFilePreviewCtrl m_preview;
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
};

int Differences(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height)
        return -1;
    int differences = 0;
    for (size_t i = 0; i < a.data.size(); ++i)
        differences += a.data[i] != b.data[i];
    return differences;
}

int DarkPixelsInRows(const Pixels& pixels, int top, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom && y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x)
            dark += pixels.At(x, y) != 0xFFFFFF;
    }
    return dark;
}

TEST_F(FilePreviewCtrlTest, SetFileSetsBothScrollBarsFromTheFileAndTheClient) {
    Resize(300, 300);
    EXPECT_EQ(m_preview.GetLayout().m_charWidth, 10);
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"big.bin", 200).c_str()));
    EXPECT_EQ(m_preview.GetLayout().m_charWidth, 7);
    EXPECT_EQ(m_preview.GetLayout().m_charHeight, 14);
    // About 40 columns of 51 and 200 lines: both bars shown, and they took their room from the
    // client.
    EXPECT_TRUE(BarShown(WS_VSCROLL));
    EXPECT_TRUE(BarShown(WS_HSCROLL));
    const RECT client = Client();
    const SCROLLINFO vertical = Bar(SB_VERT);
    EXPECT_EQ(vertical.nMin, 0);
    EXPECT_EQ(vertical.nMax, 199);
    EXPECT_EQ(vertical.nPage, static_cast<UINT>(client.bottom / 14));
    EXPECT_EQ(vertical.nPos, 0);
    const SCROLLINFO horizontal = Bar(SB_HORZ);
    EXPECT_EQ(horizontal.nMax, 50);
    EXPECT_EQ(horizontal.nPage, static_cast<UINT>(client.right / 7));
    EXPECT_EQ(horizontal.nPos, 0);

    // A 25-byte file fits: both bars hidden, lines one cell from the left edge.
    Resize(400, 300);
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"small.bin", std::string(25, 'x')).c_str()));
    EXPECT_FALSE(BarShown(WS_VSCROLL));
    EXPECT_FALSE(BarShown(WS_HSCROLL));
    EXPECT_EQ(Bar(SB_VERT).nMax, 2);
    EXPECT_EQ(m_preview.GetLayout().m_lineCount, 3u);
    EXPECT_EQ(m_preview.GetLayout().m_leftColumn, -1);
}

TEST_F(FilePreviewCtrlTest, ResizingRefitsThePageAndKeepsTheLastPageFull) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"resize.bin", 100).c_str()));
    ::SendMessageW(m_static, WM_VSCROLL, SB_BOTTOM, 0);
    const int bottom = Bar(SB_VERT).nPos;
    EXPECT_EQ(bottom, 100 - static_cast<int>(Bar(SB_VERT).nPage));
    Resize(400, 600);
    EXPECT_EQ(Bar(SB_VERT).nPos, 100 - static_cast<int>(Client().bottom / 14));
    EXPECT_LT(Bar(SB_VERT).nPos, bottom);
    EXPECT_EQ(m_preview.GetLayout().m_topLine, Bar(SB_VERT).nPos);
}

TEST_F(FilePreviewCtrlTest, ScrollRequestsMoveTheBarAndRepaintOnlyWhenThePositionChanges) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"scroll.bin", 100).c_str()));
    const std::uint64_t before = m_preview.GetFormattedLineCount();
    ::SendMessageW(m_static, WM_VSCROLL, SB_LINEUP, 0);
    ::SendMessageW(m_static, WM_VSCROLL, SB_ENDSCROLL, 0);
    ::UpdateWindow(m_static);
    EXPECT_EQ(m_preview.GetFormattedLineCount(), before);

    ::SendMessageW(m_static, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, static_cast<int>(Bar(SB_VERT).nPage));
    ::UpdateWindow(m_static);
    EXPECT_GT(m_preview.GetFormattedLineCount(), before);

    ::SendMessageW(m_static, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 51 - static_cast<int>(Bar(SB_HORZ).nPage));
    EXPECT_EQ(m_preview.GetLayout().m_leftColumn, Bar(SB_HORZ).nPos);
}

// Real mouse input through the system: the press on the bar reaches the default procedure (a
// static's own would ignore it), which tracks the thumb; the 16-bit position in the messages
// would wrap past line 65535, the bar's tracking position does not.
TEST_F(FilePreviewCtrlTest, DraggingTheThumbFollowsThe32BitTrackingPosition) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"drag.bin", 100000).c_str()));
    ::SetForegroundWindow(m_parent);
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(::GetScrollBarInfo(m_static, OBJID_VSCROLL, &bar));
    const RECT& track = bar.rcScrollBar;
    const int x = (track.left + track.right) / 2;
    const int from = track.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    const int to = track.top + (track.bottom - track.top) * 85 / 100;
    const auto mouse = [](int x, int y, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = x * 65536 / ::GetSystemMetrics(SM_CXSCREEN) + 1;
        input.mi.dy = y * 65536 / ::GetSystemMetrics(SM_CYSCREEN) + 1;
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return input;
    };
    INPUT inputs[] = {mouse(x, from, 0), mouse(x, from, MOUSEEVENTF_LEFTDOWN),
                      mouse(x, (from + to) / 2, 0), mouse(x, to, 0),
                      mouse(x, to, MOUSEEVENTF_LEFTUP)};
    ASSERT_EQ(::SendInput(5, inputs, sizeof(INPUT)), 5u);
    // The drag runs in the bar's own loop inside our dispatch; pump until it is over.
    const DWORD end = ::GetTickCount() + 3000;
    while (::GetTickCount() < end && m_preview.GetLayout().m_topLine <= 65535) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    EXPECT_GT(m_preview.GetLayout().m_topLine, 65535);
    EXPECT_EQ(Bar(SB_VERT).nPos, m_preview.GetLayout().m_topLine);
}

TEST_F(FilePreviewCtrlTest, EachPaintFormatsOnlyTheVisibleLines) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"visible.bin", 1000).c_str()));
    for (int height : {300, 14 * 20 + 20, 14 * 25 + 17, 31}) {
        Resize(400, height);
        const int rows = Client().bottom / 14 + (Client().bottom % 14 != 0 ? 1 : 0);
        const std::uint64_t before = m_preview.GetFormattedLineCount();
        ::InvalidateRect(m_static, nullptr, FALSE);
        ::UpdateWindow(m_static);
        EXPECT_EQ(m_preview.GetFormattedLineCount() - before, static_cast<std::uint64_t>(rows))
            << height;
    }
    ::SendMessageW(m_static, WM_VSCROLL, SB_BOTTOM, 0);
    const std::uint64_t before = m_preview.GetFormattedLineCount();
    ::UpdateWindow(m_static);
    EXPECT_EQ(m_preview.GetFormattedLineCount() - before, 1000u - Bar(SB_VERT).nPos);
}

TEST_F(FilePreviewCtrlTest, LinesArePaintedThirteenPixelsApartInTheFont) {
    std::string content;
    for (int i = 0; i < 300; ++i)
        content += static_cast<char>(i);
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"text.bin", content).c_str()));
    Resize(500, 200);  // 71 columns: the line and one more fit, so lines start at x = 7
    ASSERT_EQ(m_preview.GetLayout().m_leftColumn, -1);
    struct Page {
        std::string bytes;
        int x;
    };
    const auto draw = [](HDC dc, const RECT& client, const void* context) {
        const Page& page = *static_cast<const Page*>(context);
        // Whole rows of 14 pixels plus one for a remainder, placed 13 pixels apart.
        const int lines = client.bottom / 14 + (client.bottom % 14 != 0 ? 1 : 0);
        for (int k = 0; k < lines && k * 10 < 300; ++k) {
            const std::u16string line =
                FormatLine(reinterpret_cast<const std::uint8_t*>(page.bytes.data()) + k * 10,
                           std::min(10, 300 - k * 10), static_cast<std::uint32_t>(k * 10), 10);
            ::TextOutW(dc, page.x, 13 * k, AsWide(line), static_cast<int>(line.size()));
        }
    };
    Page page{content, 7};
    const Pixels shown = Capture();
    EXPECT_GT(DarkPixelsInRows(shown, 0, 13), 50);
    EXPECT_EQ(Differences(shown, Expected(Client(), draw, &page)), 0);

    ::SendMessageW(m_static, WM_HSCROLL, SB_LINERIGHT, 0);  // from -1 to the first column
    page.x = 0;
    EXPECT_EQ(Differences(Capture(), Expected(Client(), draw, &page)), 0);
}

// The count changed after SetFile: the line count is still that of 10 bytes a line, so the last
// line starts past the end of the file. It shows its offset and blanks, and nothing is read.
TEST_F(FilePreviewCtrlTest, ALineWithoutBytesShowsItsOffsetAndBlanks) {
    const std::string content = "Hello, world\nHello, world";  // 25 bytes: 3 lines of 10
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"short.bin", content).c_str()));
    ASSERT_TRUE(m_preview.SetBytesPerLine(16));
    ASSERT_EQ(m_preview.GetLayout().m_leftColumn, -1);  // 51 columns and one more fit
    const auto draw = [](HDC dc, const RECT&, const void* context) {
        const auto* bytes = static_cast<const std::uint8_t*>(context);
        const std::u16string lines[] = {FormatLine(bytes, 16, 0, 16),
                                        FormatLine(bytes + 16, 9, 16, 16),
                                        FormatLine(nullptr, 0, 32, 16)};
        for (int k = 0; k < 3; ++k) {
            ::TextOutW(dc, 7, 13 * k, AsWide(lines[k]), static_cast<int>(lines[k].size()));
        }
    };
    EXPECT_EQ(Differences(Capture(), Expected(Client(), draw, content.data())), 0);
}

TEST_F(FilePreviewCtrlTest, AFileThatCannotBeOpenedLeavesTheEmptyText) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"shown.bin", 5).c_str()));
    const std::wstring missing = m_folder + L"qs-preview-missing\\nothing.bin";
    EXPECT_FALSE(m_preview.SetFile(missing.c_str()));
    const auto draw = [](HDC dc, const RECT& client, const void* context) {
        std::wstring text = static_cast<const wchar_t*>(context);
        RECT measured = {};
        ::DrawTextExW(dc, &text[0], -1, &measured, DT_CALCRECT, nullptr);
        const int width = measured.right - measured.left;
        RECT target = {client.right / 2 - width / 2, 0, client.right / 2 - width / 2 + width,
                       measured.bottom};
        ::DrawTextExW(dc, &text[0], -1, &target, 0, nullptr);
    };
    const Pixels shown = Capture();
    EXPECT_GT(DarkPixelsInRows(shown, 0, 16), 30);
    EXPECT_EQ(DarkPixelsInRows(shown, 20, shown.height), 0);
    EXPECT_EQ(Differences(shown, Expected(Client(), draw, L"No data to display")), 0);

    m_preview.SetEmptyText(u"Nothing here");
    EXPECT_EQ(Differences(Capture(), Expected(Client(), draw, L"Nothing here")), 0);
}

TEST_F(FilePreviewCtrlTest, AnEmptyFileHidesBothBarsAndShowsTheEmptyText) {
    Resize(300, 300);
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"before.bin", 200).c_str()));
    ASSERT_TRUE(BarShown(WS_VSCROLL) && BarShown(WS_HSCROLL));
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"empty.bin", "").c_str()));
    EXPECT_FALSE(BarShown(WS_VSCROLL));
    EXPECT_FALSE(BarShown(WS_HSCROLL));
    EXPECT_EQ(m_preview.GetLayout().m_lineCount, 0u);
    EXPECT_EQ(m_preview.GetLayout().m_lineChars, 0);
    const std::uint64_t formatted = m_preview.GetFormattedLineCount();
    const Pixels shown = Capture();
    EXPECT_GT(DarkPixelsInRows(shown, 0, 16), 30);
    EXPECT_EQ(DarkPixelsInRows(shown, 20, shown.height), 0);
    EXPECT_EQ(m_preview.GetFormattedLineCount(), formatted);

    ASSERT_TRUE(m_preview.SetFile(nullptr));  // no file at all: the same
    EXPECT_FALSE(BarShown(WS_VSCROLL));
    EXPECT_GT(DarkPixelsInRows(Capture(), 0, 16), 30);
}

TEST_F(FilePreviewCtrlTest, RightButtonUpNotifiesTheParentWithTheControlId) {
    ::SendMessageW(m_static, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(g_notification.count, 1);
    EXPECT_EQ(g_notification.wParam, 0u);
    EXPECT_EQ(g_notification.header.hwndFrom, m_static);
    EXPECT_EQ(g_notification.header.idFrom, static_cast<UINT_PTR>(kPreviewId));
    EXPECT_EQ(g_notification.header.code, static_cast<UINT>(NM_RCLICK));
}

TEST_F(FilePreviewCtrlTest, HitTestingGoesToTheDefaultProcedure) {
    ASSERT_TRUE(m_preview.SetFile(MakeLines(L"hit.bin", 200).c_str()));
    RECT window = {};
    ::GetWindowRect(m_static, &window);
    // A plain static without SS_NOTIFY would say HTTRANSPARENT everywhere.
    EXPECT_EQ(
        ::SendMessageW(m_static, WM_NCHITTEST, 0, MAKELPARAM(window.left + 20, window.top + 20)),
        HTCLIENT);
    EXPECT_EQ(
        ::SendMessageW(m_static, WM_NCHITTEST, 0, MAKELPARAM(window.right - 5, window.top + 40)),
        HTVSCROLL);
}

TEST_F(FilePreviewCtrlTest, DestroyingTheWindowClosesTheFileAndRestoresTheStatic) {
    const std::wstring path = MakeLines(L"held.bin", 50);
    ASSERT_TRUE(m_preview.SetFile(path.c_str()));
    // Opened for shared reading only, so it cannot be deleted while shown.
    EXPECT_FALSE(::DeleteFileW(path.c_str()));
    ::DestroyWindow(m_parent);
    m_parent = nullptr;
    EXPECT_EQ(m_preview.m_hWnd, nullptr);
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST_F(FilePreviewCtrlTest, BytesPerLineBelowOneIsRefused) {
    EXPECT_FALSE(m_preview.SetBytesPerLine(0));
    EXPECT_FALSE(m_preview.SetBytesPerLine(-1));
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"count.bin", std::string(25, 'y')).c_str()));
    EXPECT_EQ(m_preview.GetLayout().m_lineCount, 3u);  // still 10 a line
    EXPECT_EQ(m_preview.GetLayout().m_lineChars, 51);
    EXPECT_TRUE(m_preview.SetBytesPerLine(16));
    ASSERT_TRUE(m_preview.SetFile(MakeFile(L"count16.bin", std::string(25, 'y')).c_str()));
    EXPECT_EQ(m_preview.GetLayout().m_lineChars, 75);
}

// How many more GDI objects this process may make: a leak of any kind lowers it. (GetGuiResources
// answers 0 under Wine, so the objects are counted by filling the handle table for a moment.)
int CountRoomForGdiObjects() {
    std::vector<HBRUSH> brushes;
    for (;;) {
        const HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
        if (brush == nullptr || brushes.size() > 200000)
            break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes)
        ::DeleteObject(brush);
    return static_cast<int>(brushes.size());
}

TEST_F(FilePreviewCtrlTest, PaintingReleasesEveryGdiObject) {
    int round = 0;
    const auto paintMany = [this, &round] {
        const std::wstring name = L"gdi" + std::to_wstring(round++) + L".bin";
        ASSERT_TRUE(m_preview.SetFile(MakeLines(name.c_str(), 500).c_str()));
        for (int i = 0; i < 50; ++i) {
            ::SendMessageW(m_static, WM_VSCROLL, SB_LINEDOWN, 0);
            ::SendMessageW(m_static, WM_HSCROLL, i % 2 ? SB_LINELEFT : SB_LINERIGHT, 0);
            ::UpdateWindow(m_static);
        }
        Resize(350, 250);
        Capture();
        m_preview.SetFile(nullptr);  // the empty-state text takes the other path
        Resize(300, 300);
        Capture();
    };
    paintMany();  // the first paints may fill the system's caches
    const int room = CountRoomForGdiObjects();
    ASSERT_GT(room, 1000);
    paintMany();
    EXPECT_EQ(CountRoomForGdiObjects(), room);
}

}  // namespace
}  // namespace qs
