// The search through the history's lines that Find in history steps with.
#pragma once

#include <string>
#include <string_view>

#include "app/history.h"
#include "runtime/text.h"

namespace quorvel {

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

}  // namespace quorvel
