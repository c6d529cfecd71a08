// Keeps other programs' messages away from this program's windows. A filter
// on the loop thread's queue (a WH_GETMESSAGE hook of that thread alone)
// empties every posted message that ForeignMessageRefused names before any
// message loop dispatches it: ours, the message box's and the find prompt's.
// Window procedures drop the refused messages that another thread sends.
#pragma once

#include <windows.h>

namespace quorvel {

// Starts and stops the filter of the calling thread's queue (the loop's).
void ForeignMessageFilterStart();
void ForeignMessageFilterEnd();

// True while a procedure handles a message that another thread (of this or
// another process) sent: with SendMessage, SendMessageTimeout,
// SendNotifyMessage or SendMessageCallback. Messages that this thread sends
// itself, and posted ones, answer false.
[[nodiscard]] bool SentByAnotherThread();

// True when a window procedure must answer this message with 0 and leave it:
// it was sent from another thread and is one that never comes from outside.
// The destruction messages of a DestroyOwnWindow call are always taken.
[[nodiscard]] bool ForeignSendRefused(UINT message, LPARAM lParam);

// DestroyWindow for a window of this thread. NOTE: a window may be destroyed
// inside a message that another program sent (a click on OK sent from outside
// closes a dialog), and the destruction messages then look as if that program
// had sent them too (InSendMessageEx reports the outer message): while this
// call runs they are taken.
BOOL DestroyOwnWindow(HWND window);

}  // namespace quorvel
