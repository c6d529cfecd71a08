// Clipboard text on Win32: reading and writing CF_UNICODETEXT through global
// memory blocks, with the clipboard opened without an owner window.
#include "ui/win32_clipboard.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

namespace quorvel {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

// Closes the clipboard when one transfer ends, whichever way it ends.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  [[nodiscard]] bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// A global memory block this program still owns: freed unless released to
// the clipboard.
class UniqueGlobal {
 public:
  explicit UniqueGlobal(HGLOBAL block) : block_(block) {}
  ~UniqueGlobal() {
    if (block_) GlobalFree(block_);
  }
  UniqueGlobal(UniqueGlobal&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  UniqueGlobal& operator=(UniqueGlobal&& other) noexcept {
    if (this != &other) {
      if (block_) GlobalFree(block_);
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  UniqueGlobal(const UniqueGlobal&) = delete;
  UniqueGlobal& operator=(const UniqueGlobal&) = delete;

  [[nodiscard]] HGLOBAL get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }
  HGLOBAL release() { return std::exchange(block_, nullptr); }

 private:
  HGLOBAL block_;
};

// Keeps a block locked while its bytes are copied.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~LockedGlobal() {
    if (data_) GlobalUnlock(block_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  [[nodiscard]] void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

// The text of the open clipboard.
std::u16string OpenClipboardText() {
  // The clipboard keeps this handle: it is never freed here, and its text is
  // copied before the clipboard closes.
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  // NOTE: GlobalSize may exceed the size that was asked for (allocation
  // granularity); the block is still safe to read up to it. An odd last byte
  // is not a whole character and is ignored.
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  LockedGlobal locked(data);
  if (!locked.data()) return {};
  const auto* chars = static_cast<const wchar_t*>(locked.data());
  size_t length = std::wstring_view(chars, units).find(L'\0');
  if (length == std::wstring_view::npos) length = units;
  std::u16string text;
  try {
    text.resize(length);
  } catch (const std::bad_alloc&) {
    return {};  // too large for the memory left: not taken
  }
  std::memcpy(text.data(), chars, length * sizeof(wchar_t));
  return text;
}

// The program's clipboard window and what it knows of clipboard changes. The
// window is message-only and lives until the layer ends: it owns what the
// program writes to the clipboard and hears the system's change notification.
// The program has one thread with windows: no locking.
struct ClipboardWatch {
  HWND window = nullptr;
  bool started = false;
  bool listening = false;  // the change notification reaches the window
  bool changed = true;
  uint32_t sequence = 0;
  ULONGLONG askedAt = 0;
};

ClipboardWatch& Watch() {
  static ClipboardWatch watch;
  return watch;
}

constexpr wchar_t kWatchClass[] = L"QV_ClipboardWatch";

LRESULT CALLBACK WatchProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLIPBOARDUPDATE) {
    Watch().changed = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ClipboardWatch& StartedWatch() {
  ClipboardWatch& watch = Watch();
  if (watch.started) return watch;
  watch.started = true;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WatchProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWatchClass;
  RegisterClassW(&windowClass);  // fails harmlessly when it is registered already
  watch.window = CreateWindowExW(0, kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
  watch.listening = watch.window != nullptr && AddClipboardFormatListener(watch.window);
  watch.changed = true;
  return watch;
}

}  // namespace

HWND ClipboardWindow() { return StartedWatch().window; }

uint32_t ClipboardWatchedSequenceNumber() {
  ClipboardWatch& watch = StartedWatch();
  const ULONGLONG now = GetTickCount64();
  if (!watch.listening || watch.changed || now - watch.askedAt >= kClipboardRecheckMs) {
    // Cleared before asking: a notification handled later is not lost.
    watch.changed = false;
    watch.sequence = GetClipboardSequenceNumber();
    watch.askedAt = now;
  }
  return watch.sequence;
}

void ClipboardWatchEnd() {
  ClipboardWatch& watch = Watch();
  if (watch.listening) RemoveClipboardFormatListener(watch.window);
  if (watch.window != nullptr) DestroyWindow(watch.window);
  watch = ClipboardWatch{};
}

bool ClipboardContentIsPrivate() {
  // Presence alone is the signal for these two.
  for (const wchar_t* name :
       {L"ExcludeClipboardContentFromMonitorProcessing", L"Clipboard Viewer Ignore"}) {
    const UINT format = RegisterClipboardFormatW(name);
    if (format && IsClipboardFormatAvailable(format)) return true;
  }
  // This one allows recording only when it holds a 32-bit value that is not
  // zero. Anything else that is there (an empty or shorter block, one that
  // cannot be fetched or locked) counts as private: a password stays out of
  // the history whenever its marker cannot be read.
  const UINT format = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
  if (!format) return true;
  if (!IsClipboardFormatAvailable(format)) return false;
  HANDLE data = GetClipboardData(format);
  if (!data || GlobalSize(data) < sizeof(DWORD)) return true;
  LockedGlobal locked(data);
  if (!locked.data()) return true;
  DWORD value = 0;
  std::memcpy(&value, locked.data(), sizeof(value));
  return value == 0;
}

std::u16string ClipboardGetText() {
  std::u16string text;
  (void)ClipboardReadText(text);
  return text;
}

bool ClipboardReadText(std::u16string& text, uint32_t* sequence) {
  text.clear();
  OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return false;
  // Taken before any data is asked for: if the content is rendered on demand,
  // that rendering may step the number, and is then read once more at most.
  if (sequence) {
    *sequence = GetClipboardSequenceNumber();
    // The number kept by the watch may be older than the contents just read.
    if (Watch().started) Watch().sequence = *sequence;
  }
  if (!ClipboardContentIsPrivate()) text = OpenClipboardText();
  return true;
}

int64_t ClipboardSetText(std::u16string_view text) {
  // Opened with the program's own window: emptied with no window, the
  // clipboard would have no owner, and Windows then refuses the data.
  OpenedClipboard clipboard(ClipboardWindow());
  if (!clipboard.IsOpen()) return 0;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
  if (!block) return 0;  // nothing changed yet
  EmptyClipboard();
  {
    LockedGlobal locked(block.get());
    // The clipboard is empty from here on; a block that cannot be locked is
    // freed by its wrapper rather than leaked.
    if (!locked.data()) return 0;
    auto* dest = static_cast<unsigned char*>(locked.data());
    if (!text.empty()) std::memcpy(dest, text.data(), text.size() * sizeof(char16_t));
    std::memset(dest + text.size() * sizeof(char16_t), 0, sizeof(char16_t));
  }
  HANDLE accepted = SetClipboardData(CF_UNICODETEXT, block.get());
  if (!accepted) return 0;  // refused: the block is still ours and is freed
  // The clipboard owns the block from now on. The capture step of this turn
  // reads what was written: the number kept is stale.
  block.release();
  Watch().changed = true;
  return static_cast<int64_t>(reinterpret_cast<intptr_t>(accepted));
}

}  // namespace quorvel
