// The preview control: a file shown as a scrolling, double-buffered hexadecimal dump. It attaches
// to an existing static control (the view dialog's) and paints only the visible lines, each
// formatted from a view of just its own bytes. Win32 only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/window/Accessible.h"
#include "platform/window/GdiHandles.h"
#include "platform/window/WindowImpl.h"
#include "preview/ByteSelection.h"
#include "preview/MappedFile.h"
#include "preview/PreviewLayout.h"

namespace qs {

// A line of the dump at `at`, each character on its own cell of `charWidth`, whatever the advance
// of the face the system chose; with its highlighted hex digits and characters. The benchmarks'
// floor draws the same way.
void DrawPlainLine(HDC dc, PreviewPoint at, int charWidth, const std::u16string& text);
void DrawHighlightedLine(HDC dc, PreviewPoint at, int charWidth, const std::u16string& text,
                         const LineHighlight& marked);

class CFilePreviewCtrl : public CWindowImpl {
public:
    CFilePreviewCtrl();
    ~CFilePreviewCtrl() override;

    // Bytes per line for the lines formatted from now on; the line count and width follow at the
    // next SetFile. Counts below 1 are refused (false): 0 would divide by zero.
    bool SetBytesPerLine(int count);

    // The text painted while an empty file, or none, is shown.
    void SetEmptyText(const std::u16string& text);

    // Shows the file at `path` from its start, or nothing for a null path. False when the file
    // cannot be opened: the previous file is closed all the same, the bars go, and the view says
    // why in the system's words.
    bool SetFile(const wchar_t* path);

    // The selection: bytes drawn in the system's highlight colours, which Copy gives as the active
    // pane shows them. The mouse, Select All, Find and Go To all make it; a new file clears it.
    // One set in code may bring its first line into view: as the top line when it is hidden, or
    // always. Shift+click extends it from its first byte.
    enum class Reveal { IfHidden, AtTop };
    void SetSelection(const ByteRange& range, PreviewPane pane, Reveal reveal);
    void SelectAll();
    // A right click at this screen point: a byte outside the selection becomes the selection.
    void SelectForMenu(POINT screen);
    ByteRange GetSelection() const { return m_selection; }
    // The column the selection was made in, which decides how Copy gives it.
    PreviewPane GetActivePane() const { return m_pane; }

    std::uint64_t GetFileSize() const { return m_file.GetSize(); }
    CMappedFile& GetFile() { return m_file; }
    // The first byte of the top line.
    std::uint64_t GetTopOffset() const;
    // Where a menu opened from the keyboard goes, on the screen: under the first highlighted
    // byte while it is in view, else the control's top-left corner.
    POINT GetMenuPoint() const;
    // While the viewer is active a hidden caret sits on the first highlighted byte, so that
    // magnifiers follow it.
    void SetCaretActive(bool active);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

    // What screen readers read (FilePreviewCtrlAccess_win.cpp): "Hex dump of <file name>"; the
    // visible lines as drawn, joined with CR LF (not const: it maps their bytes, as a paint does);
    // the selection. The value is the shown text when there are no lines.
    std::u16string GetAccessibleName() const;
    std::u16string GetAccessibleValue();
    std::u16string GetAccessibleDescription() const;

    // For tests: the scroll state, and how many lines have been formatted since construction.
    const PreviewLayout& GetLayout() const { return m_layout; }
    std::uint64_t GetFormattedLineCount() const { return m_formattedLines; }

private:
    static constexpr UINT_PTR kDragTimer = 0x5153;  // scrolls while a drag is above or below
    void UpdateScrollBars();
    void OnPaint();
    void OnVScroll(WPARAM wParam);
    void OnHScroll(WPARAM wParam);
    int GetTrackPosition(int bar, WPARAM wParam) const;
    void DrawLines(HDC dc, const RECT& client);
    void DrawLine(HDC dc, std::uint64_t line);
    void DrawEmptyText(HDC dc, const RECT& client);
    const std::u16string& GetShownText() const;
    void MeasureCell();
    void SetHighlight(const ByteRange& range);
    void ScrollToLine(std::int32_t line);
    void OnScrolled(int bar, std::int32_t position);
    void OnLeftButtonDown(WPARAM keys, LPARAM point);
    void OnMouseMove(LPARAM point);
    void OnDragTimer();
    void EndDrag();
    void ExtendDragTo(POINT client);
    void UpdateCaret();
    POINT CellOf(std::uint64_t offset, PreviewPane pane) const;
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);

    std::recursive_mutex m_lock;  // taken before m_file's view lock, never after
    CMappedFile m_file;
    CGdiObject<HFONT> m_font;
    PreviewLayout m_layout;
    int m_bytesPerLine = 16;
    std::u16string m_emptyText = u"No data to display";
    std::u16string m_failedText;  // why the file asked for could not be opened; empty when it was
    std::uint64_t m_formattedLines = 0;

    ByteRange m_selection;
    PreviewPane m_pane = PreviewPane::Hex;
    std::uint64_t m_anchor = 0;  // where the selection was started; Shift+click extends from it
    bool m_dragging = false;
    POINT m_dragPoint = {};  // the pointer's last place in a drag, in client coordinates
    bool m_caretActive = false;
    bool m_caretMade = false;
    std::u16string m_shownPath;      // as given to SetFile, for the accessible name
    CAccessibleHolder m_accessible;  // last: detached before the rest goes
};

}  // namespace qs
