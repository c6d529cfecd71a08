// Posted events: EventPost, callable from any thread, carries an event in a
// message to a hidden window of the loop's thread, whose procedure queues it
// there, in order with the window messages around it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quorvel {

// Creates the posting window ("PostEventClass") and registers the posting
// message ("QV_PostEventMessage"). Runs on the thread that runs EventNext.
void PostEventStart();
// Destroys the posting window; posts not yet delivered are lost and their
// records freed.
void PostEventEnd();

// 1 when the event was posted, 0 when it was not (its record is then freed).
// The event is queued unsuppressed once EventNext dispatches the message.
// Callable from any thread. The posting window raises only records posted
// here and not yet delivered: the same message from another program, sent
// rather than posted, or carrying any other value, raises nothing.
int32_t EventPost(int32_t code, int64_t window = 0, int64_t object = 0, int64_t type = 0);

// The registered posting message (0xC000 to 0xFFFF) and the posting window.
[[nodiscard]] UINT PostEventMessage();
[[nodiscard]] HWND PostEventWindow();

}  // namespace quorvel
