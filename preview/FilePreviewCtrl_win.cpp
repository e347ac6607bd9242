#include "preview/FilePreviewCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/system/ErrorText.h"
#include "platform/system/WideText.h"
#include "preview/LineFormat.h"

namespace qs {

static_assert(kScrollLineUp == SB_LINEUP && kScrollLineDown == SB_LINEDOWN &&
                  kScrollPageUp == SB_PAGEUP && kScrollPageDown == SB_PAGEDOWN &&
                  kScrollThumbPosition == SB_THUMBPOSITION && kScrollThumbTrack == SB_THUMBTRACK &&
                  kScrollTop == SB_TOP && kScrollBottom == SB_BOTTOM && kScrollEnd == SB_ENDSCROLL,
              "scroll requests carry the platform's SB_ codes");

namespace {

// A fixed-pitch face asked for by its cell: a positive height is matched against the cell height.
// The 7 x 14 cell of a 96 DPI screen grows with the screen (11 x 21 at 150 %).
HFONT CreatePreviewFont() {
    return ::CreateFontW(ScaleToScreen(14), ScaleToScreen(7), 0, 0, FW_DONTCARE, FALSE, FALSE,
                         FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         ANTIALIASED_QUALITY, FIXED_PITCH | FF_DONTCARE, L"Courier");
}

void ApplyScrollBar(HWND window, int bar, const ScrollBarSetting& setting) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = setting.min;
    info.nMax = setting.max;
    info.nPage = setting.page;
    info.nPos = setting.pos;
    ::SetScrollInfo(window, bar, &info, TRUE);
}

void MoveScrollBar(HWND window, int bar, int position) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(window, bar, &info, TRUE);
}

RECT GetClient(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    return client;
}

// One advance per character, all of one cell, for ExtTextOutW; kept between lines.
const INT* CellAdvances(int charWidth, std::size_t count) {
    thread_local std::vector<INT> advances;
    if (advances.size() < count || (!advances.empty() && advances.front() != charWidth))
        advances.assign(std::max(count, advances.size()), charWidth);
    return advances.data();
}

}  // namespace

CFilePreviewCtrl::CFilePreviewCtrl() : m_font(CreatePreviewFont()) {}

CFilePreviewCtrl::~CFilePreviewCtrl() = default;

bool CFilePreviewCtrl::SetBytesPerLine(int count) {
    if (count < 1 || count > kMaxBytesPerLine) {
        return false;
    }
    m_bytesPerLine = count;
    return true;
}

void CFilePreviewCtrl::SetEmptyText(const std::u16string& text) {
    m_emptyText = text;
}

bool CFilePreviewCtrl::SetFile(const wchar_t* path) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // Another file, or none: what was selected belonged to the one before.
    EndDrag();
    if (m_selection.count != 0)
        SetHighlight({});
    m_shownPath = FromWide(path);
    m_failedText.clear();
    bool opened = true;
    if (path == nullptr) {
        m_file.Close();
    } else if (!m_file.Open(FromWide(path))) {
        // Nothing of the file before may stay: the view is cleared as for an empty file, with the
        // reason in place of the empty text (a file that Windows holds, as it holds Boot\BCD).
        m_failedText = u"Can't open this file: " + DescribeSystemError(m_file.GetOpenError());
        opened = false;
    }
    MeasureCell();
    const std::uint64_t size = m_file.GetSize();
    ResetForFile(m_layout, m_layout.m_charWidth, m_layout.m_charHeight,
                 GetLineCount(size, m_bytesPerLine), size != 0 ? GetLineChars(m_bytesPerLine) : 0);
    UpdateScrollBars();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    return opened;
}

// The cell is the face's: on a real machine "Courier" can be the raster face, whose advance is
// not the width asked for, and the columns must match the clicks and the highlighted runs. The
// rows keep the height asked for.
void CFilePreviewCtrl::MeasureCell() {
    LOGFONTW font = {};
    if (::GetObjectW(m_font.Get(), sizeof(font), &font) == sizeof(font)) {
        m_layout.m_charWidth = font.lfWidth;
        m_layout.m_charHeight = font.lfHeight;
    }
    CMemoryDC dc(nullptr);
    if (dc.Get() == nullptr)
        return;
    CSelectObject selected(dc.Get(), m_font.Get());
    SIZE digit = {};
    if (::GetTextExtentPoint32W(dc.Get(), L"0", 1, &digit) && digit.cx > 0)
        m_layout.m_charWidth = digit.cx;
}

void CFilePreviewCtrl::UpdateScrollBars() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    ApplyScrollBar(m_hWnd, SB_VERT, UpdateVerticalScroll(m_layout, GetClient(m_hWnd).bottom));
    // Showing or hiding the vertical bar has just changed the client width (and run this again
    // from WM_SIZE, inside SetScrollInfo), so the horizontal half reads the client anew: with the
    // width from before, its page would be wider than what is visible.
    ApplyScrollBar(m_hWnd, SB_HORZ, UpdateHorizontalScroll(m_layout, GetClient(m_hWnd).right));
}

BOOL CFilePreviewCtrl::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            LRESULT& lResult) {
    switch (uMsg) {
        // The static control's own procedure answers HTTRANSPARENT without SS_NOTIFY and knows
        // nothing of scroll bars; the default procedure gives hit-testing and clickable bars.
        case WM_NCHITTEST:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCXBUTTONDOWN:
            lResult = ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
            return TRUE;
        case WM_DESTROY: {
            std::lock_guard<std::recursive_mutex> guard(m_lock);
            EndDrag();
            SetCaretActive(false);
            m_file.Close();
            m_accessible.Reset();  // clients that still hold the object find it disconnected
            return FALSE;          // the static control cleans up after itself too
        }
        case WM_GETDLGCODE:
            // The arrows scroll the dump rather than move the focus; Enter and Esc stay the
            // dialog's.
            lResult = DLGC_WANTARROWS;
            return TRUE;
        case WM_ERASEBKGND:
            lResult = 0;  // the paint covers every pixel; erasing first would only flicker
            return TRUE;
        case WM_PAINT:
            OnPaint();
            lResult = 0;
            return TRUE;
        case WM_SIZE:
            UpdateScrollBars();
            ::InvalidateRect(hWnd, nullptr, FALSE);
            ::UpdateWindow(hWnd);
            ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hWnd, OBJID_CLIENT, CHILDID_SELF);
            UpdateCaret();
            lResult = 0;
            return TRUE;
        case WM_HSCROLL:
            OnHScroll(wParam);
            lResult = 0;
            return TRUE;
        case WM_VSCROLL:
            OnVScroll(wParam);
            lResult = 0;
            return TRUE;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // the static's class counts a quick second press as a double
            OnLeftButtonDown(wParam, lParam);
            lResult = 0;
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            lResult = 0;
            return TRUE;
        case WM_LBUTTONUP:
            EndDrag();
            lResult = 0;
            return TRUE;
        case WM_CAPTURECHANGED:  // also when another window takes the mouse mid-drag
            EndDrag();
            lResult = 0;
            return TRUE;
        case WM_TIMER:
            if (wParam != kDragTimer)
                return FALSE;
            OnDragTimer();
            lResult = 0;
            return TRUE;
        case WM_GETOBJECT:
            lResult = OnGetObject(wParam, lParam);
            return lResult != 0;  // else the system's standard object
        case WM_RBUTTONUP: {
            NMHDR header = {};
            header.hwndFrom = hWnd;
            header.idFrom = static_cast<UINT_PTR>(::GetWindowLongW(hWnd, GWL_ID));
            header.code = static_cast<UINT>(NM_RCLICK);
            ::SendMessageW(::GetParent(hWnd), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
            lResult = 0;
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The position in a thumb message is only 16 bits; the bar's tracking position has all 32.
int CFilePreviewCtrl::GetTrackPosition(int bar, WPARAM wParam) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    if (!::GetScrollInfo(m_hWnd, bar, &info)) {
        return HIWORD(wParam);
    }
    return info.nTrackPos;
}

void CFilePreviewCtrl::OnVScroll(WPARAM wParam) {
    const int request = LOWORD(wParam);
    const int track = IsThumbRequest(request) ? GetTrackPosition(SB_VERT, wParam) : 0;
    if (ScrollVertically(m_layout, request, track))
        OnScrolled(SB_VERT, m_layout.m_topLine);
}

void CFilePreviewCtrl::OnHScroll(WPARAM wParam) {
    const int request = LOWORD(wParam);
    const int track = IsThumbRequest(request) ? GetTrackPosition(SB_HORZ, wParam) : 0;
    if (ScrollHorizontally(m_layout, request, track))
        OnScrolled(SB_HORZ, m_layout.m_leftColumn);
}

// Only when the position really changed: the bar moves, the view repaints, and screen readers
// and magnifiers hear of the new lines.
void CFilePreviewCtrl::OnScrolled(int bar, std::int32_t position) {
    MoveScrollBar(m_hWnd, bar, position);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    UpdateCaret();
}

// Drawn into a bitmap of the repaint rectangle only, then copied in one BitBlt, so scrolling and
// resizing do not flicker.
void CFilePreviewCtrl::OnPaint() {
    CPaintDC paint(m_hWnd);
    const RECT area = paint.GetPaintRect();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (paint.Get() == nullptr || width <= 0 || height <= 0) {
        return;
    }
    CMemoryDC memory(paint.Get());
    CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(paint.Get(), width, height));
    if (memory.Get() == nullptr || bitmap.Get() == nullptr) {
        // BeginPaint has validated the area and erasing is off: leave no stale pixels behind.
        ::FillRect(paint.Get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return;
    }
    CSelectObject selection(memory.Get(), bitmap.Get());
    // Client coordinates then land in the bitmap.
    ::SetViewportOrgEx(memory.Get(), -area.left, -area.top, nullptr);

    const RECT client = GetClient(m_hWnd);
    if (m_file.GetSize() != 0) {
        DrawLines(memory.Get(), client);
    } else {
        DrawEmptyText(memory.Get(), client);
    }
    ::BitBlt(paint.Get(), area.left, area.top, width, height, memory.Get(), area.left, area.top,
             SRCCOPY);
}

void CFilePreviewCtrl::DrawLines(HDC dc, const RECT& client) {
    CSelectObject font(dc, m_font.Get());
    ::IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const LineSpan span = LinesToDraw(m_layout, client.bottom);
    for (std::uint64_t line = span.first; line < span.end; ++line) {
        DrawLine(dc, line);
    }
}

void CFilePreviewCtrl::DrawLine(HDC dc, std::uint64_t line) {
    const LineBytes range = LineBytesAt(line, m_bytesPerLine, m_file.GetSize());
    if (!range.drawn) {
        return;
    }
    const std::uint8_t* bytes =
        range.count > 0 ? m_file.GetBytes(range.offset, static_cast<std::uint32_t>(range.count))
                        : nullptr;
    // Bytes that could not be mapped are never read: the line shows its offset and blanks.
    const std::u16string text =
        FormatLine(bytes, bytes != nullptr ? range.count : 0, range.offset, m_bytesPerLine);
    ++m_formattedLines;
    const PreviewPoint at = LineOrigin(m_layout, line);
    const LineHighlight marked =
        bytes != nullptr ? HighlightOnLine(range.offset, range.count, m_bytesPerLine, m_selection)
                         : LineHighlight{};
    if (marked.any)
        DrawHighlightedLine(dc, at, m_layout.m_charWidth, text, marked);
    else
        DrawPlainLine(dc, at, m_layout.m_charWidth, text);
}

void DrawPlainLine(HDC dc, PreviewPoint at, int charWidth, const std::u16string& text) {
    ::ExtTextOutW(dc, at.x, at.y, 0, nullptr, AsWide(text), static_cast<UINT>(text.size()),
                  CellAdvances(charWidth, text.size()));
}

// The line in five runs: plain, the highlighted hex digits, plain, the highlighted characters,
// plain. Each run is drawn at its own columns, so the cells line up with an unmarked line's.
void DrawHighlightedLine(HDC dc, PreviewPoint at, int charWidth, const std::u16string& text,
                         const LineHighlight& marked) {
    const int ends[] = {marked.hexFirst, marked.hexEnd, marked.textFirst, marked.textEnd,
                        static_cast<int>(text.size())};
    const COLORREF ink = ::GetTextColor(dc);
    const COLORREF paper = ::GetBkColor(dc);
    int first = 0;
    for (int run = 0; run < 5; ++run) {
        const bool highlighted = run % 2 == 1;
        ::SetTextColor(dc, highlighted ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ink);
        ::SetBkColor(dc, highlighted ? ::GetSysColor(COLOR_HIGHLIGHT) : paper);
        if (ends[run] > first)
            ::ExtTextOutW(dc, at.x + first * charWidth, at.y, 0, nullptr, AsWide(text) + first,
                          static_cast<UINT>(ends[run] - first),
                          CellAdvances(charWidth, static_cast<std::size_t>(ends[run] - first)));
        first = std::max(first, ends[run]);
    }
    ::SetTextColor(dc, ink);
    ::SetBkColor(dc, paper);
}

const std::u16string& CFilePreviewCtrl::GetShownText() const {
    return m_failedText.empty() ? m_emptyText : m_failedText;
}

void CFilePreviewCtrl::DrawEmptyText(HDC dc, const RECT& client) {
    CSelectObject font(dc, m_font.Get());
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (GetShownText().empty()) {
        return;
    }
    // DrawTextExW takes a writable buffer even when it does not modify the text.
    std::u16string text = GetShownText();
    // A reason in the system's words can be wider than the view: it wraps at the client's width.
    RECT measured = {0, 0, client.right, 0};
    ::DrawTextExW(dc, AsWide(&text[0]), static_cast<int>(text.size()), &measured,
                  DT_CALCRECT | DT_WORDBREAK | DT_CENTER, nullptr);
    const PreviewRect placed = PlaceEmptyText(
        client.right, {measured.left, measured.top, measured.right, measured.bottom});
    RECT target = {placed.left, placed.top, placed.right, placed.bottom};
    ::DrawTextExW(dc, AsWide(&text[0]), static_cast<int>(text.size()), &target,
                  DT_WORDBREAK | DT_CENTER, nullptr);
}

}  // namespace qs
