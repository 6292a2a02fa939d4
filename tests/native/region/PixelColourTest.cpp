// Hue and saturation of the span-closing colour test.

#include <gtest/gtest.h>

#include "region/PixelColour.h"

namespace {

struct ColourCase {
    uint8_t red, green, blue;
    int saturation;
    int hue;
    bool closes;
};

class PixelColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(PixelColour, HueSaturationAndTheCloseTest) {
    const ColourCase& c = GetParam();
    EXPECT_EQ(SaturationPercent(c.red, c.green, c.blue), c.saturation);
    EXPECT_EQ(HueDegrees(c.red, c.green, c.blue), c.hue);
    EXPECT_EQ(ClosesSpan(c.red, c.green, c.blue), c.closes);
}

INSTANTIATE_TEST_SUITE_P(Colours, PixelColour,
                         ::testing::Values(
                             // Black, white, greys: both 0.
                             ColourCase{0, 0, 0, 0, 0, true}, ColourCase{255, 255, 255, 0, 0, true},
                             ColourCase{128, 128, 128, 0, 0, true},
                             // Red largest, green = blue, saturation below 1%: near-grey.
                             ColourCase{200, 199, 199, 0, 0, true}, ColourCase{255, 253, 253, 0, 0, true},
                             // The same spread, but 1% exactly: not grey.
                             ColourCase{200, 198, 198, 1, 0, false},
                             // Red largest, green below blue: the hue wraps to 330.
                             ColourCase{255, 253, 254, 0, 330, false},
                             // Green largest: 60 at least; blue largest: 180 at least.
                             ColourCase{199, 200, 199, 0, 120, false}, ColourCase{199, 199, 200, 0, 240, false},
                             // Primary and mixed colours, truncated.
                             ColourCase{255, 0, 0, 100, 0, false}, ColourCase{0, 255, 0, 100, 120, false},
                             ColourCase{0, 0, 255, 100, 240, false}, ColourCase{255, 255, 0, 100, 60, false},
                             ColourCase{200, 40, 40, 80, 0, false}, ColourCase{40, 200, 40, 80, 120, false},
                             ColourCase{10, 20, 30, 66, 210, false}, ColourCase{30, 10, 20, 66, 330, false},
                             ColourCase{100, 37, 0, 100, 22, false}));

}  // namespace
