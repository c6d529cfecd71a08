// The rules by which the window procedure turns window messages into events
// that need more than one table row: WM_COMMAND, WM_SIZE and the tray-icon
// callback. Message numbers are defined here, so this builds without Win32.
#pragma once

#include <cstdint>

#include "ui/event_queue.h"

namespace quorvel {

inline constexpr uint32_t kWmMove = 0x0003;
inline constexpr uint32_t kWmSize = 0x0005;
inline constexpr uint32_t kWmActivate = 0x0006;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmEraseBkgnd = 0x0014;
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmSysKeyDown = 0x0104;
inline constexpr uint32_t kWmCommand = 0x0111;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmHotKey = 0x0312;
// The tray icon's callback message, and the private message offered to gadgets.
inline constexpr uint32_t kWmTrayCallback = 12501;
inline constexpr uint32_t kWmGadgetPrivate = 13120;

inline constexpr uint64_t kSizeRestored = 0;
inline constexpr uint64_t kSizeMinimized = 1;
inline constexpr uint64_t kSizeMaximized = 2;

// A control with this ID sends menu commands rather than gadget notifications.
inline constexpr int64_t kMenuCommandControlId = -10000;

// What a WM_COMMAND that no gadget took becomes.
struct CommandOutcome {
  enum class Kind { Raise, FocusNext, FocusPrevious };
  Kind kind = Kind::Raise;
  int32_t code = 0;
  int64_t object = 0;
  int64_t type = 0;
};

// wParam as received; fromControl when lParam names a control, whose ID
// (GWLP_ID) is then controlId.
[[nodiscard]] CommandOutcome TranslateCommand(uint64_t wParam, bool fromControl,
                                              int64_t controlId);

// WM_SIZE at a ready numbered window: raises the minimise, maximise, restore
// and resize events of window, keeping at most one resize event of the
// window in the queue, and updates the window's minimised-or-maximised flag.
void RaiseSizeEvents(EventQueue& queue, int64_t window, uint64_t sizeType,
                     int32_t& minimizedOrMaximized);

// The event type of a tray-icon click named by lParam, or -1 for none.
[[nodiscard]] int64_t TrayClickType(int64_t lParam);

}  // namespace quorvel
