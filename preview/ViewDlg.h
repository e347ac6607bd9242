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
    // for and also while the dialog is hidden. Never consumes the message.
    bool PreTranslateMessage(MSG* message) override;

    // For benchmarks: the preview, whose scroll state tells which lines a key has brought up.
    const CFilePreviewCtrl& GetPreview() const { return m_preview; }

private:
    LRESULT OnInitDialog();
    void ScrollPreview(int request);

    const std::u16string m_initialPath;
    CFilePreviewCtrl m_preview;
};

}  // namespace qs
