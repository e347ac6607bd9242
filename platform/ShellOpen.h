// Opens an address or document with the program the user's shell associates with it
// (ShellExecuteW "open"). Win32 only.
#pragma once

#include <windows.h>

namespace qs {

// True when the shell reports success (a result above 32). No owner window: a failure is not
// reported to the user.
bool ShellOpen(const wchar_t* target);

// Replaces the shell call (null restores it) and returns the previous one. The tests and the
// staged build use it: a test run must not start a browser, and Wine may have none.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
ShellExecuteFunction SetShellExecuteForTesting(ShellExecuteFunction function);

// The executable's shell: the real one in the product; in the staged build, when
// staged-opened.txt exists beside the executable, opening appends the target to that file and
// succeeds. Defined once per executable by its *Backend_win.cpp.
void InstallShellBackend();

}  // namespace qs
