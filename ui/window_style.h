// The arithmetic of opening, showing and centring a numbered window, kept
// apart from the Win32 calls: flag word to created style, default position,
// show command, centred position, and the input requester's geometry.
#pragma once

#include <cstdint>

#include "app/platform_names.h"  // WindowFlag* bits
#include "ui/dpi.h"

namespace quorvel {

// x or y of WindowOpen asking the system to place the window.
inline constexpr int32_t PositionDefault = -65535;

// Win32 values, defined here so that this file needs no <windows.h>.
inline constexpr uint32_t kWsMinimize = 0x20000000;
inline constexpr uint32_t kWsCaption = 0x00C00000;
inline constexpr uint32_t kWsThickFrame = 0x00040000;
inline constexpr uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr uint32_t kWsExToolWindow = 0x00000080;
inline constexpr int32_t kCwUseDefault = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t kSwHide = 0;
inline constexpr int32_t kSwShowNormal = 1;
inline constexpr int32_t kSwShowMinimized = 2;
inline constexpr int32_t kSwShowMaximized = 3;
inline constexpr int32_t kSwShowNoActivate = 4;
inline constexpr int32_t kSwShowMinNoActive = 7;
inline constexpr int32_t kSwShowNa = 8;

// What WindowOpen makes of its flag word.
struct WindowStyle {
  uint32_t style = 0;        // for CreateWindowExW: library bits removed
  uint32_t adjustStyle = 0;  // for AdjustWindowRectEx
  uint32_t exStyle = 0;
  bool visible = true;       // ShowWindow after creation
  bool noActivate = false;
  int32_t showCommand = kSwShowNormal;
  bool gadgetParent = true;  // the new window becomes the gadget parent
  bool minimizedOrMaximized = false;
};

[[nodiscard]] WindowStyle WindowStyleFromFlags(uint32_t flags);

struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The x and y given to CreateWindowExW. style is WindowStyle::style;
// composition says whether desktop composition is on (a frame allowance of 5
// pixels is taken off x for a captioned, sizeable window).
[[nodiscard]] PixelPoint WindowPosition(int32_t x, int32_t y, uint32_t flags, uint32_t style,
                                        bool composition, const PixelDensity& density);

// The show command for a window that is zoomed, iconic or neither; used when
// a window opens and when WindowSetHidden shows it.
[[nodiscard]] int32_t ShowCommandFor(bool zoomed, bool iconic, bool noActivate);

// Where WindowCenter moves a window of outer size width × height. With
// WindowFlagScreenCentered, centred on a screen of screenWidth × screenHeight;
// otherwise centred on the owner's outer rectangle. Halves truncate toward
// zero and a negative coordinate becomes 0.
[[nodiscard]] PixelPoint WindowCenterPosition(uint32_t flags, int32_t width, int32_t height,
                                              int32_t screenWidth, int32_t screenHeight,
                                              PixelRect owner);

// The input requester: outer rectangle on a screen of the given size, and its
// children in the dialog's client area.
[[nodiscard]] PixelRect InputRequesterRect(int screenW, int screenH);
inline constexpr PixelRect kInputRequesterMessageRect{10, 10, 280, 22};
inline constexpr PixelRect kInputRequesterEntryRect{10, 32, 275, 21};
inline constexpr PixelRect kInputRequesterButtonRect{110, 67, 80, 25};

}  // namespace quorvel
