#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/MessageLoop.h"

namespace qs {
namespace {

constexpr UINT kConsumed = WM_APP + 11;
constexpr UINT kPrivate = WM_APP + 12;
constexpr UINT_PTR kTimerId = 3;
std::vector<UINT> g_dispatched;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg >= WM_APP || uMsg == WM_MOUSEMOVE || uMsg == WM_NCMOUSEMOVE || uMsg == WM_PAINT ||
        uMsg == 0x118)
        g_dispatched.push_back(uMsg);
    if (uMsg == WM_PAINT)
        ::ValidateRect(hWnd, nullptr);
    return uMsg == WM_PAINT ? 0 : ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Idle handler 'a' runs a script, one step a call; 'b' only records. As filters, both record
// kConsumed (as 'A' and 'B') and 'a' consumes it; they note when the timer comes.
struct Script : CIdleHandler, CMessageFilter {
    Script(HWND window, char name, std::string* log) : hWnd(window), name(name), log(log) {}
    bool OnIdle() override {
        *log += name;
        if (name != 'a')
            return true;
        if (++calls == 1) {  // none of these re-arms idling: the queue stays empty until the timer
            for (UINT m : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x118})
                ::PostMessageW(hWnd, m, 0, 0);
            ::SetTimer(hWnd, kTimerId, 100, nullptr);
        } else if (calls < 4) {
            ::PostMessageW(hWnd, calls == 2 ? kConsumed : kPrivate, 0, 0);
        } else {
            ::PostQuitMessage(7);
        }
        return true;  // ignored by the loop
    }
    bool PreTranslateMessage(MSG* message) override {
        if (message->message == WM_TIMER && message->wParam == kTimerId) {
            ::KillTimer(hWnd, kTimerId);
            callsAtTimer = calls;
        }
        if (message->message == kConsumed)
            *log += static_cast<char>(name - 'a' + 'A');
        return name == 'a' && message->message == kConsumed;
    }
    HWND hWnd;
    char name;
    std::string* log;
    int calls = 0, callsAtTimer = -1;
};

TEST(MessageLoopTest, IdleRunsAgainOnlyAfterACountingMessageAndFiltersConsume) {
    const WNDCLASSW wc = {0,       RecordingProc, 0,       0,       nullptr,
                          nullptr, nullptr,       nullptr, nullptr, L"QsLoopTest"};
    ::RegisterClassW(&wc);
    // A message-only window: nothing else posts to it while the test runs.
    const HWND hWnd = ::CreateWindowExW(0, L"QsLoopTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    std::string log;
    Script a(hWnd, 'a', &log), b(hWnd, 'b', &log);
    CMessageLoop loop;
    loop.AddIdleHandler(&a);
    loop.AddIdleHandler(nullptr);
    loop.AddIdleHandler(&b);
    loop.AddMessageFilter(&a);
    loop.AddMessageFilter(nullptr);
    loop.AddMessageFilter(&b);
    EXPECT_EQ(loop.Run(), 7);
    // The four were dispatched, yet idling stayed off until the timer came; the timer and each
    // private message brought one more idle pass, the handlers first to last; the consumed
    // message was offered to the last filter added first, past the empty one, and not dispatched.
    EXPECT_EQ(g_dispatched,
              (std::vector<UINT>{WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x118, kPrivate}));
    EXPECT_EQ(a.callsAtTimer, 1);
    EXPECT_EQ(log, "ababBAabab");
    ::DestroyWindow(hWnd);
}

}  // namespace
}  // namespace qs
