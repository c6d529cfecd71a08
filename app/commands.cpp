// The commands on entries and on the window that the shortcuts run.
#include <new>

#include "app/application.h"
#include "runtime/text.h"

namespace quorvel {

namespace {

// The first text when condition is not 0, else the second.
std::u16string ChooseText(int64_t condition, std::u16string_view first, std::u16string_view second) {
  return std::u16string(condition != 0 ? first : second);
}

}  // namespace

int64_t Application::ValidSelection() {
  const int64_t index = platform_.GadgetGetState(kListView);
  if (index < 0 || index >= platform_.GadgetItemCount(kListView)) return -1;
  // The list and the history are kept in step; this guards the history too.
  if (static_cast<size_t>(index) >= state_.history.Size()) return -1;
  return index;
}

void Application::CopyEntry(int64_t item) {
  const int64_t index = ValidSelection();
  if (index < 0) return;
  const HistoryEntry entry = state_.history.At(static_cast<size_t>(index));
  // The clipboard is read for both items; only appending uses what it holds.
  std::u16string current = platform_.ClipboardGetText();
  std::u16string joined;
  try {
    joined = ChooseText(item == kItemAppend, current, u"") + entry.text();
  } catch (const std::bad_alloc&) {
    // Too large to join in the memory left: the clipboard stays as it was.
  }
  TextWipe(current);
  // lastClipText stays: the capture step of this turn sees the new text.
  if (!joined.empty()) platform_.ClipboardSetText(joined);
  TextWipe(joined);
}

void Application::HideWindow() {
  platform_.WindowSetHidden(kMainWindow, 1);
  state_.windowHidden = 1;
}

void Application::ToggleWindow() {
  const bool changes = state_.windowHidden == 1 || platform_.ActiveWindowNumber() != -1;
  if (changes) {
    platform_.WindowSetHidden(kMainWindow, static_cast<int32_t>(1 - state_.windowHidden));
    state_.windowHidden = 1 - state_.windowHidden;
  }
  if (state_.windowHidden == 0) platform_.SetForegroundWindow(platform_.WindowHandle(kMainWindow));
}

void Application::DeleteEntry() {
  const int64_t index = ValidSelection();
  if (index < 0) return;
  platform_.GadgetRemoveItem(kListView, index);
  state_.history.Remove(static_cast<size_t>(index));
}

void Application::ClearHistory() {
  platform_.GadgetClearItems(kListView);
  state_.history.Clear();
}

void Application::TogglePreview() {
  const int64_t index = ValidSelection();
  if (state_.previewShown == 0 && index < 0) return;
  if (state_.previewShown == 0) {
    std::u16string text;
    try {
      text = state_.history.At(static_cast<size_t>(index)).text();
      platform_.GadgetSetText(kEditor, text);
    } catch (const std::bad_alloc&) {
      // The text does not fit in the memory left: the list stays shown.
      TextWipe(text);
      return;
    }
    TextWipe(text);
    state_.previewShown = 1;
    platform_.GadgetSetHidden(kListView, 1);
    platform_.GadgetSetHidden(kEditor, 0);
  } else {
    state_.previewShown = 0;
    platform_.GadgetSetHidden(kEditor, 1);
    platform_.GadgetSetHidden(kListView, 0);
  }
  platform_.GadgetFocus(state_.previewShown);
}

}  // namespace quorvel
