// What other programs may not do to this program's windows. Any program on
// the desktop can post a message to them or send one from its own thread, and
// the system hands their parameters over as they are. These rules pick the
// messages that only the system (creating or destroying a window), a window's
// own controls, or the program itself ever send: from outside they are
// answered without reaching any window procedure. Message numbers are defined
// here, so this builds without Win32.
#pragma once

#include <cstdint>

namespace quorvel {

// How a message reached the window.
enum class ForeignRoute {
  Sent,    // sent from another thread: the system copied any structure it knows
  Posted,  // taken from the thread's queue: a posted message is never a reply
};

// True when a message that came from outside by that route must be dropped:
// - creation and destruction (WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY);
// - notifications that controls send their parent, which carry control
//   handles and pointers (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM ...);
// - changes to a window's text, font, drawing or editing (WM_SETTEXT,
//   WM_SETFONT, WM_SETREDRAW, WM_CUT, WM_PASTE ...);
// - the messages of control classes (edit, button, list box ... and every
//   message from WM_USER to 0x7FFF, rich edit's among them), except the
//   read-only questions that screen readers and tests ask (item counts and
//   texts, line lengths, the selection index);
// - posted: WM_TIMER naming a callback in lParam (DispatchMessage would call
//   it; this program sets no timer with a callback), and the messages whose
//   structures the system fills in for the receiver (WM_GETMINMAXINFO,
//   WM_NCCALCSIZE, WM_WINDOWPOSCHANGING ...).
// Input, painting, focus and activation, size and position pass: the system
// itself sends those when another program moves or activates a window.
[[nodiscard]] bool ForeignMessageRefused(uint32_t message, int64_t lParam, ForeignRoute route);

}  // namespace quorvel
