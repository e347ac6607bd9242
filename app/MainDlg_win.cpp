#include "app/MainDlg.h"

#include <algorithm>
#include <string>

#include "app/AboutDlg.h"
#include "commands/FolderCommands.h"
#include "platform/system/WideText.h"
#include "platform/window/AppModule.h"
#include "platform/window/CentreWindow.h"
#include "platform/window/MessageRules.h"
#include "res/resource.h"
#include "tree/SizeLines.h"

namespace qs {
namespace {

const wchar_t kAboutItem[] = L"About Quarrystone...";

HICON LoadProgramIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(
        g_module.GetResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
        ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

template <class T>
const T* Struct(LPARAM lParam) {
    return reinterpret_cast<const T*>(lParam);
}

}  // namespace

CMainDlg::CMainDlg(std::unique_ptr<VolumeQueries> volumes)
    : CDialogImpl(IDD_MAINDLG), m_tree(std::move(volumes)) {}

CMainDlg::~CMainDlg() {
    // Normally the window is long gone. If not, it goes now, while the object can still take
    // its last messages, and the icons go with it.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

BOOL CMainDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& lResult) {
    switch (uMsg) {
        case WM_INITDIALOG:
            lResult = OnInitDialog();
            return TRUE;
        case WM_SYSCOMMAND:
            OnSysCommand(wParam);
            return FALSE;  // the platform's own handling of the command always follows
        case WM_VIEW_FILE:
            lResult = OnViewFile(lParam);
            return TRUE;
        case WM_SIZE_LINES_CHANGED:
            UpdateSizeLines();
            lResult = 0;
            return TRUE;
        case WM_DRAWITEM:
            if (lParam != 0 && (wParam == IDC_VOLUME_LINE || wParam == IDC_SELECTION_LINE)) {
                DrawSizeLine(*Struct<DRAWITEMSTRUCT>(lParam));
                lResult = TRUE;
                return TRUE;
            }
            break;
        case WM_COMMAND:
            // By command id alone, whatever sent it: these are never reflected.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                CloseDialog(LOWORD(wParam));
                lResult = 0;
                return TRUE;
            }
            break;
        default:
            break;
    }
    return ReflectNotifications(uMsg, wParam, lParam, lResult);
}

bool CMainDlg::PreTranslateMessage(MSG* message) {
    // From the destruction of its window on, the dialog consumes nothing.
    if (m_hWnd == nullptr)
        return false;
    // F5 reads the volume again, from whichever of the dialog's windows has the focus.
    if (message->message == WM_KEYDOWN && message->wParam == VK_F5 &&
        (message->hwnd == m_hWnd || ::IsChild(m_hWnd, message->hwnd))) {
        m_tree.Reread();
        return true;
    }
    return ::IsDialogMessageW(m_hWnd, message);
}

bool CMainDlg::OnIdle() {
    // A close asked for during a folder's copy, once the copy has stopped.
    if (m_closeAfterCopy != 0 && !StopFolderCopyForClose())
        CloseDialog(m_closeAfterCopy);
    return false;
}

void CMainDlg::OnFinalMessage(HWND) {
    if (m_bigIcon != nullptr)
        ::DestroyIcon(m_bigIcon);
    if (m_smallIcon != nullptr)
        ::DestroyIcon(m_smallIcon);
    m_bigIcon = nullptr;
    m_smallIcon = nullptr;
}

LRESULT CMainDlg::OnInitDialog() {
    CentreWindow(m_hWnd);

    m_bigIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
    m_smallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));

    // Attaching posts the tree's start message: the volume is looked for once the loop runs,
    // after the dialog is on screen.
    m_tree.SubclassWindow(GetDlgItem(IDC_FILE_TREE));

    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    UIAddChildWindowContainer(m_hWnd);

    if (const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuW(menu, MF_SEPARATOR, MF_SEPARATOR, nullptr);
        ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, kAboutItem);
    }
    return TRUE;  // the platform gives the focus to the first tab stop, "Close"
}

void CMainDlg::OnSysCommand(WPARAM wParam) {
    // The low four bits belong to the system.
    if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        // Modal, over whatever window is active; a fresh box every time.
        CAboutDlg about;
        about.DoModal(::GetActiveWindow());
    }
}

LRESULT CMainDlg::OnViewFile(LPARAM lParam) {
    // The path is the sender's, valid during the call only: the view dialog keeps a copy.
    const auto* path = reinterpret_cast<const wchar_t*>(lParam);
    if (path == nullptr)
        return 1;
    if (m_viewDlg != nullptr && m_viewDlg->m_hWnd != nullptr) {
        m_viewDlg->LoadFile(FromWide(path));
    } else {
        // A window that cannot be made is not reported, and the next request makes a fresh
        // object, or no file could be viewed for the rest of the run. An object without a window
        // never joined the loop's filters, so it can go.
        m_viewDlg = std::make_unique<CViewDlg>(FromWide(path));
        m_viewDlg->Create(m_hWnd);
    }
    // Shown and activated; a hidden dialog comes back where it was, at the size it had.
    m_viewDlg->ShowWindow(SW_SHOW);
    return 1;  // the sender ignores it
}

void CMainDlg::UpdateSizeLines() {
    const struct {
        int id;
        std::u16string text;
    } lines[] = {{IDC_VOLUME_LINE, m_tree.GetVolumeLine()},
                 {IDC_SELECTION_LINE, m_tree.GetSelectionLine()}};
    for (const auto& line : lines) {
        const HWND control = GetDlgItem(line.id);
        if (control == nullptr)
            continue;
        const int length = ::GetWindowTextLengthW(control);
        std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
        shown.resize(static_cast<size_t>(::GetWindowTextW(control, shown.data(), length + 1)));
        if (FromWide(shown.c_str(), shown.size()) != line.text)
            ::SetWindowTextW(control, AsWide(line.text));
    }
}

void CMainDlg::DrawSizeLine(const DRAWITEMSTRUCT& draw) const {
    const int length = ::GetWindowTextLengthW(draw.hwndItem);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(draw.hwndItem, text.data(), length + 1)));
    const HDC dc = draw.hDC;
    RECT box = draw.rcItem;
    ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_3DFACE));
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(draw.hwndItem, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    const int width = box.right - box.left;
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (extent.cx > width) {
        const wchar_t ellipsis[] = L"\u2026";
        SIZE dots = {};
        ::GetTextExtentPoint32W(dc, ellipsis, 1, &dots);
        int fit = 0;
        ::GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()),
                                std::max<int>(0, width - static_cast<int>(dots.cx)), &fit, nullptr,
                                &extent);
        const std::u16string whole = FromWide(text.c_str(), text.size());
        text.resize(FitWholeCharacters(whole, static_cast<size_t>(std::max(fit, 0))));
        text += ellipsis;
    }
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    if (oldFont != nullptr)
        ::SelectObject(dc, oldFont);
}

void CMainDlg::CloseDialog(int id) {
    // A folder's copy is running: it is stopped first, and the close happens once it has.
    if (StopFolderCopyForClose()) {
        m_closeAfterCopy = id;
        return;
    }
    m_closeAfterCopy = 0;
    DestroyWindow();
    ::PostQuitMessage(id);
}

BOOL CMainDlg::ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    HWND control = nullptr;
    switch (uMsg) {
        case WM_COMMAND:  // lParam 0: a menu or an accelerator
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_HSCROLL:  // lParam 0: the dialog's own scroll bar
        case WM_VSCROLL:
            control = reinterpret_cast<HWND>(lParam);
            break;
        case WM_NOTIFY:
            if (lParam != 0)
                control = Struct<NMHDR>(lParam)->hwndFrom;
            break;
        case WM_PARENTNOTIFY:
            if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) {
                control = reinterpret_cast<HWND>(lParam);
            } else {
                control = GetDlgItem(HIWORD(wParam));
            }
            break;
        // For the item messages wParam 0 means a menu item.
        case WM_DRAWITEM:
            if (wParam != 0 && lParam != 0)
                control = Struct<DRAWITEMSTRUCT>(lParam)->hwndItem;
            break;
        case WM_MEASUREITEM:
            if (wParam != 0 && lParam != 0) {
                control = GetDlgItem(static_cast<int>(Struct<MEASUREITEMSTRUCT>(lParam)->CtlID));
            }
            break;
        case WM_DELETEITEM:
            if (wParam != 0 && lParam != 0)
                control = Struct<DELETEITEMSTRUCT>(lParam)->hwndItem;
            break;
        case WM_COMPAREITEM:
            if (wParam != 0 && lParam != 0)
                control = Struct<COMPAREITEMSTRUCT>(lParam)->hwndItem;
            break;
        default:
            if (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC) {
                control = reinterpret_cast<HWND>(lParam);
            }
            break;
    }
    if (control == nullptr || !::IsWindow(control))
        return FALSE;
    lResult = ::SendMessageW(control, msg::kReflectBase + uMsg, wParam, lParam);
    return TRUE;
}

}  // namespace qs
