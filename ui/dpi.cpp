// Density conversions: MulDiv rounding when scaling, floor(v / scale + 0.5)
// when unscaling.
#include "ui/dpi.h"

#include <cmath>
#include <limits>

namespace quorvel {

int32_t MulDivRound(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const int64_t half = denominator / 2;
  // The product fits in 63 bits, so adding half a denominator cannot overflow.
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t quotient = negative ? (product - half) / denominator : (product + half) / denominator;
  if (quotient > std::numeric_limits<int32_t>::max() ||
      quotient < std::numeric_limits<int32_t>::min()) {
    return -1;
  }
  return static_cast<int32_t>(quotient);
}

void PixelDensity::Set(int32_t newDpiX, int32_t newDpiY) {
  dpiX = newDpiX;
  dpiY = newDpiY;
  scaleX = dpiX / static_cast<double>(kBaseDpi);
  scaleY = dpiY / static_cast<double>(kBaseDpi);
}

int32_t PixelDensity::ScaleX(int32_t v) const {
  return aware ? MulDivRound(v, dpiX, kBaseDpi) : v;
}

int32_t PixelDensity::ScaleY(int32_t v) const {
  return aware ? MulDivRound(v, dpiY, kBaseDpi) : v;
}

int32_t PixelDensity::UnscaleX(int32_t v) const {
  return aware ? static_cast<int32_t>(std::floor(v / scaleX + 0.5)) : v;
}

int32_t PixelDensity::UnscaleY(int32_t v) const {
  return aware ? static_cast<int32_t>(std::floor(v / scaleY + 0.5)) : v;
}

PixelRect PixelDensity::ScaleRect(PixelRect r) const {
  return {MulDivRound(r.x, dpiX, kBaseDpi), MulDivRound(r.y, dpiY, kBaseDpi),
          MulDivRound(r.width, dpiX, kBaseDpi), MulDivRound(r.height, dpiY, kBaseDpi)};
}

PixelDensity& Dpi() {
  static PixelDensity density;
  return density;
}

}  // namespace quorvel
