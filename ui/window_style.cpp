// Flag word, position, show command and centring rules of the window library.
#include "ui/window_style.h"

#include <algorithm>

namespace quorvel {

namespace {
constexpr uint32_t kCentringBits = WindowFlagScreenCentered | WindowFlagOwnerCentered;
constexpr uint32_t kLibraryLowBits = kCentringBits | WindowFlagToolWindow;
constexpr uint32_t kToolWindowMask = ~(kWsMaximizeBox | kWsMinimizeBox | WindowFlagMaximize | kWsMinimize);
constexpr int32_t kCompositionFrame = 5;
}  // namespace

WindowStyle WindowStyleFromFlags(uint32_t flags) {
  WindowStyle result;
  result.gadgetParent = (flags & WindowFlagNoGadgetParent) == 0;
  uint32_t s = flags & ~WindowFlagNoGadgetParent;
  // A flag word with nothing but placement and visibility bits gets a caption.
  if ((s & ~(kCentringBits | WindowFlagInvisible)) == 0) s |= kWsCaption;
  if ((s & WindowFlagInvisible) != 0) {
    s &= ~WindowFlagInvisible;
    result.visible = false;
  }
  result.noActivate = (s & WindowFlagNoActivate) != 0;
  if ((s & WindowFlagToolWindow) != 0) {
    s = (s & kToolWindowMask) | kWsCaption;
    result.exStyle = kWsExToolWindow;
  }
  result.adjustStyle = s & ~kLibraryLowBits;
  result.style = s & ~(kLibraryLowBits | WindowFlagNoActivate);
  result.minimizedOrMaximized = (s & (WindowFlagMaximize | kWsMinimize)) != 0;
  result.showCommand =
      ShowCommandFor((s & WindowFlagMaximize) != 0, (s & kWsMinimize) != 0, result.noActivate);
  return result;
}

PixelPoint WindowPosition(int32_t x, int32_t y, uint32_t flags, uint32_t style, bool composition,
                          const PixelDensity& density) {
  if (x == PositionDefault) return {kCwUseDefault, kCwUseDefault};
  if (y == PositionDefault && (flags & kCentringBits) == 0) return {kCwUseDefault, kCwUseDefault};
  if ((style & (kWsCaption | kWsThickFrame)) == (kWsCaption | kWsThickFrame)) {
    x -= density.UnscaleX(composition ? kCompositionFrame : 0);
  }
  return {density.ScaleX(x), density.ScaleY(y)};
}

int32_t ShowCommandFor(bool zoomed, bool iconic, bool noActivate) {
  if (zoomed) return noActivate ? kSwShowNa : kSwShowMaximized;
  if (iconic) return noActivate ? kSwShowMinNoActive : kSwShowMinimized;
  return noActivate ? kSwShowNoActivate : kSwShowNormal;
}

PixelPoint WindowCenterPosition(uint32_t flags, int32_t width, int32_t height,
                                int32_t screenWidth, int32_t screenHeight, PixelRect owner) {
  PixelPoint p;
  if ((flags & WindowFlagScreenCentered) != 0) {
    p.x = (screenWidth - std::min(width, screenWidth)) / 2;
    p.y = (screenHeight - std::min(height, screenHeight)) / 2;
  } else {
    p.x = (owner.width - width) / 2 + owner.x;
    p.y = (owner.height - height) / 2 + owner.y;
  }
  return {std::max(p.x, 0), std::max(p.y, 0)};
}

PixelRect InputRequesterRect(int screenW, int screenH) {
  constexpr int32_t kWidth = 300;
  constexpr int32_t kHeight = 130;
  return {screenW / 2 - kWidth / 2, screenH / 2 - kHeight / 2, kWidth, kHeight};
}

}  // namespace quorvel
