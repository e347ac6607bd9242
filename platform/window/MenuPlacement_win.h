// The menu's x for a click point in screen coordinates, asked of the platform's monitors.
#pragma once

#include <windows.h>

#include "platform/window/MenuPlacement.h"

namespace qs {

int ClampMenuX(POINT point);

}  // namespace qs
