// The link as screen readers read it: a link named by its label, whose default action opens it as
// a click does. Without this the About box's link reads as a plain static text.
#include <new>

#include "platform/window/HyperLink.h"

namespace qs {
namespace {

class CLinkAccessible final : public CWindowAccessible {
public:
    explicit CLinkAccessible(CHyperLink& link) : CWindowAccessible(link.m_hWnd), m_link(link) {}

private:
    long GetRole() const override { return ROLE_SYSTEM_LINK; }
    long GetStateBits() const override {
        return STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED |
               (m_link.IsVisited() ? STATE_SYSTEM_TRAVERSED : 0);
    }
    std::wstring GetName() const override { return m_link.GetLabel(); }
    std::wstring GetValue() const override { return m_link.GetTarget(); }  // as browsers do
    std::wstring GetDefaultAction() const override { return L"Jump"; }
    // A failed navigation shows nothing, as for a click.
    bool DoDefaultAction() override {
        m_link.Navigate();
        return true;
    }

    CHyperLink& m_link;  // asked only while attached: the link detaches us first
};

}  // namespace

LRESULT CHyperLink::OnGetObject(WPARAM wParam, LPARAM lParam) {
    return m_accessible.Answer(wParam, lParam, [this]() -> CWindowAccessible* {
        return new (std::nothrow) CLinkAccessible(*this);
    });
}

}  // namespace qs
