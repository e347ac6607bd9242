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
#include "preview/MappedFile.h"
#include "preview/PreviewLayout.h"

namespace qs {

class CFilePreviewCtrl : public CWindowImpl {
public:
    CFilePreviewCtrl();
    ~CFilePreviewCtrl() override;

    // Bytes per line for the lines formatted from now on; the line count and width follow at the
    // next SetFile. Counts below 1 are refused (false): 0 would divide by zero.
    bool SetBytesPerLine(int count);

    // The text painted while there is no data to show.
    void SetEmptyText(const std::u16string& text);

    // Shows the file at `path` from its start, or nothing for a null path. False when the file
    // cannot be opened: the previous file is closed all the same and the empty text is painted.
    bool SetFile(const wchar_t* path);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

    // What screen readers read (FilePreviewCtrlAccess_win.cpp): "Hex dump of <file name>"; the
    // visible lines as drawn, joined with CR LF (not const: it maps their bytes, as a paint does);
    // the selection.
    std::u16string GetAccessibleName() const;
    std::u16string GetAccessibleValue();
    std::u16string GetAccessibleDescription() const;

    // For tests: the scroll state, and how many lines have been formatted since construction.
    const PreviewLayout& GetLayout() const { return m_layout; }
    std::uint64_t GetFormattedLineCount() const { return m_formattedLines; }

private:
    void UpdateScrollBars();
    void OnPaint();
    void OnVScroll(WPARAM wParam);
    void OnHScroll(WPARAM wParam);
    int GetTrackPosition(int bar, WPARAM wParam) const;
    void DrawLines(HDC dc, const RECT& client);
    void DrawLine(HDC dc, std::uint64_t line);
    void DrawEmptyText(HDC dc, const RECT& client);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);

    std::recursive_mutex m_lock;  // taken before m_file's view lock, never after
    CMappedFile m_file;
    CGdiObject<HFONT> m_font;
    PreviewLayout m_layout;
    int m_bytesPerLine = 16;
    std::u16string m_emptyText = u"No data to display";
    std::uint64_t m_formattedLines = 0;
    std::u16string m_shownPath;      // as given to SetFile, for the accessible name
    CAccessibleHolder m_accessible;  // last: detached before the rest goes
};

}  // namespace qs
