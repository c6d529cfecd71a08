// EventNext's fetch-translate-dispatch step and the shortcut tables. The queue
// itself and the rows of a table are portable (event_queue.h, shortcuts.h).
#include "ui/win32_events.h"

#include <climits>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "ui/layer.h"
#include "ui/shortcuts.h"
#include "ui/win32_clipboard.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_text.h"
#include "ui/win32_window.h"

namespace quorvel {

namespace {

constexpr UINT kEmGetOptions = 0x44E;
constexpr LRESULT kEcoReadOnly = 0x800;
constexpr UINT kPeekFlags = PM_REMOVE | PM_NOYIELD;
constexpr DWORD kWakeMask = QS_ALLINPUT | QS_ALLPOSTMESSAGE;

bool KeyDown(int key) { return (GetKeyState(key) & 0x80) != 0; }

std::u16string ClassNameOf(HWND window, int capacity) {
  std::wstring name(static_cast<size_t>(capacity) + 1, L'\0');
  const int length = GetClassNameW(window, name.data(), capacity + 1);
  return FromWide(std::wstring_view(name.data(), static_cast<size_t>(length > 0 ? length : 0)));
}

// Fetches one message as EventNext's timeout asks; false when none came.
bool FetchMessage(MSG& msg, int32_t timeout) {
  if (timeout == -1) {
    // WM_QUIT is fetched and returned like any other message.
    if (GetMessageW(&msg, nullptr, 0, 0) == -1) Win32Failure("GetMessageW");
    return true;
  }
  if (PeekMessageW(&msg, nullptr, 0, 0, kPeekFlags)) return true;
  if (timeout == 0) return false;
  const DWORD woken =
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout), kWakeMask);
  if (woken == WAIT_TIMEOUT) return false;
  if (woken == WAIT_FAILED) Win32Failure("MsgWaitForMultipleObjects");
  return PeekMessageW(&msg, nullptr, 0, 0, kPeekFlags) != FALSE;
}

// A clipboard-change notification says only that the clipboard changed: the
// one fetched stands for every other one already queued for its window, which
// go with it, and a message of any other kind that waits behind them is taken
// in the same turn. Another program changing the clipboard thousands of times
// a second then costs one read per turn, and keys, the hot key and posted
// events never wait behind its notifications. The taking is bounded in time,
// since a storm adds notifications while they are taken.
// NOTE: under Wine every PeekMessageW is a request to the server, which a
// storm keeps busy (a few milliseconds a request); on Windows taking a whole
// queue costs microseconds.
void TakeQueuedClipboardNotifications(MSG& msg) {
  constexpr ULONGLONG kMostTakingMs = 10;
  if (msg.message != WM_CLIPBOARDUPDATE) return;
  MSG other{};
  constexpr int kFlood = 8;  // notifications queued behind one: changes faster than turns
  const ULONGLONG start = GetTickCount64();
  int taken = 0;
  while (PeekMessageW(&other, msg.hwnd, WM_CLIPBOARDUPDATE, WM_CLIPBOARDUPDATE, kPeekFlags) &&
         GetTickCount64() - start <= kMostTakingMs) {
    ++taken;
  }
  if (taken >= kFlood) ClipboardNotificationsFlooded();
  if (PeekMessageW(&other, nullptr, 0, WM_CLIPBOARDUPDATE - 1, kPeekFlags) ||
      PeekMessageW(&other, nullptr, WM_CLIPBOARDUPDATE + 1, UINT_MAX, kPeekFlags)) {
    DispatchMessageW(&msg);  // records the change; it is read in this turn's capture step
    msg = other;
  }
}

HACCEL BuildAccelerator(const ShortcutTable& table) {
  std::vector<ACCEL> rows;
  rows.reserve(table.Rows().size());
  for (const ShortcutRow& row : table.Rows()) rows.push_back({row.fVirt, row.key, row.cmd});
  HACCEL built = CreateAcceleratorTableW(rows.data(), static_cast<int>(rows.size()));
  if (built == nullptr) Win32Failure("CreateAcceleratorTableW");
  return built;
}

void RebuildAccelerator(WindowRecord& record) {
  record.accelerator.reset();
  record.accelerator.reset(BuildAccelerator(*record.shortcuts));
}

// The control that counts as focused for stepping, and the window whose tab
// stops are stepped through.
struct FocusPlace {
  HWND top = nullptr;
  HWND current = nullptr;
};

FocusPlace FindFocusPlace() {
  FocusPlace place{GetActiveWindow(), nullptr};
  HWND focus = GetFocus();
  if (focus == nullptr || place.top == nullptr || !IsChild(place.top, focus)) return place;
  place.current = focus;
  const HWND outer = place.top;
  for (HWND w = focus; w != nullptr && w != outer; w = GetParent(w)) {
    const std::u16string name = ClassNameOf(w, 50);
    if (name == u"MDI_ChildClass") {
      place.top = w;
      if (w == focus) place.current = nullptr;
    } else if (name == u"ComboBoxEx32" && (GetWindowLongPtrW(w, GWL_STYLE) & 0x1) != 0) {
      place.current = w;
    } else if (name == u"SysIPAddress32") {
      place.current = w;
    }
  }
  return place;
}

BOOL CALLBACK CollectTabStop(HWND child, LPARAM list) {
  if (IsWindowEnabled(child) && IsWindowVisible(child) &&
      (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  }
  return TRUE;
}

}  // namespace

int64_t EventNext(int32_t timeout) {
  const int32_t code = LayerEvents().Dequeue();
  if (code != 0) return code;
  MSG msg{};
  if (!FetchMessage(msg, timeout)) return 0;
  // A message taken from behind the notifications is checked like any other.
  TakeQueuedClipboardNotifications(msg);
  if (ForeignThreadTimer(msg)) return static_cast<int32_t>(msg.message);
  HWND active = GetActiveWindow();
  HACCEL table = ShortcutTableFor(active);
  if (table != nullptr && TranslateAcceleratorW(active, table, &msg)) {
    if (active != nullptr) KeyboardCuesSet(active, true);
  } else {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int32_t>(msg.message);
}

int64_t CurrentEventGadget() { return LayerEvents().CurrentEvent().object; }
int64_t CurrentEventItem() { return LayerEvents().CurrentEvent().object; }
int64_t CurrentEventType() { return LayerEvents().CurrentEvent().type; }
int64_t CurrentEventWindow() { return LayerEvents().CurrentEvent().window; }

HACCEL ShortcutAdd(int64_t window, int32_t shortcut, int32_t item) {
  WindowRecord* record = WindowLookup(window);
  if (record == nullptr || record->shortcuts == nullptr) return nullptr;
  record->shortcuts->Add(shortcut, item);
  RebuildAccelerator(*record);
  return record->accelerator.get();
}

HACCEL ShortcutTableFor(HWND active) {
  HWND focus = GetFocus();
  if (focus != nullptr && KeyDown(VK_TAB) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT) &&
      !KeyDown(VK_MENU) && IsRichEditClassName(ClassNameOf(focus, 16)) &&
      (SendMessageW(focus, kEmGetOptions, 0, 0) & kEcoReadOnly) == 0) {
    return nullptr;
  }
  if (active != nullptr && (KeyDown(VK_CONTROL) || KeyDown(VK_SHIFT) || KeyDown(VK_MENU))) {
    KeyboardCuesSet(active, true);
  }
  if (active == nullptr) return nullptr;
  DWORD process = 0;
  if (GetWindowThreadProcessId(active, &process) == 0) {
    Win32Failure("GetWindowThreadProcessId");
    return nullptr;
  }
  if (process != GetCurrentProcessId()) return nullptr;
  const WindowRecord* record = WindowLookup(WindowNumberOfHandle(active));
  return record != nullptr ? record->accelerator.get() : nullptr;
}

void KeyboardCuesSet(HWND window, bool show) {
  constexpr LRESULT kHidden = UISF_HIDEFOCUS | UISF_HIDEACCEL;
  const LRESULT state = SendMessageW(window, WM_QUERYUISTATE, 0, 0);
  if (show) {
    if ((state & kHidden) != 0) {
      SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, kHidden), 0);
    }
  } else if ((state & kHidden) != kHidden) {
    SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, kHidden), 0);
  }
}

void FocusStep(bool forward) {
  const FocusPlace place = FindFocusPlace();
  if (place.top == nullptr) return;
  std::vector<HWND> stops;
  EnumChildWindows(place.top, CollectTabStop, reinterpret_cast<LPARAM>(&stops));
  int32_t current = -1;
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == place.current) current = static_cast<int32_t>(i);
  }
  const int32_t target = FocusStepTarget(static_cast<int32_t>(stops.size()), current,
                                         place.current == nullptr, forward);
  if (target >= 0) SetFocus(stops[static_cast<size_t>(target)]);
}

void ShortcutTableCreate(WindowRecord& record) {
  record.shortcuts = std::make_unique<ShortcutTable>();
  RebuildAccelerator(record);
}

}  // namespace quorvel
