// The application: its state, start-up, one turn of the loop, shut-down, and
// the steps a turn runs (capture, entry commands, find).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/history.h"
#include "app/platform.h"

namespace quorvel {

// Fixed numbers of the application's objects.
inline constexpr int64_t kMainWindow = 0;
inline constexpr int64_t kListView = 0;
inline constexpr int64_t kEditor = 1;
inline constexpr int32_t kHotKeyId = 0;  // the key registered at start-up
inline constexpr uint32_t HotKeyScanCode = 0x29;
inline constexpr uint32_t kHotKeyModifiers = HotKeyAlt | HotKeyNoRepeat;
// Hot-key ids 0 to 3: one key, or the two keys of a Japanese layout, and as
// many again while the keys of a new layout are taken before the old ones go.
inline constexpr int32_t kHotKeyIdCount = 4;
// How often the keyboard layout in front is asked after, in milliseconds.
inline constexpr uint64_t kLayoutCheckInterval = 100;

// Command items of the shortcut events.
enum CommandItem : int64_t {
  kItemCopy = 0,
  kItemAppend = 1,
  kItemHide = 2,
  kItemToggle = 3,
  kItemDelete = 4,
  kItemClear = 5,
  kItemPreview = 6,
  kItemFind = 7,
  kItemFindNext = 8,
  kItemFindPrevious = 9,
};

struct ApplicationState {
  int64_t eventCode = 0;
  int64_t eventItem = 0;
  int64_t windowHidden = 0;
  int64_t previewShown = 0;
  // The clipboard's text as last read; overwritten and emptied once the
  // capture step is done with it, so the history holds the only copy.
  std::u16string clipText;
  // The last captured text, known by its length and keyed digest only: the
  // same text again is recognised without keeping a copy of it.
  TextDigest lastClipText;
  // Clipboard sequence number at the last successful read; 0 before the
  // first one (the system never reports 0 for a readable clipboard).
  uint32_t clipSequence = 0;
  std::u16string searchText;
  int64_t searchBusy = 0;
  HistoryList history;
  // The virtual key registered under each hot-key id, 0 for a free id.
  std::array<uint32_t, kHotKeyIdCount> hotKeys{};
  // The key at HotKeyScanCode in the layout in front when last asked (0:
  // not asked yet), and the tick of that question.
  uint32_t layoutKey = 0;
  uint64_t layoutCheckedAt = 0;
};

class Application {
 public:
  explicit Application(Platform& platform) : platform_(platform) {}

  // Start-up up to the loop. False when the hot key could not be registered:
  // the error was shown and the caller goes straight to Shutdown.
  [[nodiscard]] bool Start();
  // One turn of the loop. False when the user confirmed the exit.
  [[nodiscard]] bool Turn();
  // Ends the runtime services; the process then exits with this code.
  int Shutdown();
  // Start, the loop until exit, Shutdown.
  int Run();

  // The steps of a turn, each usable on its own.
  void CaptureClipboard();
  void RunCommand(int64_t item);
  void CopyEntry(int64_t item);  // items 0 (copy) and 1 (append)
  void HideWindow();
  void ToggleWindow();
  void DeleteEntry();
  void ClearHistory();
  void TogglePreview();
  void FindDispatch(int64_t item);  // items 7, 8 and 9
  int64_t FindStep(int64_t step);
  // At most every kLayoutCheckInterval: moves the hot key to the key at
  // HotKeyScanCode in the keyboard layout in front, when that changed.
  void FollowKeyboardLayout();

  // hh:mm[:ss] AM|PM of the local clock, each field from its own reading.
  std::u16string TimeOfDayText(int64_t showSeconds);
  // The readings of a capture's stamp: the date, then hour, minute, second.
  StampTime ReadCaptureTime();

  [[nodiscard]] const ApplicationState& State() const { return state_; }

 private:
  // The list view's selected index when it names an entry, else -1.
  int64_t ValidSelection();
  // Steps 2 onwards of the capture, on the text just read.
  void CaptureText();
  // Appends a line to the list; false when the list did not take it.
  bool ListAppend(const HistoryEntry& entry);
  // Registers the hot key for exactly the wanted keys (0: none), taking the
  // new ones before freeing the old; when one is refused, the keys held
  // before stay and those taken in this call are freed again.
  void RegisterHotKeys(const std::array<uint32_t, 2>& wanted);

  Platform& platform_;
  ApplicationState state_;
};

}  // namespace quorvel
