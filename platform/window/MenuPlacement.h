// Where a popup menu opens, for every menu the program shows: the x of the click point, brought
// into the nearest monitor's work area when the point lies on no monitor. y is never changed.
// Portable.
#pragma once

namespace qs {

// What the platform said about the click point, asked in this order; each answer is only asked
// when the ones before it did not decide.
struct MonitorAnswers {
    bool onMonitor = false;   // some monitor holds the point
    bool hasNearest = false;  // there is a nearest monitor
    bool infoRead = false;    // its work area could be read
    int workLeft = 0;
    int workRight = 0;  // the work area's right edge itself is a valid x
};

int ClampMenuX(int x, const MonitorAnswers& answers);

}  // namespace qs
