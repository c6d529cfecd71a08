// Find in history: a prompt for the search text, then steps through the list
// lines that contain it, ignoring letter case, without wrapping around.
#include <new>

#include "app/application.h"

namespace quorvel {

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
