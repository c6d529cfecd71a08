// WM_COMMAND, WM_SIZE and tray-icon translation into events.
#include "ui/message_events.h"

#include "ui/shortcuts.h"

namespace quorvel {

CommandOutcome TranslateCommand(uint64_t wParam, bool fromControl, int64_t controlId) {
  const int64_t low = static_cast<int64_t>(wParam & 0xFFFF);
  const int64_t high = static_cast<int64_t>((wParam >> 16) & 0xFFFF);
  using Kind = CommandOutcome::Kind;
  if (fromControl) {
    if (controlId == kMenuCommandControlId) return {Kind::Raise, EventMenuCommand, low, 0};
    return {Kind::Raise, EventGadgetNotify, controlId, high};
  }
  if (high == 0) return {Kind::Raise, EventMenuCommand, static_cast<int64_t>(wParam), 0};
  // An accelerator: the two Tab rows step the focus and raise nothing.
  if (low == CommandFocusNext) return {Kind::FocusNext, 0, 0, 0};
  if (low == CommandFocusPrevious) return {Kind::FocusPrevious, 0, 0, 0};
  return {Kind::Raise, EventMenuCommand, low, 0};
}

void RaiseSizeEvents(EventQueue& queue, int64_t window, uint64_t sizeType,
                     int32_t& minimizedOrMaximized) {
  switch (sizeType) {
    case kSizeMinimized:
      minimizedOrMaximized = 1;
      queue.EventRaise(EventWindowMinimized, 0, window, 0, 0);
      return;
    case kSizeMaximized:
      minimizedOrMaximized = 1;
      queue.EventRaise(EventWindowMaximized, 0, window, 0, 0);
      queue.EventRaise(EventWindowResized, 0, window, 0, 0);
      return;
    case kSizeRestored:
      if (minimizedOrMaximized != 0) {
        minimizedOrMaximized = 0;
        queue.EventRaise(EventWindowRestored, 0, window, 0, 0);
      }
      break;
    default:
      break;
  }
  queue.EventDiscard(EventWindowResized, 0, window, 0);
  queue.EventRaise(EventWindowResized, 0, window, 0, 0);
}

int64_t TrayClickType(int64_t lParam) {
  switch (lParam) {
    case 513: return 0;  // WM_LBUTTONDOWN
    case 516: return 1;  // WM_RBUTTONDOWN
    case 515: return 2;  // WM_LBUTTONDBLCLK
    case 518: return 3;  // WM_RBUTTONDBLCLK
    default: return -1;
  }
}

}  // namespace quorvel
