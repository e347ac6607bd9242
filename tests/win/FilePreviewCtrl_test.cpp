#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "preview/FilePreviewCtrl.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

constexpr int kPreviewId = 1001;
std::vector<NMHDR> g_notifications;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NOTIFY)
        g_notifications.push_back(*reinterpret_cast<const NMHDR*>(lParam));
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A control attached to a static in a visible parent, at 10 bytes a line.
class FilePreviewCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_notifications.clear();
        const WNDCLASSW parent = {0,       ParentProc, 0,       0,       nullptr,
                                  nullptr, nullptr,    nullptr, nullptr, L"PreviewTestParent"};
        ::RegisterClassW(&parent);
        m_parent = ::CreateWindowExW(0, L"PreviewTestParent", L"Preview", WS_POPUP | WS_VISIBLE, 0,
                                     0, 800, 700, nullptr, nullptr, nullptr, nullptr);
        m_static = ::CreateWindowExW(WS_EX_STATICEDGE, L"Static", L"Static",
                                     WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, 300, 300, m_parent,
                                     reinterpret_cast<HMENU>(kPreviewId), nullptr, nullptr);
        ASSERT_TRUE(m_preview.SubclassWindow(m_static));
        ASSERT_TRUE(m_preview.SetBytesPerLine(10));
        for (int count : {0, -1, kMaxBytesPerLine + 1})
            EXPECT_FALSE(m_preview.SetBytesPerLine(count)) << count;  // and 10 stays
    }

    void TearDown() override {
        ::DestroyWindow(m_parent);
        for (const auto& path : m_files)
            ::DeleteFileW(path.c_str());
    }

    // Shows `size` bytes: the content, then 'A'..'Z' over and over, from a temporary file.
    bool Show(const std::wstring& name, size_t size, std::string content = {}) {
        for (size_t i = content.size(); i < size; ++i)
            content += static_cast<char>('A' + i % 26);
        m_files.push_back(std::filesystem::temp_directory_path() / (L"qs-preview-" + name));
        std::ofstream(m_files.back(), std::ios::binary) << content;
        return m_preview.SetFile(m_files.back().c_str());
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
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
        EXPECT_TRUE(::GetScrollInfo(m_static, bar, &info));
        return info;
    }
    LONG Bars() const { return ::GetWindowLongW(m_static, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL); }
    std::uint64_t LinesFormattedBy(UINT message, WPARAM request) {
        const std::uint64_t before = m_preview.GetFormattedLineCount();
        ::SendMessageW(m_static, message, request, 0);
        ::UpdateWindow(m_static);
        return m_preview.GetFormattedLineCount() - before;
    }
    HWND m_parent = nullptr, m_static = nullptr;
    CFilePreviewCtrl m_preview;
    std::vector<std::filesystem::path> m_files;
};

TEST_F(FilePreviewCtrlTest, BarsFollowTheFileOnlyChangesRepaintAndDestroyingReleases) {
    ASSERT_TRUE(Show(L"big.bin", 2000));
    // 200 lines of 51 cells of 7 by 14 pixels.
    const LONG both = WS_VSCROLL | WS_HSCROLL;
    EXPECT_EQ(Bars(), both);
    EXPECT_EQ(std::make_tuple(Bar(SB_VERT).nMax, Bar(SB_VERT).nPage, Bar(SB_HORZ).nMax,
                              Bar(SB_HORZ).nPage),
              std::make_tuple(199, UINT(Client().bottom / 14), 50, UINT(Client().right / 7)));

    // A paint formats the visible lines only, a partial row included; a request that moves
    // nothing repaints nothing.
    for (int height : {300, 14 * 20 + 20, 14 * 25 + 17, 31}) {
        Resize(300, height);
        const std::uint64_t rows = (Client().bottom + 13) / 14;
        ::InvalidateRect(m_static, nullptr, FALSE);
        EXPECT_EQ(LinesFormattedBy(WM_NULL, 0), rows) << height;
    }
    // (Where each request leads is the layout's own table.)
    Resize(300, 300);
    EXPECT_EQ(LinesFormattedBy(WM_VSCROLL, SB_LINEUP) + LinesFormattedBy(WM_VSCROLL, SB_ENDSCROLL),
              0u);
    const std::uint64_t toBottom = LinesFormattedBy(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(Bar(SB_VERT).nPos, 200 - static_cast<int>(Bar(SB_VERT).nPage));
    EXPECT_EQ(toBottom, Bar(SB_VERT).nPage);
    EXPECT_EQ(LinesFormattedBy(WM_VSCROLL, SB_PAGEDOWN), 0u);

    // A file that can't be opened leaves nothing of the one before (no bars, no lines) and says
    // why, in the system's words after our own.
    EXPECT_FALSE(m_preview.SetFile(L"C:\\qs-preview-missing\\nothing.bin"));
    EXPECT_EQ(Bars(), 0);
    EXPECT_EQ(m_preview.GetLayout().m_lineCount, 0u);
    const std::u16string reason = m_preview.GetAccessibleValue();
    EXPECT_TRUE(reason.rfind(u"Can't open this file: ", 0) == 0 && reason.size() > 24)
        << std::string(reason.begin(), reason.end());
    Resize(400, 300);  // 25 bytes fit: no bars
    ASSERT_TRUE(Show(L"small.bin", 25));
    EXPECT_EQ(Bars(), 0);

    // The right button notifies the parent. Another program, sharing all (7), may read the file
    // shown, not write or delete it; destroying the window closes it.
    ::SendMessageW(m_static, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(g_notifications.size(), 1u);
    EXPECT_TRUE(g_notifications[0].hwndFrom == m_static &&
                g_notifications[0].idFrom == kPreviewId &&
                g_notifications[0].code == static_cast<UINT>(NM_RCLICK));
    ASSERT_TRUE(Show(L"held.bin", 500));
    for (const DWORD access : std::initializer_list<DWORD>{GENERIC_READ, GENERIC_WRITE, DELETE}) {
        const HANDLE other =
            ::CreateFileW(m_files.back().c_str(), access, 7, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other != INVALID_HANDLE_VALUE, access == GENERIC_READ) << access;
        ::CloseHandle(other);
    }
    ::DestroyWindow(m_parent);
    m_parent = nullptr;
    EXPECT_EQ(m_preview.m_hWnd, nullptr);
    EXPECT_TRUE(::DeleteFileW(m_files.back().c_str()));
}

// A drag below the dump scrolls it a line a tick, the selection following; when another window
// takes the mouse midway, the drag ends there: no more ticks, and later moves select nothing.
TEST_F(FilePreviewCtrlTest, ADragThatLosesTheMouseEndsAndItsTimerWithIt) {
    ASSERT_TRUE(Show(L"lost.bin", 2000));
    auto pump = [message = MSG{}](DWORD ms) mutable {
        for (const DWORD end = ::GetTickCount() + ms; ::GetTickCount() < end; ::Sleep(10))
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
    };
    ::SendMessageW(m_static, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 5));  // byte 0's digits
    ASSERT_EQ(::GetCapture(), m_static);
    POINT below = {80, Client().bottom + 20};  // where the pointer is too, for Wine's own moves
    ::ClientToScreen(m_static, &below);
    ::SetCursorPos(below.x, below.y);
    ::SendMessageW(m_static, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, Client().bottom + 20));
    pump(400);
    const std::int32_t top = m_preview.GetLayout().m_topLine;
    const ByteRange dragged = m_preview.GetSelection();
    EXPECT_GT(top, 0);
    EXPECT_EQ(dragged.start, 0u);
    EXPECT_EQ(dragged.count, (top + (Client().bottom - 1) / 13) * 10u + 1);

    ::SetCapture(m_parent);  // the preview hears WM_CAPTURECHANGED
    pump(300);
    EXPECT_EQ(m_preview.GetLayout().m_topLine, top);
    EXPECT_FALSE(::KillTimer(m_static, 0x5153)) << "the drag's timer outlived it";
    ::SendMessageW(m_static, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 5));
    EXPECT_EQ(m_preview.GetSelection().count, dragged.count);
    ::ReleaseCapture();
}

// Real mouse input: the hit-test and the press on the bar must reach the default procedure (a
// static without SS_NOTIFY answers HTTRANSPARENT and ignores presses), which tracks the thumb; the
// 16-bit position in the messages would wrap past line 65535, the bar's tracking position does not.
TEST_F(FilePreviewCtrlTest, DraggingTheThumbFollowsThe32BitTrackingPosition) {
    ASSERT_TRUE(Show(L"drag.bin", 1000000));
    ::SetForegroundWindow(m_parent);
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(::GetScrollBarInfo(m_static, OBJID_VSCROLL, &bar));
    const RECT& track = bar.rcScrollBar;
    const int x = (track.left + track.right) / 2;
    const int from = track.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    const int to = track.top + (track.bottom - track.top) * 85 / 100;
    const auto mouse = [](int px, int py, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = px * 65536 / ::GetSystemMetrics(SM_CXSCREEN) + 1;
        input.mi.dy = py * 65536 / ::GetSystemMetrics(SM_CYSCREEN) + 1;
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

}  // namespace
}  // namespace qs
