// Centres a top-level dialog (screen coordinates): over its owner when the owner is visible and not
// minimised, otherwise on the work area of its own monitor; always kept inside the work area. Win32
// only.
#pragma once

#include <windows.h>

namespace qs {

// Moves the window without resizing, activating or changing the z-order. False when the window
// or its monitor's geometry could not be read, or the move failed.
bool CentreWindow(HWND hWnd);

}  // namespace qs
