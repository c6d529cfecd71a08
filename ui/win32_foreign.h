// Keeps other programs' messages away from this program's windows, and only
// from those (ForeignMessageRefused has the rule). Sent messages are judged
// in the windows' own procedures, which can tell that another thread sent
// them. A posted message does not say who posted it, and it may be dispatched
// by any loop of the thread, the system's message box among them: a filter on
// the loop thread's queue (a WH_GETMESSAGE hook of that thread alone) empties
// the refused ones whose window is one the program made, before any loop
// dispatches them. Messages for other windows of the thread (message boxes,
// COM's and the input method's) are never touched.
#pragma once

#include <windows.h>

#include "ui/foreign_messages.h"

namespace quorvel {

// Starts and stops the filter of the calling thread's queue (the loop's).
void ForeignMessageFilterStart();
void ForeignMessageFilterEnd();

// True while a procedure handles a message that another thread (of this or
// another process) sent: with SendMessage, SendMessageTimeout,
// SendNotifyMessage or SendMessageCallback. Messages that this thread sends
// itself, and posted ones, answer false.
[[nodiscard]] bool SentByAnotherThread();

// True when a window procedure of that kind of window must answer this
// message with 0 and leave it: it was sent from another thread and is one
// that never comes from outside. The destruction messages of a
// DestroyOwnWindow call are always taken.
[[nodiscard]] bool ForeignSendRefused(UINT message, LPARAM lParam, ForeignTarget target);

// True for a timer message posted to the thread itself (no window) that names
// a callback. The program sets no thread timer, so the program's own loops
// do not dispatch it.
// NOTE: Windows calls a timer callback only if SetTimer installed it; Wine 8
// calls whatever address a posted WM_TIMER names.
[[nodiscard]] bool ForeignThreadTimer(const MSG& msg);

// DestroyWindow for a window of this thread. NOTE: a window may be destroyed
// inside a message that another program sent (a click on OK sent from outside
// closes a dialog), and the destruction messages then look as if that program
// had sent them too (InSendMessageEx reports the outer message): while this
// call runs they are taken.
BOOL DestroyOwnWindow(HWND window);

}  // namespace quorvel
