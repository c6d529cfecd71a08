// Keyboard shortcuts of a window: the rows of its accelerator table, built
// from shortcut values, and the focus-stepping choice behind Tab.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/platform_names.h"  // ShortcutShift, ShortcutControl, ShortcutAlt, KeyTab

namespace quorvel {

// Commands of the two built-in rows (Tab, Shift+Tab).
inline constexpr uint16_t CommandFocusNext = 64001;
inline constexpr uint16_t CommandFocusPrevious = 64002;

// Win32 ACCEL flags, defined here without <windows.h>.
inline constexpr uint8_t kFVirtKey = 0x01;
inline constexpr uint8_t kFNoInvert = 0x02;
inline constexpr uint8_t kFShift = 0x04;
inline constexpr uint8_t kFControl = 0x08;
inline constexpr uint8_t kFAlt = 0x10;

// One accelerator row, laid out as Win32's ACCEL.
struct ShortcutRow {
  uint8_t fVirt = 0;
  uint16_t key = 0;
  uint16_t cmd = 0;
  friend bool operator==(const ShortcutRow&, const ShortcutRow&) = default;
};

[[nodiscard]] ShortcutRow ShortcutRowFor(int32_t shortcut, int32_t item);

// The rows of one window: the two Tab rows first, then each added shortcut.
class ShortcutTable {
 public:
  ShortcutTable();

  // Replaces the command of the row with the same key and modifiers, or
  // appends a row.
  void Add(int32_t shortcut, int32_t item);

  [[nodiscard]] const std::vector<ShortcutRow>& Rows() const { return rows_; }
  [[nodiscard]] int32_t Count() const { return static_cast<int32_t>(rows_.size()); }

 private:
  std::vector<ShortcutRow> rows_;
};

// Whether a control of this class is a rich-edit control (class names
// beginning "RichE" or "RICH"): an editable one takes Tab as text rather than
// as a focus step.
[[nodiscard]] bool IsRichEditClassName(std::u16string_view className);

// Focus stepping over count tab stops. current is the index of the focused
// control among them, -1 when it is not one of them; currentIsNone says that
// no control counts as focused. Returns the index to focus, or -1 for none.
[[nodiscard]] int32_t FocusStepTarget(int32_t count, int32_t current, bool currentIsNone,
                                      bool forward);

}  // namespace quorvel
