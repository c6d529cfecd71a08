// The clipboard history: every distinct captured text, oldest first, with the
// stamp of its first capture, and the list line that shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct HistoryEntry {
  std::u16string text;   // exactly as read from the clipboard, never empty
  std::u16string stamp;  // " «date time»", built once at the first capture
};

// The ordered history. Order, uniqueness of texts and the index
// correspondence with the list view are kept by the callers in app/.
class HistoryList {
 public:
  [[nodiscard]] size_t Size() const { return entries_.size(); }
  [[nodiscard]] bool Empty() const { return entries_.empty(); }
  [[nodiscard]] const HistoryEntry& At(size_t index) const { return entries_[index]; }

  // Index of the first entry whose text equals text exactly, or -1.
  [[nodiscard]] int64_t Find(std::u16string_view text) const;
  void Append(HistoryEntry entry);
  // Moves the entry at index to the end, keeping its text and stamp.
  void MoveToEnd(size_t index);
  void Remove(size_t index);
  void Clear();

 private:
  std::vector<HistoryEntry> entries_;
};

// The most characters of a text that its list line shows. A line of many
// megabytes would take the list seconds to draw and hold a second copy of the
// text; a million characters are far wider than any screen.
inline constexpr size_t kLineTextLimit = size_t{1} << 20;

// The list line of an entry: its text followed directly by its stamp. A text
// longer than kLineTextLimit shows its beginning and "…" before the stamp.
std::u16string EntryDisplayLine(const HistoryEntry& entry);

// True when the entry's whole line (all of its text, then its stamp) contains
// pattern, ignoring letter case; false for the empty pattern.
bool EntryLineContains(const HistoryEntry& entry, std::u16string_view pattern);

// The first text when condition is not 0, else the second.
std::u16string ChooseText(int64_t condition, std::u16string_view first, std::u16string_view second);
// second + condition × (first − second), in double precision.
double ChooseNumber(int64_t condition, double first, double second);

}  // namespace quorvel
