// History storage and the two small choosers the application's rules use.
#include "app/history.h"

#include <algorithm>

#include "runtime/text.h"

namespace quorvel {

int64_t HistoryList::Find(std::u16string_view text) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].text == text) return static_cast<int64_t>(i);
  }
  return -1;
}

void HistoryList::Append(HistoryEntry entry) { entries_.push_back(std::move(entry)); }

void HistoryList::MoveToEnd(size_t index) {
  if (index >= entries_.size()) return;
  std::rotate(entries_.begin() + static_cast<ptrdiff_t>(index),
              entries_.begin() + static_cast<ptrdiff_t>(index) + 1, entries_.end());
}

void HistoryList::Remove(size_t index) {
  if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(index));
}

void HistoryList::Clear() { entries_.clear(); }

std::u16string EntryDisplayLine(const HistoryEntry& entry) {
  if (entry.text.size() <= kLineTextLimit) return entry.text + entry.stamp;
  size_t shown = kLineTextLimit;
  // Never end on the first half of a surrogate pair.
  if (entry.text[shown - 1] >= 0xD800 && entry.text[shown - 1] <= 0xDBFF) --shown;
  return entry.text.substr(0, shown) + u"\u2026" + entry.stamp;
}

bool EntryLineContains(const HistoryEntry& entry, std::u16string_view pattern) {
  if (pattern.empty()) return false;
  if (TextFindIgnoreCase(entry.text, pattern) != std::u16string_view::npos) return true;
  // A match that starts in the text and runs on into the stamp.
  const size_t tail = std::min(entry.text.size(), pattern.size() - 1);
  const std::u16string seam = entry.text.substr(entry.text.size() - tail) + entry.stamp;
  return TextFindIgnoreCase(seam, pattern) != std::u16string_view::npos;
}

std::u16string ChooseText(int64_t condition, std::u16string_view first,
                          std::u16string_view second) {
  return std::u16string(condition != 0 ? first : second);
}

double ChooseNumber(int64_t condition, double first, double second) {
  return second + static_cast<double>(condition) * (first - second);
}

}  // namespace quorvel
