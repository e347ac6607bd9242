// The rules of the window framework that need no window system: which messages re-arm idle
// processing, which messages are reflected to controls, which dialog results go back directly,
// and the order in which message filters are asked.
#pragma once

#include <cstddef>
#include <vector>

namespace qs {

// The message numbers the rules speak of (the platform's values).
namespace msg {
constexpr unsigned kPaint = 0x000F;
constexpr unsigned kNcMouseMove = 0x00A0;
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kSysTimer = 0x0118;  // undocumented; drives the caret blink
constexpr unsigned kReflectBase = 0x2000;
}  // namespace msg

// False for the messages that arrive all the time without the user doing anything that matters
// (mouse moves, paints, the caret timer): after them the idle handlers do not run again.
bool MessageRearmsIdle(unsigned message);

// The idle flag and count of the message loop. Idle work runs while Pending() is true and the
// queue is empty; the loop calls AfterIdle with what the idle operation returned, and
// AfterMessage for every message it took from the queue (quit and failures excluded).
struct IdleState {
    bool Pending() const { return idle; }
    void AfterIdle(bool continueIdling) {
        ++count;
        if (!continueIdling)
            idle = false;
    }
    void AfterMessage(unsigned message) {
        if (MessageRearmsIdle(message)) {
            idle = true;
            count = 0;
        }
    }

    bool idle = true;
    int count = 0;
};

// The messages a dialog sends back to the control they came from (as message + 0x2000).
bool IsReflectableMessage(unsigned message);
// A reflectable message raised by 0x2000.
bool IsReflectedMessage(unsigned message);

// True for the messages whose result a dialog procedure returns itself; for every other handled
// message it returns TRUE and leaves the result in DWLP_MSGRESULT.
bool DialogReturnsResultDirectly(unsigned message);

// Offers a message to the filters from the most recently added to the first; null entries are
// skipped, and the first filter that consumes the message ends the walk. True when consumed.
// By index, bound checked at every step: a filter may add or remove filters while it runs (the
// first View creates the viewer, which adds its own, inside the main dialog's filter).
template <class Filter, class Message>
bool OfferToFilters(const std::vector<Filter*>& filters, Message* message) {
    for (std::size_t i = filters.size(); i > 0; --i) {
        if (i > filters.size())
            i = filters.size();
        Filter* filter = filters[i - 1];
        if (filter != nullptr && filter->PreTranslateMessage(message))
            return true;
    }
    return false;
}

}  // namespace qs
