// The resize map's arithmetic: where a control goes when its dialog's client area has grown since
// the dialog opened, and what each kind of WM_SIZE asks of the dialog. Pure functions over plain
// values, so that every case can be checked without a window system.
#pragma once

namespace qs {

// Flags of a resize map entry: how a control follows the growth (dx, dy) of the client area.
enum ResizeFlag : unsigned {
    kResizeStretchX = 0x1,  // the right edge moves by dx
    kResizeStretchY = 0x2,  // the bottom edge moves by dy
    kResizeMoveX = 0x4,     // the whole control moves by dx, its width fixed
    kResizeMoveY = 0x8,     // the whole control moves by dy, its height fixed
    kResizeRepaint = 0x10,  // repainted after it has moved
};

// A rectangle in the dialog's client coordinates, right and bottom exclusive.
struct ClientRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The control's rectangle for a client area that has grown by (dx, dy) since its rectangle at
// initialisation was taken; dx and dy may be negative. On an axis where the control both moves
// and stretches, it moves. A stretched control never gets a negative width or height.
ClientRect LayOutControl(unsigned flags, const ClientRect& initial, int dx, int dy);

// What a WM_SIZE of a given type (its wParam) asks for.
enum class GripChange { kKeep, kShow, kHide };
struct SizeResponse {
    bool layOut;  // move and size the controls
    GripChange grip;
};
// Maximised: hide the size grip, which has no use then; restored: show it again; both lay out.
// Minimised: nothing, a minimised dialog keeps its layout. Any other type only lays out.
SizeResponse RespondToSize(unsigned sizeType);

}  // namespace qs
