// Where a window goes when it is centred: pure rectangle arithmetic, shared by every dialog.
#pragma once

namespace qs {

// Screen rectangle in pixels, right and bottom exclusive (as the platform's RECT).
struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct ScreenPoint {
    int x;
    int y;
};

// The new top-left corner of `window`, keeping its size: centred over `over` (integer halves
// that truncate toward zero), then pushed back inside `workArea`, first from the right and
// bottom edges, then from the left and top, so that the top-left corner wins when the window is
// larger than the work area.
ScreenPoint CentrePosition(const ScreenRect& window, const ScreenRect& over,
                           const ScreenRect& workArea);

}  // namespace qs
