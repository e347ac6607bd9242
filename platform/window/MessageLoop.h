// The user-interface thread's message loop, with its message filters and idle handlers.
// Win32 only.
#pragma once

#include <windows.h>

#include <vector>

namespace qs {

// Sees every message of the loop before it is translated and dispatched.
class CMessageFilter {
public:
    // True when the message was consumed: it is then neither translated nor dispatched.
    virtual bool PreTranslateMessage(MSG* message) = 0;

protected:
    virtual ~CMessageFilter() = default;
};

// Called when the loop's queue has run empty after a message that counts for idleness.
class CIdleHandler {
public:
    // The loop ignores the result.
    virtual bool OnIdle() = 0;

protected:
    virtual ~CIdleHandler() = default;
};

// Owns neither its filters nor its handlers: whoever adds itself must outlive Run.
class CMessageLoop {
public:
    CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;
    virtual ~CMessageLoop() = default;

    void AddMessageFilter(CMessageFilter* filter) { m_filters.push_back(filter); }
    void AddIdleHandler(CIdleHandler* handler) { m_idleHandlers.push_back(handler); }

    // Runs until WM_QUIT and returns its exit code.
    int Run();

    // Offers the message to the filters, most recently added first.
    virtual bool PreTranslateMessage(MSG* message);
    // Runs every idle handler, first added first; returns false, so idling stops until the next
    // message that re-arms it.
    virtual bool OnIdle(int idleCount);

    MSG m_msg = {};

private:
    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
};

}  // namespace qs
