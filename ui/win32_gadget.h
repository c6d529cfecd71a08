// Gadgets on Win32: the gadget registry of controls, registration and the
// common window procedure, the generic operations the application calls, the
// shared brushes, the default font and the gadget layer's start and end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/gadget_kind.h"

namespace quorvel {

// A GadgetResize argument that leaves that value as it is.
inline constexpr int32_t GadgetSizeUnchanged = -65535;

// Start-up (after the window layer's) and shut-down (before it). Init installs
// GadgetOfferMessage as the window procedure's gadget hook.
void GadgetLibraryInit();
void GadgetLibraryEnd();

// The gadget registry and dispatch; null before GadgetLibraryInit.
[[nodiscard]] GadgetTable* Gadgets();
// The font each new gadget gets, and the default font made at start-up.
[[nodiscard]] HFONT GadgetCurrentFont();
[[nodiscard]] HFONT GadgetDefaultFont();

// The registry's free routine: -1 frees every gadget, any other number
// destroys that gadget's control (its clean-up runs in GadgetProcedure).
void GadgetFree(int64_t number);
// The last step of every creation: the entry takes the control and kind, the
// control gets the common procedure, its number (as control ID and "QV_ID")
// and the current font. Answers the number for ObjectAny, else the handle.
// The common procedure drops what other programs may not send a control
// (ForeignMessageRefused) before the kind's procedure sees it.
int64_t GadgetRegister(int64_t number, GadgetEntry* entry, HWND control, const GadgetKind* kind);
LRESULT CALLBACK GadgetProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The gadget whose control this is, or null: the registry entry that holds
// this handle (found under the control ID first). "QV_ID" and the control ID
// mark the control; another program can change both, so neither decides.
[[nodiscard]] GadgetEntry* GadgetFromHandle(HWND handle);
// The first window from the control up its parent chain that has a parent and
// carries kWindowNumberProperty; else the topmost window of the chain.
[[nodiscard]] HWND GadgetOwnerWindow(HWND control);
// Raises EventGadgetNotify for the control's gadget (dropped while suppressed).
void GadgetEventRaise(HWND control, int64_t type);
// Offers a window's WM_COMMAND, WM_NOTIFY, scroll, colour or 13120 message to
// the kind of the control that sent it. NotHandled when no gadget takes it.
int64_t GadgetOfferMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Moves and sizes a gadget; GadgetSizeUnchanged keeps a value.
void GadgetResize(GadgetEntry& entry, int32_t x, int32_t y, int32_t width, int32_t height);

// Solid brushes shared by colour, counted per colour.
[[nodiscard]] HBRUSH BrushAcquire(COLORREF colour);
void BrushRelease(HBRUSH brush);

// The generic operations on numbered gadgets.
void GadgetSetHidden(int64_t number, int64_t hidden);
void GadgetFocus(int64_t number);
[[nodiscard]] int64_t GadgetGetState(int64_t number);
void GadgetSetState(int64_t number, int64_t state);
[[nodiscard]] int64_t GadgetItemCount(int64_t number);
void GadgetClearItems(int64_t number);
void GadgetRemoveItem(int64_t number, int64_t index);
void GadgetSetText(int64_t number, std::u16string_view text);
int64_t GadgetAddItem(int64_t number, int64_t position, std::u16string_view text);
[[nodiscard]] std::u16string GadgetItemText(int64_t number, int64_t index, int64_t column = 0);

inline HWND GadgetHandle(const GadgetEntry& entry) { return static_cast<HWND>(entry.handle); }

// One message to a gadget's control, and an index as the control takes it (a
// 32-bit signed value): shared by the kinds whose operations are messages.
inline LRESULT GadgetSend(const GadgetEntry& entry, UINT message, WPARAM wParam = 0,
                          LPARAM lParam = 0) {
  return SendMessageW(GadgetHandle(entry), message, wParam, lParam);
}
inline WPARAM GadgetIndex(int32_t index) {
  return static_cast<WPARAM>(static_cast<intptr_t>(index));
}

}  // namespace quorvel
