// Numbered top-level windows on Win32: opening with a class of their own,
// showing, hiding and centring, the foreground test, the window procedure
// shared by every numbered window, and the gadget parent that new gadgets go
// into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/shortcuts.h"
#include "ui/win32_handle.h"

namespace quorvel {

// One record per open window, owned by the window registry, which
// value-initialises it and destroys it when the window goes: the record owns
// its shortcut table and accelerator table.
struct WindowRecord {
  HWND handle = nullptr;  // non-zero while the window exists (the alive word)
  std::unique_ptr<ShortcutTable> shortcuts;
  UniqueAccelerator accelerator;  // rebuilt by every ShortcutAdd
  int32_t minimizedOrMaximized = 0;
  int32_t ready = 0;  // 1 once WindowOpen has finished
};

// The property that marks a numbered window, holding its number plus one (a
// missing property reads 0). Another program can set it on our windows: the
// window registry has the last word (WindowNumberOfHandle).
inline constexpr wchar_t kWindowNumberProperty[] = L"QV_WindowID";
// The number a window's property claims, else -1.
[[nodiscard]] inline int64_t WindowNumberClaimed(HWND window) {
  return static_cast<int64_t>(reinterpret_cast<intptr_t>(GetPropW(window, kWindowNumberProperty))) -
         1;
}

// Mode bit of WindowClientWidth/Height: the client area (else the whole window).
inline constexpr uint32_t WindowModeClient = 0x1;

// Window library start (registry, icon, cursor) and end (closes every window).
void WindowLibraryStart();
void WindowLibraryEnd();
// Reads the screen's pixel density when DpiAware is on; nothing otherwise.
void DpiInit();

// The record of an open window, or null.
[[nodiscard]] WindowRecord* WindowLookup(int64_t number);

// Returns the dynamic id when number is ObjectAny, otherwise the window
// handle; 0 on failure. An open window of the same number is closed first.
int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   std::u16string_view title, uint32_t flags, HWND parent = nullptr);
[[nodiscard]] int64_t WindowClientWidth(int64_t number, uint32_t mode = WindowModeClient);
[[nodiscard]] int64_t WindowClientHeight(int64_t number, uint32_t mode = WindowModeClient);
[[nodiscard]] HWND WindowHandle(int64_t number);
void WindowSetHidden(int64_t number, int32_t hidden, uint32_t showFlags = 0);
// The number of this program's window in the foreground, else -1.
[[nodiscard]] int64_t ActiveWindowNumber();
// Closes one window; -1 closes all.
void WindowClose(int64_t number);
void WindowCenter(HWND window, uint32_t flags, HWND owner);

// The number of the open window whose handle this is, else -1. Taken from
// the window registry: kWindowNumberProperty only marks the window.
[[nodiscard]] int64_t WindowNumberOfHandle(HWND window);
// The number of the numbered window that window is or lies in (walking up
// through GetParent to the first open window of ours), else -1.
[[nodiscard]] int64_t WindowNumberOf(HWND window);

// Makes window the parent of gadgets created from now on and returns the
// previous one. Each window keeps its saved gadget-parent state while
// another window is current.
HWND GadgetParentSet(HWND window);
[[nodiscard]] HWND GadgetParentWindow();

// The gadget layer's offer for WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL,
// WM_CTLCOLOR* and message 13120: it answers NotHandled for a message no
// gadget takes. Without a hook every such message is NotHandled.
using GadgetMessageHook = int64_t (*)(HWND, UINT, WPARAM, LPARAM);
void SetGadgetMessageHook(GadgetMessageHook hook);

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorvel
