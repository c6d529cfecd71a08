// Event retrieval under Wine: waiting, posted events (also from a
// worker thread and under suppression) and forged ones, the accelerator table,
// what other threads may not send a window, and Tab focus stepping.
#include "ui/win32_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ui/layer.h"
#include "ui/shortcuts.h"
#include "ui/win32_layer.h"
#include "ui/win32_post.h"
#include "ui/win32_window.h"
#include "win32/win32_bench.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

class EventsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { LayerStart(); }

  void SetUp() override { Drain(); }

  void TearDown() override {
    WindowClose(-1);
    Drain();
  }

  // Takes every pending message and event.
  static void Drain() {
    const auto end = Clock::now() + std::chrono::milliseconds(50);
    while (Clock::now() < end) {
      if (EventNext(0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  // Calls EventNext(1) until it returns code; the codes seen, code last, or
  // all of them when code never came within the time limit.
  static std::vector<int64_t> NextUntil(int64_t code, int milliseconds = 3000) {
    std::vector<int64_t> seen;
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
      const int64_t next = EventNext(1);
      if (next == 0) continue;
      seen.push_back(next);
      if (next == code) break;
    }
    return seen;
  }

  // The lParam of the first posting message in the queue, left there.
  static LPARAM PendingPostValue() {
    MSG msg{};
    const UINT message = PostEventMessage();
    return PeekMessageW(&msg, PostEventWindow(), message, message, PM_NOREMOVE) ? msg.lParam : 0;
  }

  static void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 2000, &ignored);
  }

  // A visible window in the foreground whose client area has the focus.
  static HWND OpenFocusedWindow(int64_t number) {
    WindowOpen(number, 100, 100, 300, 200, u"keys", 0);
    HWND window = WindowHandle(number);
    SetForegroundWindow(window);
    SetFocus(window);
    Drain();
    return window;
  }
};

TEST_F(EventsTest, WaitingOneMillisecondReturnsZeroAfterTheWait) {
  const auto start = Clock::now();
  int zeros = 0;
  for (int i = 0; i < 20; ++i) zeros += EventNext(1) == 0 ? 1 : 0;
  const auto elapsed = Clock::now() - start;
  EXPECT_EQ(zeros, 20);
  EXPECT_GE(elapsed, std::chrono::milliseconds(10));  // each call waited about 1 ms
  EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
}

TEST_F(EventsTest, APostedEventIsQueuedDuringSuppression) {
  LayerEvents().EventSuppressBegin();
  EventPost(EventMenuCommand, 0, 4, 0);
  const std::vector<int64_t> seen = NextUntil(PostEventMessage());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), static_cast<int64_t>(PostEventMessage()));
  EXPECT_EQ(CurrentEventType(), -1) << "a message is no event";
  LayerEvents().EventSuppressEnd();
  EXPECT_EQ(EventNext(0), EventMenuCommand);
  EXPECT_EQ(CurrentEventItem(), 4);
  EXPECT_EQ(CurrentEventType(), 0);
  EXPECT_EQ(CurrentEventWindow(), 0);
}

TEST_F(EventsTest, PostsFromAWorkerThreadArriveInOrderOnThisThread) {
  std::thread worker([] {
    for (int64_t item = 10; item < 15; ++item) EventPost(EventMenuCommand, 0, item, 0);
  });
  worker.join();
  std::vector<int64_t> items;
  const auto end = Clock::now() + std::chrono::seconds(3);
  while (items.size() < 5 && Clock::now() < end) {
    if (EventNext(1) == EventMenuCommand) items.push_back(CurrentEventItem());
  }
  EXPECT_EQ(items, (std::vector<int64_t>{10, 11, 12, 13, 14}));
}

TEST_F(EventsTest, PostingWithoutThePostingWindowFails) {
  PostEventEnd();
  EXPECT_EQ(EventPost(EventMenuCommand, 0, 3, 0), 0);
  PostEventStart();
  EXPECT_EQ(EventPost(EventMenuCommand, 0, 3, 0), 1);
  EXPECT_EQ(NextUntil(EventMenuCommand).back(), EventMenuCommand);
}

TEST_F(EventsTest, ThePostingWindowRaisesOnlyPostsOfThisProcessNotYetDelivered) {
  HWND post = PostEventWindow();
  const UINT message = PostEventMessage();
  // Values nobody posted: small numbers, a stack and a heap address, code.
  int local = 0;
  void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64);
  const LPARAM forged[] = {0, 1, reinterpret_cast<LPARAM>(&local), reinterpret_cast<LPARAM>(block),
                           reinterpret_cast<LPARAM>(GetModuleHandleW(nullptr)) + 0x1000};
  for (LPARAM value : forged) ASSERT_TRUE(PostMessageW(post, message, 0, value)) << GetLastError();
  std::vector<int64_t> seen = NextUntil(EventMenuCommand, 300);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<int64_t>(message)), 5);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), int64_t{EventMenuCommand}), 0);
  HeapFree(GetProcessHeap(), 0, block);

  // A real post, sent by another thread while it waits in the queue: the sent
  // one raises nothing, the posted one arrives in its turns.
  ASSERT_EQ(EventPost(EventMenuCommand, 0, 7, 0), 1);
  const LPARAM real = PendingPostValue();
  ASSERT_NE(real, 0);
  OnAnotherThread([&] { Send(post, message, 0, real); });
  EXPECT_EQ(EventNext(1), static_cast<int64_t>(message));
  EXPECT_EQ(EventNext(1), EventMenuCommand);
  EXPECT_EQ(CurrentEventItem(), 7);

  // Delivered: the same value posted again raises nothing.
  ASSERT_TRUE(PostMessageW(post, message, 0, real));
  EXPECT_EQ(EventNext(1), static_cast<int64_t>(message));
  EXPECT_EQ(EventNext(0), 0);
}

TEST_F(EventsTest, AWindowTakesNoDestructionCommandOrPointerFromOutside) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  HWND window = WindowHandle(0);
  ASSERT_NE(window, nullptr);
  // Properties another program can set: the number and the gadget-parent record.
  const std::wstring stack =
      L"QV_GadgetStack_" + std::to_wstring(reinterpret_cast<intptr_t>(GetModuleHandleW(nullptr)));
  SetPropW(window, L"QV_WindowID", reinterpret_cast<HANDLE>(intptr_t{9}));
  SetPropW(window, stack.c_str(), reinterpret_cast<HANDLE>(intptr_t{0x40}));
  // Destruction, commands as from a menu, an accelerator and a foreign
  // control (item 5 clears the history), and a notification pointer.
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } attacks[] = {{WM_NCDESTROY, 0, 0},
                 {WM_DESTROY, 0, 0},
                 {WM_COMMAND, 5, 0},
                 {WM_COMMAND, MAKEWPARAM(5, 1), 0},
                 {WM_COMMAND, 5, reinterpret_cast<LPARAM>(PostEventWindow())},
                 {WM_NOTIFY, 0, 1}};
  for (const auto& a : attacks) PostMessageW(window, a.message, a.wParam, a.lParam);
  OnAnotherThread([&] {
    for (const auto& a : attacks) Send(window, a.message, a.wParam, a.lParam);
  });
  const std::vector<int64_t> seen = NextUntil(EventMenuCommand, 300);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), int64_t{EventMenuCommand}), 0);
  EXPECT_EQ(WindowHandle(0), window);
  EXPECT_NE(ShortcutAdd(0, 27, 2), nullptr);  // the window's table is still there
  // Its own messages still work.
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(NextUntil(EventCloseRequest).back(), EventCloseRequest);
  EXPECT_EQ(CurrentEventGadget(), 0);
}

// What the procedure of a window of another class received.
std::vector<MSG> gReceived;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == BM_CLICK || message == WM_NOTIFY ||
      message >= WM_USER) {
    gReceived.push_back(MSG{window, message, wParam, lParam, 0, {}});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Windows of the thread that the program did not make (a message box, COM's,
// the input method's) get what is posted to them as it was posted, through
// the program's loop and its queue filter.
TEST_F(EventsTest, APostToAWindowOfAnotherClassArrivesUnchanged) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NotQuorvelsClass";
  ASSERT_TRUE(RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  HWND other = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               wc.hInstance, nullptr);
  ASSERT_NE(other, nullptr) << GetLastError();
  const MSG posts[] = {{other, WM_COMMAND, IDNO, 0, 0, {}},
                       {other, BM_CLICK, 0, 0, 0, {}},
                       {other, WM_NOTIFY, 7, 0x1234, 0, {}},
                       {other, WM_USER + 5, 1, 0x140001000, 0, {}},
                       {other, 0x7FFF, 2, 3, 0, {}}};
  gReceived.clear();
  for (const MSG& p : posts) {
    ASSERT_TRUE(PostMessageW(p.hwnd, p.message, p.wParam, p.lParam)) << GetLastError();
  }
  Drain();
  ASSERT_EQ(gReceived.size(), std::size(posts));
  for (size_t i = 0; i < gReceived.size(); ++i) {
    EXPECT_EQ(gReceived[i].message, posts[i].message) << i;
    EXPECT_EQ(gReceived[i].wParam, posts[i].wParam) << i;
    EXPECT_EQ(gReceived[i].lParam, posts[i].lParam) << i;
  }
  DestroyWindow(other);
}

TEST_F(EventsTest, ShortcutRowsAreBuiltIntoTheWindowsAcceleratorTable) {
  WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001);
  ShortcutAdd(0, 13, 0);
  ShortcutAdd(0, ShortcutShift | 13, 1);
  ShortcutAdd(0, 27, 2);
  HACCEL table = ShortcutAdd(0, 27, 5);
  ASSERT_NE(table, nullptr);
  ACCEL rows[8] = {};
  ASSERT_EQ(CopyAcceleratorTableW(table, rows, 8), 5);
  const ACCEL expected[] = {{3, VK_TAB, 64001}, {7, VK_TAB, 64002}, {3, VK_RETURN, 0},
                            {7, VK_RETURN, 1},  {3, VK_ESCAPE, 5}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(rows[i].fVirt, expected[i].fVirt) << i;
    EXPECT_EQ(rows[i].key, expected[i].key) << i;
    EXPECT_EQ(rows[i].cmd, expected[i].cmd) << i;
  }
}

class TabTest : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    window_ = OpenFocusedWindow(0);
    for (int i = 0; i < 3; ++i) {
      // The middle one is no tab stop.
      const DWORD tabStop = i == 1 ? 0 : WS_TABSTOP;
      buttons_[i] = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | tabStop,
                                    10 + 60 * i, 10, 50, 25, window_, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    }
  }

  // A Tab as the keyboard gives it to the focused control.
  void PressTab(bool shift) {
    PressShortcut(shift ? (ShortcutShift | VK_TAB) : VK_TAB);
    NextUntil(WM_KEYUP, 1000);
    Drain();
  }

  HWND window_ = nullptr;
  HWND buttons_[3] = {};
};

TEST_F(TabTest, TabStepsThroughTabStopsAndWraps) {
  SetFocus(buttons_[0]);
  PressTab(false);
  EXPECT_EQ(GetFocus(), buttons_[2]);
  PressTab(false);
  EXPECT_EQ(GetFocus(), buttons_[0]);
  PressTab(true);
  EXPECT_EQ(GetFocus(), buttons_[2]);
  PressTab(true);
  EXPECT_EQ(GetFocus(), buttons_[0]);
}

TEST_F(TabTest, TabTypesIntoAnEditableRichEditOnly) {
  ASSERT_NE(LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), nullptr);
  HWND edit = CreateWindowExW(0, L"RICHEDIT50W", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE,
                              10, 50, 200, 80, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  PressTab(false);
  EXPECT_EQ(GetFocus(), edit);
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(text, L"\t");

  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  PressTab(false);
  EXPECT_EQ(GetFocus(), buttons_[0]);  // wrapped from the last stop
}

}  // namespace
}  // namespace quorvel
