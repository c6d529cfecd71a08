// Message and input requesters on Win32: suspending the calling thread's
// windows around a modal box, and the "InputRequester" dialog with its own
// modal loop, children, font and accelerators.
#include "ui/win32_requester.h"

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "ui/dpi.h"
#include "ui/win32_failure.h"
#include "ui/win32_foreign.h"
#include "ui/win32_handle.h"
#include "ui/win32_state.h"
#include "ui/win32_text.h"
#include "ui/window_style.h"

namespace quorvel {
namespace {

constexpr wchar_t kInputRequesterClass[] = L"InputRequester";
constexpr int kEntryId = 10;
constexpr int kConfirmCommand = 1000;  // the OK button and Return
constexpr int kCancelCommand = 1001;   // Escape
constexpr DWORD kDialogStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kMessageStyle = WS_CHILD | WS_VISIBLE | SS_SIMPLE;
constexpr DWORD kEntryStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
// NOTE: the size of NONCLIENTMETRICSW before iPaddedBorderWidth was added;
// every Windows version (and Wine) accepts it.
constexpr UINT kNonClientMetricsSize = 500;
// NOTE: without SWP_NOACTIVATE, SetWindowPos also activates the window: taking
// the topmost state off a window would move the foreground to it (and so make
// it the requester's owner).
constexpr UINT kTopmostFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

RequesterPart& Requester() { return Layer().requester; }

BOOL CALLBACK SuspendOne(HWND window, LPARAM) {
  const DWORD thread = GetCurrentThreadId();
  if (GetWindowThreadProcessId(window, nullptr) != thread || !IsWindowVisible(window)) return TRUE;
  SuspendedWindow record{thread, window, false, false};
  record.wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (window != GetForegroundWindow() && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    record.disabledHere = true;
  }
  RequesterPart& requester = Requester();
  std::lock_guard<std::mutex> guard(requester.suspendedLock);
  requester.suspended.push_back(record);
  return TRUE;
}

// The calling thread's records, in list order; taken out of the list when
// remove is set.
std::vector<SuspendedWindow> ThreadRecords(bool remove) {
  const DWORD thread = GetCurrentThreadId();
  std::vector<SuspendedWindow> mine;
  RequesterPart& requester = Requester();
  std::lock_guard<std::mutex> guard(requester.suspendedLock);
  auto& records = requester.suspended;
  std::vector<SuspendedWindow> others;
  for (const SuspendedWindow& record : records) {
    (record.thread == thread ? mine : others).push_back(record);
  }
  if (remove) records = std::move(others);
  return mine;
}

// ---------------------------------------------------------------------------
// The input requester: one at a time per process.

// Made on the first input requester and kept for the life of the process.
HFONT DialogFont() {
  LastingPart& lasting = Layer().lasting;
  if (!lasting.dialogFontMade) {
    lasting.dialogFontMade = true;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
      Win32Failure("SystemParametersInfoW");
    } else {
      lasting.dialogFont.reset(CreateFontIndirectW(&metrics.lfMessageFont));
      if (!lasting.dialogFont) Win32Failure("CreateFontIndirectW");
    }
  }
  return lasting.dialogFont ? static_cast<HFONT>(lasting.dialogFont.get())
                            : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Enables the owner again before the dialog goes, so that the system hands
// the activation back to it rather than to some other program.
void CloseInputRequester() {
  RequesterPart& state = Requester();
  if (state.closing) return;
  state.closing = true;
  if (state.ownerDisabled) EnableWindow(state.owner, TRUE);
  RestoreThreadWindows();
  state.dialog.reset();
}

LRESULT CALLBACK InputRequesterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RequesterPart& state = Requester();
  // Only the dialog's own close steps end it. Its commands and WM_CLOSE may
  // come from outside (automation clicks OK or closes the prompt) and are
  // taken, as in any dialog.
  if (ForeignSendRefused(message, lParam, ForeignTarget::Dialog)) return 0;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kConfirmCommand) {
        if (state.result != nullptr) *state.result = WindowText(state.entry);
        CloseInputRequester();
      } else if (LOWORD(wParam) == kCancelCommand) {
        CloseInputRequester();
      }
      return 0;
    case WM_CLOSE:
      CloseInputRequester();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(state.entry);
      return 0;
    case WM_DESTROY:
      // NOTE: fails while this window still exists; a later registration of
      // the class then fails too, which is harmless.
      UnregisterClassW(kInputRequesterClass, GetModuleHandleW(nullptr));
      if (!state.closing) {
        // Destroyed from outside (its owner went): still give the windows back.
        (void)state.dialog.release();
        CloseInputRequester();
      }
      state.closed = true;
      // NOTE: a close that comes in a sent message (a click sent from another
      // thread, BM_CLICK) runs inside GetMessageW, which would go on waiting
      // for a posted message; this one wakes the modal loop.
      PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void RegisterInputRequesterClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = InputRequesterProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kInputRequesterClass;
  // Already registered: nothing to do.
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    Win32Failure("RegisterClassExW");
  }
}

HWND CreateChild(HWND dialog, HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                 PixelRect r, DWORD style, DWORD exStyle, int id, HFONT font) {
  HWND child =
      CreateWindowExW(exStyle, className, text, style, DpiScaleX(r.x), DpiScaleY(r.y),
                      DpiScaleX(r.width), DpiScaleY(r.height), dialog,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (child) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  } else {
    Win32Failure("CreateWindowExW");
  }
  return child;
}

// Runs until the dialog is destroyed. Returns false when a quit message ended
// the loop, with its exit code in quitCode.
bool RunModalLoop(HWND dialog, HACCEL accelerators, WPARAM& quitCode) {
  RequesterPart& state = Requester();
  MSG msg;
  while (!state.closed) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quitCode = msg.wParam;
      return false;
    }
    if (got == -1) {  // only with a bad window filter; ours has none
      Win32Failure("GetMessageW");
      return true;
    }
    if (ForeignThreadTimer(msg)) continue;
    if (accelerators && TranslateAcceleratorW(dialog, accelerators, &msg)) continue;
    if (IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace

void* RequesterOwner() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

void SuspendThreadWindows() {
  EnumWindows(SuspendOne, 0);
  for (const SuspendedWindow& record : ThreadRecords(false)) {
    if (record.wasTopmost) {
      SetWindowPos(record.window, HWND_NOTOPMOST, 0, 0, 0, 0, kTopmostFlags);
    }
  }
}

void RestoreThreadWindows() {
  for (const SuspendedWindow& record : ThreadRecords(true)) {
    if (record.disabledHere) EnableWindow(record.window, TRUE);
    if (record.wasTopmost) {
      SetWindowPos(record.window, HWND_TOPMOST, 0, 0, 0, 0, kTopmostFlags);
    }
  }
}

int64_t MessageDialog(std::u16string_view title, std::u16string_view text, int64_t flags) {
  HWND owner = static_cast<HWND>(RequesterOwner());
  const std::wstring wideTitle = ToWide(title);
  const std::wstring wideText = ToWide(text);
  SuspendThreadWindows();
  const int answer =
      MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), static_cast<UINT>(flags));
  if (answer == 0) Win32Failure("MessageBoxW");
  RestoreThreadWindows();
  return answer;
}

std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                           std::u16string_view defaultText) {
  // The state below is one set per process.
  RequesterPart& state = Requester();
  if (state.busy.exchange(true)) return {};
  // Copies: the caller's texts may change while the dialog runs.
  const std::wstring wideTitle = ToWide(title);
  const std::wstring wideMessage = ToWide(message);
  const std::wstring wideDefault = ToWide(defaultText);
  const HFONT font = DialogFont();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterInputRequesterClass(instance);

  state.entry = nullptr;
  state.closing = false;
  state.closed = false;
  state.owner = static_cast<HWND>(RequesterOwner());
  SuspendThreadWindows();
  state.ownerDisabled = state.owner && IsWindowEnabled(state.owner);
  if (state.ownerDisabled) EnableWindow(state.owner, FALSE);

  const PixelRect outer =
      InputRequesterRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  state.dialog.reset(CreateWindowExW(0, kInputRequesterClass, wideTitle.c_str(), kDialogStyle,
                                     outer.x, outer.y, outer.width, outer.height,
                                     static_cast<HWND>(RequesterOwner()), nullptr, instance,
                                     nullptr));
  HWND dialog = state.dialog.get();
  if (!dialog) {
    Win32Failure("CreateWindowExW");
    state.closing = true;
    if (state.ownerDisabled) EnableWindow(state.owner, TRUE);
    RestoreThreadWindows();
    state.busy = false;
    return {};
  }

  std::u16string result;
  state.result = &result;
  CreateChild(dialog, instance, L"STATIC", wideMessage.c_str(), kInputRequesterMessageRect,
              kMessageStyle, 0, 0, font);
  state.entry = CreateChild(dialog, instance, L"EDIT", nullptr, kInputRequesterEntryRect,
                            kEntryStyle, WS_EX_CLIENTEDGE, kEntryId, font);
  SetFocus(state.entry);
  if (!wideDefault.empty()) {
    SendMessageW(state.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideDefault.c_str()));
    const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthW(state.entry));
    SendMessageW(state.entry, EM_SETSEL, end, static_cast<LPARAM>(end));
  }
  CreateChild(dialog, instance, L"BUTTON", L"OK", kInputRequesterButtonRect, kButtonStyle, 0,
              kConfirmCommand, font);

  ACCEL keys[] = {{FVIRTKEY, VK_RETURN, kConfirmCommand}, {FVIRTKEY, VK_ESCAPE, kCancelCommand}};
  const UniqueAccelerator accelerators(CreateAcceleratorTableW(keys, 2));
  if (!accelerators) Win32Failure("CreateAcceleratorTableW");
  SetForegroundWindow(dialog);
  BringWindowToTop(dialog);

  WPARAM quitCode = 0;
  if (!RunModalLoop(dialog, accelerators.get(), quitCode)) {
    // A quit message reached the thread: cancel, close in the usual order, and
    // hand the quit on to the caller's loop.
    CloseInputRequester();
    result.clear();
    PostQuitMessage(static_cast<int>(quitCode));
  } else if (!state.closed) {
    CloseInputRequester();
  }
  // Take back the wake-up if it is still queued (thread messages only).
  MSG wakeUp;
  PeekMessageW(&wakeUp, reinterpret_cast<HWND>(-1), WM_NULL, WM_NULL, PM_REMOVE);
  state.entry = nullptr;
  state.result = nullptr;
  state.busy = false;
  return result;
}

}  // namespace quorvel
