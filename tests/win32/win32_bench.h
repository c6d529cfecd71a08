// The desktop around the Win32 platform in tests: another program's hands on
// the clipboard (holding it open, writing text or an image) and the user's keys.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/platform.h"
#include "ui/win32_platform.h"
#include "ui/win32_text.h"

// NOTE: <windows.h> maps MapVirtualKey to MapVirtualKeyW, which would rename
// the platform operation of the same name.
#undef MapVirtualKey

namespace quorvel {

// What failed and the system's error code, for an assertion's message.
inline std::string Win32Error(const char* call) {
  return std::string(call) + " failed, GetLastError " + std::to_string(GetLastError());
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Answers the messages other threads send this one until done() holds.
template <typename Done>
void AnswerSentUntil(Done done) {
  MSG msg{};
  while (!done()) {
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
}

// Runs work on another thread, as another program would act, while this one
// answers the messages sent to its windows (posted ones stay queued).
inline void OnAnotherThread(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    work();
    done = true;
  });
  AnswerSentUntil([&] { return done.load(); });
  other.join();
}

// Presses a shortcut value on the keyboard: modifiers down, the key, all up.
inline void PressShortcut(int32_t shortcut) {
  std::vector<WORD> keys;
  for (auto [bit, key] : {std::pair{ShortcutShift, VK_SHIFT}, {ShortcutControl, VK_CONTROL},
                          {ShortcutAlt, VK_MENU}}) {
    if (shortcut & bit) keys.push_back(static_cast<WORD>(key));
  }
  keys.push_back(static_cast<WORD>(shortcut & 0xFFFF));
  std::vector<INPUT> inputs(keys.size() * 2);
  for (size_t i = 0; i < inputs.size(); ++i) {
    const bool up = i >= keys.size();
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[up ? inputs.size() - 1 - i : i];
    inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(inputs[i].ki.wVk, MAPVK_VK_TO_VSC));
    inputs[i].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size()) << Win32Error("SendInput");
}

// Opens the clipboard with a window of its own on another thread, runs work
// there while it holds it, and keeps it open until destroyed. This thread
// answers sent messages meanwhile (EmptyClipboard sends the previous owner,
// maybe a window of this thread, WM_DESTROYCLIPBOARD).
// NOTE: under Wine 8 two OpenClipboard(NULL) do not exclude each other; a
// holder with a window does exclude them, as another program would on Windows.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(std::function<void()> work = {})
      : thread_([this, work] {
          HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", WS_POPUP, 0, 0, 10, 10,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
          holding_ = window && OpenClipboard(window);
          if (!holding_) ADD_FAILURE() << Win32Error(window ? "OpenClipboard" : "CreateWindowExW");
          if (holding_ && work) work();
          started_ = true;
          while (!release_) Sleep(1);
          if (holding_) CloseClipboard();
          if (window) DestroyWindow(window);
          ended_ = true;
        }) {
    AnswerSentUntil([this] { return started_.load(); });
  }
  ~ClipboardHolder() {
    release_ = true;
    AnswerSentUntil([this] { return ended_.load(); });
    thread_.join();
  }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;
  [[nodiscard]] bool Holding() const { return holding_; }

 private:
  std::atomic<bool> holding_{false}, started_{false}, release_{false}, ended_{false};
  std::thread thread_;  // declared last: it starts once the flags exist
};

// Replaces the clipboard's contents as another program does, from a window of
// its own (EmptyClipboard makes it the owner; Windows refuses data set after
// an OpenClipboard(NULL)): raw blocks, so that malformed text can be tried;
// no block leaves the clipboard empty. False when a step failed (reported).
inline bool ClipboardPutElsewhere(const std::vector<std::pair<UINT, std::string>>& blocks) {
  bool ok = true;
  const ClipboardHolder holder([&] {
    ok = EmptyClipboard() != FALSE;
    EXPECT_TRUE(ok) << Win32Error("EmptyClipboard");
    for (const auto& [format, bytes] : blocks) {
      HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
      void* p = block ? GlobalLock(block) : nullptr;
      if (p != nullptr) {
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(block);
      }
      if (p == nullptr || SetClipboardData(format, block) == nullptr) {
        ADD_FAILURE() << Win32Error(p ? "SetClipboardData" : "GlobalAlloc or GlobalLock");
        if (block) GlobalFree(block);
        ok = false;
      }
    }
  });
  return ok && holder.Holding();
}

// A text's bytes with its terminating zero, as a CF_UNICODETEXT block holds it.
inline std::string TextBytes(std::u16string_view text) {
  const std::u16string terminated(text);
  return std::string(reinterpret_cast<const char*>(terminated.c_str()), (text.size() + 1) * 2);
}

// The Win32 platform on the test's desktop, and what the user and the other
// programs do to it.
struct Win32Bench {
  static constexpr const char* kName = "Win32";
  static constexpr bool kWaits = true;  // messages arrive while EventNext waits
  Platform& platform = Win32Platform();
  std::optional<ClipboardHolder> holder;

  static void ClearError() { SetLastError(0); }
  static std::string Error() { return ", GetLastError " + std::to_string(GetLastError()); }
  void HoldClipboard(bool held) {
    holder.reset();
    if (!held) return;
    holder.emplace();
    ASSERT_TRUE(holder->Holding());
  }
  static void CopyText(std::u16string_view text) {
    EXPECT_TRUE(ClipboardPutElsewhere({{CF_UNICODETEXT, TextBytes(text)}}));
  }
  // An image and no text: a 2 by 2 bitmap of 32 bits per pixel.
  static void CopyImage() {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 16, 0, 0, 0, 0};
    std::string dib(reinterpret_cast<const char*>(&header), sizeof(header));
    EXPECT_TRUE(ClipboardPutElsewhere({{CF_DIB, dib + std::string(16, '\x7f')}}));
  }
  static void PressKey(int32_t shortcut) { PressShortcut(shortcut); }
  static void PressHotKey() {
    PressShortcut(ShortcutAlt | static_cast<int32_t>(MapVirtualKeyW(0x29, 1)));
  }
  void RequestClose() {
    ASSERT_TRUE(PostMessageW(reinterpret_cast<HWND>(platform.WindowHandle(0)), WM_CLOSE, 0, 0))
        << Win32Error("PostMessageW");
  }
};

}  // namespace quorvel
