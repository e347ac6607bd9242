#include "commands/MenuPlacement.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(ClampMenuX, MovesXIntoTheNearestWorkAreaOnlyForAPointOnNoMonitor) {
    const struct {
        int x;
        MonitorAnswers answers;
        int expected;
    } rows[] = {
        // On a monitor: as it is, wherever the work area is.
        {-3000, {true, true, true, 0, 1280}, -3000},
        // Off every monitor, but nothing to clamp to: as it is.
        {-3000, {false, false, false, 0, 1280}, -3000},
        {-3000, {false, true, false, 0, 1280}, -3000},
        // Off every monitor: into the work area, its right edge itself included.
        {-1, {false, true, true, 0, 1280}, 0},
        {0, {false, true, true, 0, 1280}, 0},
        {1280, {false, true, true, 0, 1280}, 1280},
        {1281, {false, true, true, 0, 1280}, 1280},
        {-1500, {false, true, true, -1920, -40}, -1500},
        {5000, {false, true, true, -1920, -40}, -40},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ClampMenuX(row.x, row.answers), row.expected)
            << row.x << " " << row.answers.workLeft;
}

}  // namespace
}  // namespace qs
