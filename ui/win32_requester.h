// Modal requesters on Win32: the system message box and a small input dialog
// of the layer's own, both keeping the calling thread's other windows out of
// reach while they are open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// The foreground window (an HWND) when it belongs to this process, else null.
[[nodiscard]] void* RequesterOwner();

// Records every visible top-level window of the calling thread, disables those
// that are enabled and not in the foreground, and takes the topmost state off
// those that have it. Hidden windows are left alone.
void SuspendThreadWindows();
// Undoes what SuspendThreadWindows did to the calling thread's windows, in the
// order they were recorded, and forgets them. Other threads' records stay.
void RestoreThreadWindows();

// Shows a system message box owned by RequesterOwner(); flags are MessageBoxW
// style bits. Returns the button chosen (IDOK 1, IDYES 6, IDNO 7 ...) or 0
// when the box could not be shown.
[[nodiscard]] int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                                    int64_t flags);

// Shows the "InputRequester" dialog (a message, a one-line entry field holding
// defaultText with the caret at its end, an "OK" button) and runs its modal
// loop. Returns the entry's text when confirmed (Return or OK), the empty text
// when cancelled (Escape, close box) or when the dialog cannot be created.
// One input requester at a time per process: a call made while one is open
// returns the empty text at once.
// If a quit message reaches the thread while the dialog is open, the dialog is
// closed as on cancel, the quit message is posted again with its exit code so
// that the caller's own loop sees it, and the result is the empty text.
[[nodiscard]] std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                                         std::u16string_view defaultText);

}  // namespace quorvel
