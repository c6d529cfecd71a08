// Plain Unicode text in and out of the system clipboard (CF_UNICODETEXT only).
// Each call opens the clipboard for one transfer and closes it before returning.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <windows.h>

namespace quorvel {

// The clipboard's Unicode text up to its first zero character. A text block
// without any zero character yields all of the block's whole characters; it is
// never read past the block's end. Every failure (clipboard held open by
// another program, no text on it, block not lockable, too large for the
// memory left) yields the empty text, and so does content marked private.
[[nodiscard]] std::u16string ClipboardGetText();

// The clipboard's text as a clipboard history may record it: false when the
// clipboard is busy (nothing was read this time): another program holds it
// open, or the data is rendered on demand by its owner and has not come within
// kClipboardRenderWaitMs. The read goes on on a thread of the clipboard's own
// meanwhile; a later call takes its result once it is there, and starts no
// second read before. Content that its source marked as not for monitors or
// histories (a password, say), or whose marker never came, reads as the empty
// text, as does a clipboard without text. On success, sequence (when given)
// receives the clipboard's sequence number taken once it was open for that
// read, which may be older than the clipboard's contents now.
[[nodiscard]] bool ClipboardReadText(std::u16string& text, uint32_t* sequence = nullptr);
// How long a read waits for another program to render its data before the
// call counts the clipboard as busy.
inline constexpr uint32_t kClipboardRenderWaitMs = 250;

// The clipboard's sequence number (GetClipboardSequenceNumber), asked of the
// system only when the clipboard-update notification said it changed, and at
// least every kClipboardRecheckMs in case a notification went missing; where
// the notification cannot be had, asked on every call. An idle program then
// costs the system nothing per turn (under Wine every question is a request
// to the server). The notification arrives as a message to a message-only
// window of this thread: it is seen once the thread's messages are handled.
// A successful ClipboardReadText with a sequence updates the number kept.
inline constexpr uint32_t kClipboardRecheckMs = 250;
[[nodiscard]] uint32_t ClipboardWatchedSequenceNumber();
// Another program changes the clipboard faster than the notifications can be
// taken: the watch gives the notification up for kClipboardRecheckMs and asks
// for the sequence number on every call meanwhile (each turn reads a change
// just the same), so that no queue of notifications builds up.
void ClipboardNotificationsFlooded();
// Stops the watching, destroys its window and ends the reading thread (at
// shut-down); a later call of ClipboardWatchedSequenceNumber, ClipboardSetText
// or ClipboardReadText starts them again.
void ClipboardWatchEnd();
// The program's message-only clipboard window: it watches for changes and
// owns what ClipboardSetText writes. Made on first use, on this thread.
[[nodiscard]] HWND ClipboardWindow();

// Replaces the clipboard's contents with text (the empty text leaves a single
// zero character); ClipboardWindow() owns the clipboard afterwards. Returns the data handle the clipboard accepted, nonzero,
// or 0 on failure. A failure before the clipboard was emptied (busy, out of
// memory) leaves it unchanged; a failure after (block not lockable, data
// refused) leaves it empty.
int64_t ClipboardSetText(std::u16string_view text);

}  // namespace quorvel
