// The shell's Properties sheet of a file or folder. Win32 only.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace qs {

// Asks the shell for the sheet (ShellExecuteExW, verb "properties", no owner window); false
// when the shell refused. The shell shows its own message for a failure.
bool ShowPropertySheet(const std::u16string& path);

// Test seam: Wine has no Properties sheet, so the tests look at the call the shell would get.
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
ShellExecuteExFunction SetShellExecuteExForTesting(ShellExecuteExFunction function);

}  // namespace qs
