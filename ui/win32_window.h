// Numbered top-level windows on Win32: opening with a class of their own,
// showing, hiding and centring, the foreground test, the window procedure
// shared by every numbered window, and the gadget parent that new gadgets go
// into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace quorvel {

class ShortcutTable;
class ObjectRegistry;

// One record per open window, owned by the window registry. It is zeroed
// memory, not constructed: plain fields only.
struct WindowRecord {
  HWND handle;               // non-zero while the window exists
  ShortcutTable* shortcuts;  // owned; freed with the window
  HACCEL accelerator;        // owned; rebuilt by every ShortcutAdd
  int32_t minimizedOrMaximized;
  int32_t ready;             // 1 once WindowOpen has finished
};

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
// the window registry: the "QV_WindowID" property only marks the window.
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
