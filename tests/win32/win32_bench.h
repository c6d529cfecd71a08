// The desktop around the Win32 platform in tests: another program's hands on
// the clipboard (holding it open, writing it, emptying it) and the user's keys.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/platform.h"
#include "ui/win32_platform.h"

// NOTE: <windows.h> maps MapVirtualKey to MapVirtualKeyW, which would rename
// the platform operation of the same name.
#undef MapVirtualKey

namespace quorvel {

// What failed and the system's error code, for an assertion's message.
inline std::string Win32Error(const char* call) {
  return std::string(call) + " failed, GetLastError " + std::to_string(GetLastError());
}

// Opens the clipboard with a window of its own on another thread and keeps it
// open until destroyed.
// NOTE: under Wine 8 two OpenClipboard(NULL) do not exclude each other; a
// holder with a window does exclude them, as another program would on Windows.
class ClipboardHolder {
 public:
  ClipboardHolder() : thread_([this] { Run(); }) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return state_ != State::kStarting; });
  }
  ~ClipboardHolder() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;
  [[nodiscard]] bool Holding() const { return state_ == State::kHolding; }
  // Why the holder could not open the clipboard, when it could not.
  [[nodiscard]] const std::string& Failure() const { return failure_; }

 private:
  enum class State { kStarting, kHolding, kFailed };

  void Run() {
    HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const bool open = window && OpenClipboard(window);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!open) failure_ = Win32Error(window ? "OpenClipboard" : "CreateWindowExW");
      state_ = open ? State::kHolding : State::kFailed;
    }
    changed_.notify_all();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return release_; });
    if (open) CloseClipboard();
    if (window) DestroyWindow(window);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::kStarting;
  std::string failure_;
  bool release_ = false;
  std::thread thread_;
};

// Replaces the clipboard's contents as another program does: from a thread
// and a window of its own (EmptyClipboard makes that window the owner; with
// no window, Windows refuses the data that follows). Raw bytes, so that
// malformed text can be tried; no format at all leaves the clipboard empty.
// This thread answers sent messages meanwhile: EmptyClipboard sends the
// previous owner, maybe this thread's window, WM_DESTROYCLIPBOARD.
inline void ClipboardPutElsewhere(UINT format, const void* bytes, size_t size) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"other program", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
      ADD_FAILURE() << Win32Error("CreateWindowExW");
    } else if (!OpenClipboard(window)) {
      ADD_FAILURE() << Win32Error("OpenClipboard");
    } else {
      EXPECT_TRUE(EmptyClipboard()) << Win32Error("EmptyClipboard");
      if (format != 0) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        EXPECT_NE(block, nullptr) << Win32Error("GlobalAlloc");
        if (void* p = block ? GlobalLock(block) : nullptr) {
          std::memcpy(p, bytes, size);
          GlobalUnlock(block);
          if (SetClipboardData(format, block) == nullptr) {
            ADD_FAILURE() << Win32Error("SetClipboardData");
            GlobalFree(block);
          }
        }
      }
      CloseClipboard();
    }
    DestroyWindow(window);
    done = true;
  });
  MSG msg{};
  while (!done) {
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
  other.join();
}

// The Win32 platform on the test's desktop, and what the user and the other
// programs do to it.
struct Win32Bench {
  static constexpr const char* kName = "Win32";
  Platform& platform = Win32Platform();
  std::optional<ClipboardHolder> holder;

  static void ClearError() { SetLastError(0); }
  static std::string Error() { return ", GetLastError " + std::to_string(GetLastError()); }
  // Messages arrive from the system while EventNext waits.
  static constexpr bool kWaits = true;

  void HoldClipboard(bool held) {
    if (!held) {
      holder.reset();
      return;
    }
    holder.emplace();
    ASSERT_TRUE(holder->Holding()) << holder->Failure();
  }
  static void CopyText(std::u16string_view text) {
    const std::u16string terminated(text);
    ClipboardPutElsewhere(CF_UNICODETEXT, terminated.c_str(), (text.size() + 1) * 2);
  }
  static void EmptyClipboard() { ClipboardPutElsewhere(0, nullptr, 0); }

  // A shortcut value pressed on the keyboard: modifiers down, the key, and up.
  static void PressKey(int32_t shortcut) {
    std::vector<WORD> keys;
    if (shortcut & ShortcutShift) keys.push_back(VK_SHIFT);
    if (shortcut & ShortcutControl) keys.push_back(VK_CONTROL);
    if (shortcut & ShortcutAlt) keys.push_back(VK_MENU);
    keys.push_back(static_cast<WORD>(shortcut & 0xFFFF));
    std::vector<INPUT> inputs;
    for (bool up : {false, true}) {
      for (size_t i = 0; i < keys.size(); ++i) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = keys[up ? keys.size() - 1 - i : i];
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(in.ki.wVk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
      }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
              inputs.size())
        << Win32Error("SendInput");
  }
  static void PressHotKey() { PressKey(ShortcutAlt | static_cast<int32_t>(MapVirtualKeyW(0x29, 1))); }
  void RequestClose() {
    const auto window = reinterpret_cast<HWND>(platform.WindowHandle(0));
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0)) << Win32Error("PostMessageW");
  }
};

}  // namespace quorvel
