// The dialog base: a dialog made from a template of the program's module, modeless (Create) or
// modal (DoModal), whose messages go through the object's message map. Win32 only.
#pragma once

#include <windows.h>

#include "platform/window/WindowImpl.h"

namespace qs {

class CDialogImpl : public CWindow, public CMessageMap {
public:
    explicit CDialogImpl(UINT templateId) : m_templateId(templateId) {}
    CDialogImpl(const CDialogImpl&) = delete;
    CDialogImpl& operator=(const CDialogImpl&) = delete;
    // Destroys a modeless dialog's window if it is still there.
    ~CDialogImpl() override;

    UINT GetTemplateId() const { return m_templateId; }

    // Creates the dialog modelessly (CreateDialogParamW); WM_INITDIALOG runs inside and sees
    // initParam. Returns the window, or null when it could not be made or one already exists.
    HWND Create(HWND owner, LPARAM initParam = 0);
    // Runs the dialog modally (DialogBoxParamW) and returns what EndDialog gave, or -1.
    INT_PTR DoModal(HWND owner, LPARAM initParam = 0);
    // Ends a modal dialog with the given result.
    BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }

    // Called after the window has received WM_NCDESTROY and the object has let go of it.
    virtual void OnFinalMessage(HWND hWnd);

protected:
    // The procedure shared by all dialogs. A handled message makes it return TRUE with the
    // result in DWLP_MSGRESULT, except for the few messages whose result it returns itself.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    UINT m_templateId;
};

}  // namespace qs
