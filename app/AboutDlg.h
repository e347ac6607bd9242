// The About box: the program's icon, name and version, the notice line and a link to the maker's
// home page. Modal; a fresh object for every showing, so nothing (not even a visited link)
// carries over. Win32 only.
#pragma once

#include <windows.h>

#include "platform/window/DialogImpl.h"
#include "platform/window/HyperLink.h"

namespace qs {

class CAboutDlg : public CDialogImpl {
public:
    CAboutDlg();
    ~CAboutDlg();
    CAboutDlg(const CAboutDlg&) = delete;
    CAboutDlg& operator=(const CAboutDlg&) = delete;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

private:
    LRESULT OnInitDialog();
    void ShowScaledIcon();

    CHyperLink m_link;
    HICON m_icon = nullptr;  // the picture at the screen's scale
};

}  // namespace qs
