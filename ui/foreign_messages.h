// What other programs may not do to this program's windows. Any program on
// the desktop can post a message to them or send one from its own thread, and
// the system hands their parameters over as they are. Message numbers are
// defined here, so this builds without Win32.
//
// The rule, for the windows the program made (and only those: message boxes,
// COM's and the input method's windows stay as the system made them):
// a message from outside is refused when it would
//   1. create or destroy the window (WM_NCCREATE, WM_CREATE, WM_DESTROY,
//      WM_NCDESTROY);
//   2. make the program read or write memory at an address the sender gave:
//      notifications that carry pointers (WM_NOTIFY, WM_DRAWITEM ...), the
//      structures the system fills in for the receiver and never posts
//      (WM_GETMINMAXINFO, WM_NCCALCSIZE ...), a posted WM_TIMER naming a
//      callback, an edit control's word-break procedure or memory handle, and
//      every message from WM_USER to 0x7FFF that is not a question listed
//      below (rich edit's range messages carry pointers the system does not
//      copy: EM_STREAMIN, EM_EXGETSEL, EM_GETTEXTRANGE ...);
//   3. change what the list or the editor holds, or how a window draws,
//      without the history (WM_SETTEXT, WM_SETFONT, WM_PASTE, LB_ and EM_
//      changes ...);
//   4. raise a program event (WM_COMMAND, and the private messages in the
//      class range).
// Questions that only read pass: the ones the system copies across processes
// (LB_GETTEXT, LB_GETITEMRECT, EM_GETSEL, EM_GETRECT, EM_GETLINE, WM_GETTEXT)
// and the ones without a pointer (counts, indexes, line numbers, options),
// so screen readers, magnifiers and test tools can follow the list and the
// editor. WM_GETOBJECT, input, painting, focus, activation, size, position
// and WM_CLOSE pass: the system sends those itself when another program
// moves or activates a window, and closing only asks the user.
// The find prompt and its controls are a dialog like any other: only 1 and 2
// apply there, so automation can type into it, click its button and close it.
#pragma once

#include <cstdint>

namespace quorvel {

// How a message reached the window.
enum class ForeignRoute {
  Sent,    // sent from another thread: the system copied any structure it knows
  Posted,  // taken from the thread's queue: a posted message is never a reply
};

// Which of the program's windows receives it.
enum class ForeignTarget {
  Window,  // numbered windows, the list and the editor, the posting and clipboard windows
  Dialog,  // the find prompt and its controls
};

// True when a message that came from outside by that route to that kind of
// window must be dropped (the rule above).
[[nodiscard]] bool ForeignMessageRefused(uint32_t message, int64_t lParam, ForeignRoute route,
                                         ForeignTarget target);

}  // namespace quorvel
