#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/DialogImpl.h"

namespace qs {
namespace {

constexpr UINT kTestDialog = 9100;
constexpr UINT kHandled = WM_APP + 1;
constexpr UINT kThrows = WM_APP + 2;
constexpr UINT kEnd = WM_APP + 3;

class CTestDlg : public CDialogImpl {
public:
    CTestDlg() : CDialogImpl(kTestDialog) {}

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override {
        switch (uMsg) {
            case WM_INITDIALOG:
                initParam = lParam;
                handleAtInit = m_hWnd;
                if (initParam == 99)
                    ::PostMessageW(hWnd, kEnd, 5, 0);
                lResult = FALSE;  // returned directly: no default focus
                return TRUE;
            case kHandled:
                lResult = 77;
                return TRUE;
            case WM_CTLCOLORSTATIC:
            case WM_QUERYDRAGICON:
                lResult = 1234;
                return TRUE;
            case kThrows:
                throw std::runtime_error("handler failed");
            case kEnd:
                EndDialog(static_cast<INT_PTR>(wParam));
                return TRUE;
            default:
                return FALSE;
        }
    }
    void OnFinalMessage(HWND hWnd) override { finalWindow = hWnd; }

    LPARAM initParam = -1;
    HWND handleAtInit = nullptr;
    HWND finalWindow = nullptr;
};

TEST(DialogImplTest, ModelessDialogRoutesMessagesWithTheResultRule) {
    CTestDlg dlg;
    const HWND hWnd = dlg.Create(nullptr, 1234);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(dlg.m_hWnd, hWnd);
    EXPECT_EQ(dlg.handleAtInit, hWnd);
    EXPECT_EQ(dlg.initParam, 1234);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_EQ(dlg.Create(nullptr), nullptr);  // one window per object

    // Through DWLP_MSGRESULT.
    EXPECT_EQ(::SendMessageW(hWnd, kHandled, 0, 0), 77);
    // Returned by the procedure itself.
    EXPECT_EQ(::SendMessageW(hWnd, WM_CTLCOLORSTATIC, 0, 0), 1234);
    EXPECT_EQ(::SendMessageW(hWnd, WM_QUERYDRAGICON, 0, 0), 1234);
    // Unhandled and throwing messages take the default course.
    EXPECT_EQ(::SendMessageW(hWnd, WM_APP + 9, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(hWnd, kThrows, 0, 0), 0);

    ASSERT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.finalWindow, hWnd);
}

TEST(DialogImplTest, ModalDialogReturnsEndDialogResult) {
    CTestDlg dlg;
    EXPECT_EQ(dlg.DoModal(nullptr, 99), 5);
    EXPECT_EQ(dlg.initParam, 99);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_NE(dlg.finalWindow, nullptr);
}

TEST(DialogImplTest, MissingTemplateFailsCleanlyAndTheDestructorDestroysTheWindow) {
    struct CMissingDlg : CDialogImpl {
        CMissingDlg() : CDialogImpl(9199) {}
        BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return FALSE; }
    } missing;
    EXPECT_EQ(missing.Create(nullptr), nullptr);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
    HWND hWnd = nullptr;
    {
        CTestDlg dlg;  // nothing left half-bound: a real dialog still works
        hWnd = dlg.Create(nullptr, 1);
        ASSERT_NE(hWnd, nullptr);
        EXPECT_EQ(dlg.initParam, 1);
    }
    EXPECT_FALSE(::IsWindow(hWnd));
}

}  // namespace
}  // namespace qs
