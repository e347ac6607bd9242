#include "platform/window/MessageRules.h"

namespace qs {

bool MessageRearmsIdle(unsigned message) {
    switch (message) {
        case msg::kMouseMove:
        case msg::kNcMouseMove:
        case msg::kPaint:
        case msg::kSysTimer:
            return false;
        default:
            return true;
    }
}

bool IsReflectableMessage(unsigned message) {
    switch (message) {
        case 0x0111:  // WM_COMMAND
        case 0x004E:  // WM_NOTIFY
        case 0x0210:  // WM_PARENTNOTIFY
        case 0x002B:  // WM_DRAWITEM
        case 0x002C:  // WM_MEASUREITEM
        case 0x002D:  // WM_DELETEITEM
        case 0x0039:  // WM_COMPAREITEM
        case 0x002E:  // WM_VKEYTOITEM
        case 0x002F:  // WM_CHARTOITEM
        case 0x0114:  // WM_HSCROLL
        case 0x0115:  // WM_VSCROLL
            return true;
        default:
            // WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC
            return message >= 0x0132 && message <= 0x0138;
    }
}

bool IsReflectedMessage(unsigned message) {
    return message >= msg::kReflectBase && IsReflectableMessage(message - msg::kReflectBase);
}

bool DialogReturnsResultDirectly(unsigned message) {
    switch (message) {
        case 0x0110:  // WM_INITDIALOG
        case 0x0039:  // WM_COMPAREITEM
        case 0x002E:  // WM_VKEYTOITEM
        case 0x002F:  // WM_CHARTOITEM
        case 0x0037:  // WM_QUERYDRAGICON
            return true;
        default:
            return message >= 0x0132 && message <= 0x0138;
    }
}

}  // namespace qs
