// The view dialog: the one resizable window in which a file of the hidden volume is shown as a
// hex dump. Made on the first request to view a file and kept for the rest of the run; closing it
// only hides it. It gives the preview its wheel and key scrolling. Win32 only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/window/DialogImpl.h"
#include "platform/window/DialogResize.h"
#include "platform/window/MessageLoop.h"
#include "preview/FilePreviewCtrl.h"
#include "preview/FindDlg.h"

namespace qs {

class CViewDlg : public CDialogImpl, public CMessageFilter, public CDialogResize {
public:
    // `initialPath` is loaded when the dialog initialises; an empty one loads nothing.
    explicit CViewDlg(std::u16string initialPath);
    ~CViewDlg() override;

    // Shows the file and puts its path in the caption. An empty path changes nothing.
    void LoadFile(const std::u16string& path);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

    // The scroll keys and Esc, for every key press of the thread, whichever window it is meant
    // for and also while the dialog is hidden; they go on to their window. Then the dialog's own
    // keys (Tab between the dump and "Close", Enter, Esc) for its own windows.
    bool PreTranslateMessage(MSG* message) override;

    // For benchmarks: the preview, whose scroll state tells which lines a key has brought up.
    const CFilePreviewCtrl& GetPreview() const { return m_preview; }

    // Searches for what was last asked, forward from one byte past the selection's first or
    // backward from before it (or from the top line), wrapping once; opens Find when nothing has
    // been asked yet. For benchmarks too.
    void FindAgain(bool forward);

private:
    LRESULT OnInitDialog();
    void ScrollPreview(int request);
    // The viewer's own keys, while it is active and shows bytes; true when one was taken.
    bool TakeViewerKey(const MSG& message);
    void RunCommand(UINT command);
    void OpenFind();
    std::uint64_t GetSearchStart(std::uint64_t afterSelection) const;
    void Search(bool forward, std::uint64_t from);
    void OpenGoTo();
    void OpenMenu(POINT screen);
    void Copy(PreviewPane pane);
    void CopyOffset();
    void Tell(const std::u16string& text, UINT icon);

    const std::u16string m_initialPath;
    CFilePreviewCtrl m_preview;
    FindRequest m_find;
    bool m_hasFind = false;
    // The last search's match while it is still what is selected: Ctrl+F then offers that
    // search (a UTF-16 or case-blind one), not the match's raw bytes.
    ByteRange m_lastMatch;
    WPARAM m_keyUpToSwallow = 0;  // the key whose up would open a second menu
    bool m_focusDump = false;     // shown again: the next activation gives the dump the focus
};

}  // namespace qs
