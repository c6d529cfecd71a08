// Message and input requesters on Win32: suspending the calling thread's
// windows around a modal box, and the "InputRequester" dialog with its own
// modal loop, children, font and accelerators.
#include "ui/win32_requester.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "ui/dpi.h"
#include "ui/win32_foreign.h"
#include "ui/window_style.h"

namespace quorvel {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

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

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// ---------------------------------------------------------------------------
// Owned handles.

class UniqueWindow {
 public:
  UniqueWindow() = default;
  explicit UniqueWindow(HWND window) : window_(window) {}
  ~UniqueWindow() { reset(); }
  UniqueWindow(UniqueWindow&& other) noexcept : window_(other.release()) {}
  UniqueWindow& operator=(UniqueWindow&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = other.release();
    }
    return *this;
  }
  UniqueWindow(const UniqueWindow&) = delete;
  UniqueWindow& operator=(const UniqueWindow&) = delete;

  [[nodiscard]] HWND get() const { return window_; }
  HWND release() { return std::exchange(window_, nullptr); }
  // Safe to call from the window's own procedure: the handle is let go before
  // DestroyWindow sends its messages.
  void reset() {
    if (HWND window = release()) DestroyOwnWindow(window);
  }

 private:
  HWND window_ = nullptr;
};

class UniqueAccel {
 public:
  explicit UniqueAccel(HACCEL table) : table_(table) {}
  ~UniqueAccel() {
    if (table_) DestroyAcceleratorTable(table_);
  }
  UniqueAccel(UniqueAccel&& other) noexcept : table_(std::exchange(other.table_, nullptr)) {}
  UniqueAccel& operator=(UniqueAccel&&) = delete;
  UniqueAccel(const UniqueAccel&) = delete;
  UniqueAccel& operator=(const UniqueAccel&) = delete;
  [[nodiscard]] HACCEL get() const { return table_; }

 private:
  HACCEL table_;
};

class UniqueFont {
 public:
  explicit UniqueFont(HFONT font) : font_(font) {}
  ~UniqueFont() {
    if (font_) DeleteObject(font_);
  }
  UniqueFont(UniqueFont&& other) noexcept : font_(std::exchange(other.font_, nullptr)) {}
  UniqueFont& operator=(UniqueFont&&) = delete;
  UniqueFont(const UniqueFont&) = delete;
  UniqueFont& operator=(const UniqueFont&) = delete;
  [[nodiscard]] HFONT get() const { return font_; }

 private:
  HFONT font_;
};

// ---------------------------------------------------------------------------
// Suspended windows: one process-wide list, each thread touching only its own
// records. The lock guards the list alone; it is never held across a call
// that sends messages.

struct SuspendedWindow {
  DWORD thread = 0;
  HWND window = nullptr;
  bool wasTopmost = false;
  bool disabledHere = false;
};

std::mutex& SuspendedLock() {
  static std::mutex lock;
  return lock;
}

std::vector<SuspendedWindow>& SuspendedWindows() {
  static std::vector<SuspendedWindow> records;
  return records;
}

BOOL CALLBACK SuspendOne(HWND window, LPARAM) {
  const DWORD thread = GetCurrentThreadId();
  if (GetWindowThreadProcessId(window, nullptr) != thread || !IsWindowVisible(window)) return TRUE;
  SuspendedWindow record{thread, window, false, false};
  record.wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (window != GetForegroundWindow() && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    record.disabledHere = true;
  }
  std::lock_guard<std::mutex> guard(SuspendedLock());
  SuspendedWindows().push_back(record);
  return TRUE;
}

// The calling thread's records, in list order; taken out of the list when
// remove is set.
std::vector<SuspendedWindow> ThreadRecords(bool remove) {
  const DWORD thread = GetCurrentThreadId();
  std::vector<SuspendedWindow> mine;
  std::lock_guard<std::mutex> guard(SuspendedLock());
  auto& records = SuspendedWindows();
  std::vector<SuspendedWindow> others;
  for (const SuspendedWindow& record : records) {
    (record.thread == thread ? mine : others).push_back(record);
  }
  if (remove) records = std::move(others);
  return mine;
}

// ---------------------------------------------------------------------------
// The input requester's state: one set per process.

struct InputRequesterState {
  UniqueWindow dialog;
  HWND entry = nullptr;
  // Where the confirmed text goes, while InputDialog runs. Kept here rather
  // than in the window's user data, which another program can overwrite.
  std::u16string* result = nullptr;
  HWND owner = nullptr;
  bool ownerDisabled = false;
  bool closing = false;  // the close steps have run
  bool closed = false;   // the dialog received WM_DESTROY
};

InputRequesterState& Requester() {
  static InputRequesterState state;
  return state;
}

std::atomic<bool>& RequesterBusy() {
  static std::atomic<bool> busy{false};
  return busy;
}

// Made on the first input requester and kept for the life of the process.
HFONT DialogFont() {
  static const UniqueFont created = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
      return UniqueFont(nullptr);
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
  }();
  return created.get() ? created.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Enables the owner again before the dialog goes, so that the system hands
// the activation back to it rather than to some other program.
void CloseInputRequester() {
  InputRequesterState& state = Requester();
  if (state.closing) return;
  state.closing = true;
  if (state.ownerDisabled) EnableWindow(state.owner, TRUE);
  RestoreThreadWindows();
  state.dialog.reset();
}

std::u16string EntryText(HWND entry) {
  const int length = GetWindowTextLengthW(entry);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(entry, buffer.data(), length + 1);
  if (copied <= 0) return {};
  return std::u16string(buffer.begin(), buffer.begin() + copied);
}

LRESULT CALLBACK InputRequesterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  InputRequesterState& state = Requester();
  // Only the dialog's own close steps end it. (The buttons' commands may come
  // from outside, through a click that another program sends them, and are
  // taken.)
  if ((message == WM_DESTROY || message == WM_NCDESTROY) && ForeignSendRefused(message, lParam)) {
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kConfirmCommand) {
        if (state.result != nullptr) *state.result = EntryText(state.entry);
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
        state.dialog.release();
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
  RegisterClassExW(&wc);  // already registered: nothing to do
}

HWND CreateChild(HWND dialog, HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                 PixelRect r, DWORD style, DWORD exStyle, int id, HFONT font) {
  HWND child =
      CreateWindowExW(exStyle, className, text, style, DpiScaleX(r.x), DpiScaleY(r.y),
                      DpiScaleX(r.width), DpiScaleY(r.height), dialog,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return child;
}

// Runs until the dialog is destroyed. Returns false when a quit message ended
// the loop, with its exit code in quitCode.
bool RunModalLoop(HWND dialog, HACCEL accelerators, WPARAM& quitCode) {
  InputRequesterState& state = Requester();
  MSG msg;
  while (!state.closed) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quitCode = msg.wParam;
      return false;
    }
    if (got == -1) return true;  // only with a bad window filter; ours has none
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
  RestoreThreadWindows();
  return answer;
}

std::u16string InputDialog(std::u16string_view title, std::u16string_view message,
                           std::u16string_view defaultText) {
  // The state below is one set per process.
  if (RequesterBusy().exchange(true)) return {};
  // Copies: the caller's texts may change while the dialog runs.
  const std::wstring wideTitle = ToWide(title);
  const std::wstring wideMessage = ToWide(message);
  const std::wstring wideDefault = ToWide(defaultText);
  const HFONT font = DialogFont();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterInputRequesterClass(instance);

  InputRequesterState& state = Requester();
  state.entry = nullptr;
  state.closing = false;
  state.closed = false;
  state.owner = static_cast<HWND>(RequesterOwner());
  SuspendThreadWindows();
  state.ownerDisabled = state.owner && IsWindowEnabled(state.owner);
  if (state.ownerDisabled) EnableWindow(state.owner, FALSE);

  const PixelRect outer =
      InputRequesterRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  state.dialog = UniqueWindow(CreateWindowExW(
      0, kInputRequesterClass, wideTitle.c_str(), kDialogStyle, outer.x, outer.y, outer.width,
      outer.height, static_cast<HWND>(RequesterOwner()), nullptr, instance, nullptr));
  HWND dialog = state.dialog.get();
  if (!dialog) {
    state.closing = true;
    if (state.ownerDisabled) EnableWindow(state.owner, TRUE);
    RestoreThreadWindows();
    RequesterBusy() = false;
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
  const UniqueAccel accelerators(CreateAcceleratorTableW(keys, 2));
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
  RequesterBusy() = false;
  return result;
}

}  // namespace quorvel
