// The portable platform: the application's platform operations kept as real
// state in memory (window visibility and foreground, list items and
// selection, editor text, focus, clipboard, a scripted message queue,
// requester answers, a settable clock). It runs the whole application
// without a desktop; tests and the portable program drive it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/platform.h"
#include "ui/event_queue.h"
#include "ui/list_model.h"

namespace quorvel {

class NullPlatform final : public Platform {
 public:
  // The raw message numbers EventNext returns, as on Windows.
  static constexpr int64_t kMessageKeyDown = 256;     // WM_KEYDOWN
  static constexpr int64_t kMessageSysKeyDown = 260;  // WM_SYSKEYDOWN (with Alt)
  static constexpr int64_t kMessageClose = 16;        // WM_CLOSE
  static constexpr int64_t kMessagePostEvent = 0xC0DE;  // the registered posting message

  struct DialogCall {
    std::u16string title;
    std::u16string text;
    int64_t flags = 0;  // MessageBox flags; unused for input prompts
  };

  NullPlatform();

  // --- Platform ---
  void RuntimeStart() override;
  void RuntimeEnd() override;
  int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     std::u16string_view title, uint32_t flags) override;
  int64_t WindowClientWidth(int64_t number) override;
  int64_t WindowClientHeight(int64_t number) override;
  WindowRef WindowHandle(int64_t number) override;
  void WindowSetHidden(int64_t number, int32_t hidden) override;
  int64_t ActiveWindowNumber() override;
  int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                         int32_t height) override;
  int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                       int32_t height) override;
  void GadgetSetHidden(int64_t gadget, int64_t hidden) override;
  void GadgetFocus(int64_t gadget) override;
  int64_t GadgetGetState(int64_t gadget) override;
  void GadgetSetState(int64_t gadget, int64_t state) override;
  int64_t GadgetItemCount(int64_t gadget) override;
  int64_t GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) override;
  void GadgetRemoveItem(int64_t gadget, int64_t index) override;
  void GadgetClearItems(int64_t gadget) override;
  std::u16string GadgetItemText(int64_t gadget, int64_t index) override;
  void GadgetSetText(int64_t gadget, std::u16string_view text) override;
  uintptr_t ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) override;
  int64_t EventNext(int32_t timeout) override;
  int64_t CurrentEventItem() override;
  int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) override;
  int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                        int64_t flags) override;
  std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                             std::u16string_view defaultText) override;
  std::u16string ClipboardGetText() override;
  int64_t ClipboardSetText(std::u16string_view text) override;
  bool ClipboardReadText(std::u16string& text, uint32_t& sequence) override;
  uint32_t ClipboardSequenceNumber() override { return clipboardSequence_; }
  int64_t DateNow() override;
  uint64_t TickNow() override { return ticks_; }
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override;
  uint32_t ForegroundLayoutKey(uint32_t scanCode) override;
  int32_t RegisterHotKey(WindowRef window, int32_t id, uint32_t modifiers,
                         uint32_t virtualKey) override;
  int32_t UnregisterHotKey(WindowRef window, int32_t id) override;
  int32_t SetForegroundWindow(WindowRef window) override;

  // --- The user and the other programs ---
  // A key press (shortcut value: virtual key | ShortcutShift/Control/Alt).
  // It reaches the program only while one of its windows is in the foreground.
  void PressKey(int32_t shortcut);
  // Alt with the key at scan code 0x29, whatever window is in front: a hot
  // key message when its virtual key in the current layout is registered.
  // Actions may be scripted before start-up: they are delivered in order by
  // the loop's EventNext.
  void PressHotKey();
  // The close box of window 0.
  void RequestClose();
  // Another program puts a text on the clipboard (a new clipboard change).
  void CopyText(std::u16string_view text);
  // Another program puts something that is not text (an image) on the clipboard.
  void CopyImage();
  // Another program puts a text on the clipboard with a marker asking
  // clipboard histories not to record it (a password manager, say).
  void CopyPrivateText(std::u16string_view text);
  // Another program holds the clipboard open: this program's reads and writes
  // fail; the holder itself may still change it (CopyText, CopyImage).
  void HoldClipboard(bool held) { clipboardHeld_ = held; }
  // Another program's write of text that ends just before this program next
  // opens the clipboard, after it looked at the sequence number.
  void CopyTextBeforeNextOpen(std::u16string_view text) { textBeforeNextOpen_ = std::u16string(text); }
  // The list view refuses new lines, as a control out of memory does.
  void RefuseListItems(bool refuse) { refuseListItems_ = refuse; }
  // Another program's window comes to the front.
  void ActivateOtherProgram() { foreground_ = -1; }
  // The next answers of the message and input requesters, in order. Without
  // a scripted answer a message box answers 1 (OK) and a prompt is cancelled.
  void AnswerMessage(int64_t button) { messageAnswers_.push_back(button); }
  void AnswerInput(std::u16string_view text) { inputAnswers_.emplace_back(text); }
  // Another program already holds Alt with this virtual key (0: every key).
  void TakeHotKey(uint32_t virtualKey = 0) { takenHotKeys_.push_back(virtualKey); }
  // The user switches the keyboard layout in use (for this program and the
  // one in front alike) to one whose key at scan code 0x29 gives this
  // virtual key; the Japanese pair gives its two keys in turn.
  void SwitchLayout(uint32_t keyAt29) { layoutKey_ = keyAt29; }
  // Sets the clock (a date value); without it the real local clock is read.
  void SetClock(int64_t date) { clock_ = date; }
  // Time passes (TickNow); an idle EventNext also lets its timeout pass.
  void PassTime(uint64_t milliseconds) { ticks_ += milliseconds; }

  // --- What can be seen ---
  [[nodiscard]] std::vector<std::u16string> ListItems() const;
  [[nodiscard]] int64_t ListSelection() const { return list_.GetState(); }
  [[nodiscard]] const std::u16string& EditorText() const { return editorText_; }
  [[nodiscard]] bool GadgetVisible(int64_t gadget) const;
  [[nodiscard]] int64_t FocusedGadget() const { return focus_; }
  [[nodiscard]] bool WindowOpenNow() const { return windowOpen_; }
  [[nodiscard]] bool WindowVisible() const { return windowOpen_ && !windowHidden_; }
  [[nodiscard]] bool WindowZoomed() const { return windowOpen_ && windowZoomed_; }
  [[nodiscard]] int64_t ForegroundWindow() const { return foreground_; }
  [[nodiscard]] std::optional<std::u16string> Clipboard() const { return clipboard_; }
  [[nodiscard]] const std::vector<DialogCall>& MessageCalls() const { return messageCalls_; }
  [[nodiscard]] const std::vector<DialogCall>& InputCalls() const { return inputCalls_; }
  [[nodiscard]] bool HotKeyRegistered() const { return !hotKeys_.empty(); }
  // The registered hot keys: id to virtual key.
  [[nodiscard]] const std::map<int32_t, uint32_t>& HotKeys() const { return hotKeys_; }
  // Calls of RegisterHotKey and UnregisterHotKey; questions for the layout.
  [[nodiscard]] int64_t HotKeyCalls() const { return hotKeyCalls_; }
  [[nodiscard]] int64_t LayoutQuestions() const { return layoutQuestions_; }
  [[nodiscard]] bool RuntimeStarted() const { return runtimeStarted_; }
  [[nodiscard]] int64_t ClipboardReads() const { return clipboardReads_; }
  [[nodiscard]] uint32_t ClipboardSequence() const { return clipboardSequence_; }
  [[nodiscard]] size_t PendingMessages() const { return messages_.size(); }
  EventQueue& Events() { return events_; }

 private:
  enum class MessageKind { kKey, kHotKey, kClose, kPost };
  struct Message {
    MessageKind kind = MessageKind::kKey;
    int32_t shortcut = 0;
    Event event;
  };

  [[nodiscard]] bool ProgramInFront() const { return foreground_ == 0 && WindowVisible(); }

  EventQueue events_;
  std::deque<Message> messages_;

  bool runtimeStarted_ = false;
  bool windowOpen_ = false;
  bool windowHidden_ = true;
  bool windowZoomed_ = false;
  std::u16string windowTitle_;
  int64_t foreground_ = -1;  // program window number in front, -1 another program

  bool listExists_ = false;
  bool editorExists_ = false;
  ListModel list_;
  bool refuseListItems_ = false;
  std::u16string editorText_;
  std::map<int64_t, bool> gadgetHidden_;
  int64_t focus_ = -1;

  std::vector<std::pair<int32_t, int32_t>> shortcuts_;  // shortcut value, item

  std::optional<std::u16string> clipboard_;
  bool clipboardPrivate_ = false;
  bool clipboardHeld_ = false;
  std::optional<std::u16string> textBeforeNextOpen_;
  uint32_t clipboardSequence_ = 1;
  int64_t clipboardReads_ = 0;

  std::deque<int64_t> messageAnswers_;
  std::deque<std::u16string> inputAnswers_;
  std::vector<DialogCall> messageCalls_;
  std::vector<DialogCall> inputCalls_;

  std::vector<uint32_t> takenHotKeys_;
  std::map<int32_t, uint32_t> hotKeys_;
  int64_t hotKeyCalls_ = 0;
  uint32_t layoutKey_ = KeyOem3;  // the US layout
  bool secondKeyNext_ = false;    // the Japanese pair's turn
  int64_t layoutQuestions_ = 0;
  std::optional<int64_t> clock_;
  uint64_t ticks_ = 0;
};

}  // namespace quorvel
