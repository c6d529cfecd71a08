// Find in history: a prompt for the search text, then steps through the list
// lines that contain it, ignoring letter case, without wrapping around.
#include "app/find.h"

#include <algorithm>
#include <new>

#include "app/application.h"

namespace quorvel {

namespace {

// second + condition × (first − second), in double precision.
double ChooseNumber(int64_t condition, double first, double second) {
  return second + static_cast<double>(condition) * (first - second);
}

}  // namespace

LineSearch::LineSearch(std::u16string_view pattern) : pattern_(pattern) {
  if (pattern_.Empty()) return;
  // A match that reaches into the stamp ends on one of the units stamps hold.
  const char16_t last = pattern_.LastFolded();
  mayReachStamp_ = std::any_of(kStampUnits.begin(), kStampUnits.end(),
                               [last](char16_t unit) { return TextFoldCase(unit) == last; });
}

LineSearch::~LineSearch() {
  TextWipe(seam_);
  TextWipe(window_);
}

bool LineSearch::Contains(const HistoryEntry& entry) {
  const FoldedPattern& pattern = pattern_;
  if (pattern.Empty()) return false;
  const size_t length = entry.size();
  if (const std::u16string_view wide = entry.WideUnits(); !wide.empty()) {
    if (pattern.FindIn(wide) != std::u16string_view::npos) return true;
  } else if (const std::string_view latin1 = entry.Latin1Units(); !latin1.empty()) {
    if (pattern.FindInLatin1(latin1) != std::u16string_view::npos) return true;
  } else if (pattern.Size() <= length) {
    // Read out in stretches that overlap by one unit less than the pattern,
    // so that every match lies wholly in one of them; a stretch is at least
    // four times the overlap, so that a long pattern reads each unit at most
    // 1.25 times.
    const size_t overlap = pattern.Size() - 1;
    const size_t stretch = std::max(size_t{1} << 15, overlap * 4);
    for (size_t from = 0; from < length; from += stretch) {
      const size_t count = std::min(length - from, stretch + overlap);
      window_.resize(count);
      entry.CopyUnits(from, count, window_.data());
      if (pattern.FindIn(window_) != std::u16string_view::npos) return true;
      if (from + count == length) break;
    }
  }
  if (!mayReachStamp_ || pattern.Size() > length + kStampLength) return false;
  // A match that starts in the text and runs on into the stamp.
  const size_t tail = std::min<size_t>(length, pattern.Size() - 1);
  seam_.resize(tail + kStampLength);
  entry.CopyUnits(length - tail, tail, seam_.data());
  char16_t stamp[kStampLength];
  DateWriteStamp(entry.captured(), stamp);
  std::copy_n(stamp, kStampLength, seam_.begin() + static_cast<ptrdiff_t>(tail));
  return pattern.FindIn(seam_) != std::u16string_view::npos;
}

void Application::FindDispatch(int64_t item) {
  if (state_.searchBusy != 0) return;
  if (item == kItemFind) state_.searchText = platform_.InputDialog(u"find", u"", u"");
  if (state_.searchText.empty()) return;
  const auto step = static_cast<int64_t>(
      ChooseNumber(item == kItemFind, 0, ChooseNumber(item == kItemFindPrevious, -1, 1)));
  FindStep(step);
}

int64_t Application::FindStep(int64_t step) {
  state_.searchBusy = 1;
  const int64_t selected = platform_.GadgetGetState(kListView);
  auto i = static_cast<int64_t>(ChooseNumber(step == 0, 0, static_cast<double>(selected + step)));
  const auto delta = static_cast<int64_t>(ChooseNumber(step == 0, 1, static_cast<double>(step)));
  try {
    // Folded once for the whole search; each line is then searched in time
    // linear in its length.
    LineSearch search(state_.searchText);
    // The list cannot change while the search runs (one thread, and other
    // programs may not change it): its count is asked once, not per line.
    const int64_t count = platform_.GadgetItemCount(kListView);
    while (step == -1 ? i >= 0 : i < count) {
      // The history holds each line's whole text; the list may show a long one cut.
      if (static_cast<size_t>(i) < state_.history.Size() &&
          search.Contains(state_.history.At(static_cast<size_t>(i)))) {
        platform_.GadgetSetState(kListView, i);
        break;
      }
      i += delta;
    }
  } catch (const std::bad_alloc&) {
    // No memory for the search: the selection stays as it was.
  }
  state_.searchBusy = 0;
  return 0;
}

}  // namespace quorvel
