#include "platform/window/MenuPlacement_win.h"

namespace qs {

int ClampMenuX(POINT point) {
    MonitorAnswers answers;
    answers.onMonitor = ::MonitorFromPoint(point, MONITOR_DEFAULTTONULL) != nullptr;
    if (!answers.onMonitor) {
        const HMONITOR nearest = ::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
        answers.hasNearest = nearest != nullptr;
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        answers.infoRead = answers.hasNearest && ::GetMonitorInfoW(nearest, &info);
        answers.workLeft = info.rcWork.left;
        answers.workRight = info.rcWork.right;
    }
    return ClampMenuX(point.x, answers);
}

}  // namespace qs
