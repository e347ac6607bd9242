#include <gtest/gtest.h>

#include "platform/Centre.h"

namespace qs {
namespace {

struct CentreCase {
    const char* name;
    ScreenRect window;
    ScreenRect over;
    ScreenRect work;
    ScreenPoint expected;
};

TEST(CentreTest, PlacesWindowInsideWorkArea) {
    const ScreenRect work = {0, 0, 1280, 984};  // a taskbar at the bottom
    const CentreCase cases[] = {
        {"on the work area", {0, 0, 403, 497}, work, work, {439, 244}},
        {"keeps its size whatever its position", {900, 700, 1303, 1197}, work, work, {439, 244}},
        {"over an owner", {0, 0, 200, 100}, {100, 100, 500, 400}, work, {200, 200}},
        // Odd sums truncate toward zero, also for negative coordinates (a monitor to the left:
        // -1281 / 2 is -640); then the bottom edge pushes back.
        {"odd sizes", {0, 0, 101, 51}, {0, 0, 301, 201}, work, {100, 75}},
        {"negative monitor", {0, 0, 101, 51}, {-1281, -3, 0, 0}, {-1280, -2000, 0, 0}, {-690, -51}},
        {"owner near the right and bottom edges",
         {0, 0, 200, 100},
         {1200, 900, 1280, 984},
         work,
         {1080, 884}},
        {"owner near the left and top edges", {0, 0, 200, 100}, {-50, -40, 50, 40}, work, {0, 0}},
        {"larger than the work area keeps the top-left corner",
         {0, 0, 1500, 1100},
         work,
         work,
         {0, 0}},
        {"work area not at the origin",
         {0, 0, 1500, 1100},
         {1280, 20, 2560, 1004},
         {1280, 20, 2560, 1004},
         {1280, 20}},
        {"exact fit", {5, 5, 1285, 989}, work, work, {0, 0}},
    };
    for (const CentreCase& c : cases) {
        const ScreenPoint p = CentrePosition(c.window, c.over, c.work);
        EXPECT_EQ(p.x, c.expected.x) << c.name;
        EXPECT_EQ(p.y, c.expected.y) << c.name;
    }
}

TEST(CentreTest, ExtremeCoordinatesDoNotOverflow) {
    const ScreenRect huge = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    const ScreenPoint p = CentrePosition({0, 0, 100, 100}, huge, huge);
    EXPECT_EQ(p.x, -50);
    EXPECT_EQ(p.y, -50);
    const ScreenPoint q = CentrePosition(huge, {0, 0, 10, 10}, {0, 0, 10, 10});
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 0);
}

}  // namespace
}  // namespace qs
