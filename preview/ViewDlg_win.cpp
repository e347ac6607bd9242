#include "preview/ViewDlg.h"

#include <utility>

#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "platform/window/CentreWindow.h"
#include "res/resource.h"

namespace qs {
namespace {

// The preview takes all the growth; the "Close" button keeps its place at the bottom right.
const ResizeMapEntry kResizeMap[] = {
    {IDC_PREVIEW, kResizeStretchX | kResizeStretchY},
    {IDOK, kResizeMoveX | kResizeMoveY},
    {-1, 0},
};

}  // namespace

CViewDlg::CViewDlg(std::u16string initialPath)
    : CDialogImpl(IDD_VIEWDLG), m_initialPath(std::move(initialPath)) {}

CViewDlg::~CViewDlg() {
    // Normally the main dialog took the window with its own. If not, it goes while the preview
    // can still take its last messages.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CViewDlg::LoadFile(const std::u16string& path) {
    // Without a window (it could not be made) there is nothing to show the file in, and the
    // preview's invalidation of a null window would repaint every window on the screen.
    if (path.empty() || m_hWnd == nullptr)
        return;
    // A file that cannot be opened still shows its path; the preview then shows its empty text.
    m_preview.SetFile(AsWide(path));
    ::SetWindowTextW(m_hWnd, AsWide(path));
}

BOOL CViewDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& lResult) {
    switch (uMsg) {
        case WM_INITDIALOG:
            lResult = OnInitDialog();
            return TRUE;
        case WM_MOUSEWHEEL:
            // One line per message, however many notches it carries; a delta of 0 scrolls down.
            ScrollPreview(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
            break;
        case WM_COMMAND:
            // "Close", and IDCANCEL, which the close box gives too: hidden, never destroyed.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ShowWindow(SW_HIDE);
                lResult = 0;
                return TRUE;
            }
            break;
        default:
            break;
    }
    return ProcessResizeMessage(hWnd, uMsg, wParam, lParam, lResult);
}

bool CViewDlg::PreTranslateMessage(MSG* message) {
    if (message->message != WM_KEYDOWN)
        return false;
    switch (message->wParam) {
        case VK_ESCAPE:
            ShowWindow(SW_HIDE);
            break;
        case VK_PRIOR:
            ScrollPreview(SB_PAGEUP);
            break;
        case VK_NEXT:
            ScrollPreview(SB_PAGEDOWN);
            break;
        case VK_END:
            ScrollPreview(SB_BOTTOM);
            break;
        case VK_HOME:
            ScrollPreview(SB_TOP);
            break;
        case VK_UP:
            ScrollPreview(SB_LINEUP);
            break;
        case VK_DOWN:
            ScrollPreview(SB_LINEDOWN);
            break;
        default:
            break;
    }
    // The key goes on to the other filters and to its own window: the tree still moves.
    return false;
}

LRESULT CViewDlg::OnInitDialog() {
    CentreWindow(m_hWnd);
    InitResize(m_hWnd, kResizeMap, true, true, WS_CLIPCHILDREN);
    m_preview.SubclassWindow(GetDlgItem(IDC_PREVIEW));
    m_preview.SetBytesPerLine(10);
    m_preview.SetEmptyText(u"No data to display");
    LoadFile(m_initialPath);
    if (CMessageLoop* loop = g_module.GetMessageLoop())
        loop->AddMessageFilter(this);
    return TRUE;  // the focus goes to the first tab stop, "Close"
}

void CViewDlg::ScrollPreview(int request) {
    if (m_preview.m_hWnd != nullptr)
        ::SendMessageW(m_preview.m_hWnd, WM_VSCROLL, static_cast<WPARAM>(request), 0);
}

}  // namespace qs
