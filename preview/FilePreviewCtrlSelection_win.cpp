// The preview's selection, which the mouse, Select All, a right click, Find and Go To make; the
// drag that scrolls past the edges, and the hidden caret that magnifiers follow. A drag holds the
// mouse capture until the button goes up or the capture is taken away.
#include <windows.h>

#include <algorithm>

#include "preview/FilePreviewCtrl.h"

namespace qs {
namespace {

constexpr UINT kDragScrollMs = 50;  // a line per tick while the pointer is past an edge

POINT ClientPoint(LPARAM point) {
    // Signed: a drag reports points above and left of the client area as negative.
    return {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
}

bool IsInside(const ByteRange& range, std::uint64_t offset) {
    return offset >= range.start && offset - range.start < range.count;
}

}  // namespace

std::uint64_t CFilePreviewCtrl::GetTopOffset() const {
    return static_cast<std::uint64_t>(std::max(m_layout.m_topLine, 0)) *
           static_cast<std::uint64_t>(m_bytesPerLine);
}

// Screen readers hear of it as a document's text selection, which is also its description.
void CFilePreviewCtrl::SetHighlight(const ByteRange& range) {
    m_selection = range;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    ::NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    UpdateCaret();
}

void CFilePreviewCtrl::SetSelection(const ByteRange& range, PreviewPane pane, Reveal reveal) {
    m_anchor = range.start;
    m_pane = pane;
    SetHighlight(range);
    const auto line =
        static_cast<std::int32_t>(range.start / static_cast<std::uint64_t>(m_bytesPerLine));
    const bool shown =
        line >= m_layout.m_topLine && line < m_layout.m_topLine + std::max(m_layout.m_pageRows, 1);
    if (reveal == Reveal::AtTop || !shown)
        ScrollToLine(line);
}

// Clamped exactly as the scroll bar's thumb is.
void CFilePreviewCtrl::ScrollToLine(std::int32_t line) {
    if (ScrollVertically(m_layout, kScrollThumbPosition, line))
        OnScrolled(SB_VERT, m_layout.m_topLine);
}

void CFilePreviewCtrl::SelectAll() {
    m_anchor = 0;
    SetHighlight({0, m_file.GetSize()});
}

void CFilePreviewCtrl::SelectForMenu(POINT screen) {
    ::ScreenToClient(m_hWnd, &screen);
    const ByteHit hit = HitTestByte(m_layout, m_bytesPerLine, m_file.GetSize(), screen.x, screen.y);
    if (!hit.hit)
        return;
    m_pane = hit.pane;
    if (!IsInside(m_selection, hit.offset)) {
        m_anchor = hit.offset;
        SetHighlight({hit.offset, 1});
    }
}

// The top-left corner of a byte's cell in the pane, in client coordinates.
POINT CFilePreviewCtrl::CellOf(std::uint64_t offset, PreviewPane pane) const {
    const auto perLine = static_cast<std::uint64_t>(m_bytesPerLine);
    const PreviewPoint line = LineOrigin(m_layout, offset / perLine);
    const int k = static_cast<int>(offset % perLine);
    const int column = pane == PreviewPane::Hex ? 10 + 3 * k : 11 + 3 * m_bytesPerLine + k;
    return {line.x + column * m_layout.m_charWidth, line.y};
}

POINT CFilePreviewCtrl::GetMenuPoint() const {
    POINT point = {0, 0};
    if (m_selection.count != 0) {
        const auto line = static_cast<std::int64_t>(m_selection.start /
                                                    static_cast<std::uint64_t>(m_bytesPerLine));
        if (line >= m_layout.m_topLine && line < m_layout.m_topLine + m_layout.m_pageRows) {
            point = CellOf(m_selection.start, m_pane);
            point.y += m_layout.m_charHeight;
        }
    }
    ::ClientToScreen(m_hWnd, &point);
    return point;
}

void CFilePreviewCtrl::SetCaretActive(bool active) {
    m_caretActive = active;
    UpdateCaret();
}

void CFilePreviewCtrl::UpdateCaret() {
    if (!m_caretActive || m_selection.count == 0 || m_hWnd == nullptr) {
        if (m_caretMade)
            ::DestroyCaret();
        m_caretMade = false;
        return;
    }
    // Never shown: only its place matters, to whoever follows it.
    if (!m_caretMade)
        m_caretMade =
            ::CreateCaret(m_hWnd, nullptr, m_layout.m_charWidth, m_layout.m_charHeight) != FALSE;
    const POINT at = CellOf(m_selection.start, m_pane);
    ::SetCaretPos(at.x, at.y);
}

void CFilePreviewCtrl::OnLeftButtonDown(WPARAM keys, LPARAM point) {
    // A tab stop: a click anywhere on it gives it the focus, as Tab does.
    ::SetFocus(m_hWnd);
    const POINT at = ClientPoint(point);
    const ByteHit hit = HitTestByte(m_layout, m_bytesPerLine, m_file.GetSize(), at.x, at.y);
    if (!hit.hit)
        return;
    // Shift extends from the anchor of the selection there is; otherwise the press starts anew.
    if ((keys & MK_SHIFT) == 0 || m_selection.count == 0)
        m_anchor = hit.offset;
    m_pane = hit.pane;
    SetHighlight(SpanBetween(m_anchor, hit.offset));
    ::SetCapture(m_hWnd);
    m_dragging = ::GetCapture() == m_hWnd;
    m_dragPoint = at;
}

void CFilePreviewCtrl::OnMouseMove(LPARAM point) {
    if (!m_dragging)
        return;
    m_dragPoint = ClientPoint(point);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_dragPoint.y < 0 || m_dragPoint.y >= client.bottom)
        ::SetTimer(m_hWnd, kDragTimer, kDragScrollMs, nullptr);
    else
        ::KillTimer(m_hWnd, kDragTimer);
    ExtendDragTo(m_dragPoint);
}

void CFilePreviewCtrl::OnDragTimer() {
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (!m_dragging || (m_dragPoint.y >= 0 && m_dragPoint.y < client.bottom)) {
        ::KillTimer(m_hWnd, kDragTimer);
        return;
    }
    if (ScrollVertically(m_layout, m_dragPoint.y < 0 ? kScrollLineUp : kScrollLineDown, 0))
        OnScrolled(SB_VERT, m_layout.m_topLine);
    ExtendDragTo(m_dragPoint);
}

// Past the top or bottom edge the drag reaches the first or last row in view, which the timer
// scrolls.
void CFilePreviewCtrl::ExtendDragTo(POINT client) {
    RECT area = {};
    ::GetClientRect(m_hWnd, &area);
    const int y = std::clamp<int>(client.y, 0, std::max<int>(area.bottom - 1, 0));
    const std::uint64_t target =
        DragHit(m_layout, m_bytesPerLine, m_file.GetSize(), m_pane, client.x, y);
    const ByteRange range = SpanBetween(m_anchor, target);
    if (range.start != m_selection.start || range.count != m_selection.count)
        SetHighlight(range);
}

void CFilePreviewCtrl::EndDrag() {
    if (!m_dragging)
        return;
    m_dragging = false;  // first: ReleaseCapture sends WM_CAPTURECHANGED, which comes back here
    ::KillTimer(m_hWnd, kDragTimer);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

}  // namespace qs
