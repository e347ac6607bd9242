#include "platform/window/ResizeLayout.h"

namespace qs {
namespace {

// The values of the platform's SIZE_ codes.
constexpr unsigned kSizeRestored = 0;
constexpr unsigned kSizeMinimized = 1;
constexpr unsigned kSizeMaximized = 2;

// One axis: [start, end) after a growth of `delta`.
void LayOutAxis(bool move, bool stretch, int delta, int* start, int* end) {
    if (move) {
        *start += delta;
        *end += delta;
    } else if (stretch) {
        *end += delta;
        if (*end < *start)
            *end = *start;
    }
}

}  // namespace

ClientRect LayOutControl(unsigned flags, const ClientRect& initial, int dx, int dy) {
    ClientRect rect = initial;
    LayOutAxis((flags & kResizeMoveX) != 0, (flags & kResizeStretchX) != 0, dx, &rect.left,
               &rect.right);
    LayOutAxis((flags & kResizeMoveY) != 0, (flags & kResizeStretchY) != 0, dy, &rect.top,
               &rect.bottom);
    return rect;
}

SizeResponse RespondToSize(unsigned sizeType) {
    switch (sizeType) {
        case kSizeRestored:
            return {true, GripChange::kShow};
        case kSizeMinimized:
            return {false, GripChange::kKeep};
        case kSizeMaximized:
            return {true, GripChange::kHide};
        default:
            return {true, GripChange::kKeep};
    }
}

}  // namespace qs
