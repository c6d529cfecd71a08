// Start-up, the loop and shut-down of the history application.
#include "app/application.h"

#include <new>

#include "runtime/text.h"

namespace quorvel {

namespace {

constexpr uint32_t kModAltNoRepeat = 0x4001;  // MOD_ALT | MOD_NOREPEAT
constexpr uint32_t kMapScanToVirtualKey = 1;  // MAPVK_VSC_TO_VK
constexpr int64_t kMbIconError = 16;
constexpr int64_t kMbYesNoWarning = 52;
constexpr int64_t kIdYes = 6;

struct ShortcutRow {
  int32_t shortcut;
  int32_t item;
};

// Added in this order; item 3 has no key of its own (the hot key posts it).
constexpr ShortcutRow kShortcuts[] = {
    {13, kItemCopy},
    {ShortcutShift | 13, kItemAppend},
    {27, kItemHide},
    {ShortcutAlt | 13, kItemPreview},
    {ShortcutShift | 0x2E, kItemDelete},
    {ShortcutAlt | 0x2E, kItemClear},
    {ShortcutControl | 0x46, kItemFind},
    {0x72, kItemFindNext},
    {ShortcutShift | 0x72, kItemFindPrevious},
};

}  // namespace

bool Application::Start() {
  state_ = ApplicationState{};
  TextStart();
  platform_.RuntimeStart();

  platform_.WindowOpen(kMainWindow, 0, 0, 400, 400, u"quorvel", 0x11000001);
  platform_.ListViewCreate(kListView, 0, 0,
                           static_cast<int32_t>(platform_.WindowClientWidth(kMainWindow)),
                           static_cast<int32_t>(platform_.WindowClientHeight(kMainWindow)));
  platform_.EditorCreate(kEditor, 0, 0,
                         static_cast<int32_t>(platform_.WindowClientWidth(kMainWindow)),
                         static_cast<int32_t>(platform_.WindowClientHeight(kMainWindow)));
  platform_.GadgetSetHidden(kEditor, 1);
  platform_.GadgetFocus(kListView);

  const uint32_t key = platform_.MapVirtualKey(HotKeyScanCode, kMapScanToVirtualKey);
  if (platform_.RegisterHotKey(platform_.WindowHandle(kMainWindow), kHotKeyId, kModAltNoRepeat,
                               key) == 0) {
    platform_.MessageDialog(u"error", u"Cannot register hotkey.", kMbIconError);
    return false;
  }

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

  if (state_.eventCode == kMessageHotKey) {
    // Toggled in a later turn, when the posted shortcut event arrives.
    platform_.EventPost(static_cast<int32_t>(kEventMenuCommand), kMainWindow, kItemToggle, 0);
  }
  if (state_.eventCode == kEventMenuCommand) RunCommand(state_.eventItem);

  CaptureClipboard();

  if (state_.eventCode == kEventCloseRequest) {
    if (platform_.MessageDialog(u"Really exit?", u"Are you sure you wish to exit?",
                                kMbYesNoWarning) == kIdYes) {
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
