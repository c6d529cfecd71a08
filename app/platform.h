// The platform operations the application is built against: the windowing
// layer, the runtime clock and the few system calls the application makes
// itself. The Windows program binds them to the Win32 layer; the portable
// platform keeps the same state in memory. Each operation's comment says what
// it answers and what it answers when it fails; a window or gadget number
// that is not open counts as a failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/platform_names.h"

namespace quorvel {

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
  // Opens the numbered window (flags: WindowFlag* bits and Win32 styles);
  // answers non-zero (its handle), 0 on failure.
  virtual int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                             std::u16string_view title, uint32_t flags) = 0;
  // Width / height of the window's client area in pixels; 0 on failure.
  virtual int64_t WindowClientWidth(int64_t number) = 0;
  virtual int64_t WindowClientHeight(int64_t number) = 0;
  // The window's system handle; 0 on failure.
  virtual WindowRef WindowHandle(int64_t number) = 0;
  // Hides (1) or shows (0, restored as opened, and activated) the window;
  // does nothing on failure.
  virtual void WindowSetHidden(int64_t number, int32_t hidden) = 0;
  // Number of the program's window that is the foreground window; -1 when
  // another program's window (or none) is in front.
  virtual int64_t ActiveWindowNumber() = 0;

  // Gadgets.
  // Creates the list view / editor in the current window; answers non-zero
  // (the control's handle), 0 on failure.
  virtual int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                                 int32_t height) = 0;
  virtual int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                               int32_t height) = 0;
  // Hides (not 0) or shows (0) the gadget; does nothing on failure.
  virtual void GadgetSetHidden(int64_t gadget, int64_t hidden) = 0;
  // Gives the gadget the keyboard focus; does nothing on failure.
  virtual void GadgetFocus(int64_t gadget) = 0;
  // The list view's selected index, -1 when none; 0 on failure.
  virtual int64_t GadgetGetState(int64_t gadget) = 0;
  // Selects the item at index (-1: none); does nothing on failure.
  virtual void GadgetSetState(int64_t gadget, int64_t state) = 0;
  // Number of items of the list view (lines of the editor); 0 on failure.
  virtual int64_t GadgetItemCount(int64_t gadget) = 0;
  // Inserts text at position (-1: appends); answers 0 whether or not the
  // item was added: only GadgetItemCount tells.
  virtual int64_t GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) = 0;
  // Removes the item at index, later items move up; does nothing for an
  // index that names no item and on failure.
  virtual void GadgetRemoveItem(int64_t gadget, int64_t index) = 0;
  // Removes every item (the editor: its text); does nothing on failure.
  virtual void GadgetClearItems(int64_t gadget) = 0;
  // The item's text; the empty text for an index that names no item and on
  // failure.
  virtual std::u16string GadgetItemText(int64_t gadget, int64_t index) = 0;
  // Replaces the editor's text; does nothing on failure.
  virtual void GadgetSetText(int64_t gadget, std::u16string_view text) = 0;

  // Events and shortcuts.
  // Adds or replaces a shortcut (virtual key | Shortcut* bits) of the window,
  // whose press later yields EventMenuCommand with item; answers the rebuilt
  // accelerator table, 0 on failure.
  virtual uintptr_t ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) = 0;
  // Waits at most timeout ms; answers a queued event's code, the number of a
  // system message it dispatched, or 0 when nothing arrived.
  virtual int64_t EventNext(int32_t timeout) = 0;
  // The object (gadget or item) of the event EventNext returned last; after a
  // raw message or 0, that of the last queued event returned.
  virtual int64_t CurrentEventItem() = 0;
  // Queues the event for a later EventNext, from any thread; answers 1, or 0
  // when it could not be posted.
  virtual int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) = 0;

  // Requesters.
  // Modal message box (flags: Message* flags); answers the button pressed
  // (MessageAnswer*), 0 when the box could not be shown.
  virtual int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                                int64_t flags) = 0;
  // Modal prompt; answers the entered text, the empty text when cancelled or
  // when the prompt could not be shown.
  virtual std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                                     std::u16string_view defaultText) = 0;

  // Clipboard text. ClipboardGetText yields the empty text whenever there is
  // none to take (no text, clipboard busy, content marked private).
  virtual std::u16string ClipboardGetText() = 0;
  // Puts text on the clipboard; answers 1, or 0 when the clipboard kept its
  // old contents (busy, out of memory).
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

  // Local clock, as a date value; -1 when it is outside the valid range.
  virtual int64_t DateNow() = 0;
  // Milliseconds on a clock that only moves forward, for measuring intervals
  // (no date); cannot fail.
  virtual uint64_t TickNow() = 0;

  // System calls the application makes itself.
  // MapVirtualKeyW in the program's own keyboard layout: the code mapped as
  // mapType says (MapScanCodeToKey: scan code to virtual key); 0 when the
  // layout has no such key.
  virtual uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) = 0;
  // The virtual key that scanCode gives in the keyboard layout of the thread
  // of the foreground window, whatever program it belongs to; 0 when there is
  // no foreground window or that layout has no key for the scan code.
  virtual uint32_t ForegroundLayoutKey(uint32_t scanCode) = 0;
  // RegisterHotKey: WM_HOTKEY (MessageHotKey) for the window whenever the key
  // is pressed with the modifiers (HotKey* bits); answers 1, or 0 when
  // another hot key holds the combination or the window is not ours.
  virtual int32_t RegisterHotKey(WindowRef window, int32_t id, uint32_t modifiers,
                                 uint32_t virtualKey) = 0;
  // UnregisterHotKey: frees the window's hot key of that id; answers 1, or 0
  // when it holds none of that id.
  virtual int32_t UnregisterHotKey(WindowRef window, int32_t id) = 0;
  // SetForegroundWindow: answers 1 when the window was brought to the front,
  // 0 when the system refused.
  virtual int32_t SetForegroundWindow(WindowRef window) = 0;
};

}  // namespace quorvel
