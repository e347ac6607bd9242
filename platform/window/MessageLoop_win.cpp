#include "platform/window/MessageLoop.h"

#include "platform/window/MessageRules.h"

namespace qs {

int CMessageLoop::Run() {
    IdleState idle;
    for (;;) {
        while (idle.Pending() && !::PeekMessageW(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            idle.AfterIdle(OnIdle(idle.count));
        }

        const BOOL got = ::GetMessageW(&m_msg, nullptr, 0, 0);
        if (got == -1)
            continue;  // a failed fetch is skipped; idling stays as it was
        if (got == 0)
            return static_cast<int>(m_msg.wParam);

        if (!PreTranslateMessage(&m_msg)) {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageW(&m_msg);
        }
        idle.AfterMessage(m_msg.message);
    }
}

bool CMessageLoop::PreTranslateMessage(MSG* message) {
    return OfferToFilters(m_filters, message);
}

bool CMessageLoop::OnIdle(int) {
    for (CIdleHandler* handler : m_idleHandlers) {
        if (handler != nullptr)
            handler->OnIdle();
    }
    return false;
}

}  // namespace qs
