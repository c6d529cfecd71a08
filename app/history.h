// The clipboard history: every distinct captured text, oldest first, with the
// stamp of its first capture, and the list line that shows it.
//
// Each text is held once, in one block of its own: one byte per code unit
// when every unit is below 128 or in one aligned run of 128 units (Latin-1,
// Cyrillic, Greek, Hebrew and other alphabets without their neighbours'
// punctuation), two otherwise. An index by a
// keyed hash of the text finds a known text without walking the history, and
// the capture time is kept as the clock read it, its stamp written out only
// when a line is built (always the same text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/digest.h"
#include "runtime/text.h"

namespace quorvel {

// The clock readings of a first capture: the date of the first reading, then
// the hour, minute and second of three more (-1 where a reading was not a
// valid date).
struct CaptureTime {
  int32_t day = -1;  // whole days since 1970-01-01
  int8_t hour = -1;
  int8_t minute = -1;
  int8_t second = -1;
};

// " «yyyy-mm-dd hh:mm:ss AM»": a blank, U+00AB, the date, the 12-hour time
// and U+00BB; "?" for every digit of a reading that was not a valid date.
inline constexpr size_t kStampLength = 25;
void WriteStamp(CaptureTime time, char16_t (&out)[kStampLength]);
// "hh:mm:ss AM" (or "hh:mm AM" without seconds) on a 12-hour clock, "??" for
// a field that is negative (and for the suffix when the hour is). Writes at
// most 11 units to out and answers how many.
size_t WriteTimeOfDay(int64_t hour, int64_t minute, int64_t second, bool showSeconds,
                      char16_t* out);

// One entry of the history, as a view: valid until the history changes.
class HistoryEntry {
 public:
  [[nodiscard]] std::u16string text() const;   // exactly as read, never empty
  [[nodiscard]] std::u16string stamp() const;  // the stamp of the first capture
  [[nodiscard]] size_t size() const;           // of the text, in code units
  [[nodiscard]] CaptureTime captured() const;
  // 1 when the text is held one byte per unit, 2 when two.
  [[nodiscard]] size_t BytesPerUnit() const;
  [[nodiscard]] bool TextEquals(std::u16string_view other) const;
  // Copies count units of the text from unit from on into out (both within
  // the text).
  void CopyUnits(size_t from, size_t count, char16_t* out) const;

  struct Node;  // the stored block, private to history.cpp

 private:
  friend class HistoryList;
  friend class LineSearch;
  explicit HistoryEntry(const Node* node) : node_(node) {}
  const Node* node_;
};

// The ordered history. Order, uniqueness of texts and the index
// correspondence with the list view are kept by the callers in app/.
class HistoryList {
 public:
  HistoryList() = default;
  ~HistoryList();
  HistoryList(const HistoryList&) = delete;
  HistoryList& operator=(const HistoryList&) = delete;
  HistoryList(HistoryList&& other) noexcept { Swap(other); }
  HistoryList& operator=(HistoryList&& other) noexcept {
    if (this != &other) {
      Clear();
      Swap(other);
    }
    return *this;
  }

  [[nodiscard]] size_t Size() const { return entries_.size(); }
  [[nodiscard]] bool Empty() const { return entries_.empty(); }
  [[nodiscard]] HistoryEntry At(size_t index) const { return HistoryEntry(entries_[index]); }

  // Index of the entry whose text equals text exactly, or -1. The digest is
  // DigestOf(text).
  [[nodiscard]] int64_t Find(std::u16string_view text, const TextDigest& digest) const;
  [[nodiscard]] int64_t Find(std::u16string_view text) const { return Find(text, DigestOf(text)); }
  // Appends a new entry; false (and nothing changed) when memory ran out.
  [[nodiscard]] bool Append(std::u16string_view text, const TextDigest& digest, CaptureTime time);
  // Moves the entry at index to the end, keeping its text and stamp.
  void MoveToEnd(size_t index);
  // Removals overwrite the texts before their memory is given back.
  void Remove(size_t index);
  void Clear();

 private:
  using Node = HistoryEntry::Node;
  void Swap(HistoryList& other) noexcept {
    entries_.swap(other.entries_);
    slots_.swap(other.slots_);
    std::swap(nextOrder_, other.nextOrder_);
  }
  [[nodiscard]] size_t Slot(uint64_t hash) const { return static_cast<size_t>(hash) & (slots_.size() - 1); }
  [[nodiscard]] size_t IndexOf(const Node* node) const;
  bool GrowIndex();
  void Unindex(const Node* node);
  void Renumber();

  std::vector<Node*> entries_;  // oldest first; their order numbers rise
  std::vector<Node*> slots_;    // open addressing by hash; a power of two
  uint32_t nextOrder_ = 0;
};

// The most characters of a text that its list line shows. A line of many
// megabytes would take the list seconds to draw and hold a second copy of the
// text; a million characters are far wider than any screen.
inline constexpr size_t kLineTextLimit = size_t{1} << 20;

// The list line of an entry: its text followed directly by its stamp. A text
// longer than kLineTextLimit shows its beginning and "…" before the stamp.
std::u16string EntryDisplayLine(const HistoryEntry& entry);

// One search through the entries' whole lines (all of each text, then its
// stamp), ignoring letter case: the pattern is folded once, and what it takes
// to look across the seam between a text and its stamp is kept between lines.
class LineSearch {
 public:
  explicit LineSearch(std::u16string_view pattern);
  ~LineSearch();  // overwrites what it read out of the texts
  LineSearch(const LineSearch&) = delete;
  LineSearch& operator=(const LineSearch&) = delete;
  // True when the entry's line contains the pattern; never for the empty one.
  [[nodiscard]] bool Contains(const HistoryEntry& entry);

 private:
  FoldedPattern pattern_;
  bool mayReachStamp_ = false;  // the pattern ends on a unit that stamps hold
  std::u16string seam_;
  std::u16string window_;  // a stretch of a text held one byte a unit, read out
};

// Overwrites a text that may be private, then gives its memory back.
void WipeText(std::u16string& text);

// The first text when condition is not 0, else the second.
std::u16string ChooseText(int64_t condition, std::u16string_view first, std::u16string_view second);
// second + condition × (first − second), in double precision.
double ChooseNumber(int64_t condition, double first, double second);

}  // namespace quorvel
