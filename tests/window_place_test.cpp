// Centring arithmetic.
#include <gtest/gtest.h>

#include "ui/window_place.h"

namespace {

TEST(CenterPosition, MiddleOfTheScreen) {
    // clang-format off
    const struct { const char* name; int screenWidth, screenHeight; RECT window; int x, y; } rows[] = {
        {"ordinary", 1024, 768, {10, 10, 410, 310}, 312, 234},
        {"odd sizes truncate", 1025, 769, {0, 0, 400, 300}, 312, 234},
        {"wider than the screen", 800, 600, {0, 0, 803, 100}, -1, 250},
        {"much wider and taller", 640, 480, {50, 50, 1050, 1050}, -180, -260},
        {"already centred", 1024, 768, {312, 234, 712, 534}, 312, 234},
    };
    // clang-format on
    for (const auto& row : rows) {
        POINT p = CenterPosition(row.screenWidth, row.screenHeight, row.window);
        EXPECT_EQ(p.x, row.x) << row.name;
        EXPECT_EQ(p.y, row.y) << row.name;
    }
}

} // namespace
