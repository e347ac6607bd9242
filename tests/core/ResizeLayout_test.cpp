#include <gtest/gtest.h>

#include "platform/ResizeLayout.h"

namespace qs {
namespace {

TEST(ResizeLayoutTest, ControlsFollowTheGrowthOfTheClientArea) {
    const ClientRect preview = {10, 12, 508, 348};
    const ClientRect button = {422, 357, 509, 383};
    const struct {
        const char* name;
        unsigned flags;
        ClientRect initial;
        int dx, dy;
        ClientRect expected;
    } rows[] = {
        {"stretched both ways", 0x3, preview, 200, 150, {10, 12, 708, 498}},
        {"moved both ways", 0xC, button, 200, 150, {622, 507, 709, 533}},
        {"the grip: moved both ways, repainted",
         0x1C,
         {504, 375, 521, 392},
         7,
         -3,
         {511, 372, 528, 389}},
        {"no growth", 0x3, preview, 0, 0, preview},
        {"stretched one way, moved the other", 0x1 | 0x8, button, 20, 30, {422, 387, 529, 413}},
        {"moving wins over stretching", 0xF, button, 20, 30, {442, 387, 529, 413}},
        {"no flags: stays", 0x10, button, 50, 50, button},
        {"shrunk past its size: empty, not negative", 0x3, preview, -600, -400, {10, 12, 10, 12}},
    };
    for (const auto& row : rows) {
        const ClientRect r = LayOutControl(row.flags, row.initial, row.dx, row.dy);
        EXPECT_EQ(r.left, row.expected.left) << row.name;
        EXPECT_EQ(r.top, row.expected.top) << row.name;
        EXPECT_EQ(r.right, row.expected.right) << row.name;
        EXPECT_EQ(r.bottom, row.expected.bottom) << row.name;
    }
}

TEST(ResizeLayoutTest, SizeTypesDecideLayoutAndGrip) {
    const struct {
        unsigned type;
        bool layOut;
        GripChange grip;
    } rows[] = {{0, true, GripChange::kShow},
                {1, false, GripChange::kKeep},
                {2, true, GripChange::kHide},
                {3, true, GripChange::kKeep},
                {4, true, GripChange::kKeep}};
    for (const auto& row : rows) {
        const SizeResponse response = RespondToSize(row.type);
        EXPECT_EQ(response.layOut, row.layOut) << row.type;
        EXPECT_EQ(response.grip, row.grip) << row.type;
    }
}

}  // namespace
}  // namespace qs
