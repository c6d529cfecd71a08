// Pixel-density arithmetic, with the switch off as built and on as a test
// density.
#include "ui/dpi.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Dpi, MulDivRoundsHalvesAwayFromZero) {
  struct Case {
    int32_t number, numerator, denominator, expected;
  };
  const Case cases[] = {
      {5, 144, 96, 8},      // 7.5
      {-5, 144, 96, -8},    // -7.5
      {5, -144, 96, -8},
      {5, 144, -96, -8},
      {-5, -144, -96, -8},
      {3, 144, 96, 5},      // 4.5
      {1, 120, 96, 1},      // 1.25
      {3, 120, 96, 4},      // 3.75
      {-1, 120, 96, -1},
      {0, 144, 96, 0},
      {7, 1, 0, -1},        // no denominator
      {2000000000, 2000000000, 1, -1},  // does not fit
      {2000000000, 96, 96, 2000000000},  // the product needs 64 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDivRound(c.number, c.numerator, c.denominator), c.expected)
        << c.number << "*" << c.numerator << "/" << c.denominator;
  }
}

TEST(Dpi, OnAt144ScalesByMulDivAndUnscalesByRounding) {
  PixelDensity density;
  density.aware = true;
  density.Set(144, 120);
  EXPECT_EQ(density.scaleX, 1.5);
  EXPECT_EQ(density.scaleY, 1.25);
  EXPECT_EQ(density.ScaleX(5), 8);
  EXPECT_EQ(density.UnscaleX(8), 5);
  EXPECT_EQ(density.ScaleY(4), 5);
  EXPECT_EQ(density.UnscaleY(5), 4);
  EXPECT_EQ(density.UnscaleX(-8), -5);  // floor(-5.33 + 0.5)
  EXPECT_EQ(density.UnscaleX(-3), -2);  // floor(-2 + 0.5)
  EXPECT_EQ(density.ScaleRect({10, 20, 30, 40}), (PixelRect{15, 25, 45, 50}));
}

TEST(Dpi, ScaleRectIgnoresTheSwitch) {
  PixelDensity density;
  density.Set(192, 192);
  EXPECT_FALSE(density.aware);
  EXPECT_EQ(density.ScaleX(5), 5);
  EXPECT_EQ(density.ScaleRect({1, 2, 3, 4}), (PixelRect{2, 4, 6, 8}));
}

}  // namespace
}  // namespace quorvel
