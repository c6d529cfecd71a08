// Event retrieval on Win32 (one queued event or one dispatched message per
// call), the current-event accessors, and each window's keyboard shortcuts
// with Tab and Shift+Tab focus stepping.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quorvel {

struct WindowRecord;

// The next queued event's code; else fetches, translates and dispatches one
// message of the thread and returns its number; 0 when nothing arrived. A
// timeout of 0 polls, -1 waits without limit, other values are milliseconds.
int64_t EventNext(int32_t timeout);

// Fields of the event EventNext returned last. After a raw message or 0, the
// type reads -1 and the object still holds that of the last dequeued event.
[[nodiscard]] int64_t CurrentEventGadget();
[[nodiscard]] int64_t CurrentEventItem();
[[nodiscard]] int64_t CurrentEventType();
[[nodiscard]] int64_t CurrentEventWindow();

// Adds or replaces a shortcut of a window (virtual key | ShortcutShift /
// ShortcutControl / ShortcutAlt); a later key press yields EventMenuCommand
// with item. Returns the rebuilt accelerator table, or null for a window that
// is not open.
HACCEL ShortcutAdd(int64_t window, int32_t shortcut, int32_t item);

// The accelerator table that EventNext applies while active is the active
// window: null for a window of another process or without a number, and
// while Tab is pressed in an editable rich-edit control (it types a tab).
[[nodiscard]] HACCEL ShortcutTableFor(HWND active);

// Shows or hides the focus rectangles and access-key underlines of a window.
void KeyboardCuesSet(HWND window, bool show);

// Moves the keyboard focus to the next (or previous) enabled, visible tab
// stop of the active window, wrapping at either end.
void FocusStep(bool forward);

// A window's table: created with its two Tab rows when the window opens; the
// record frees it with its accelerator table when the window is destroyed.
void ShortcutTableCreate(WindowRecord& record);

}  // namespace quorvel
