// The viewer's commands beyond scrolling: Find and Find Again, Go To, the copies and the dump's
// menu. They come from the viewer's keys and from the menu alike.
#include <windows.h>

#include <functional>

#include "platform/system/Clipboard.h"
#include "platform/system/WideText.h"
#include "platform/window/MenuPlacement_win.h"
#include "platform/window/UiGuards.h"
#include "preview/ByteSelection.h"
#include "preview/ViewDlg.h"
#include "res/resource.h"

namespace qs {
namespace {

const wchar_t kCaption[] = L"Quarrystone";
constexpr ULONGLONG kProgressAfterMs = 500;
// Asking the queue is a trip to the window system (under Wine to its server): a few times a
// second is enough to repaint and to hear Esc, and costs nothing beside the search.
constexpr ULONGLONG kPumpEveryMs = 50;

// Runs between the windows of a long search, on the one thread: the viewer repaints, Esc cancels,
// and from half a second on the caption tells how far the search has got. The caption comes back
// on every way out.
class CSearchPump {
public:
    explicit CSearchPump(HWND dialog)
        : m_dialog(dialog), m_start(::GetTickCount64()), m_pumped(m_start) {}
    ~CSearchPump() {
        if (m_percent >= 0)
            ::SetWindowTextW(m_dialog, m_caption.c_str());
        // Keys typed since the last look go with the search: an Esc pressed in its last moments
        // would otherwise reach the key filter afterwards and hide the viewer.
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
    }
    CSearchPump(const CSearchPump&) = delete;
    CSearchPump& operator=(const CSearchPump&) = delete;

    bool operator()(std::uint64_t done, std::uint64_t total) {
        const ULONGLONG now = ::GetTickCount64();
        if (now - m_pumped < kPumpEveryMs)
            return true;
        m_pumped = now;
        // Keys typed meanwhile are dropped: an Esc among them cancels the search, and must not
        // reach the key filter afterwards, which would hide the viewer.
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
            m_cancelled |= message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE;
        // A window whose paint never validates it would keep us here: a few rounds are enough.
        for (int i = 0; i < 16 && ::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
             ++i)
            ::DispatchMessageW(&message);
        if (!m_cancelled && now - m_start >= kProgressAfterMs)
            ShowPercent(total != 0 ? static_cast<int>(done * 100 / total) : 0);
        return !m_cancelled;
    }

private:
    void ShowPercent(int percent) {
        if (percent == m_percent)
            return;
        if (m_percent < 0) {
            m_caption.resize(static_cast<std::size_t>(::GetWindowTextLengthW(m_dialog)) + 1);
            m_caption.resize(static_cast<std::size_t>(
                ::GetWindowTextW(m_dialog, &m_caption[0], static_cast<int>(m_caption.size()))));
        }
        m_percent = percent;
        const std::wstring text = L"Searching\u2026 " + std::to_wstring(percent) + L" %";
        ::SetWindowTextW(m_dialog, text.c_str());
        ::UpdateWindow(m_dialog);
    }

    HWND m_dialog;
    ULONGLONG m_start;
    ULONGLONG m_pumped;  // when the queue was last looked at
    std::wstring m_caption;
    int m_percent = -1;  // -1 until the caption shows progress
    bool m_cancelled = false;
};

}  // namespace

void CViewDlg::RunCommand(UINT command) {
    switch (command) {
        case ID_PREVIEW_COPY:
            Copy(m_preview.GetActivePane());
            break;
        case ID_PREVIEW_COPY_HEX:
            Copy(PreviewPane::Hex);
            break;
        case ID_PREVIEW_COPY_TEXT:
            Copy(PreviewPane::Text);
            break;
        case ID_PREVIEW_COPY_OFFSET:
            CopyOffset();
            break;
        case ID_PREVIEW_SELECT_ALL:
            m_preview.SelectAll();
            break;
        case ID_PREVIEW_GOTO:
            OpenGoTo();
            break;
        case ID_PREVIEW_FIND:
            OpenFind();
            break;
        default:
            break;
    }
}

// Where a search starts is the selection's first byte, as in other hex viewers: a new search
// includes it, F3 starts one byte after it, Shift+F3 before it. Without a selection, the top line.
std::uint64_t CViewDlg::GetSearchStart(std::uint64_t afterSelection) const {
    const ByteRange selection = m_preview.GetSelection();
    return selection.count != 0 ? selection.start + afterSelection : m_preview.GetTopOffset();
}

void CViewDlg::OpenFind() {
    // Up to a pattern's worth of selected bytes is offered; otherwise the last search, also
    // when what is selected is that search's match.
    FindRequest request = m_find;
    const ByteRange selection = m_preview.GetSelection();
    const bool isLastMatch = m_lastMatch.count != 0 && selection.start == m_lastMatch.start &&
                             selection.count == m_lastMatch.count;
    if (selection.count != 0 && selection.count <= kMaxPatternBytes && !isLastMatch) {
        const auto count = static_cast<std::uint32_t>(selection.count);
        const FindText offer = SuggestFindText(
            m_preview.GetFile().GetBytes(static_cast<std::uint32_t>(selection.start), count), count,
            m_preview.GetActivePane() == PreviewPane::Hex);
        if (!offer.text.empty()) {
            request.text = offer.text;
            request.kind = offer.kind;
        }
    }
    CFindDlg dialog(request);
    if (dialog.DoModal(m_hWnd) != IDOK)
        return;
    m_find = std::move(request);
    m_hasFind = true;
    Search(true, GetSearchStart(0));
}

void CViewDlg::FindAgain(bool forward) {
    if (!m_hasFind) {
        OpenFind();
        return;
    }
    Search(forward, GetSearchStart(forward ? 1 : 0));
}

void CViewDlg::Search(bool forward, std::uint64_t from) {
    CMappedFileSource source(m_preview.GetFile());
    SearchResult result;
    {
        const CWaitCursor wait;
        CSearchPump pump(m_hWnd);
        const SearchProgress progress = std::ref(pump);
        result = forward ? FindForward(source, m_find.pattern, from, progress)
                         : FindBackward(source, m_find.pattern, from, progress);
    }
    switch (result.outcome) {
        case SearchOutcome::Found:
            // The match is the selection, in the column that shows what was typed.
            m_lastMatch = {result.offset, m_find.pattern.bytes.size()};
            m_preview.SetSelection(
                m_lastMatch,
                m_find.kind == SearchKind::HexBytes ? PreviewPane::Hex : PreviewPane::Text,
                CFilePreviewCtrl::Reveal::IfHidden);
            break;
        case SearchOutcome::NotFound:
            Tell(u"Cannot find \"" + m_find.text + u"\"", MB_ICONINFORMATION);
            break;
        case SearchOutcome::ReadFailed:
            Tell(u"The file could not be read to search it", MB_ICONWARNING);
            break;
        case SearchOutcome::Cancelled:
            break;
    }
}

void CViewDlg::OpenGoTo() {
    CGoToDlg dialog(GetSearchStart(0), m_preview.GetFileSize());
    if (dialog.DoModal(m_hWnd) == IDOK)
        m_preview.SetSelection({dialog.GetOffset(), 1}, m_preview.GetActivePane(),
                               CFilePreviewCtrl::Reveal::AtTop);
}

void CViewDlg::Copy(PreviewPane pane) {
    const ByteRange selection = m_preview.GetSelection();
    if (selection.count == 0)
        return;
    if (selection.count > kMaxCopyBytes) {
        Tell(u"The selection is too large to copy (at most 16 MiB)", MB_ICONWARNING);
        return;
    }
    std::u16string text;
    CMappedFileSource source(m_preview.GetFile());
    bool read = false;
    {
        const CWaitCursor wait;
        read = pane == PreviewPane::Hex ? FormatHexCopy(source, selection, text)
                                        : FormatTextCopy(source, selection, text);
    }
    if (!read) {
        Tell(u"The selected bytes could not be read, so nothing was copied", MB_ICONWARNING);
        return;
    }
    // As Copy Path: a clipboard that can't be opened, or a block that can't be had, says nothing.
    SetClipboardText(m_hWnd, text);
}

void CViewDlg::CopyOffset() {
    const ByteRange selection = m_preview.GetSelection();
    if (selection.count != 0)
        SetClipboardText(m_hWnd, FormatOffset(selection.start));
}

void CViewDlg::OpenMenu(POINT screen) {
    CLoadedMenu menu;
    const HMENU popup = menu.Load(IDR_PREVIEW_MENU);
    if (popup == nullptr)
        return;
    const UINT copyState = m_preview.GetSelection().count != 0 ? MF_ENABLED : MF_GRAYED;
    for (UINT id :
         {ID_PREVIEW_COPY, ID_PREVIEW_COPY_HEX, ID_PREVIEW_COPY_TEXT, ID_PREVIEW_COPY_OFFSET})
        ::EnableMenuItem(popup, id, MF_BYCOMMAND | copyState);
    const auto command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, ClampMenuX(screen), screen.y, 0, m_hWnd, nullptr));
    RunCommand(command);
}

void CViewDlg::Tell(const std::u16string& text, UINT icon) {
    ::MessageBoxW(m_hWnd, AsWide(text), kCaption, MB_OK | icon);
}

}  // namespace qs
