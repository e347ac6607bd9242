// The main dialog: the program's one top-level window, holding the tree of the hidden volume and
// a "Close" button. Closing it ends the program with the closing command's id. Win32 only.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/system/VolumeQueries.h"
#include "platform/window/DialogImpl.h"
#include "platform/window/MessageLoop.h"
#include "platform/window/UpdateUI.h"
#include "preview/ViewDlg.h"
#include "tree/FileTreeCtrl.h"

namespace qs {

class CMainDlg : public CDialogImpl, public CUpdateUI, public CMessageFilter, public CIdleHandler {
public:
    // The volume queries go to the tree, which finds the hidden volume through them.
    explicit CMainDlg(std::unique_ptr<VolumeQueries> volumes);
    ~CMainDlg() override;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;
    // The dialog's keyboard interface (Tab, Enter, Esc) through IsDialogMessageW.
    bool PreTranslateMessage(MSG* message) override;
    bool OnIdle() override;

    CFileTreeCtrl& GetTree() { return m_tree; }

protected:
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnInitDialog();
    void OnSysCommand(WPARAM wParam);
    LRESULT OnViewFile(LPARAM lParam);
    void CloseDialog(int id);
    // The volume line and the selection line, from the tree; a text that has not changed is not
    // set again, so that a screen reader hears only changes.
    void UpdateSizeLines();
    // Draws one of the two lines, cut with an ellipsis where it is too long.
    void DrawSizeLine(const DRAWITEMSTRUCT& draw) const;
    // Sends a child control's message back to it as the message plus 0x2000.
    BOOL ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    CFileTreeCtrl m_tree;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    // Made on the first request to view a file and kept, hidden or shown, for the rest of the
    // run: its key filter stays in the loop, which ends before this object goes. (One whose window
    // could not be made is replaced at the next request.)
    std::unique_ptr<CViewDlg> m_viewDlg;
    // The command that closes the window once a folder's copy has stopped; 0 for none.
    int m_closeAfterCopy = 0;
};

}  // namespace qs
