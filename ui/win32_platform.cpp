// Binds each platform operation the application calls to the Win32 layer:
// one call each, with the numbers the application passes.
#include "ui/win32_platform.h"

#include <windows.h>
// NOTE: <windows.h> maps MapVirtualKey to MapVirtualKeyW, which would rename
// the platform operation of the same name here.
#undef MapVirtualKey

#include "runtime/date.h"
#include "ui/win32_clipboard.h"
#include "ui/win32_failure.h"
#include "ui/win32_editor.h"
#include "ui/win32_events.h"
#include "ui/win32_gadget.h"
#include "ui/win32_layer.h"
#include "ui/win32_listview.h"
#include "ui/win32_post.h"
#include "ui/win32_requester.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

HWND ToHandle(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef FromHandle(HWND window) { return reinterpret_cast<WindowRef>(window); }

class Win32PlatformImpl final : public Platform {
 public:
  void RuntimeStart() override {
    SetGadgetLibraryHooks(GadgetLibraryInit, GadgetLibraryEnd);
    LayerStart();
  }
  void RuntimeEnd() override { LayerEnd(); }

  int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     std::u16string_view title, uint32_t flags) override {
    return quorvel::WindowOpen(number, x, y, width, height, title, flags);
  }
  int64_t WindowClientWidth(int64_t number) override { return quorvel::WindowClientWidth(number); }
  int64_t WindowClientHeight(int64_t number) override {
    return quorvel::WindowClientHeight(number);
  }
  WindowRef WindowHandle(int64_t number) override {
    return FromHandle(quorvel::WindowHandle(number));
  }
  void WindowSetHidden(int64_t number, int32_t hidden) override {
    quorvel::WindowSetHidden(number, hidden);
  }
  int64_t ActiveWindowNumber() override { return quorvel::ActiveWindowNumber(); }

  int64_t ListViewCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                         int32_t height) override {
    return quorvel::ListViewCreate(number, x, y, width, height);
  }
  int64_t EditorCreate(int64_t number, int32_t x, int32_t y, int32_t width,
                       int32_t height) override {
    return quorvel::EditorCreate(number, x, y, width, height);
  }
  void GadgetSetHidden(int64_t gadget, int64_t hidden) override {
    quorvel::GadgetSetHidden(gadget, hidden);
  }
  void GadgetFocus(int64_t gadget) override { quorvel::GadgetFocus(gadget); }
  int64_t GadgetGetState(int64_t gadget) override { return quorvel::GadgetGetState(gadget); }
  void GadgetSetState(int64_t gadget, int64_t state) override {
    quorvel::GadgetSetState(gadget, state);
  }
  int64_t GadgetItemCount(int64_t gadget) override { return quorvel::GadgetItemCount(gadget); }
  int64_t GadgetAddItem(int64_t gadget, int64_t position, std::u16string_view text) override {
    return quorvel::GadgetAddItem(gadget, position, text);
  }
  void GadgetRemoveItem(int64_t gadget, int64_t index) override {
    quorvel::GadgetRemoveItem(gadget, index);
  }
  void GadgetClearItems(int64_t gadget) override { quorvel::GadgetClearItems(gadget); }
  std::u16string GadgetItemText(int64_t gadget, int64_t index) override {
    return quorvel::GadgetItemText(gadget, index);
  }
  void GadgetSetText(int64_t gadget, std::u16string_view text) override {
    quorvel::GadgetSetText(gadget, text);
  }

  uintptr_t ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) override {
    return reinterpret_cast<uintptr_t>(quorvel::ShortcutAdd(window, shortcut, item));
  }
  int64_t EventNext(int32_t timeout) override { return quorvel::EventNext(timeout); }
  int64_t CurrentEventItem() override { return quorvel::CurrentEventItem(); }
  int32_t EventPost(int32_t code, int64_t window, int64_t object, int64_t type) override {
    return quorvel::EventPost(code, window, object, type);
  }

  int64_t MessageDialog(std::u16string_view title, std::u16string_view text,
                        int64_t flags) override {
    return quorvel::MessageDialog(title, text, flags);
  }
  std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                             std::u16string_view defaultText) override {
    return quorvel::InputDialog(title, message, defaultText);
  }

  // The application never sees content marked private: appending to it
  // copies the entry alone, and capturing it records nothing.
  std::u16string ClipboardGetText() override {
    std::u16string text;
    (void)quorvel::ClipboardReadText(text);
    return text;
  }
  int64_t ClipboardSetText(std::u16string_view text) override {
    return quorvel::ClipboardSetText(text);
  }
  bool ClipboardReadText(std::u16string& text, uint32_t& sequence) override {
    return quorvel::ClipboardReadText(text, &sequence);
  }
  uint32_t ClipboardSequenceNumber() override { return ClipboardWatchedSequenceNumber(); }

  int64_t DateNow() override { return quorvel::DateNow(); }
  uint64_t TickNow() override { return ::GetTickCount64(); }

  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override {
    return ::MapVirtualKeyW(code, mapType);
  }
  uint32_t ForegroundLayoutKey(uint32_t scanCode) override {
    HWND front = ::GetForegroundWindow();
    if (front == nullptr) return 0;
    const DWORD thread = ::GetWindowThreadProcessId(front, nullptr);
    if (thread == 0) return 0;
    return ::MapVirtualKeyExW(scanCode, MAPVK_VSC_TO_VK, ::GetKeyboardLayout(thread));
  }
  int32_t RegisterHotKey(WindowRef window, int32_t id, uint32_t modifiers,
                         uint32_t virtualKey) override {
    if (::RegisterHotKey(ToHandle(window), id, modifiers, virtualKey)) return 1;
    Win32Failure("RegisterHotKey");
    return 0;
  }
  int32_t UnregisterHotKey(WindowRef window, int32_t id) override {
    if (::UnregisterHotKey(ToHandle(window), id)) return 1;
    Win32Failure("UnregisterHotKey");
    return 0;
  }
  int32_t SetForegroundWindow(WindowRef window) override {
    if (::SetForegroundWindow(ToHandle(window))) return 1;
    Win32Failure("SetForegroundWindow");
    return 0;
  }
};

}  // namespace

Platform& Win32Platform() {
  static Win32PlatformImpl platform;
  return platform;
}

Win32ProgramHeap::Win32ProgramHeap() {
  GetModuleHandleW(nullptr);
  heap_.reset(HeapCreate(0, 4096, 0));
  if (!heap_) Win32Failure("HeapCreate");
}

void Win32ProgramHeap::Destroy::operator()(void* heap) const noexcept { HeapDestroy(heap); }

}  // namespace quorvel
