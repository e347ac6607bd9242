#include <gtest/gtest.h>

#include "platform/window/MessageRules.h"

namespace qs {
namespace {

// Only mouse moves, paints and the caret timer leave idling off. (How the loop idles on it, and
// offers messages to its filters, is the Win32 loop's test.)
TEST(MessageRulesTest, IdleRule) {
    for (unsigned m : {0x0200u, 0x00A0u, 0x000Fu, 0x0118u})
        EXPECT_FALSE(MessageRearmsIdle(m)) << m;
    // key, timer, private, ..., click, quit, null, ...
    for (unsigned m : {0x0100u, 0x0113u, 0xA23Du, 0x0085u, 0x0201u, 0x0012u, 0x0000u, 0x0119u})
        EXPECT_TRUE(MessageRearmsIdle(m)) << m;
}

// Which messages go back to the control that sent them, and which a dialog answers directly.
TEST(MessageRulesTest, ReflectionAndDialogResultRules) {
    for (unsigned m :
         {0x111, 0x4E, 0x210, 0x2B, 0x2C, 0x2D, 0x39, 0x2E, 0x2F, 0x114, 0x115, 0x132, 0x138}) {
        EXPECT_TRUE(IsReflectableMessage(m)) << m;
        EXPECT_TRUE(IsReflectedMessage(m + 0x2000)) << m;
        EXPECT_FALSE(IsReflectedMessage(m)) << m;
    }
    for (unsigned m : {0x131, 0x139, 0x110, 0x112, 0x0F, 0x200, 0x88C6, 0xA23D}) {
        EXPECT_FALSE(IsReflectableMessage(m)) << m;
        EXPECT_FALSE(IsReflectedMessage(m + 0x2000)) << m;
    }
    EXPECT_FALSE(IsReflectedMessage(0x1FFF));
    for (unsigned m : {0x110, 0x39, 0x2E, 0x2F, 0x37, 0x132, 0x135, 0x138})
        EXPECT_TRUE(DialogReturnsResultDirectly(m)) << m;
    for (unsigned m : {0x4E, 0x111, 0x112, 0x131, 0x139, 0x2B, 0x88C6})
        EXPECT_FALSE(DialogReturnsResultDirectly(m)) << m;
}

}  // namespace
}  // namespace qs
