#include "app/AboutDlg.h"

#include "platform/window/CentreWindow.h"
#include "res/resource.h"

namespace qs {
namespace {

const wchar_t kHomeHost[] = L"" QS_HOME_HOST;
const wchar_t kHomePage[] = L"" QS_HOME_PAGE;

}  // namespace

CAboutDlg::CAboutDlg() : CDialogImpl(IDD_ABOUTBOX) {}

BOOL CAboutDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult) {
    switch (uMsg) {
        case WM_INITDIALOG:
            lResult = OnInitDialog();
            return TRUE;
        case WM_COMMAND:
            // OK and Enter give IDOK; Esc and the close box IDCANCEL.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(LOWORD(wParam));
                lResult = 0;
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

LRESULT CAboutDlg::OnInitDialog() {
    CentreWindow(m_hWnd);
    // Without the control the texts are still kept; the box just has no working link.
    m_link.SubclassWindow(GetDlgItem(IDC_ABOUT_LINK));
    m_link.SetLabel(kHomeHost);
    m_link.SetTarget(kHomePage);
    return TRUE;  // the platform gives the focus to the first tab stop, "OK"
}

}  // namespace qs
