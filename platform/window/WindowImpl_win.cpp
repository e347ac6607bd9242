#include "platform/window/WindowImpl.h"

#include "platform/window/MessageRules.h"

namespace qs {
namespace {

// The object bound to a subclassed window, and the window's original procedure. The procedure is
// kept with the window too, so that a window whose object let go of it while another procedure
// was chained over ours still reaches its own procedure.
const wchar_t kObjectProp[] = L"Quarrystone.WindowImpl";
const wchar_t kSuperProp[] = L"Quarrystone.WindowImpl.Super";

WNDPROC GetWindowProc(HWND hWnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
}

}  // namespace

CWindowImpl::~CWindowImpl() {
    if (m_hWnd == nullptr)
        return;
    if (UnsubclassWindow() == nullptr) {
        // Another procedure sits over ours and will keep calling it: leave the window to its
        // original procedure through the property that WindowProc falls back on.
        ::RemovePropW(m_hWnd, kObjectProp);
        m_hWnd = nullptr;
    }
}

BOOL CWindowImpl::SubclassWindow(HWND hWnd) {
    if (m_hWnd != nullptr || hWnd == nullptr || !::IsWindow(hWnd))
        return FALSE;
    if (::GetPropW(hWnd, kObjectProp) != nullptr || ::GetPropW(hWnd, kSuperProp) != nullptr) {
        return FALSE;
    }
    const WNDPROC original = GetWindowProc(hWnd);
    if (original == nullptr)
        return FALSE;  // a window of another process
    if (!::SetPropW(hWnd, kObjectProp, this))
        return FALSE;
    if (!::SetPropW(hWnd, kSuperProp, reinterpret_cast<HANDLE>(original))) {
        ::RemovePropW(hWnd, kObjectProp);
        return FALSE;
    }
    m_hWnd = hWnd;
    m_superWindowProc = original;
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    if (GetWindowProc(hWnd) != &WindowProc) {
        ::RemovePropW(hWnd, kObjectProp);
        ::RemovePropW(hWnd, kSuperProp);
        m_hWnd = nullptr;
        m_superWindowProc = nullptr;
        return FALSE;
    }
    return TRUE;
}

HWND CWindowImpl::UnsubclassWindow() {
    if (m_hWnd == nullptr || GetWindowProc(m_hWnd) != &WindowProc)
        return nullptr;
    const HWND hWnd = m_hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superWindowProc));
    ::RemovePropW(hWnd, kObjectProp);
    ::RemovePropW(hWnd, kSuperProp);
    m_hWnd = nullptr;
    m_superWindowProc = nullptr;
    return hWnd;
}

LRESULT CWindowImpl::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (m_superWindowProc == nullptr)
        return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
    return ::CallWindowProcW(m_superWindowProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowImpl::OnFinalMessage(HWND) {}

BOOL CWindowImpl::DefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                           LRESULT& lResult) {
    if (!IsReflectedMessage(uMsg))
        return FALSE;
    lResult = ::DefWindowProcW(hWnd, uMsg - msg::kReflectBase, wParam, lParam);
    return TRUE;
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CWindowImpl*>(::GetPropW(hWnd, kObjectProp));
    if (self == nullptr) {
        // The object is gone but our procedure is still chained: forward to the original one.
        const auto original = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProp));
        const LRESULT result = original != nullptr
                                   ? ::CallWindowProcW(original, hWnd, uMsg, wParam, lParam)
                                   : ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY)
            ::RemovePropW(hWnd, kSuperProp);
        return result;
    }

    LRESULT result = 0;
    if (!self->ProcessWithoutThrowing(hWnd, uMsg, wParam, lParam, result))
        result = self->DefWindowProc(uMsg, wParam, lParam);

    if (uMsg == WM_NCDESTROY) {
        if (self->UnsubclassWindow() == nullptr) {
            ::RemovePropW(hWnd, kObjectProp);
            ::RemovePropW(hWnd, kSuperProp);
            self->m_hWnd = nullptr;
            self->m_superWindowProc = nullptr;
        }
        self->OnFinalMessage(hWnd);
    }
    return result;
}

}  // namespace qs
