// The portable platform's behaviour. Where the Windows layer has a rule the
// application can observe (the turns a key press or a posted event takes,
// the selection following its item, foreground rules), it is kept here too.
#include "ui/null_platform.h"

#include "runtime/date.h"
#include "ui/editor_text.h"

namespace quorvel {

namespace {

constexpr int64_t kListNumber = 0;
constexpr int64_t kEditorNumber = 1;
constexpr int64_t kClientWidth = 1920;
constexpr int64_t kClientHeight = 1050;
constexpr WindowRef kWindowHandleBase = 0x10000;
constexpr uint32_t kScanCodeLeftOf1 = 0x29;

}  // namespace

NullPlatform::NullPlatform() = default;

void NullPlatform::RuntimeStart() { runtimeStarted_ = true; }

void NullPlatform::RuntimeEnd() {
  // Gadgets go with the window, the window before the posting window.
  listExists_ = editorExists_ = false;
  windowOpen_ = false;
  hotKeys_.clear();  // the hot keys go with their window
  foreground_ = -1;
  focus_ = -1;
  events_.EventDiscardWindow(0);
  runtimeStarted_ = false;
}

int64_t NullPlatform::WindowOpen(int64_t number, int32_t, int32_t, int32_t, int32_t,
                                 std::u16string_view title, uint32_t flags) {
  if (number != 0) return 0;  // the application has one window
  windowOpen_ = true;
  windowTitle_ = std::u16string(title);
  windowZoomed_ = (flags & WindowFlagMaximize) != 0;
  windowHidden_ = (flags & WindowFlagInvisible) != 0;
  if (!windowHidden_) foreground_ = 0;
  return static_cast<int64_t>(WindowHandle(0));
}

int64_t NullPlatform::WindowClientWidth(int64_t number) {
  return windowOpen_ && number == 0 ? kClientWidth : 0;
}

int64_t NullPlatform::WindowClientHeight(int64_t number) {
  return windowOpen_ && number == 0 ? kClientHeight : 0;
}

WindowRef NullPlatform::WindowHandle(int64_t number) {
  return windowOpen_ && number == 0 ? kWindowHandleBase : 0;
}

void NullPlatform::WindowSetHidden(int64_t number, int32_t hidden) {
  if (!windowOpen_ || number != 0) return;
  if (hidden != 0) {
    windowHidden_ = true;
    if (foreground_ == 0) foreground_ = -1;  // the system activates another program
  } else {
    // Shown again as it was created: maximised, and activated.
    windowHidden_ = false;
    foreground_ = 0;
  }
}

int64_t NullPlatform::ActiveWindowNumber() { return ProgramInFront() ? 0 : -1; }

int64_t NullPlatform::ListViewCreate(int64_t number, int32_t, int32_t, int32_t, int32_t) {
  if (number != kListNumber || !windowOpen_) return 0;
  listExists_ = true;
  list_ = ListModel{};
  gadgetHidden_[number] = false;
  return 1;
}

int64_t NullPlatform::EditorCreate(int64_t number, int32_t, int32_t, int32_t, int32_t) {
  if (number != kEditorNumber || !windowOpen_) return 0;
  editorExists_ = true;
  editorText_.clear();
  gadgetHidden_[number] = false;
  return 1;
}

void NullPlatform::GadgetSetHidden(int64_t gadget, int64_t hidden) {
  if (!GadgetVisible(gadget) && gadgetHidden_.count(gadget) == 0) return;
  gadgetHidden_[gadget] = hidden != 0;
}

bool NullPlatform::GadgetVisible(int64_t gadget) const {
  const bool exists = (gadget == kListNumber && listExists_) ||
                      (gadget == kEditorNumber && editorExists_);
  if (!exists) return false;
  auto found = gadgetHidden_.find(gadget);
  return found == gadgetHidden_.end() || !found->second;
}

void NullPlatform::GadgetFocus(int64_t gadget) {
  if (gadget == -1) {
    focus_ = -1;
  } else if ((gadget == kListNumber && listExists_) || (gadget == kEditorNumber && editorExists_)) {
    focus_ = gadget;
  }
}

int64_t NullPlatform::GadgetGetState(int64_t gadget) {
  return gadget == kListNumber && listExists_ ? list_.GetState() : 0;
}

void NullPlatform::GadgetSetState(int64_t gadget, int64_t state) {
  if (gadget == kListNumber && listExists_) list_.SetState(state);
}

int64_t NullPlatform::GadgetItemCount(int64_t gadget) {
  if (gadget == kListNumber && listExists_) return list_.CountItems();
  if (gadget == kEditorNumber && editorExists_) {
    // Lines of the editor's text; an empty text has none.
    if (editorText_.empty()) return 0;
    int64_t lines = 1;
    for (char16_t c : editorText_) lines += c == u'\r' ? 1 : 0;
    return lines;
  }
  return 0;
}

int64_t NullPlatform::GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) {
  if (refuseListItems_) return 0;
  // The list box takes a zero-ended text: a zero inside ends the line.
  if (gadget != kListNumber || !listExists_) return 0;
  return list_.AddItem(position, text.substr(0, text.find(u'\0')));
}

void NullPlatform::GadgetRemoveItem(int64_t gadget, int64_t index) {
  if (gadget == kListNumber && listExists_) list_.RemoveItem(index);
}

void NullPlatform::GadgetClearItems(int64_t gadget) {
  if (gadget == kListNumber && listExists_) list_.ClearItems();
  if (gadget == kEditorNumber && editorExists_) editorText_.clear();
}

std::u16string NullPlatform::GadgetItemText(int64_t gadget, int64_t index) {
  if (gadget == kListNumber && listExists_) return list_.GetItemText(index);
  if (gadget != kEditorNumber || index < 0 || index >= GadgetItemCount(gadget)) return {};
  // A line of the editor's text, without its line break.
  size_t start = 0;
  for (int64_t line = 0; line < index; ++line) start = editorText_.find(u'\r', start) + 1;
  return editorText_.substr(start, editorText_.find(u'\r', start) - start);
}

void NullPlatform::GadgetSetText(int64_t gadget, std::u16string_view text) {
  if (gadget == kEditorNumber && editorExists_) {
    // What the Win32 editor shows: the beginning that EditorTextShown allows
    // and the note on the rest. The rich-edit control stores a line end as a
    // single carriage return.
    const EditorShownText part = EditorTextShown(text);
    const std::u16string shown = std::u16string(part.shown) + EditorOmissionNote(part.notShown);
    editorText_.clear();
    for (size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == u'\r' && i + 1 < shown.size() && shown[i + 1] == u'\n') continue;
      editorText_ += shown[i] == u'\n' ? u'\r' : shown[i];
    }
  }
}

uintptr_t NullPlatform::ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) {
  if (window != 0 || !windowOpen_) return 0;
  for (auto& row : shortcuts_) {
    if (row.first == shortcut) {
      row.second = item;
      return shortcuts_.size();
    }
  }
  shortcuts_.emplace_back(shortcut, item);
  return shortcuts_.size();
}

int64_t NullPlatform::EventNext(int32_t timeout) {
  const int32_t code = events_.Dequeue();
  if (code != 0) return code;
  if (messages_.empty()) {
    if (timeout > 0) ticks_ += static_cast<uint64_t>(timeout);
    return 0;
  }

  const Message message = messages_.front();
  messages_.pop_front();
  switch (message.kind) {
    case MessageKind::kKey: {
      // A key goes to the window in front; another program's keys never
      // reach this program's queue.
      if (!ProgramInFront()) return 0;
      // The accelerator turns the key into a command event for the next call.
      for (const auto& [shortcut, item] : shortcuts_) {
        if (shortcut == message.shortcut) {
          events_.EventRaise(EventMenuCommand, item & 0xFFFF, 0, 0, 0);
        }
      }
      return (message.shortcut & ShortcutAlt) != 0 ? kMessageSysKeyDown : kMessageKeyDown;
    }
    case MessageKind::kHotKey: {
      // The system matches the virtual key the layout gives the key pressed.
      uint32_t key = layoutKey_;
      if (key == KeyOemAuto || key == KeyOemEnlw) {
        key = secondKeyNext_ ? KeyOemEnlw : KeyOemAuto;
        secondKeyNext_ = !secondKeyNext_;
      }
      for (const auto& [id, registered] : hotKeys_) {
        if (registered == key && windowOpen_) return MessageHotKey;
      }
      return 0;
    }
    case MessageKind::kClose:
      if (!windowOpen_) return 0;
      events_.EventRaise(EventCloseRequest, 0, 0, 0, 0);
      return kMessageClose;
    case MessageKind::kPost:
      events_.EventRaise(message.event.code, message.event.object, message.event.window,
                         message.event.type, EventFlagUnsuppressed);
      return kMessagePostEvent;
  }
  return 0;
}

int64_t NullPlatform::CurrentEventItem() { return events_.CurrentEvent().object; }

int32_t NullPlatform::EventPost(int32_t code, int64_t window, int64_t object, int64_t type) {
  Message message;
  message.kind = MessageKind::kPost;
  message.event = Event{code, window, object, type};
  messages_.push_back(message);
  return 1;
}

int64_t NullPlatform::MessageDialog(std::u16string_view title, std::u16string_view text,
                                    int64_t flags) {
  messageCalls_.push_back({std::u16string(title), std::u16string(text), flags});
  if (messageAnswers_.empty()) return MessageAnswerOk;
  const int64_t answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

std::u16string NullPlatform::InputDialog(std::u16string_view title, std::u16string_view message,
                                         std::u16string_view) {
  inputCalls_.push_back({std::u16string(title), std::u16string(message), 0});
  if (inputAnswers_.empty()) return u"";
  std::u16string answer = std::move(inputAnswers_.front());
  inputAnswers_.pop_front();
  return answer;
}

std::u16string NullPlatform::ClipboardGetText() {
  std::u16string text;
  uint32_t sequence = 0;
  ClipboardReadText(text, sequence);
  return text;
}

bool NullPlatform::ClipboardReadText(std::u16string& text, uint32_t& sequence) {
  text.clear();
  if (textBeforeNextOpen_) {
    CopyText(*textBeforeNextOpen_);
    textBeforeNextOpen_.reset();
  }
  ++clipboardReads_;  // every attempt opens the clipboard, held or not
  if (clipboardHeld_) return false;
  sequence = clipboardSequence_;
  // Text is read up to its first zero character; private text is not read.
  if (clipboard_ && !clipboardPrivate_) text = clipboard_->substr(0, clipboard_->find(u'\0'));
  return true;
}

int64_t NullPlatform::ClipboardSetText(std::u16string_view text) {
  if (clipboardHeld_) return 0;
  clipboard_ = std::u16string(text);
  clipboardPrivate_ = false;
  clipboardSequence_ += 2;
  return 1;
}

int64_t NullPlatform::DateNow() { return clock_ ? *clock_ : quorvel::DateNow(); }

uint32_t NullPlatform::MapVirtualKey(uint32_t code, uint32_t mapType) {
  return code == kScanCodeLeftOf1 && mapType == MapScanCodeToKey ? layoutKey_ : 0;
}

uint32_t NullPlatform::ForegroundLayoutKey(uint32_t scanCode) {
  ++layoutQuestions_;
  return scanCode == kScanCodeLeftOf1 ? layoutKey_ : 0;
}

int32_t NullPlatform::RegisterHotKey(WindowRef window, int32_t id, uint32_t, uint32_t virtualKey) {
  ++hotKeyCalls_;
  if (window == 0 || window != WindowHandle(0)) return 0;
  for (const uint32_t taken : takenHotKeys_) {
    if (taken == 0 || taken == virtualKey) return 0;
  }
  // A combination already registered, by this window too, is refused.
  for (const auto& [heldId, held] : hotKeys_) {
    if (held == virtualKey) return 0;
  }
  hotKeys_[id] = virtualKey;
  return 1;
}

int32_t NullPlatform::UnregisterHotKey(WindowRef window, int32_t id) {
  ++hotKeyCalls_;
  if (window == 0 || window != WindowHandle(0)) return 0;
  return hotKeys_.erase(id) != 0 ? 1 : 0;
}

int32_t NullPlatform::SetForegroundWindow(WindowRef window) {
  if (window == 0 || window != WindowHandle(0) || windowHidden_) return 0;
  foreground_ = 0;
  return 1;
}

void NullPlatform::PressKey(int32_t shortcut) {
  Message message;
  message.kind = MessageKind::kKey;
  message.shortcut = shortcut;
  messages_.push_back(message);
}

void NullPlatform::PressHotKey() {
  Message message;
  message.kind = MessageKind::kHotKey;
  messages_.push_back(message);
}

void NullPlatform::RequestClose() {
  Message message;
  message.kind = MessageKind::kClose;
  messages_.push_back(message);
}

void NullPlatform::CopyText(std::u16string_view text) {
  clipboardPrivate_ = false;
  clipboard_ = std::u16string(text);
  clipboardSequence_ += 2;
}

void NullPlatform::CopyImage() {
  clipboardPrivate_ = false;
  clipboard_.reset();
  clipboardSequence_ += 2;
}

void NullPlatform::CopyPrivateText(std::u16string_view text) {
  CopyText(text);
  clipboardPrivate_ = true;
}

std::vector<std::u16string> NullPlatform::ListItems() const {
  std::vector<std::u16string> items;
  for (int64_t i = 0; i < list_.CountItems(); ++i) items.push_back(list_.GetItemText(i));
  return items;
}

}  // namespace quorvel
