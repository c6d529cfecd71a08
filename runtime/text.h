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
// empty pattern is never found (as in TextFind). Linear in the text.
std::size_t TextFindIgnoreCase(std::u16string_view text, std::u16string_view pattern);

// Lower-case form of one code unit (the platform's one-character mapping;
// the portable build: the simple Unicode mapping), read from a table that is
// filled once. Units without one, surrogates among them, are returned
// unchanged.
char16_t TextFoldCase(char16_t unit);

// Fills the case-folding table now rather than at the first search.
void TextStart();

// Memory for stored texts; null when there is none. On Windows it comes from
// the process heap, where the system keeps its own small blocks (list lines,
// copies of clipboard data): the gaps those leave behind are filled rather
// than left empty. Elsewhere it is the C library's.
void* TextBlockAllocate(std::size_t bytes);
void TextBlockFree(void* block);

// Overwrites memory that held a text which may be private, so that nothing
// of it is left once the memory is given back: the writes are never dropped
// as dead, not even right before the memory is freed.
void TextWipe(void* data, std::size_t bytes);
// Overwrites all the memory a text holds, then gives it back (the text is
// left empty).
void TextWipe(std::u16string& text);

// A pattern folded once and then searched for, ignoring letter case, in any
// number of texts. Each search takes time linear in the text, whatever the
// text and pattern hold: candidates are found by scanning for the units that
// fold to one rare unit of the pattern, and a text that keeps almost matching
// is finished with a matcher that never steps back.
class FoldedPattern {
 public:
  explicit FoldedPattern(std::u16string_view pattern);

  [[nodiscard]] bool Empty() const { return folded_.empty(); }
  [[nodiscard]] std::size_t Size() const { return folded_.size(); }
  // The pattern's last unit, folded (the pattern must not be empty).
  [[nodiscard]] char16_t LastFolded() const { return folded_.back(); }

  // 0-based offset of the first occurrence in text, or npos (also for the
  // empty pattern).
  [[nodiscard]] std::size_t FindIn(std::u16string_view text) const;
  // The same for a text kept one byte per code unit (every unit below 256).
  [[nodiscard]] std::size_t FindInLatin1(std::string_view units) const;

 private:
  template <typename Unit>
  std::size_t Find(const Unit* text, std::size_t length, const char16_t* anchors,
                   int anchorCount) const;
  template <typename Unit>
  std::size_t FindFrom(const Unit* text, std::size_t length, std::size_t from) const;

  std::u16string folded_;
  std::u32string skip_;       // longest proper border of each prefix of folded_
  std::size_t anchor_ = 0;    // position in the pattern of the rare unit
  char16_t anchors_[4] = {};  // every unit that folds to it, when at most 4
  int anchorCount_ = 0;       // 0: more than 4, compare by folding
  char16_t latin1Anchors_[4] = {};
  int latin1AnchorCount_ = 0;  // -1: no unit below 256 folds to it
};

// The number in decimal: "-" and the magnitude for negative numbers (also
// the most negative value), no leading zeros, no grouping.
std::u16string NumberToText(int64_t number);

// A text of exactly max(width, 0) units: text right-aligned, filled on the
// left with the first unit of pad, cut on the right when longer than the
// width. The empty text when pad is empty.
std::u16string TextPadLeft(std::u16string_view text, int32_t width, std::u16string_view pad);

}  // namespace quorvel
