#include "platform/window/MenuPlacement.h"

namespace qs {

int ClampMenuX(int x, const MonitorAnswers& answers) {
    if (answers.onMonitor || !answers.hasNearest || !answers.infoRead)
        return x;
    if (x < answers.workLeft)
        return answers.workLeft;
    if (x > answers.workRight)
        return answers.workRight;
    return x;
}

}  // namespace qs
