#include "platform/window/HyperLink.h"

#include <commctrl.h>

#include "platform/system/ShellOpen.h"
#include "platform/window/GdiHandles.h"
#include "platform/window/LinkColour.h"

namespace qs {
namespace {

const wchar_t kColourKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
constexpr UINT_PTR kToolId = 1;

// A registry key we opened; closed at the end.
class CRegKey {
public:
    CRegKey(HKEY parent, const wchar_t* path) {
        if (::RegOpenKeyExW(parent, path, 0, KEY_READ, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~CRegKey() {
        if (m_key != nullptr)
            ::RegCloseKey(m_key);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// Leaves `colour` alone unless the value is there and well formed. A value longer than the
// buffer fails with ERROR_MORE_DATA and counts as malformed.
void ReadColour(HKEY key, const wchar_t* name, COLORREF& colour) {
    uint8_t data[LINK_COLOUR_VALUE_BYTES] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(data);
    if (::RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS)
        return;
    if (const std::optional<LinkColour> c = ParseLinkColour(type, data, size))
        colour = RGB(c->red, c->green, c->blue);
}

bool IsMouseMessage(UINT uMsg) {
    return uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST;
}

}  // namespace

CHyperLink::~CHyperLink() {
    // The window normally went first (a dialog's controls die with it); if not, it drops our
    // procedure in the base destructor and never draws with this font again.
    if (m_linkFont != nullptr)
        ::DeleteObject(m_linkFont);
}

BOOL CHyperLink::SubclassWindow(HWND hWnd) {
    if (!CWindowImpl::SubclassWindow(hWnd))
        return FALSE;
    Init();
    return TRUE;
}

void CHyperLink::Init() {
    wchar_t className[8] = {};
    ::GetClassNameW(m_hWnd, className, 8);
    if (::lstrcmpiW(className, L"static") == 0) {
        // A static ignores the mouse (HTTRANSPARENT) unless it notifies.
        const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        if ((style & SS_NOTIFY) == 0)
            ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | SS_NOTIFY);
        // Icons, rectangles, frames, owner-drawn, bitmap and metafile statics draw themselves.
        const LONG_PTR kind = style & SS_TYPEMASK;
        m_paintLabel = !((kind >= SS_ICON && kind <= SS_WHITEFRAME) ||
                         (kind >= SS_OWNERDRAW && kind <= SS_ENHMETAFILE));
    }

    m_cursor = ::LoadCursorW(nullptr, IDC_HAND);

    if (m_paintLabel) {
        m_normalFont = reinterpret_cast<HFONT>(::SendMessageW(GetParent(), WM_GETFONT, 0, 0));
        if (m_normalFont == nullptr)
            m_normalFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        LOGFONTW font = {};
        if (m_linkFont == nullptr && ::GetObjectW(m_normalFont, sizeof(font), &font) != 0) {
            font.lfUnderline = TRUE;
            m_linkFont = ::CreateFontIndirectW(&font);
        }
    }

    // The tool tip is a popup; an owner that is a child control would be replaced by its
    // top-level window, so the control destroys the tool tip itself (WM_DESTROY).
    if (m_tip == nullptr) {
        m_tip = ::CreateWindowExW(
            WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE)), nullptr);
        m_toolAdded = false;
    }

    if (m_label.empty()) {
        const int length = ::GetWindowTextLengthW(m_hWnd);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, &text[0], length + 1)));
        m_label = text;
    }
    CalcLabelRect();
    if (!m_target.empty()) {
        UpdateTool();
    } else if (!m_label.empty()) {
        m_target = m_label;
    }

    if (m_paintLabel)
        ReadUserColours();
}

void CHyperLink::ReadUserColours() {
    // Only reading follows, so only read access is asked for: a key the user may not write to
    // still gives its colours.
    const CRegKey key(HKEY_CURRENT_USER, kColourKey);
    if (key.Get() == nullptr)
        return;
    ReadColour(key.Get(), L"Anchor Color", m_linkColour);
    ReadColour(key.Get(), L"Anchor Color Visited", m_visitedColour);
}

void CHyperLink::SetLabel(const wchar_t* label) {
    m_label = label != nullptr ? label : L"";
    if (m_hWnd == nullptr)
        return;
    CalcLabelRect();
    // A static may draw its new text at once, in its own way: ours comes over it.
    ::SetWindowTextW(m_hWnd, m_label.c_str());
    if (m_toolAdded)
        UpdateTool();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHyperLink::SetTarget(const wchar_t* target) {
    m_target = target != nullptr ? target : L"";
    if (m_hWnd == nullptr)
        return;
    CalcLabelRect();
    UpdateTool();
}

// One tool, id 1, over the label with the target as its text; made on first use, then moved
// and retitled.
void CHyperLink::UpdateTool() {
    if (m_tip == nullptr)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_hWnd;
    tool.uId = kToolId;
    tool.rect = m_labelRect;
    tool.lpszText = const_cast<wchar_t*>(m_target.c_str());
    ::SendMessageW(m_tip, TTM_ACTIVATE, TRUE, 0);
    if (!m_toolAdded) {
        m_toolAdded =
            ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
        return;
    }
    ::SendMessageW(m_tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

UINT CHyperLink::TextFormat() const {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    UINT format = DT_WORDBREAK;
    if ((style & SS_TYPEMASK) == SS_CENTER) {
        format |= DT_CENTER;
    } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
        format |= DT_RIGHT;
    } else {
        format |= DT_LEFT;
    }
    if ((style & SS_NOPREFIX) != 0)
        format |= DT_NOPREFIX;
    return format;
}

// The part of the client area that the label's text covers, placed by the control's alignment.
// Controls that do not paint a label react over their whole client area.
void CHyperLink::CalcLabelRect() {
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    m_labelRect = client;
    if (!m_paintLabel)
        return;

    RECT text = client;
    const HDC dc = ::GetDC(m_hWnd);
    if (dc == nullptr)
        return;
    {
        const CSelectObject font(dc, DrawingFont());
        // A word wider than the control widens the measured rectangle; the label stays inside.
        ::DrawTextW(dc, m_label.c_str(), -1, &text, TextFormat() | DT_CALCRECT);
    }
    ::ReleaseDC(m_hWnd, dc);

    const LONG clientWidth = client.right - client.left;
    const LONG width = text.right - text.left < clientWidth ? text.right - text.left : clientWidth;
    const LONG height =
        text.bottom - text.top < client.bottom ? text.bottom - text.top : client.bottom;
    const UINT format = TextFormat();
    LONG left = 0;
    if (format & DT_CENTER) {
        left = (clientWidth - width) / 2;
    } else if (format & DT_RIGHT) {
        left = clientWidth - width;
    }
    m_labelRect = {left, 0, left + width, height};
}

bool CHyperLink::IsInLabel(LPARAM clientPoint) const {
    const POINT point = {static_cast<short>(LOWORD(clientPoint)),
                         static_cast<short>(HIWORD(clientPoint))};
    return ::PtInRect(&m_labelRect, point) != FALSE;
}

bool CHyperLink::Navigate() {
    if (m_target.empty() || !ShellOpen(m_target.c_str()))
        return false;
    m_visited = true;
    if (m_hWnd != nullptr)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CHyperLink::OnPaint() {
    const CPaintDC paint(m_hWnd);
    const HDC dc = paint.Get();
    if (dc == nullptr)
        return;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    // The background the parent gives its statics (the dialog's face colour by default).
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetParent(), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(m_hWnd)));
    if (brush == nullptr)
        brush = ::GetSysColorBrush(COLOR_3DFACE);
    ::FillRect(dc, &client, brush);

    ::SetBkMode(dc, TRANSPARENT);
    COLORREF colour = m_visited ? m_visitedColour : m_linkColour;
    if (!::IsWindowEnabled(m_hWnd))
        colour = ::GetSysColor(COLOR_GRAYTEXT);
    ::SetTextColor(dc, colour);
    const CSelectObject font(dc, DrawingFont());
    RECT label = m_labelRect;
    ::DrawTextW(dc, m_label.c_str(), -1, &label, TextFormat());
    if (::GetFocus() == m_hWnd)
        ::DrawFocusRect(dc, &m_labelRect);
}

BOOL CHyperLink::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult) {
    if (m_tip != nullptr && IsMouseMessage(uMsg)) {
        // The tool tip learns of the mouse from us rather than by chaining its own procedure.
        MSG message = {m_hWnd, uMsg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
        const DWORD position = ::GetMessagePos();
        message.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        ::SendMessageW(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }

    switch (uMsg) {
        case WM_PAINT:
            if (!m_paintLabel)
                return FALSE;
            OnPaint();
            lResult = 0;
            return TRUE;
        case WM_ERASEBKGND:
            if (!m_paintLabel)
                return FALSE;
            lResult = 1;  // WM_PAINT fills the background
            return TRUE;
        case WM_SETCURSOR: {
            POINT point = {};
            if (LOWORD(lParam) != HTCLIENT || !::GetCursorPos(&point) ||
                !::ScreenToClient(m_hWnd, &point) || !::PtInRect(&m_labelRect, point)) {
                return FALSE;
            }
            ::SetCursor(m_cursor);
            lResult = TRUE;
            return TRUE;
        }
        case WM_LBUTTONDOWN:
            if (!IsInLabel(lParam))
                return FALSE;
            ::SetFocus(m_hWnd);
            ::SetCapture(m_hWnd);
            lResult = 0;
            return TRUE;
        case WM_LBUTTONUP:
            if (::GetCapture() != m_hWnd)
                return FALSE;
            ::ReleaseCapture();
            if (IsInLabel(lParam))
                Navigate();
            lResult = 0;
            return TRUE;
        case WM_GETDLGCODE: {
            lResult = DLGC_WANTCHARS;
            // The dialog would turn Enter into its default button; let it reach us instead, as
            // the character that navigates.
            const MSG* message = reinterpret_cast<const MSG*>(lParam);
            if (message != nullptr && message->message == WM_KEYDOWN &&
                message->wParam == VK_RETURN) {
                lResult |= DLGC_WANTMESSAGE;
            }
            return TRUE;
        }
        case WM_CHAR:
            if (wParam != VK_RETURN && wParam != VK_SPACE)
                return FALSE;
            Navigate();
            lResult = 0;
            return TRUE;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
            lResult = 0;
            return TRUE;
        case WM_GETOBJECT:
            lResult = OnGetObject(wParam, lParam);
            return lResult != 0;  // else the system's standard object
        case WM_ENABLE:
            lResult = DefWindowProc(uMsg, wParam, lParam);
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
            return TRUE;
        case WM_SIZE:
            lResult = DefWindowProc(uMsg, wParam, lParam);
            CalcLabelRect();
            if (m_toolAdded)
                UpdateTool();
            return TRUE;
        case WM_DESTROY:
            if (m_tip != nullptr) {
                ::DestroyWindow(m_tip);
                m_tip = nullptr;
                m_toolAdded = false;
            }
            m_accessible.Reset();  // clients that still hold the object find it disconnected
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace qs
