// Accelerator rows from shortcut values, replace-or-append, and the choices
// behind Tab.
#include "ui/shortcuts.h"

namespace quorvel {

ShortcutRow ShortcutRowFor(int32_t shortcut, int32_t item) {
  uint8_t fVirt = kFVirtKey | kFNoInvert;
  if ((shortcut & ShortcutShift) != 0) fVirt |= kFShift;
  if ((shortcut & ShortcutControl) != 0) fVirt |= kFControl;
  if ((shortcut & ShortcutAlt) != 0) fVirt |= kFAlt;
  return {fVirt, static_cast<uint16_t>(shortcut & 0xFFFF), static_cast<uint16_t>(item)};
}

ShortcutTable::ShortcutTable()
    : rows_{{kFVirtKey | kFNoInvert, KeyTab, CommandFocusNext},
            {kFVirtKey | kFNoInvert | kFShift, KeyTab, CommandFocusPrevious}} {}

void ShortcutTable::Add(int32_t shortcut, int32_t item) {
  const ShortcutRow row = ShortcutRowFor(shortcut, item);
  for (ShortcutRow& existing : rows_) {
    if (existing.key == row.key && existing.fVirt == row.fVirt) {
      existing.cmd = row.cmd;
      return;
    }
  }
  rows_.push_back(row);
}

bool IsRichEditClassName(std::u16string_view className) {
  return className.starts_with(u"RichE") || className.starts_with(u"RICH");
}

int32_t FocusStepTarget(int32_t count, int32_t current, bool currentIsNone, bool forward) {
  if (count <= 0) return -1;
  if (forward) {
    if (currentIsNone) return 0;
    if (current < 0) return -1;  // the focus is on no tab stop: nothing follows it
    return current + 1 < count ? current + 1 : 0;
  }
  // Backward: the stop before the current one, or the last when there is none.
  if (currentIsNone || current <= 0) return count - 1;
  return current - 1;
}

}  // namespace quorvel
