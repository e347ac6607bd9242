#include "platform/window/AppModule.h"

namespace qs {

CAppModule g_module;

CAppModule::~CAppModule() {
    Term();
}

HRESULT CAppModule::Init(HINSTANCE instance) {
    if (m_initialised)
        return S_FALSE;
    m_instance = instance;
    m_mainThreadId = ::GetCurrentThreadId();
    ::InitializeCriticalSection(&m_lock);
    m_loops.clear();
    m_initialised = true;
    return S_OK;
}

void CAppModule::Term() {
    if (!m_initialised)
        return;
    m_initialised = false;
    m_loops.clear();
    m_loops.shrink_to_fit();
    ::DeleteCriticalSection(&m_lock);
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
    if (!m_initialised || loop == nullptr)
        return false;
    ::EnterCriticalSection(&m_lock);
    bool added = true;
    try {
        m_loops.emplace_back(::GetCurrentThreadId(), loop);
    } catch (...) {
        added = false;
    }
    ::LeaveCriticalSection(&m_lock);
    return added;
}

bool CAppModule::RemoveMessageLoop() {
    if (!m_initialised)
        return false;
    const DWORD thread = ::GetCurrentThreadId();
    bool removed = false;
    ::EnterCriticalSection(&m_lock);
    for (auto it = m_loops.begin(); it != m_loops.end(); ++it) {
        if (it->first == thread) {
            m_loops.erase(it);
            removed = true;
            break;
        }
    }
    ::LeaveCriticalSection(&m_lock);
    return removed;
}

CMessageLoop* CAppModule::GetMessageLoop() {
    if (!m_initialised)
        return nullptr;
    const DWORD thread = ::GetCurrentThreadId();
    CMessageLoop* loop = nullptr;
    ::EnterCriticalSection(&m_lock);
    for (const auto& entry : m_loops) {
        if (entry.first == thread) {
            loop = entry.second;
            break;
        }
    }
    ::LeaveCriticalSection(&m_lock);
    return loop;
}

}  // namespace qs
