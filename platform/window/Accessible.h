// What a screen reader or magnifier reads of one of our windows: the client object of the window,
// as the IAccessible of the system's own oleacc (Windows 7 on; no UI Automation). A control gives
// its object the role, name, value and the rest through a few virtual hooks; everything else (the
// COM plumbing, the location, the parent, having no children) is the same for every control.
// Win32 only.
#pragma once

#include <windows.h>
// after <windows.h>, which they need
#include <ole2.h>
#include <oleacc.h>

#include <string>

namespace qs {

// The client object of one window, childless. It lives as long as any client holds it, which may
// be longer than the window: the owner calls Detach in WM_DESTROY, and from then on every method
// answers CO_E_OBJNOTCONNECTED without touching the window or the owner. The hooks run only while
// attached, on the window's thread (incoming calls reach an apartment-threaded UI thread through
// its message loop).
class CWindowAccessible : public IAccessible {
public:
    explicit CWindowAccessible(HWND window) : m_window(window) {}
    CWindowAccessible(const CWindowAccessible&) = delete;
    CWindowAccessible& operator=(const CWindowAccessible&) = delete;

    // Cuts the link to the window and its owner; clients that still hold the object only learn
    // that it is gone.
    void Detach() { m_window = nullptr; }
    HWND GetWindow() const { return m_window; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: no type information; clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    virtual ~CWindowAccessible() = default;

    // The control's answers. An empty string reads as "none" (S_FALSE). The state hook gives the
    // control's own bits; invisible, unavailable and focused are added from the window.
    virtual long GetRole() const = 0;
    virtual long GetStateBits() const { return 0; }
    virtual std::wstring GetName() const { return {}; }
    virtual std::wstring GetValue() const { return {}; }
    virtual std::wstring GetDescription() const { return {}; }
    virtual std::wstring GetDefaultAction() const { return {}; }
    // False when the control has no default action.
    virtual bool DoDefaultAction() { return false; }

private:
    // Each string property through one path: attached, asked of this object, no exception out.
    HRESULT GetText(VARIANT child, BSTR* out, std::wstring (CWindowAccessible::*hook)() const);
    // Help and keyboard shortcut: none of our controls has either.
    std::wstring NoText() const { return {}; }

    LONG m_references = 1;
    HWND m_window;  // null once detached
};

// The owner's one reference to its object: made at the first WM_GETOBJECT for the client, kept
// until Reset (the owner's WM_DESTROY) or the owner's end, which detach it and let it go.
class CAccessibleHolder {
public:
    CAccessibleHolder() = default;
    ~CAccessibleHolder() { Reset(); }
    CAccessibleHolder(const CAccessibleHolder&) = delete;
    CAccessibleHolder& operator=(const CAccessibleHolder&) = delete;

    // Answers WM_GETOBJECT: for OBJID_CLIENT the object, made by make() (a new object holding
    // one reference, or null) on first request; 0 otherwise, which leaves the message to the
    // default processing and the system's standard objects.
    template <typename Make>
    LRESULT Answer(WPARAM wParam, LPARAM lParam, Make make) {
        if (!IsClientRequest(lParam))
            return 0;
        if (m_object == nullptr)
            m_object = make();
        return m_object != nullptr ? AnswerGetObject(m_object, wParam, lParam) : 0;
    }
    void Reset();

    static bool IsClientRequest(LPARAM objectId);
    // LresultFromObject for OBJID_CLIENT, with the interface ID that oleacc expects; 0 for any
    // other object id.
    static LRESULT AnswerGetObject(IAccessible* object, WPARAM wParam, LPARAM objectId);

private:
    CWindowAccessible* m_object = nullptr;
};

}  // namespace qs
