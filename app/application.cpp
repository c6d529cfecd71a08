// Start-up, the loop and shut-down of the history application.
#include "app/application.h"

#include <algorithm>
#include <new>

#include "runtime/text.h"

namespace quorvel {

namespace {

struct ShortcutRow {
  int32_t shortcut;
  int32_t item;
};

// Added in this order; item 3 has no key of its own (the hot key posts it).
constexpr ShortcutRow kShortcuts[] = {
    {KeyReturn, kItemCopy},
    {ShortcutShift | KeyReturn, kItemAppend},
    {KeyEscape, kItemHide},
    {ShortcutAlt | KeyReturn, kItemPreview},
    {ShortcutShift | KeyDelete, kItemDelete},
    {ShortcutAlt | KeyDelete, kItemClear},
    {ShortcutControl | KeyF, kItemFind},
    {KeyF3, kItemFindNext},
    {ShortcutShift | KeyF3, kItemFindPrevious},
};

// The keys the hot key needs in a layout whose key at HotKeyScanCode is key.
// The Japanese layouts' 半角/全角 key gives its two keys in turn, one press
// each, so both are registered.
std::array<uint32_t, 2> HotKeysFor(uint32_t key) {
  if (key == KeyOemAuto || key == KeyOemEnlw) return {KeyOemAuto, KeyOemEnlw};
  return {key, 0};
}

bool Holds(const auto& keys, uint32_t key) {
  return key != 0 && std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

bool Application::Start() {
  state_ = ApplicationState{};
  TextStart();
  platform_.RuntimeStart();

  platform_.WindowOpen(kMainWindow, 0, 0, 400, 400, u"quorvel",
                       WindowFlagInvisible | WindowFlagMaximize | WindowFlagScreenCentered);
  platform_.ListViewCreate(kListView, 0, 0,
                           static_cast<int32_t>(platform_.WindowClientWidth(kMainWindow)),
                           static_cast<int32_t>(platform_.WindowClientHeight(kMainWindow)));
  platform_.EditorCreate(kEditor, 0, 0,
                         static_cast<int32_t>(platform_.WindowClientWidth(kMainWindow)),
                         static_cast<int32_t>(platform_.WindowClientHeight(kMainWindow)));
  platform_.GadgetSetHidden(kEditor, 1);
  platform_.GadgetFocus(kListView);

  const uint32_t key = platform_.MapVirtualKey(HotKeyScanCode, MapScanCodeToKey);
  if (platform_.RegisterHotKey(platform_.WindowHandle(kMainWindow), kHotKeyId, kHotKeyModifiers,
                               key) == 0) {
    platform_.MessageDialog(u"error", u"Cannot register hotkey.", MessageIconError);
    return false;
  }
  state_.hotKeys[kHotKeyId] = key;
  state_.layoutCheckedAt = platform_.TickNow();

  state_.previewShown = 0;
  state_.windowHidden = 1;
  state_.history.Clear();
  for (const ShortcutRow& row : kShortcuts) {
    platform_.ShortcutAdd(kMainWindow, row.shortcut, row.item);
  }
  return true;
}

bool Application::Turn() {
  state_.eventCode = platform_.EventNext(1);
  state_.eventItem = platform_.CurrentEventItem();

  if (state_.eventCode == MessageHotKey) {
    // Whichever of the hot key's ids was pressed. Toggled in a later turn,
    // when the posted shortcut event arrives.
    platform_.EventPost(EventMenuCommand, kMainWindow, kItemToggle, 0);
  }
  if (state_.eventCode == EventMenuCommand) RunCommand(state_.eventItem);

  CaptureClipboard();
  FollowKeyboardLayout();

  if (state_.eventCode == EventCloseRequest) {
    if (platform_.MessageDialog(u"Really exit?", u"Are you sure you wish to exit?",
                                MessageYesNoWarning) == MessageAnswerYes) {
      return false;
    }
  }
  return true;
}

void Application::RunCommand(int64_t item) {
  switch (item) {
    case kItemCopy:
    case kItemAppend:
      CopyEntry(item);
      break;
    case kItemHide:
      HideWindow();
      break;
    case kItemToggle:
      ToggleWindow();
      break;
    case kItemDelete:
      DeleteEntry();
      break;
    case kItemClear:
      ClearHistory();
      break;
    case kItemPreview:
      TogglePreview();
      break;
    case kItemFind:
    case kItemFindNext:
    case kItemFindPrevious:
      FindDispatch(item);
      break;
    default:
      break;
  }
}

void Application::FollowKeyboardLayout() {
  const uint64_t now = platform_.TickNow();
  if (now - state_.layoutCheckedAt < kLayoutCheckInterval) return;
  state_.layoutCheckedAt = now;
  // Windows matches a hot key by the virtual key that the layout of the
  // thread in front gives the key pressed.
  const uint32_t key = platform_.ForegroundLayoutKey(HotKeyScanCode);
  // No answer keeps what is registered; an answer already seen was dealt
  // with, also when its keys were refused: they are asked for again only
  // after the layout changes.
  if (key == 0 || key == state_.layoutKey) return;
  state_.layoutKey = key;
  RegisterHotKeys(HotKeysFor(key));
}

void Application::RegisterHotKeys(const std::array<uint32_t, 2>& wanted) {
  const WindowRef window = platform_.WindowHandle(kMainWindow);
  std::array<uint32_t, kHotKeyIdCount> next = state_.hotKeys;
  std::array<bool, kHotKeyIdCount> taken{};
  // Each hot key of the window has an id of its own: a new key takes a free
  // id while the old keys still answer.
  for (const uint32_t key : wanted) {
    if (key == 0 || Holds(next, key)) continue;
    const auto id = static_cast<int32_t>(std::find(next.begin(), next.end(), 0u) - next.begin());
    if (id == kHotKeyIdCount ||
        platform_.RegisterHotKey(window, id, kHotKeyModifiers, key) == 0) {
      for (int32_t i = 0; i < kHotKeyIdCount; ++i) {
        if (taken[static_cast<size_t>(i)]) platform_.UnregisterHotKey(window, i);
      }
      return;
    }
    next[static_cast<size_t>(id)] = key;
    taken[static_cast<size_t>(id)] = true;
  }
  for (int32_t i = 0; i < kHotKeyIdCount; ++i) {
    uint32_t& key = next[static_cast<size_t>(i)];
    if (key != 0 && !Holds(wanted, key)) {
      platform_.UnregisterHotKey(window, i);
      key = 0;
    }
  }
  state_.hotKeys = next;
}

int Application::Shutdown() {
  platform_.RuntimeEnd();
  state_.history.Clear();
  return 0;
}

int Application::Run() {
  if (Start()) {
    for (;;) {
      try {
        if (!Turn()) break;
      } catch (const std::bad_alloc&) {
        // A turn that ran out of memory is given up; the history is kept and
        // the next turn runs as usual.
      }
    }
  }
  return Shutdown();
}

}  // namespace quorvel
