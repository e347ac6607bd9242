#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/AppModule.h"
#include "platform/MessageLoop.h"

namespace qs {
namespace {

constexpr UINT kPassed = WM_APP + 10;
constexpr UINT kConsumed = WM_APP + 11;
constexpr UINT kPrivate = WM_APP + 12;
constexpr UINT_PTR kTimerId = 3;

std::vector<UINT> g_dispatched;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg >= WM_APP || uMsg == WM_MOUSEMOVE || uMsg == WM_NCMOUSEMOVE || uMsg == WM_PAINT ||
        uMsg == 0x118) {
        g_dispatched.push_back(uMsg);
    }
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        ::BeginPaint(hWnd, &ps);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A message-only window: nothing else posts to it while a test runs.
class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QsLoopTest";
        ::RegisterClassW(&wc);
        m_hWnd = ::CreateWindowExW(0, L"QsLoopTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
        g_dispatched.clear();
    }
    ~MessageWindow() { ::DestroyWindow(m_hWnd); }
    HWND m_hWnd;
};

// Runs a script from the idle handler: every call is one step.
class ScriptedIdle : public CIdleHandler, public CMessageFilter {
public:
    explicit ScriptedIdle(HWND hWnd) : m_hWnd(hWnd) {}

    bool OnIdle() override {
        ++calls;
        switch (calls) {
            case 1:
                // None of these re-arms idling: the queue then stays empty until the timer.
                ::PostMessageW(m_hWnd, WM_MOUSEMOVE, 0, 0);
                ::PostMessageW(m_hWnd, WM_NCMOUSEMOVE, 0, 0);
                ::PostMessageW(m_hWnd, WM_PAINT, 0, 0);
                ::PostMessageW(m_hWnd, 0x118, 0, 0);
                ::SetTimer(m_hWnd, kTimerId, 100, nullptr);
                break;
            case 2:
                ::PostMessageW(m_hWnd, kPrivate, 0, 0);
                break;
            default:
                ::PostQuitMessage(7);
                break;
        }
        return true;  // ignored by the loop
    }

    bool PreTranslateMessage(MSG* message) override {
        if (message->message == WM_TIMER && message->wParam == kTimerId) {
            ::KillTimer(m_hWnd, kTimerId);
            callsAtTimer = calls;
        }
        return false;
    }

    HWND m_hWnd;
    int calls = 0;
    int callsAtTimer = -1;
};

// Also: the quit code 7 is the loop's result.
TEST(MessageLoopTest, MouseMovesPaintsAndCaretTimerNeverRunIdleAgain) {
    MessageWindow window;
    ASSERT_NE(window.m_hWnd, nullptr);
    CMessageLoop loop;
    ScriptedIdle script(window.m_hWnd);
    loop.AddIdleHandler(&script);
    loop.AddMessageFilter(&script);

    EXPECT_EQ(loop.Run(), 7);
    // The four messages were handled, yet idling stayed off until the timer came.
    EXPECT_EQ(g_dispatched.size(), 5u);
    EXPECT_EQ(script.callsAtTimer, 1);
    // The timer and the private message each brought one more idle call.
    EXPECT_EQ(script.calls, 3);
}

TEST(MessageLoopTest, IdleHandlersRunFirstToLast) {
    struct Recorder : CIdleHandler {
        Recorder(std::string* log, char name) : log(log), name(name) {}
        bool OnIdle() override {
            *log += name;
            if (name == 'b')
                ::PostQuitMessage(0);
            return true;
        }
        std::string* log;
        char name;
    };
    std::string log;
    Recorder a(&log, 'a');
    Recorder b(&log, 'b');
    CMessageLoop loop;
    loop.AddIdleHandler(&a);
    loop.AddIdleHandler(nullptr);
    loop.AddIdleHandler(&b);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(log, "ab");
}

class RecordingFilter : public CMessageFilter {
public:
    RecordingFilter(std::string* log, char name, UINT consumes)
        : m_log(log), m_name(name), m_consumes(consumes) {}
    bool PreTranslateMessage(MSG* message) override {
        if (message->message < WM_APP)
            return false;
        *m_log += m_name;
        return message->message == m_consumes;
    }

private:
    std::string* m_log;
    char m_name;
    UINT m_consumes;
};

TEST(MessageLoopTest, FiltersMostRecentFirstAndConsumedIsNotDispatched) {
    MessageWindow window;
    std::string log;
    RecordingFilter mainDlg(&log, 'm', 0);
    RecordingFilter viewDlg(&log, 'v', kConsumed);
    CMessageLoop loop;
    loop.AddMessageFilter(&mainDlg);
    loop.AddMessageFilter(&viewDlg);

    ::PostMessageW(window.m_hWnd, kPassed, 0, 0);
    ::PostMessageW(window.m_hWnd, kConsumed, 0, 0);
    ::PostQuitMessage(2);
    EXPECT_EQ(loop.Run(), 2);
    EXPECT_EQ(log, "vmv");
    EXPECT_EQ(g_dispatched, std::vector<UINT>{kPassed});
}

TEST(AppModuleTest, LoopsAreFoundByThread) {
    CAppModule module;
    CMessageLoop loop;
    EXPECT_FALSE(module.AddMessageLoop(&loop));  // not initialised
    EXPECT_EQ(module.GetMessageLoop(), nullptr);

    ASSERT_EQ(module.Init(::GetModuleHandleW(nullptr)), S_OK);
    EXPECT_EQ(module.GetMainThreadId(), ::GetCurrentThreadId());
    EXPECT_TRUE(module.AddMessageLoop(&loop));
    EXPECT_EQ(module.GetMessageLoop(), &loop);

    CMessageLoop* seenElsewhere = &loop;
    bool removedElsewhere = true;
    std::thread other([&] {
        seenElsewhere = module.GetMessageLoop();
        removedElsewhere = module.RemoveMessageLoop();
    });
    other.join();
    EXPECT_EQ(seenElsewhere, nullptr);
    EXPECT_FALSE(removedElsewhere);

    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_FALSE(module.RemoveMessageLoop());

    EXPECT_TRUE(module.AddMessageLoop(&loop));
    module.Term();
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    module.Term();
}

}  // namespace
}  // namespace qs
