// History storage and the two small choosers the application's rules use.
#include "app/history.h"

#include <algorithm>

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

std::u16string EntryDisplayLine(const HistoryEntry& entry) { return entry.text + entry.stamp; }

std::u16string ChooseText(int64_t condition, std::u16string_view first,
                          std::u16string_view second) {
  return std::u16string(condition != 0 ? first : second);
}

double ChooseNumber(int64_t condition, double first, double second) {
  return second + static_cast<double>(condition) * (first - second);
}

}  // namespace quorvel
