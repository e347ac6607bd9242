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

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

private:
    LRESULT OnInitDialog();

    CHyperLink m_link;
};

}  // namespace qs
