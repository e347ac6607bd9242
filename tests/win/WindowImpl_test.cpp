#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/WindowImpl.h"

namespace qs {
namespace {

constexpr UINT kHandled = WM_APP + 1;
constexpr UINT kThrows = WM_APP + 2;

class CRecordingCtrl : public CWindowImpl {
public:
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override {
        seen.push_back(uMsg);
        if (uMsg == kHandled) {
            lResult = 42;
            return TRUE;
        }
        if (uMsg == kThrows)
            throw std::runtime_error("handler failed");
        return DefaultReflectionHandler(m_hWnd, uMsg, wParam, lParam, lResult);
    }
    void OnFinalMessage(HWND hWnd) override {
        finalWindow = hWnd;
        handleAtFinal = m_hWnd;
    }

    std::vector<UINT> seen;
    HWND finalWindow = nullptr;
    HWND handleAtFinal = reinterpret_cast<HWND>(1);
};

HWND MakeStatic(const wchar_t* text) {
    return ::CreateWindowExW(0, L"STATIC", text, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

TEST(WindowImplTest, SubclassRoutesMessagesAndPassesTheRestOn) {
    HWND hWnd = MakeStatic(L"original text");
    ASSERT_NE(hWnd, nullptr);
    const auto original = ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    CRecordingCtrl ctrl;
    ASSERT_TRUE(ctrl.SubclassWindow(hWnd));
    EXPECT_EQ(ctrl.m_hWnd, hWnd);
    EXPECT_NE(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), original);

    EXPECT_EQ(::SendMessageW(hWnd, kHandled, 0, 0), 42);
    // Unhandled: the static's own procedure answers.
    wchar_t text[32] = {};
    EXPECT_EQ(::SendMessageW(hWnd, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text)), 13);
    EXPECT_STREQ(text, L"original text");
    // A throwing handler does not unwind through the system: the message falls back.
    EXPECT_EQ(::SendMessageW(hWnd, kThrows, 0, 0), 0);

    ASSERT_TRUE(::DestroyWindow(hWnd));
    EXPECT_EQ(ctrl.finalWindow, hWnd);
    EXPECT_EQ(ctrl.handleAtFinal, nullptr);
    EXPECT_EQ(ctrl.m_hWnd, nullptr);
    EXPECT_EQ(ctrl.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(WindowImplTest, RefusesSecondSubclassAndUnsubclassRestores) {
    HWND hWnd = MakeStatic(L"x");
    ASSERT_NE(hWnd, nullptr);
    const auto original = ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    CRecordingCtrl first;
    CRecordingCtrl second;
    EXPECT_FALSE(first.SubclassWindow(nullptr));
    ASSERT_TRUE(first.SubclassWindow(hWnd));
    EXPECT_FALSE(second.SubclassWindow(hWnd));
    EXPECT_FALSE(first.SubclassWindow(hWnd));

    EXPECT_EQ(first.UnsubclassWindow(), hWnd);
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), original);
    EXPECT_EQ(first.m_hWnd, nullptr);
    first.seen.clear();
    ::SendMessageW(hWnd, kHandled, 0, 0);
    EXPECT_TRUE(first.seen.empty());

    // Free again: another object may take it; its destructor gives the window back.
    {
        CRecordingCtrl third;
        ASSERT_TRUE(third.SubclassWindow(hWnd));
    }
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), original);
    ::DestroyWindow(hWnd);
}

TEST(WindowImplTest, ReflectedMessagesGoLoweredToTheDefaultProcedure) {
    HWND hWnd = MakeStatic(L"x");
    ASSERT_NE(hWnd, nullptr);
    CRecordingCtrl ctrl;
    ASSERT_TRUE(ctrl.SubclassWindow(hWnd));
    // 0x2000 + WM_CTLCOLORSTATIC: the default procedure answers a colour message with a brush,
    // which it would not do for the raw 0x2138.
    HDC dc = ::GetDC(hWnd);
    EXPECT_NE(::SendMessageW(hWnd, 0x2000 + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), 0);
    ::ReleaseDC(hWnd, dc);
    NMHDR header = {hWnd, 5, static_cast<UINT>(-2)};  // NM_CLICK
    EXPECT_EQ(::SendMessageW(hWnd, 0x2000 + WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_EQ(ctrl.seen.back(), 0x2000u + WM_NOTIFY);
    ::DestroyWindow(hWnd);
}

}  // namespace
}  // namespace qs
