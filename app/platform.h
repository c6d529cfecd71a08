// The platform operations the application is built against: the windowing
// layer, the runtime clock and the few system calls the application makes
// itself. The Windows program binds them to the Win32 layer; the portable
// platform keeps the same state in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// Modifier bits of a shortcut value; the low 16 bits are the virtual key.
inline constexpr int32_t ShortcutShift = 0x10000;
inline constexpr int32_t ShortcutControl = 0x20000;
inline constexpr int32_t ShortcutAlt = 0x40000;

// A system window handle, opaque to the application.
using WindowRef = uintptr_t;

class Platform {
 public:
  virtual ~Platform() = default;

  // Start and end of the runtime services, in their fixed order (posted
  // events, pixel density, windows, gadgets, common controls and COM; at the
  // end gadgets, windows, then the posting window).
  virtual void RuntimeStart() = 0;
  virtual void RuntimeEnd() = 0;

  // Windows.
  virtual int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             std::u16string_view title, uint32_t flags) = 0;
  virtual int64_t WindowClientWidth(int64_t number) = 0;
  virtual int64_t WindowClientHeight(int64_t number) = 0;
  virtual WindowRef WindowHandle(int64_t number) = 0;
  virtual void WindowSetHidden(int64_t number, int32_t hidden) = 0;
  virtual int64_t ActiveWindowNumber() = 0;

  // Gadgets.
  virtual int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                                 int32_t height) = 0;
  virtual int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                               int32_t height) = 0;
  virtual void GadgetSetHidden(int64_t gadget, int64_t hidden) = 0;
  virtual void GadgetFocus(int64_t gadget) = 0;
  virtual int64_t GadgetGetState(int64_t gadget) = 0;
  virtual void GadgetSetState(int64_t gadget, int64_t state) = 0;
  virtual int64_t GadgetItemCount(int64_t gadget) = 0;
  virtual int64_t GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) = 0;
  virtual void GadgetRemoveItem(int64_t gadget, int64_t index) = 0;
  virtual void GadgetClearItems(int64_t gadget) = 0;
  virtual std::u16string GadgetItemText(int64_t gadget, int64_t index) = 0;
  virtual void GadgetSetText(int64_t gadget, std::u16string_view text) = 0;

  // Events and shortcuts.
  virtual uintptr_t ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) = 0;
  virtual int64_t EventNext(int32_t timeout) = 0;
  virtual int64_t CurrentEventItem() = 0;
  virtual int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) = 0;

  // Requesters.
  virtual int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                                int64_t flags) = 0;
  virtual std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                                     std::u16string_view defaultText) = 0;

  // Clipboard text. ClipboardGetText yields the empty text whenever there is
  // none to take (no text, clipboard busy, content marked private).
  virtual std::u16string ClipboardGetText() = 0;
  virtual int64_t ClipboardSetText(std::u16string_view text) = 0;
  // The same read, telling a clipboard that another program holds open
  // (false: nothing was read, try again later) from one without text. On
  // success, sequence is the clipboard's sequence number taken while it was
  // open for the read: no other program can change the contents then, so it
  // is the number of exactly the contents read.
  virtual bool ClipboardReadText(std::u16string& text, uint32_t& sequence) = 0;
  // The system's clipboard sequence number: it changes with every change of
  // the clipboard's contents (several steps at a time, and also when the same
  // text is set again). 0 when the system cannot tell.
  virtual uint32_t ClipboardSequenceNumber() = 0;

  // Local clock, as a date value.
  virtual int64_t DateNow() = 0;

  // System calls the application makes itself (MapVirtualKeyW,
  // RegisterHotKey, SetForegroundWindow).
  virtual uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) = 0;
  virtual int32_t RegisterHotKey(WindowRef window, int32_t id, uint32_t modifiers,
                                 uint32_t virtualKey) = 0;
  virtual int32_t SetForegroundWindow(WindowRef window) = 0;
};

}  // namespace quorvel
