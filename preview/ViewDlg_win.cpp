#include "preview/ViewDlg.h"

#include <commctrl.h>

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

const struct {
    WPARAM letter;
    UINT command;
} kControlKeys[] = {{'F', ID_PREVIEW_FIND},
                    {'G', ID_PREVIEW_GOTO},
                    {'A', ID_PREVIEW_SELECT_ALL},
                    {'C', ID_PREVIEW_COPY}};

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
    // A file that cannot be opened still shows its path; the preview then says why.
    m_preview.SetFile(AsWide(path));
    m_lastMatch = ByteRange();
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
        case WM_NOTIFY: {
            // A right click on the dump: the byte under it, unless already selected, becomes the
            // selection, and the dump's menu opens at the pointer.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_PREVIEW && header->code == static_cast<UINT>(NM_RCLICK) &&
                m_preview.GetFileSize() != 0) {
                const DWORD where = ::GetMessagePos();
                const POINT screen = {static_cast<short>(LOWORD(where)),
                                      static_cast<short>(HIWORD(where))};
                m_preview.SelectForMenu(screen);
                OpenMenu(screen);
                lResult = 0;
                return TRUE;
            }
            break;
        }
        case WM_SHOWWINDOW:
            // Shown by a call, not brought back with its owner.
            m_focusDump = wParam != FALSE && lParam == 0;
            break;
        case WM_ACTIVATE:
            // Magnifiers follow the caret: it sits on the selection while the viewer is active.
            m_preview.SetCaretActive(LOWORD(wParam) != WA_INACTIVE);
            // Opened or shown again, the viewer gives the dump the focus, in place of the control
            // that the dialog's default processing would give it back to.
            if (LOWORD(wParam) != WA_INACTIVE && m_focusDump && m_preview.m_hWnd != nullptr) {
                m_focusDump = false;
                ::SetFocus(m_preview.m_hWnd);
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
    if (TakeViewerKey(*message))
        return true;
    if (message->message == WM_KEYDOWN) {
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
    }
    // The key goes on to the other filters and to its own window: the tree still moves. The
    // viewer's own messages get the dialog's navigation: Tab, and Enter for "Close".
    return m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, message);
}

bool CViewDlg::TakeViewerKey(const MSG& message) {
    // The key up of a key that opened the menu: the default processing would turn it into a
    // WM_CONTEXTMENU, and a second menu.
    if ((message.message == WM_KEYUP || message.message == WM_SYSKEYUP) &&
        message.wParam == m_keyUpToSwallow && m_keyUpToSwallow != 0) {
        m_keyUpToSwallow = 0;
        return true;
    }
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return false;
    // Only while the viewer is the active window and has bytes to show; anywhere else these keys
    // go on as before.
    if (m_hWnd == nullptr || ::GetActiveWindow() != m_hWnd || m_preview.GetFileSize() == 0)
        return false;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool repeated = (message.lParam & (1 << 30)) != 0;
    const bool plain = message.message == WM_KEYDOWN && !alt;
    // Ctrl and a letter: the keys that the dump's menu shows beside its items.
    if (plain && control && !shift) {
        for (const auto& key : kControlKeys) {
            if (message.wParam == key.letter) {
                RunCommand(key.command);
                return true;
            }
        }
        return false;
    }
    switch (message.wParam) {
        case VK_F3:
            if (!plain || control)
                return false;
            FindAgain(!shift);
            return true;
        case VK_F10:  // Shift+F10 comes as a system key
        case VK_APPS:
            if (message.wParam == VK_F10 && !(shift && !control && !alt))
                return false;
            if (!repeated) {
                m_keyUpToSwallow = message.wParam;
                OpenMenu(m_preview.GetMenuPoint());
            }
            return true;
        default:
            return false;
    }
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
    return TRUE;  // the focus goes to the first tab stop, the dump
}

void CViewDlg::ScrollPreview(int request) {
    if (m_preview.m_hWnd != nullptr)
        ::SendMessageW(m_preview.m_hWnd, WM_VSCROLL, static_cast<WPARAM>(request), 0);
}

}  // namespace qs
