// The application module: the program's instance handle and the registry of message loops, one
// per user-interface thread, found by thread id. Win32 only.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace qs {

class CMessageLoop;

class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;
    ~CAppModule();

    // Records the instance and the main thread and makes the registry's lock.
    HRESULT Init(HINSTANCE instance);
    // Releases the registry and its lock. Safe to call when not initialised.
    void Term();

    // The module of dialog templates, icons, menus and strings.
    HINSTANCE GetResourceInstance() const { return m_instance; }
    DWORD GetMainThreadId() const { return m_mainThreadId; }

    // Registry operations, each under the lock and keyed by the calling thread's id. They do
    // nothing (null, false) before Init and after Term.
    bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop();

private:
    HINSTANCE m_instance = nullptr;
    DWORD m_mainThreadId = 0;
    bool m_initialised = false;
    CRITICAL_SECTION m_lock = {};
    std::vector<std::pair<DWORD, CMessageLoop*>> m_loops;
};

// The one module of the process.
extern CAppModule g_module;

}  // namespace qs
