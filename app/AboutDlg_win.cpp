#include "app/AboutDlg.h"

#include "platform/window/AppModule.h"
#include "platform/window/CentreWindow.h"
#include "platform/window/GdiHandles.h"
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

CAboutDlg::~CAboutDlg() {
    if (m_icon != nullptr)
        ::DestroyIcon(m_icon);
}

LRESULT CAboutDlg::OnInitDialog() {
    CentreWindow(m_hWnd);
    ShowScaledIcon();
    // Without the control the texts are still kept; the box just has no working link.
    m_link.SubclassWindow(GetDlgItem(IDC_ABOUT_LINK));
    m_link.SetLabel(kHomeHost);
    m_link.SetTarget(kHomePage);
    return TRUE;  // the platform gives the focus to the first tab stop, "OK"
}

void CAboutDlg::ShowScaledIcon() {
    // The template's icon static shows the 48-pixel image whatever the screen: the picture is
    // scaled here with the screen, like the text beside it.
    HWND picture = ::GetWindow(m_hWnd, GW_CHILD);
    while (picture != nullptr && (::GetWindowLongW(picture, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        picture = ::GetWindow(picture, GW_HWNDNEXT);
    if (picture == nullptr)
        return;
    const int size = ScaleToScreen(48);
    m_icon =
        static_cast<HICON>(::LoadImageW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(IDI_ABOUT),
                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (m_icon != nullptr)
        ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
}

}  // namespace qs
