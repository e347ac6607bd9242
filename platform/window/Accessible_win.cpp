#include "platform/window/Accessible.h"

namespace qs {
namespace {

// The object has no children: every call is about the object itself.
bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The answer for "this object": CHILDID_SELF as a VT_I4.
HRESULT Self(VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
}

// Screen coordinates of the client area, which is what a client object covers (scroll bars and
// borders belong to the window object around it).
RECT ScreenClient(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

}  // namespace

HRESULT CWindowAccessible::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    // With MinGW, the IID_IAccessible of liboleacc.a is an import thunk, not the ID: take the IDs
    // from the interfaces themselves.
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
        riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CWindowAccessible::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

ULONG CWindowAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT CWindowAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CWindowAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT CWindowAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CWindowAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                  UINT*) {
    return E_NOTIMPL;
}

HRESULT CWindowAccessible::get_accParent(IDispatch** parent) {
    if (parent == nullptr)
        return E_POINTER;
    *parent = nullptr;
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    // The system's object for the window itself (frame, scroll bars) holds the client object.
    return ::CreateStdAccessibleObject(m_window, OBJID_WINDOW, __uuidof(IDispatch),
                                       reinterpret_cast<void**>(parent));
}

HRESULT CWindowAccessible::get_accChildCount(long* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return m_window != nullptr ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT CWindowAccessible::get_accChild(VARIANT, IDispatch** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    // No child ids are valid when there are no children.
    return m_window != nullptr ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
}

HRESULT CWindowAccessible::GetText(VARIANT child, BSTR* out,
                                   std::wstring (CWindowAccessible::*hook)() const) {
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child))
        return E_INVALIDARG;
    try {
        const std::wstring text = (this->*hook)();
        if (text.empty())
            return S_FALSE;
        *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CWindowAccessible::get_accName(VARIANT child, BSTR* name) {
    return GetText(child, name, &CWindowAccessible::GetName);
}

HRESULT CWindowAccessible::get_accValue(VARIANT child, BSTR* value) {
    return GetText(child, value, &CWindowAccessible::GetValue);
}

HRESULT CWindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return GetText(child, description, &CWindowAccessible::GetDescription);
}

HRESULT CWindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return GetText(child, action, &CWindowAccessible::GetDefaultAction);
}

HRESULT CWindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr)
        return E_POINTER;
    ::VariantInit(role);
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child))
        return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = GetRole();
    return S_OK;
}

HRESULT CWindowAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr)
        return E_POINTER;
    ::VariantInit(state);
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child))
        return E_INVALIDARG;
    long bits = GetStateBits();
    if (!::IsWindowVisible(m_window))
        bits |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(m_window))
        bits |= STATE_SYSTEM_UNAVAILABLE;
    if (::GetFocus() == m_window)
        bits |= STATE_SYSTEM_FOCUSED;
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
}

HRESULT CWindowAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return GetText(child, help, &CWindowAccessible::NoText);
}

HRESULT CWindowAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (file == nullptr || topic == nullptr)
        return E_POINTER;
    *file = nullptr;
    *topic = -1;
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? S_FALSE : E_INVALIDARG;
}

HRESULT CWindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return GetText(child, shortcut, &CWindowAccessible::NoText);
}

HRESULT CWindowAccessible::get_accFocus(VARIANT* focus) {
    if (focus == nullptr)
        return E_POINTER;
    ::VariantInit(focus);
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    return ::GetFocus() == m_window ? Self(focus) : S_FALSE;
}

HRESULT CWindowAccessible::get_accSelection(VARIANT* selection) {
    if (selection == nullptr)
        return E_POINTER;
    ::VariantInit(selection);
    return m_window != nullptr ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CWindowAccessible::accSelect(long, VARIANT child) {
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT CWindowAccessible::accLocation(long* left, long* top, long* width, long* height,
                                       VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child))
        return E_INVALIDARG;
    const RECT area = ScreenClient(m_window);
    *left = area.left;
    *top = area.top;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
}

HRESULT CWindowAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (end == nullptr)
        return E_POINTER;
    ::VariantInit(end);
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(start) || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX)
        return E_INVALIDARG;
    // No children to go into; the siblings are the window object's business.
    return S_FALSE;
}

HRESULT CWindowAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr)
        return E_POINTER;
    ::VariantInit(child);
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    const RECT area = ScreenClient(m_window);
    const POINT point = {x, y};
    return ::PtInRect(&area, point) ? Self(child) : S_FALSE;
}

HRESULT CWindowAccessible::accDoDefaultAction(VARIANT child) {
    if (m_window == nullptr)
        return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child))
        return E_INVALIDARG;
    try {
        return DoDefaultAction() ? S_OK : DISP_E_MEMBERNOTFOUND;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT CWindowAccessible::put_accName(VARIANT, BSTR) {
    return m_window != nullptr ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

HRESULT CWindowAccessible::put_accValue(VARIANT, BSTR) {
    return m_window != nullptr ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

void CAccessibleHolder::Reset() {
    if (m_object == nullptr)
        return;
    m_object->Detach();
    m_object->Release();
    m_object = nullptr;
}

bool CAccessibleHolder::IsClientRequest(LPARAM objectId) {
    // The id travels in the low 32 bits; on 64-bit Windows the rest is not to be trusted.
    return static_cast<LONG>(static_cast<DWORD>(objectId)) == OBJID_CLIENT;
}

LRESULT CAccessibleHolder::AnswerGetObject(IAccessible* object, WPARAM wParam, LPARAM objectId) {
    if (object == nullptr || !IsClientRequest(objectId))
        return 0;
    return ::LresultFromObject(__uuidof(IAccessible), wParam, object);
}

}  // namespace qs
