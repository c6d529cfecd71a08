// The window library on Win32. The style, position, show and centring rules
// come from window_style.h; this file makes the calls.
#include "ui/win32_window.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <memory>
#include <string>

#include "ui/dpi.h"
#include "ui/layer.h"
#include "ui/message_events.h"
#include "ui/registry.h"
#include "ui/win32_events.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_library.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"
#include "ui/window_style.h"

namespace quorvel {

namespace {

constexpr wchar_t kFocusProperty[] = L"QV_Focus";
constexpr int32_t kWindowGrowthStep = 16;

WindowsPart& Library() { return Layer().windows; }

GadgetParentState& GadgetParent() { return Library().gadgetParent; }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::wstring WindowClassName(int64_t number) {
  return L"WindowClass_" + std::to_wstring(number);
}

const wchar_t* GadgetStackProperty() {
  std::wstring& name = Library().gadgetStackProperty;
  if (name.empty()) {
    name = L"QV_GadgetStack_" + std::to_wstring(reinterpret_cast<intptr_t>(Instance()));
  }
  return name.c_str();
}

void Raise(int32_t code, int64_t object, int64_t window, int64_t type = 0) {
  LayerEvents().EventRaise(code, object, window, type, 0);
}

bool DesktopCompositionEnabled() {
  std::optional<bool>& probe = Library().composition;
  if (probe) return *probe;
  probe = [] {
    const auto dwm = static_cast<HMODULE>(SystemLibraryLoad(L"dwmapi.dll"));
    if (dwm == nullptr) return false;
    using IsEnabled = HRESULT(WINAPI*)(BOOL*);
    auto isEnabled = reinterpret_cast<IsEnabled>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
    if (isEnabled == nullptr || GetProcAddress(dwm, "DwmGetWindowAttribute") == nullptr) {
      return false;
    }
    BOOL on = FALSE;
    return SUCCEEDED(isEnabled(&on)) && on != FALSE;
  }();
  return *probe;
}

void RegisterWindowClass(const std::wstring& name) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProcedure;
  wc.hInstance = Instance();
  wc.hIcon = Library().icon.get();
  wc.hCursor = Library().cursor;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = name.c_str();
  // Fails harmlessly when the class is still registered.
  if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    Win32Failure("RegisterClassW");
  }
}

// kWindowNumberProperty marks a window, but another program can set it on our
// windows to any value: the registry, whose records hold the handles, has the
// last word.
int64_t NumberOfOpenWindow(HWND window) {
  const auto& registry = Library().registry;
  if (window == nullptr || !registry) return -1;
  const int64_t claimed = WindowNumberClaimed(window);
  if (const WindowRecord* record = WindowLookup(claimed);
      record != nullptr && record->handle == window) {
    return claimed;
  }
  return registry->RegistryFind([window](const void* record) {
    return static_cast<const WindowRecord*>(record)->handle == window;
  });
}

// The numbered window that window is or lies in, and its number; else null
// and -1.
HWND FindNumberedWindow(HWND window, int64_t& number) {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    number = NumberOfOpenWindow(w);
    if (number != -1) return w;
  }
  number = -1;
  return nullptr;
}

// Frees what the window owns. Runs inside DestroyWindow, so the properties
// are gone before WM_NCDESTROY returns.
void DestroyNumberedWindow(HWND window, int64_t number) {
  LayerEvents().Bindings().RemoveWindow(number);
  RemovePropW(window, kFocusProperty);
  RemovePropW(window, kWindowNumberProperty);
  const WindowRecord* record = WindowLookup(number);
  // NOTE: the window still exists during WM_NCDESTROY, and a class with a
  // window cannot be unregistered: under Wine the class was observed to stay
  // registered after WindowClose. Reopening the number then reuses it; its
  // procedure is the same.
  UnregisterClassW(WindowClassName(number).c_str(), Instance());
  // Releasing the record frees its shortcut and accelerator tables.
  if (record != nullptr && record->handle == window && Library().registry) {
    Library().registry->RegistryRelease(number);
  }
  LayerEvents().EventDiscardWindow(number);
}

BOOL CALLBACK SendSysColorChange(HWND child, LPARAM) {
  SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

// The outermost procedure of a gadget parent, so the first to see what other
// programs send it.
LRESULT CALLBACK GadgetParentProcedure(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
  if (ForeignSendRefused(message, lParam, ForeignTarget::Window)) return 0;
  auto& records = Library().gadgetParents;
  const auto found = records.find(window);
  if (found == records.end()) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = found->second.previous;
  if (message == WM_NCDESTROY) {
    RemovePropW(window, GadgetStackProperty());
    records.erase(found);
    GadgetParentState& state = GadgetParent();
    if (state.parent == window) state = GadgetParentState{};
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

int64_t OfferToGadgets(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const GadgetMessageHook hook = Library().gadgetHook;
  return hook != nullptr ? hook(window, message, wParam, lParam) : NotHandled;
}

int64_t HandleCommand(HWND window, int64_t number, WPARAM wParam, LPARAM lParam) {
  const HWND control = reinterpret_cast<HWND>(lParam);
  // A control's notification comes from a control inside this window.
  if (control != nullptr && !IsChild(window, control)) return 0;
  const int64_t controlId =
      control != nullptr ? static_cast<int64_t>(GetWindowLongPtrW(control, GWLP_ID)) : 0;
  const CommandOutcome outcome = TranslateCommand(wParam, control != nullptr, controlId);
  switch (outcome.kind) {
    case CommandOutcome::Kind::FocusNext: FocusStep(true); break;
    case CommandOutcome::Kind::FocusPrevious: FocusStep(false); break;
    case CommandOutcome::Kind::Raise: Raise(outcome.code, outcome.object, number, outcome.type); break;
  }
  return 0;
}

int64_t HandleActivate(HWND window, int64_t number, WPARAM wParam) {
  if (LOWORD(wParam) != 0) {
    // Our procedure answers WM_ACTIVATE itself, so the default focus step of
    // DefWindowProcW does not run: the control saved at deactivation gets it,
    // if it still is one of ours (the property can be set from outside).
    if (HWND focus = static_cast<HWND>(GetPropW(window, kFocusProperty));
        focus != nullptr && IsChild(window, focus)) {
      SetFocus(focus);
    }
    Raise(EventWindowActivated, 0, number);
  } else {
    SetPropW(window, kFocusProperty, GetFocus());
    KeyboardCuesSet(window, false);
    Raise(EventWindowDeactivated, 0, number);
  }
  return 1;
}

}  // namespace

void DpiInit() {
  if constexpr (DpiAware) {
    HDC screen = GetDC(nullptr);
    Dpi().Set(GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
}

void WindowLibraryStart() {
  WindowsPart& library = Library();
  if (library.registry) return;
  library.registry = std::make_unique<ObjectRegistry>(
      static_cast<int32_t>(sizeof(WindowRecord)), kWindowGrowthStep,
      [](int64_t number) { WindowClose(number); }, RecordLifetimeOf<WindowRecord>());
  library.icon.reset(LoadIconW(Instance(), MAKEINTRESOURCEW(1)));
  if (!library.icon) Win32Failure("LoadIconW");
  library.cursor = LoadCursorW(nullptr, IDC_ARROW);
  GadgetParent() = GadgetParentState{};
}

void WindowLibraryEnd() {
  WindowsPart& library = Library();
  if (!library.registry) return;
  WindowClose(-1);
  library.icon.reset();
  library.registry.reset();
  // The gadget-parent records stay: each goes with its window (a window that
  // is not numbered may outlive the layer), and their procedure needs them.
}

WindowRecord* WindowLookup(int64_t number) {
  const auto& registry = Library().registry;
  return registry ? RegistryRecord<WindowRecord>(*registry, number) : nullptr;
}

int64_t WindowOpen(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   std::u16string_view title, uint32_t flags, HWND parent) {
  const auto& registry = Library().registry;
  if (!registry) return 0;
  auto* record = static_cast<WindowRecord*>(registry->RegistryAllocate(number));
  if (record == nullptr) return 0;
  const bool dynamic = number == ObjectAny;
  if (dynamic) number = ObjectRegistry::IdOf(record);

  const std::wstring className = WindowClassName(number);
  RegisterWindowClass(className);
  const WindowStyle style = WindowStyleFromFlags(flags);
  RECT outer{0, 0, DpiScaleX(width), DpiScaleY(height)};
  AdjustWindowRectEx(&outer, style.adjustStyle, FALSE, style.exStyle);
  const PixelPoint at =
      WindowPosition(x, y, flags, style.style, DesktopCompositionEnabled(), Dpi());
  const std::wstring text = ToWide(title);
  HWND handle = CreateWindowExW(style.exStyle, className.c_str(), text.c_str(), style.style, at.x,
                                at.y, outer.right - outer.left, outer.bottom - outer.top, parent,
                                nullptr, Instance(), nullptr);
  if (handle == nullptr) {
    Win32Failure("CreateWindowExW");
    UnregisterClassW(className.c_str(), Instance());
    registry->RegistryRelease(number);
    return 0;
  }
  record->handle = handle;
  record->ready = 0;
  SetPropW(handle, kWindowNumberProperty,
           reinterpret_cast<HANDLE>(static_cast<intptr_t>(number + 1)));
  if ((flags & (WindowFlagScreenCentered | WindowFlagOwnerCentered)) != 0) {
    WindowCenter(handle, flags, parent);
  }
  if (style.visible) ShowWindow(handle, style.showCommand);
  ShortcutTableCreate(*record);
  record->minimizedOrMaximized = style.minimizedOrMaximized ? 1 : 0;
  if (style.gadgetParent) GadgetParentSet(handle);
  record->ready = 1;
  return dynamic ? number : static_cast<int64_t>(reinterpret_cast<intptr_t>(handle));
}

int64_t WindowClientWidth(int64_t number, uint32_t mode) {
  const WindowRecord* record = WindowLookup(number);
  if (record == nullptr) return 0;
  RECT r{};
  if ((mode & WindowModeClient) != 0) {
    GetClientRect(record->handle, &r);
  } else {
    GetWindowRect(record->handle, &r);
  }
  return DpiUnscaleX(r.right - r.left);
}

int64_t WindowClientHeight(int64_t number, uint32_t mode) {
  const WindowRecord* record = WindowLookup(number);
  if (record == nullptr) return 0;
  RECT r{};
  int32_t height = 0;
  if ((mode & WindowModeClient) != 0) {
    GetClientRect(record->handle, &r);
    height = r.bottom - r.top;
    if (GetMenu(record->handle) != nullptr) height += GetSystemMetrics(SM_CYMENU);
  } else {
    GetWindowRect(record->handle, &r);
    height = r.bottom - r.top;
  }
  return DpiUnscaleY(height);
}

HWND WindowHandle(int64_t number) {
  const WindowRecord* record = WindowLookup(number);
  return record != nullptr ? record->handle : nullptr;
}

void WindowSetHidden(int64_t number, int32_t hidden, uint32_t showFlags) {
  const WindowRecord* record = WindowLookup(number);
  if (record == nullptr) return;
  HWND window = record->handle;
  HWND owner = GetWindow(window, GW_OWNER);
  if (hidden != 0) {
    if (owner != nullptr) SetActiveWindow(owner);
    ShowWindow(window, SW_HIDE);
    return;
  }
  if ((showFlags & (WindowFlagScreenCentered | WindowFlagOwnerCentered)) != 0) {
    WindowCenter(window, showFlags, owner);
  }
  ShowWindow(window, ShowCommandFor(IsZoomed(window) != FALSE, IsIconic(window) != FALSE,
                                    (showFlags & WindowFlagNoActivate) != 0));
}

int64_t ActiveWindowNumber() {
  HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return -1;
  DWORD process = 0;
  if (GetWindowThreadProcessId(foreground, &process) == 0) {
    Win32Failure("GetWindowThreadProcessId");
    return -1;
  }
  if (process != GetCurrentProcessId()) return -1;
  return NumberOfOpenWindow(foreground);
}

void WindowClose(int64_t number) {
  const auto& registry = Library().registry;
  if (!registry) return;
  if (number == -1) {
    registry->RegistryReleaseAll();
    return;
  }
  const WindowRecord* record = WindowLookup(number);
  if (record == nullptr) return;
  HWND window = record->handle;
  LayerEvents().Bindings().RemoveWindow(number);
  if (HWND owner = GetWindow(window, GW_OWNER); owner != nullptr) SetActiveWindow(owner);
  DestroyOwnWindow(window);
  LayerEvents().EventDiscardWindow(number);
}

void WindowCenter(HWND window, uint32_t flags, HWND owner) {
  if ((flags & WindowFlagOwnerCentered) != 0 && owner == nullptr) return;
  RECT r{};
  GetWindowRect(window, &r);
  RECT o{};
  if (owner != nullptr) GetWindowRect(owner, &o);
  const PixelPoint at = WindowCenterPosition(
      flags, r.right - r.left, r.bottom - r.top, GetSystemMetrics(SM_CXSCREEN),
      GetSystemMetrics(SM_CYSCREEN), {o.left, o.top, o.right - o.left, o.bottom - o.top});
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int64_t WindowNumberOfHandle(HWND window) { return NumberOfOpenWindow(window); }

int64_t WindowNumberOf(HWND window) {
  int64_t number = -1;
  FindNumberedWindow(window, number);
  return number;
}

HWND GadgetParentSet(HWND window) {
  GadgetParentState& state = GadgetParent();
  auto& records = Library().gadgetParents;
  HWND previous = state.parent;
  if (previous != nullptr) {
    if (const auto saved = records.find(previous); saved != records.end()) {
      std::copy(std::begin(state.stack), std::end(state.stack), saved->second.stack);
      saved->second.count = state.count;
    }
  }
  if (window == nullptr) {
    state = GadgetParentState{};
    return previous;
  }
  if (const auto saved = records.find(window); saved != records.end()) {
    std::copy(std::begin(saved->second.stack), std::end(saved->second.stack), state.stack);
    state.count = saved->second.count;
    state.parent = window;
    return previous;
  }
  state = GadgetParentState{};
  state.parent = window;
  GadgetParentRecord& record = records[window];
  record.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  // The property marks the window; its value is never read back.
  SetPropW(window, GadgetStackProperty(), &record);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GadgetParentProcedure));
  return previous;
}

HWND GadgetParentWindow() { return GadgetParent().parent; }

void SetGadgetMessageHook(GadgetMessageHook hook) { Library().gadgetHook = hook; }

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ForeignSendRefused(message, lParam, ForeignTarget::Window)) {
    SetLastError(0);
    return 0;
  }
  int64_t number = -1;
  HWND numbered = FindNumberedWindow(window, number);
  WindowRecord* record = numbered != nullptr ? WindowLookup(number) : nullptr;
  const bool atNumbered = numbered != nullptr && numbered == window;
  int64_t result = NotHandled;

  switch (message) {
    case WM_SIZE:
      if (!atNumbered) {
        result = 1;
      } else if (record != nullptr && record->ready != 0) {
        RaiseSizeEvents(LayerEvents(), number, wParam, record->minimizedOrMaximized);
        result = 0;
      }
      break;
    case WM_MOVE:
      if (atNumbered && record != nullptr && record->ready != 0) {
        Raise(EventWindowMoved, number, number);
      }
      result = 0;
      break;
    case WM_GETMINMAXINFO:
      if (lParam != 0 && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = 1;
      }
      result = 0;
      break;
    case WM_SYSCOLORCHANGE:
      EnumChildWindows(window, SendSysColorChange, 0);
      break;
    case WM_ERASEBKGND:
      Raise(EventWindowErase, 0, number);
      break;
    case WM_COMMAND:
      result = OfferToGadgets(window, message, wParam, lParam);
      if (result == NotHandled) result = HandleCommand(window, number, wParam, lParam);
      break;
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case kWmGadgetPrivate:
      result = OfferToGadgets(window, message, wParam, lParam);
      break;
    case WM_CLOSE:
      // The close box never destroys a window: closing is the program's decision.
      if (atNumbered) Raise(EventCloseRequest, number, number);
      result = 0;
      break;
    case WM_ACTIVATE:
      result = HandleActivate(window, number, wParam);
      break;
    case WM_TIMER:
      if (numbered != nullptr) Raise(EventTimerTick, static_cast<int64_t>(wParam), number);
      break;
    case WM_RBUTTONUP:
      Raise(EventRightButtonUp, 0, number);
      result = 0;
      break;
    case WM_LBUTTONUP:
      Raise(EventLeftButtonUp, 0, number);
      result = 0;
      break;
    case WM_LBUTTONDBLCLK:
      Raise(EventLeftDoubleClick, 0, number);
      result = 0;
      break;
    case kWmTrayCallback:
      if (const int64_t type = TrayClickType(lParam); type >= 0) {
        Raise(EventTrayIcon, static_cast<int64_t>(wParam), number, type);
      }
      PostMessageW(window, WM_NULL, 0, 0);
      result = 0;
      break;
    case WM_NCDESTROY:
      if (atNumbered) DestroyNumberedWindow(window, number);
      result = 1;
      break;
    default:
      break;
  }

  const LRESULT answer = result == NotHandled ? DefWindowProcW(window, message, wParam, lParam)
                                              : static_cast<LRESULT>(result);
  SetLastError(0);
  return answer;
}

}  // namespace quorvel
