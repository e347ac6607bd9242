#include "platform/window/DialogImpl.h"

#include "platform/window/AppModule.h"
#include "platform/window/MessageRules.h"

namespace qs {
namespace {

// The dialog being created on this thread. The system sends a few messages (WM_SETFONT first)
// before WM_INITDIALOG; the first one for a new window binds it to this object, which then
// lives in DWLP_USER. Passing the object as the creation parameter would take that parameter
// from the dialog, and a code thunk is not needed.
thread_local CDialogImpl* t_creating = nullptr;

HINSTANCE ResourceInstance() {
    const HINSTANCE instance = g_module.GetResourceInstance();
    return instance != nullptr ? instance : ::GetModuleHandleW(nullptr);
}

}  // namespace

CDialogImpl::~CDialogImpl() {
    if (m_hWnd == nullptr)
        return;
    // The derived object is gone: its last messages must not reach it, so the window is let go
    // first. Derived classes that want those messages destroy the window in their destructor.
    const HWND hWnd = m_hWnd;
    ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    if (::IsWindow(hWnd))
        ::DestroyWindow(hWnd);
}

HWND CDialogImpl::Create(HWND owner, LPARAM initParam) {
    if (m_hWnd != nullptr)
        return nullptr;
    t_creating = this;
    const HWND hWnd = ::CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(m_templateId),
                                           owner, &DialogProc, initParam);
    t_creating = nullptr;
    return hWnd;
}

INT_PTR CDialogImpl::DoModal(HWND owner, LPARAM initParam) {
    if (m_hWnd != nullptr)
        return -1;
    t_creating = this;
    const INT_PTR result = ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(m_templateId),
                                             owner, &DialogProc, initParam);
    t_creating = nullptr;
    return result;
}

void CDialogImpl::OnFinalMessage(HWND) {}

INT_PTR CALLBACK CDialogImpl::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (self == nullptr) {
        self = t_creating;
        if (self == nullptr)
            return FALSE;
        t_creating = nullptr;
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }

    LRESULT result = 0;
    const BOOL handled = self->ProcessWithoutThrowing(hWnd, uMsg, wParam, lParam, result);

    INT_PTR answer = FALSE;
    if (handled) {
        if (DialogReturnsResultDirectly(uMsg)) {
            answer = static_cast<INT_PTR>(result);
        } else {
            ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
            answer = TRUE;
        }
    }

    if (uMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->OnFinalMessage(hWnd);
    }
    return answer;
}

}  // namespace qs
