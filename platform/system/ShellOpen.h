// Opens an address or document with the program the user's shell associates with it
// (ShellExecuteW "open"). Win32 only.
#pragma once

#include <windows.h>

namespace qs {

// True when the shell reports success (a result above 32). No owner window: a failure is not
// reported to the user.
bool ShellOpen(const wchar_t* target);

}  // namespace qs
