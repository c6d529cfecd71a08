// Flag word, position, show command, centring and the input requester's
// geometry of the window library.
#include "ui/window_style.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(WindowStyle, TheApplicationsWindowIsMaximisedInvisibleWithoutCaption) {
  const WindowStyle s = WindowStyleFromFlags(0x11000001);
  EXPECT_EQ(s.style, 0x01000000u);
  EXPECT_EQ(s.adjustStyle, 0x01000000u);
  EXPECT_EQ(s.exStyle, 0u);
  EXPECT_FALSE(s.visible);
  EXPECT_FALSE(s.noActivate);
  EXPECT_TRUE(s.gadgetParent);
  EXPECT_TRUE(s.minimizedOrMaximized);
  EXPECT_EQ(s.showCommand, kSwShowMaximized);
}

TEST(WindowStyle, FlagWordsToStyles) {
  struct Case {
    uint32_t flags;
    uint32_t style, adjustStyle, exStyle;
    bool visible, noActivate, gadgetParent;
    int32_t show;
  };
  const Case cases[] = {
      // Only placement and visibility bits: a caption is added.
      {0x0, 0xC00000, 0xC00000, 0, true, false, true, kSwShowNormal},
      {0x1, 0xC00000, 0xC00000, 0, true, false, true, kSwShowNormal},
      {0x3, 0xC00000, 0xC00000, 0, true, false, true, kSwShowNormal},
      {0x10000000, 0xC00000, 0xC00000, 0, false, false, true, kSwShowNormal},
      // No-gadget-parent is removed before the caption rule.
      {0x8, 0xC00000, 0xC00000, 0, true, false, false, kSwShowNormal},
      // Other bits pass through and suppress the caption.
      {0x80000, 0x80000, 0x80000, 0, true, false, true, kSwShowNormal},
      {0x01000000, 0x01000000, 0x01000000, 0, true, false, true, kSwShowMaximized},
      {0x20000000, 0x20000000, 0x20000000, 0, true, false, true, kSwShowMinimized},
      // No-activate is stripped from the created style only.
      {0x02000000, 0x0, 0x02000000, 0, true, true, true, kSwShowNoActivate},
      {0x03000000, 0x01000000, 0x03000000, 0, true, true, true, kSwShowNa},
      {0x22000000, 0x20000000, 0x22000000, 0, true, true, true, kSwShowMinNoActive},
      // Tool window: boxes and states cleared, caption forced.
      {0x4, 0xC00000, 0xC00000, 0x80, true, false, true, kSwShowNormal},
      {0x21CF0004, 0xCC0000, 0xCC0000, 0x80, true, false, true, kSwShowNormal},
      {0x1004000C, 0xC40000, 0xC40000, 0x80, false, false, false, kSwShowNormal},
  };
  for (const Case& c : cases) {
    const WindowStyle s = WindowStyleFromFlags(c.flags);
    SCOPED_TRACE(testing::Message() << std::hex << "flags 0x" << c.flags);
    EXPECT_EQ(s.style, c.style);
    EXPECT_EQ(s.adjustStyle, c.adjustStyle);
    EXPECT_EQ(s.exStyle, c.exStyle);
    EXPECT_EQ(s.visible, c.visible);
    EXPECT_EQ(s.noActivate, c.noActivate);
    EXPECT_EQ(s.gadgetParent, c.gadgetParent);
    EXPECT_EQ(s.showCommand, c.show);
  }
}

TEST(WindowStyle, ToolWindowClearsTheMinimisedOrMaximisedState) {
  EXPECT_FALSE(WindowStyleFromFlags(0x01000004).minimizedOrMaximized);
  EXPECT_TRUE(WindowStyleFromFlags(0x20000000).minimizedOrMaximized);
  EXPECT_FALSE(WindowStyleFromFlags(0x00CF0000).minimizedOrMaximized);
}

TEST(WindowPosition, DefaultCentredAndFrameAllowance) {
  const PixelDensity density;
  const uint32_t sizeable = kWsCaption | kWsThickFrame;
  struct Case {
    int32_t x, y;
    uint32_t flags, style;
    bool composition;
    PixelPoint expected;
  };
  const Case cases[] = {
      {PositionDefault, 10, 0, 0, false, {kCwUseDefault, kCwUseDefault}},
      {PositionDefault, 10, 1, 0, false, {kCwUseDefault, kCwUseDefault}},
      {10, PositionDefault, 0, 0, false, {kCwUseDefault, kCwUseDefault}},
      // A centring bit keeps the given values: centring places the window later.
      {10, PositionDefault, 1, 0, false, {10, PositionDefault}},
      {10, PositionDefault, 2, 0, false, {10, PositionDefault}},
      {0, 0, 1, 0x01000000, true, {0, 0}},
      {100, 50, 0, sizeable, false, {100, 50}},
      {100, 50, 0, sizeable, true, {95, 50}},
      {100, 50, 0, kWsCaption, true, {100, 50}},
      {100, 50, 0, kWsThickFrame, true, {100, 50}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowPosition(c.x, c.y, c.flags, c.style, c.composition, density), c.expected)
        << c.x << "," << c.y << " flags " << c.flags << " style " << c.style;
  }
}

TEST(WindowPosition, ScalesWhenDensityAware) {
  PixelDensity density;
  density.aware = true;
  density.Set(144, 144);
  // The allowance is unscaled (5 / 1.5 = 3.33 → 3) before the position is scaled.
  EXPECT_EQ(WindowPosition(10, 20, 0, kWsCaption | kWsThickFrame, true, density),
            (PixelPoint{11, 30}));
  EXPECT_EQ(WindowPosition(10, 20, 0, 0, true, density), (PixelPoint{15, 30}));
}

TEST(ShowCommand, ZoomedBeforeIconicWithOrWithoutActivation) {
  EXPECT_EQ(ShowCommandFor(true, false, false), kSwShowMaximized);
  EXPECT_EQ(ShowCommandFor(true, true, false), kSwShowMaximized);
  EXPECT_EQ(ShowCommandFor(true, false, true), kSwShowNa);
  EXPECT_EQ(ShowCommandFor(false, true, false), kSwShowMinimized);
  EXPECT_EQ(ShowCommandFor(false, true, true), kSwShowMinNoActive);
  EXPECT_EQ(ShowCommandFor(false, false, false), kSwShowNormal);
  EXPECT_EQ(ShowCommandFor(false, false, true), kSwShowNoActivate);
}

TEST(WindowCenter, OnTheScreen) {
  struct Case {
    int32_t w, h, sw, sh;
    PixelPoint expected;
  };
  const Case cases[] = {
      {400, 400, 1920, 1080, {760, 340}},
      {401, 401, 1920, 1080, {759, 339}},  // 759.5 and 339.5 truncate
      {1920, 1080, 1920, 1080, {0, 0}},
      {3000, 2000, 1920, 1080, {0, 0}},    // larger than the screen: clamped
      {416, 439, 1024, 768, {304, 164}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowCenterPosition(WindowFlagScreenCentered, c.w, c.h, c.sw, c.sh, {}),
              c.expected)
        << c.w << "x" << c.h;
  }
}

TEST(WindowCenter, OnTheOwnerWithNegativesReplacedByZero) {
  EXPECT_EQ(WindowCenterPosition(WindowFlagOwnerCentered, 200, 100, 1920, 1080,
                                 {100, 50, 600, 400}),
            (PixelPoint{300, 200}));
  EXPECT_EQ(WindowCenterPosition(WindowFlagOwnerCentered, 201, 101, 1920, 1080,
                                 {100, 50, 600, 400}),
            (PixelPoint{299, 199}));
  // Wider than its owner at the screen's left edge.
  EXPECT_EQ(WindowCenterPosition(WindowFlagOwnerCentered, 800, 600, 1920, 1080, {0, 10, 200, 100}),
            (PixelPoint{0, 0}));
  // (owner width − w) / 2 truncates toward zero: (100 − 301) / 2 = −100.
  EXPECT_EQ(WindowCenterPosition(WindowFlagOwnerCentered, 301, 10, 1920, 1080, {150, 0, 100, 10}),
            (PixelPoint{50, 0}));
  // The screen wins when both bits are set.
  EXPECT_EQ(WindowCenterPosition(WindowFlagScreenCentered | WindowFlagOwnerCentered, 400, 400,
                                 1920, 1080, {0, 0, 100, 100}),
            (PixelPoint{760, 340}));
}

TEST(InputRequester, GeometryOnCommonScreens) {
  EXPECT_EQ(InputRequesterRect(1920, 1080), (PixelRect{810, 475, 300, 130}));
  EXPECT_EQ(InputRequesterRect(1024, 768), (PixelRect{362, 319, 300, 130}));
  EXPECT_EQ(InputRequesterRect(1365, 767), (PixelRect{532, 318, 300, 130}));  // halves truncate
  EXPECT_EQ(InputRequesterRect(200, 100), (PixelRect{-50, -15, 300, 130}));
}

}  // namespace
}  // namespace quorvel
