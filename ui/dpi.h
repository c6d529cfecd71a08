// Pixel density of the screen and the conversions between logical sizes and
// device pixels that windows and gadgets apply to their rectangles.
#pragma once

#include <cstdint>

namespace quorvel {

// Whether sizes given to the layer are logical (scaled by the screen's
// density) or device pixels. Off in this program: every conversion answers
// its input unchanged.
inline constexpr bool DpiAware = false;

inline constexpr int32_t kBaseDpi = 96;

struct PixelRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// number × numerator / denominator with a 64-bit product, rounded to the
// nearest integer with halves away from zero; -1 when the denominator is 0 or
// the result does not fit in 32 bits (the documented rule of Win32's MulDiv).
[[nodiscard]] int32_t MulDivRound(int32_t number, int32_t numerator, int32_t denominator);

// One set of density values. The layer keeps one process-wide instance
// (Dpi()); a test builds its own with aware set to try the arithmetic.
struct PixelDensity {
  bool aware = DpiAware;
  int32_t dpiX = kBaseDpi;
  int32_t dpiY = kBaseDpi;
  double scaleX = 1.0;
  double scaleY = 1.0;

  // Density values read from the screen; scale = dpi / 96.
  void Set(int32_t newDpiX, int32_t newDpiY);

  [[nodiscard]] int32_t ScaleX(int32_t v) const;
  [[nodiscard]] int32_t ScaleY(int32_t v) const;
  [[nodiscard]] int32_t UnscaleX(int32_t v) const;
  [[nodiscard]] int32_t UnscaleY(int32_t v) const;
  // Scales whatever the switch says: at 96 dpi the rectangle is unchanged.
  [[nodiscard]] PixelRect ScaleRect(PixelRect r) const;
};

// The values shared by the window and gadget layers.
PixelDensity& Dpi();

[[nodiscard]] inline int32_t DpiScaleX(int32_t v) { return Dpi().ScaleX(v); }
[[nodiscard]] inline int32_t DpiScaleY(int32_t v) { return Dpi().ScaleY(v); }
[[nodiscard]] inline int32_t DpiUnscaleX(int32_t v) { return Dpi().UnscaleX(v); }
[[nodiscard]] inline int32_t DpiUnscaleY(int32_t v) { return Dpi().UnscaleY(v); }
[[nodiscard]] inline PixelRect DpiScaleRect(PixelRect r) { return Dpi().ScaleRect(r); }
// In place, for callers that hold the four values apart.
inline void DpiScaleRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
  const PixelRect r = Dpi().ScaleRect({x, y, width, height});
  x = r.x;
  y = r.y;
  width = r.width;
  height = r.height;
}

}  // namespace quorvel
