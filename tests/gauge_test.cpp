// The gauge's band: where it lies and how far it is filled.
#include <gtest/gtest.h>

#include <vector>

#include "ui/gauge.h"

namespace {

TEST(GaugeGeometry, BandAtFiveSixthsFilledFromTheLeft) {
    // clang-format off
    const struct { const char* name; int width, height; unsigned value, maximum; RECT frame, fill; int band = 24; } rows[] = {
        {"half", 400, 300, 50, 100, {0, 250, 400, 274}, {2, 252, 202, 273}},
        {"100 is held to the band", 400, 300, 100, 100, {0, 250, 400, 274}, {2, 252, 399, 273}},
        {"zero shows the frame only", 400, 300, 0, 100, {0, 250, 400, 274}, {2, 252, 1, 273}},
        {"H x 5 / 6, not H / 6 x 5: a height 6 does not divide", 100, 11, 1, 2, {0, 9, 100, 33}, {2, 11, 99, 32}},
        // At 150 % and 200 % the band is as much higher as the window, filled as far inside.
        {"a band of 36, full", 600, 450, 100, 100, {0, 375, 600, 411}, {3, 378, 598, 409}, 36},
        {"a band of 48, half", 800, 600, 50, 100, {0, 500, 800, 548}, {4, 504, 404, 545}, 48},
    };
    // clang-format on
    auto edges = [](const RECT& r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GaugeGeometry g = ComputeGauge(row.width, row.height, row.value, row.maximum, row.band);
        EXPECT_EQ(edges(g.frame), edges(row.frame));
        EXPECT_EQ(edges(g.fill), edges(row.fill));
    }
}

} // namespace
