// The run step of the process: the main dialog inside this thread's message loop. Win32 only.
#pragma once

#include "platform/window/DialogImpl.h"

namespace qs {

// Registers a message loop for this thread, creates the modeless dialog (hidden until its
// initialisation is done), shows it and runs the loop. Returns the loop's exit code, or 0 when
// the dialog could not be created. The loop is unregistered on every path.
int RunMainDialog(CDialogImpl& dialog, int showCommand);

}  // namespace qs
