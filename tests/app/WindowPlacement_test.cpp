// Dialog placement: centred over a window, kept on the screen.

#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

using vantrel::CentredPosition;
using vantrel::ScreenRect;

TEST(WindowPlacement, CentresOverTheWindowAndStaysInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1280, 984};  // a task bar below
    struct Case {
        const char* name;
        int width, height;
        ScreenRect over;
        int x, y;
    } cases[] = {
        {"over the work area", 400, 200, work, 440, 392},
        {"over a window", 200, 100, {100, 100, 700, 400}, 300, 200},
        {"odd sizes round down", 201, 101, {0, 0, 600, 300}, 199, 99},
        {"window near the right and bottom edges", 300, 200, {1100, 900, 1400, 1000}, 980, 784},
        {"window partly off the left and top", 300, 200, {-400, -300, 100, 0}, 0, 0},
        {"dialog larger than the work area", 1500, 1100, work, 0, 0},
    };
    for (const Case& c : cases) {
        const vantrel::ScreenPoint at = CentredPosition(c.width, c.height, c.over, work);
        EXPECT_EQ(at.x, c.x) << c.name;
        EXPECT_EQ(at.y, c.y) << c.name;
    }
}

}  // namespace
