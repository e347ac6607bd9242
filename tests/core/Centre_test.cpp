#include <gtest/gtest.h>

#include "platform/window/Centre.h"

namespace qs {
namespace {

TEST(CentreTest, PlacesWindowInsideWorkArea) {
    const ScreenRect work = {0, 0, 1280, 984};  // a taskbar at the bottom
    const ScreenRect huge = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    // clang-format off
    const struct { const char* name; ScreenRect window, over, work; ScreenPoint expected; }
    cases[] = {
        {"keeps its size whatever its position", {900, 700, 1303, 1197}, work, work, {439, 244}},
        {"over an owner", {0, 0, 200, 100}, {100, 100, 500, 400}, work, {200, 200}},
        // Odd sums truncate toward zero, also for negative coordinates; then the bottom pushes
        // back.
        {"odd sizes", {0, 0, 101, 51}, {0, 0, 301, 201}, work, {100, 75}},
        {"negative monitor", {0, 0, 101, 51}, {-1281, -3, 0, 0}, {-1280, -2000, 0, 0}, {-690, -51}},
        {"near the right and bottom", {0, 0, 200, 100}, {1200, 900, 1280, 984}, work, {1080, 884}},
        {"near the left and top", {0, 0, 200, 100}, {-50, -40, 50, 40}, work, {0, 0}},
        {"too large keeps its top-left", {0, 0, 1500, 1100}, {1280, 20, 2560, 1004},
         {1280, 20, 2560, 1004}, {1280, 20}},
        {"no overflow", {0, 0, 100, 100}, huge, huge, {-50, -50}},
        {"huge window", huge, {0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0}}};
    // clang-format on
    for (const auto& c : cases) {
        const ScreenPoint p = CentrePosition(c.window, c.over, c.work);
        EXPECT_EQ(p.x, c.expected.x) << c.name;
        EXPECT_EQ(p.y, c.expected.y) << c.name;
    }
}

}  // namespace
}  // namespace qs
