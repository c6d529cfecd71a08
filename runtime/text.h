// Text search with case folding, numbers as text, padding.
//
// Texts are UTF-16 code units; lengths and positions count code units (a
// surrogate pair is two). Positions in TextFind's result are 1-based, 0
// meaning not found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// 1-based position, from the beginning of text, of the first occurrence of
// pattern that begins at or after the 1-based start position (0 and negative
// positions search from the first unit); 0 when there is none or when text
// or pattern is empty. Bit 0 of mode set: ignore letter case (TextFoldCase);
// the other bits are ignored.
int64_t TextFind(std::u16string_view text, std::u16string_view pattern,
                 int32_t start, int32_t mode);

// 0-based offset in text of the first occurrence of pattern when both are
// compared unit by unit under TextFoldCase; npos when there is none. An
// empty pattern is never found (as in TextFind). Folds while it compares:
// no copies, no allocation.
std::size_t TextFindIgnoreCase(std::u16string_view text, std::u16string_view pattern);

// Lower-case form of one code unit (the platform's one-character mapping;
// the portable build: the simple Unicode mapping). Units without one,
// surrogates among them, are returned unchanged.
char16_t TextFoldCase(char16_t unit);

// The number in decimal: "-" and the magnitude for negative numbers (also
// the most negative value), no leading zeros, no grouping.
std::u16string NumberToText(int64_t number);

// A text of exactly max(width, 0) units: text right-aligned, filled on the
// left with the first unit of pad, cut on the right when longer than the
// width. The empty text when pad is empty.
std::u16string TextPadLeft(std::u16string_view text, int32_t width, std::u16string_view pad);

}  // namespace quorvel
