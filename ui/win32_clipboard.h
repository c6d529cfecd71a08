// Plain Unicode text in and out of the system clipboard (CF_UNICODETEXT only).
// Each call opens the clipboard for one transfer and closes it before returning.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// The clipboard's Unicode text up to its first zero character. A text block
// without any zero character yields all of the block's whole characters; it is
// never read past the block's end. Every failure (clipboard held open by
// another program, no text on it, block not lockable) yields the empty text.
[[nodiscard]] std::u16string ClipboardGetText();

// Replaces the clipboard's contents with text (the empty text leaves a single
// zero character). Returns the data handle the clipboard accepted, nonzero,
// or 0 on failure. A failure before the clipboard was emptied (busy, out of
// memory) leaves it unchanged; a failure after (block not lockable, data
// refused) leaves it empty.
int64_t ClipboardSetText(std::u16string_view text);

}  // namespace quorvel
