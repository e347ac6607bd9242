#include <gtest/gtest.h>

#include "platform/window/ResizeLayout.h"

namespace qs {
namespace {

TEST(ResizeLayoutTest, ControlsFollowTheClientAreaBySizeType) {
    const ClientRect box = {422, 357, 509, 383};
    // clang-format off
    const struct { unsigned flags; int dx, dy; ClientRect expected; } rows[] = {
        {0x3, 200, 150, {422, 357, 709, 533}},      // the preview: stretched both ways
        {0xC, 200, 150, {622, 507, 709, 533}},      // "Close": moved both ways
        {0x1C, 7, -3, {429, 354, 516, 380}},        // the grip: moved both ways, repainted
        {0x1 | 0x8, 20, 30, {422, 387, 529, 413}},  // stretched one way, moved the other
        {0xF, 20, 30, {442, 387, 529, 413}},        // moving wins over stretching
        {0x10, 50, 50, box},                        // neither: stays
        {0x3, -600, -400, {422, 357, 422, 357}},    // shrunk past its size: empty, never negative
    };
    // clang-format on
    for (const auto& row : rows) {
        const ClientRect r = LayOutControl(row.flags, box, row.dx, row.dy);
        EXPECT_TRUE(r.left == row.expected.left && r.top == row.expected.top &&
                    r.right == row.expected.right && r.bottom == row.expected.bottom)
            << row.flags << " " << r.left << " " << r.top << " " << r.right << " " << r.bottom;
    }
    // Restored shows the grip, maximised hides it, minimised lays nothing out; others lay out.
    const GripChange grips[] = {GripChange::kShow, GripChange::kKeep, GripChange::kHide,
                                GripChange::kKeep, GripChange::kKeep};
    for (unsigned type = 0; type < 5; ++type) {
        EXPECT_EQ(RespondToSize(type).layOut, type != 1) << type;
        EXPECT_EQ(RespondToSize(type).grip, grips[type]) << type;
    }
}

}  // namespace
}  // namespace qs
