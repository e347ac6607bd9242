#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/window/DialogImpl.h"
#include "platform/window/WindowImpl.h"

namespace qs {
namespace {

constexpr UINT kHandled = WM_APP + 1;
constexpr UINT kThrows = WM_APP + 2;
constexpr UINT kEnd = WM_APP + 3;

class CRecordingCtrl : public CWindowImpl {
public:
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override {
        seen.push_back(uMsg);
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

TEST(WindowImplTest, SubclassRoutesMessagesPassesTheRestOnAndGivesTheWindowBack) {
    const HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"original text", WS_POPUP, 0, 0, 50, 20,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    const auto original = ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    CRecordingCtrl first, second, ctrl;
    EXPECT_FALSE(first.SubclassWindow(nullptr));
    ASSERT_TRUE(first.SubclassWindow(hWnd));
    EXPECT_FALSE(second.SubclassWindow(hWnd));
    EXPECT_FALSE(first.SubclassWindow(hWnd));
    EXPECT_EQ(first.UnsubclassWindow(), hWnd);
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), original);
    EXPECT_EQ(first.m_hWnd, nullptr);
    first.seen.clear();
    {
        CRecordingCtrl third;  // free again; the destructor gives the window back
        ASSERT_TRUE(third.SubclassWindow(hWnd));
    }
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), original);

    // (Handled and unhandled messages are routed in every run of the program.)
    ASSERT_TRUE(ctrl.SubclassWindow(hWnd));
    // A throwing handler does not unwind through the system: the message falls back.
    EXPECT_EQ(::SendMessageW(hWnd, kThrows, 0, 0), 0);
    // A reflected colour message goes lowered to the default procedure, which answers with a
    // brush (it would not for the raw 0x2138).
    const HDC dc = ::GetDC(hWnd);
    EXPECT_NE(::SendMessageW(hWnd, 0x2000 + WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), 0);
    ::ReleaseDC(hWnd, dc);
    EXPECT_TRUE(first.seen.empty());
    ASSERT_TRUE(::DestroyWindow(hWnd));
    EXPECT_EQ(ctrl.finalWindow, hWnd);
    EXPECT_EQ(ctrl.handleAtFinal, nullptr);
    EXPECT_EQ(ctrl.m_hWnd, nullptr);
    EXPECT_EQ(ctrl.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

class CTestDlg : public CDialogImpl {
public:
    explicit CTestDlg(UINT id = 9100) : CDialogImpl(id) {}  // from Framework_test.rc
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override {
        if (uMsg == kThrows)
            throw std::runtime_error("handler failed");
        if (uMsg == WM_INITDIALOG && lParam == 99)
            ::PostMessageW(hWnd, kEnd, 5, 0);
        if (uMsg == kEnd)
            EndDialog(static_cast<INT_PTR>(wParam));
        // WM_INITDIALOG's FALSE is returned directly: no default focus.
        lResult = uMsg == kHandled ? 77 : uMsg == WM_CTLCOLORSTATIC ? 1234 : FALSE;
        return uMsg == WM_INITDIALOG || uMsg == kHandled || uMsg == WM_CTLCOLORSTATIC ||
               uMsg == kEnd;
    }
    void OnFinalMessage(HWND hWnd) override { finalWindow = hWnd; }
    HWND finalWindow = nullptr;
};

TEST(DialogImplTest, DialogsRouteMessagesWithTheResultRule) {
    CTestDlg dlg;
    const HWND hWnd = dlg.Create(nullptr);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(dlg.Create(nullptr), nullptr);                         // one window per object
    EXPECT_EQ(::SendMessageW(hWnd, kHandled, 0, 0), 77);             // through DWLP_MSGRESULT
    EXPECT_EQ(::SendMessageW(hWnd, WM_CTLCOLORSTATIC, 0, 0), 1234);  // returned directly
    EXPECT_EQ(::SendMessageW(hWnd, WM_APP + 9, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(hWnd, kThrows, 0, 0), 0);
    ASSERT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.finalWindow, hWnd);

    CTestDlg modal, missing(9199);
    EXPECT_EQ(modal.DoModal(nullptr, 99), 5);
    EXPECT_EQ(modal.m_hWnd, nullptr);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
}

}  // namespace
}  // namespace qs
