#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <vector>

#include "platform/window/HyperLink.h"
#include "preview/FilePreviewCtrl.h"

namespace qs {
namespace {

// What a screen reader gets for a link (through the shared base: the place, the hit-test, the
// other object ids left to the system); then the object outlives its window: it only says that
// it is gone, and the client's last Release frees it, the link having let go of its own.
TEST(AccessibleTest, ALinkReadsAsALinkAndItsObjectOutlivesTheWindow) {
    ::CoInitialize(nullptr);  // as the program's thread: the object is marshalled to clients
    CHyperLink link;
    const HWND window = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 30, 40, 200, 20, nullptr,
                                          nullptr, nullptr, nullptr);
    ASSERT_TRUE(link.SubclassWindow(window));
    link.SetLabel(L"www.example.com");
    link.SetTarget(L"");  // nothing to open: the default action changes nothing
    EXPECT_EQ(::SendMessageW(window, WM_GETOBJECT, 0, OBJID_WINDOW), 0);
    IAccessible* object = nullptr;
    ASSERT_EQ(::ObjectFromLresult(::SendMessageW(window, WM_GETOBJECT, 0, OBJID_CLIENT),
                                  __uuidof(IAccessible), 0, reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self = {}, role = {}, state = {}, hit = {};
    self.vt = VT_I4;
    BSTR name = nullptr, action = nullptr;
    long box[4] = {};
    EXPECT_EQ(object->get_accRole(self, &role) | object->get_accState(self, &state) |
                  object->get_accName(self, &name) | object->get_accDefaultAction(self, &action) |
                  object->accLocation(&box[0], &box[1], &box[2], &box[3], self) |
                  object->accHitTest(35, 45, &hit) | object->accDoDefaultAction(self),
              S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
    EXPECT_EQ(state.lVal, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | STATE_SYSTEM_INVISIBLE);
    EXPECT_STREQ(name, L"www.example.com");
    EXPECT_STREQ(action, L"Jump");
    EXPECT_TRUE(box[0] == 30 && box[1] == 40 && box[2] == 200 && box[3] == 20);
    EXPECT_TRUE(hit.vt == VT_I4 && hit.lVal == CHILDID_SELF);
    EXPECT_EQ(object->accHitTest(230, 45, &hit), S_FALSE);
    ::SysFreeString(name), ::SysFreeString(action);

    ::DestroyWindow(window);
    EXPECT_EQ(object->get_accName(self, &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(self), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(object->Release(), 0u);
    ::CoUninitialize();
}

// The dump's object: focusable and read-only, focused while the dump has the focus; a child id it
// has not refused on each call; after the dump is destroyed, gone on each call, the control
// having let go of it. Each call's answer is checked on its own.
TEST(AccessibleTest, TheDumpsObjectRefusesOtherChildrenAndOutlivesTheDumpDetached) {
    ::CoInitialize(nullptr);
    CFilePreviewCtrl preview;
    const HWND window = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 30, 40, 200,
                                          100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(preview.SubclassWindow(window));
    IAccessible* object = nullptr;
    ASSERT_EQ(::ObjectFromLresult(::SendMessageW(window, WM_GETOBJECT, 0, OBJID_CLIENT),
                                  __uuidof(IAccessible), 0, reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self = {}, other = {}, state = {};
    self.vt = other.vt = VT_I4;
    other.lVal = 1;
    ::SetFocus(window);
    EXPECT_EQ(object->get_accState(self, &state), S_OK);
    EXPECT_EQ(state.lVal, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSED);
    const auto answers = [object](VARIANT child) {
        BSTR text = nullptr;
        VARIANT out = {};
        long box[4] = {};
        return std::vector<HRESULT>{object->get_accName(child, &text),
                                    object->get_accValue(child, &text),
                                    object->get_accDescription(child, &text),
                                    object->get_accRole(child, &out),
                                    object->get_accState(child, &out),
                                    object->accLocation(&box[0], &box[1], &box[2], &box[3], child),
                                    object->accDoDefaultAction(child)};
    };
    EXPECT_EQ(answers(other), std::vector<HRESULT>(7, E_INVALIDARG));

    ::DestroyWindow(window);
    EXPECT_EQ(answers(self), std::vector<HRESULT>(7, CO_E_OBJNOTCONNECTED));
    EXPECT_EQ(object->Release(), 0u);  // ours was the last reference
    ::CoUninitialize();
}

}  // namespace
}  // namespace qs
