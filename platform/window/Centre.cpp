#include "platform/window/Centre.h"

#include <cstdint>

namespace qs {
namespace {

// Sums of two screen coordinates and differences of extreme ones overflow int; the arithmetic
// runs in 64 bits and the result is clamped back into int.
int ClampToInt(int64_t value) {
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

int64_t PlaceAxis(int64_t start, int64_t end, int64_t overStart, int64_t overEnd, int64_t workStart,
                  int64_t workEnd) {
    const int64_t size = end - start;
    int64_t position = (overStart + overEnd) / 2 - size / 2;
    if (position + size > workEnd)
        position = workEnd - size;
    if (position < workStart)
        position = workStart;
    return position;
}

}  // namespace

ScreenPoint CentrePosition(const ScreenRect& window, const ScreenRect& over,
                           const ScreenRect& workArea) {
    return {ClampToInt(PlaceAxis(window.left, window.right, over.left, over.right, workArea.left,
                                 workArea.right)),
            ClampToInt(PlaceAxis(window.top, window.bottom, over.top, over.bottom, workArea.top,
                                 workArea.bottom))};
}

}  // namespace qs
