// The message and input requesters under Wine, driven from a second thread the
// way a user would: find the dialog, type into it, press keys or buttons.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "ui/win32_requester.h"
#include "win32/win32_bench.h"

namespace quorvel {
namespace {

constexpr int kEntryId = 10;
constexpr int kOkId = 1000;

// A visible top-level window of this process with the given class, or null.
HWND FindOwnWindow(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
        if (ClassOf(window) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for the window and for its last child to exist: a dialog is visible
// from the moment it is created, before its children are.
HWND WaitForOwnWindow(const wchar_t* className, int lastChildId) {
  for (int i = 0; i < 500; ++i) {
    HWND window = FindOwnWindow(className);
    if (window && GetDlgItem(window, lastChildId)) return window;
    Sleep(10);
  }
  return nullptr;
}

// Runs on a second thread while the test's thread sits in a requester's modal
// loop: waits for the dialog, lets the test look and act, and makes sure the
// dialog goes away so that a failing test cannot hang.
class Driver {
 public:
  using Steps = std::function<void(HWND dialog)>;
  Driver(const wchar_t* className, int lastChildId, Steps steps)
      : thread_([this, className, lastChildId, steps] {
          HWND dialog = WaitForOwnWindow(className, lastChildId);
          found_ = dialog != nullptr;
          if (!dialog) return;
          steps(dialog);
          for (int i = 0; i < 300 && IsWindow(dialog); ++i) Sleep(10);
          if (IsWindow(dialog)) {
            stuck_ = true;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
          }
        }) {}
  ~Driver() { Join(); }
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  [[nodiscard]] bool Found() const { return found_; }
  [[nodiscard]] bool Stuck() const { return stuck_; }

 private:
  std::atomic<bool> found_{false};
  std::atomic<bool> stuck_{false};
  std::thread thread_;
};

// Top-level test windows on the test's thread.
class TestWindows : public testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
  }
  void SetUp() override {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuorvelRequesterTest";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    Pump(50);
  }
  HWND Make(DWORD exStyle, bool visible, int x) {
    HWND w = CreateWindowExW(exStyle, L"QuorvelRequesterTest", L"requester test",
                             WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), x, 100, 200, 150,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(w);
    return w;
  }
  // Brings a window of ours to the foreground; false if the desktop refused.
  static bool MakeForeground(HWND w) {
    ShowWindow(w, SW_SHOW);
    for (int i = 0; i < 100; ++i) {
      SetForegroundWindow(w);
      Pump(10);
      if (GetForegroundWindow() == w) return true;
    }
    return false;
  }
  static void Pump(int ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    MSG msg;
    do {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(5);
    } while (GetTickCount64() < end);
  }

  std::vector<HWND> windows_;
};

using InputRequester = TestWindows;
using MessageRequester = TestWindows;

enum class Answer { kReturn, kOkButton, kEscape, kCloseBox, kCloseMessage };

void Give(HWND dialog, Answer answer) {
  HWND entry = GetDlgItem(dialog, kEntryId);
  switch (answer) {
    case Answer::kReturn:
      PostMessageW(entry, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      break;
    case Answer::kOkButton:
      SendMessageW(GetDlgItem(dialog, kOkId), BM_CLICK, 0, 0);
      break;
    case Answer::kEscape:
      PostMessageW(entry, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case Answer::kCloseBox:
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Answer::kCloseMessage:
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      break;
  }
}

TEST_F(InputRequester, AnswersByKeyButtonAndClose) {
  struct Case {
    const char* name;
    const wchar_t* typed;
    Answer answer;
    std::u16string expected;
  };
  const Case cases[] = {
      {"Return confirms", L"Grüße ß Ä 日本 😀", Answer::kReturn, u"Grüße ß Ä 日本 😀"},
      {"OK button confirms", L"clicked", Answer::kOkButton, u"clicked"},
      {"empty confirm", L"", Answer::kReturn, u""},
      {"Escape cancels", L"typed then escaped", Answer::kEscape, u""},
      {"close box cancels", L"typed then closed", Answer::kCloseBox, u""},
      {"WM_CLOSE cancels", L"typed then closed", Answer::kCloseMessage, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND seen = nullptr;
    Driver driver(L"InputRequester", kOkId, [&](HWND dialog) {
      seen = dialog;
      SendMessageW(GetDlgItem(dialog, kEntryId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
      Give(dialog, c.answer);
    });
    const std::u16string result = InputDialog(u"find", u"Look for:", u"default");
    driver.Join();
    ASSERT_TRUE(driver.Found());
    EXPECT_FALSE(driver.Stuck());
    EXPECT_EQ(result, c.expected);
    EXPECT_FALSE(IsWindow(seen)) << "the dialog outlived the call";
  }
}

TEST_F(InputRequester, ShowsTextsDefaultCaretAndGeometry) {
  if (GetSystemMetrics(SM_CXSCREEN) != 1920 || GetSystemMetrics(SM_CYSCREEN) != 1080) {
    GTEST_SKIP() << "needs the 1920x1080 test screen";
  }
  const DWORD testThread = GetCurrentThreadId();
  std::u16string title, message, button, entryText;
  RECT outer{};
  DWORD selStart = 99, selEnd = 99;
  bool entryFocused = false;
  Driver driver(L"InputRequester", kOkId, [&](HWND dialog) {
    title = WindowText(dialog);
    GetWindowRect(dialog, &outer);
    HWND entry = GetDlgItem(dialog, kEntryId);
    entryText = WindowText(entry);
    button = WindowText(GetDlgItem(dialog, kOkId));
    HWND child = GetWindow(dialog, GW_CHILD);
    if (child && ClassOf(child) == L"Static") message = WindowText(child);
    SendMessageW(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                 reinterpret_cast<LPARAM>(&selEnd));
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    for (int i = 0; i < 100 && !entryFocused; ++i) {
      entryFocused = GetGUIThreadInfo(testThread, &info) && info.hwndFocus == entry;
      if (!entryFocused) Sleep(10);
    }
    Give(dialog, Answer::kReturn);
  });
  std::u16string title16 = u"find";
  const std::u16string result = InputDialog(title16, u"Look for:", u"prëset 日本");
  driver.Join();
  ASSERT_TRUE(driver.Found());
  EXPECT_EQ(result, u"prëset 日本");
  EXPECT_EQ(title, u"find");
  EXPECT_EQ(message, u"Look for:");
  EXPECT_EQ(button, u"OK");
  EXPECT_EQ(entryText, u"prëset 日本");
  EXPECT_EQ(selStart, 9u);
  EXPECT_EQ(selEnd, 9u);
  EXPECT_TRUE(entryFocused);
  EXPECT_EQ(outer.left, 810);
  EXPECT_EQ(outer.top, 475);
  EXPECT_EQ(outer.right - outer.left, 300);
  EXPECT_EQ(outer.bottom - outer.top, 130);
}

struct WindowState {
  bool enabled = false;
  bool visible = false;
  bool topmost = false;
};

WindowState StateOf(HWND w) {
  return {IsWindowEnabled(w) != FALSE, IsWindowVisible(w) != FALSE,
          (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0};
}

TEST_F(InputRequester, SuspendsThreadWindowsAndGivesThemBack) {
  HWND owner = Make(0, true, 50);
  HWND topmost = Make(WS_EX_TOPMOST, true, 300);
  HWND disabled = Make(0, true, 550);
  EnableWindow(disabled, FALSE);
  HWND hidden = Make(0, false, 800);
  HWND plain = Make(0, true, 1050);
  if (!MakeForeground(owner)) GTEST_SKIP() << "the desktop did not give us the foreground";

  WindowState during[5];
  HWND dialogOwner = nullptr;
  Driver driver(L"InputRequester", kOkId, [&](HWND dialog) {
    dialogOwner = GetWindow(dialog, GW_OWNER);
    HWND all[] = {owner, topmost, disabled, hidden, plain};
    for (int i = 0; i < 5; ++i) during[i] = StateOf(all[i]);
    Give(dialog, Answer::kEscape);
  });
  EXPECT_EQ(InputDialog(u"t", u"m", u""), u"");
  driver.Join();
  ASSERT_TRUE(driver.Found());

  EXPECT_EQ(dialogOwner, owner);
  EXPECT_FALSE(during[0].enabled) << "owner";
  EXPECT_FALSE(during[1].topmost) << "topmost window";
  EXPECT_FALSE(during[1].enabled) << "topmost window";
  EXPECT_FALSE(during[2].enabled) << "disabled window";
  EXPECT_TRUE(during[3].enabled) << "hidden window";
  EXPECT_FALSE(during[3].visible) << "hidden window";
  EXPECT_FALSE(during[4].enabled) << "plain window";

  EXPECT_TRUE(StateOf(owner).enabled);
  EXPECT_TRUE(StateOf(topmost).topmost);
  EXPECT_TRUE(StateOf(topmost).enabled);
  EXPECT_FALSE(StateOf(disabled).enabled);
  EXPECT_TRUE(StateOf(hidden).enabled);
  EXPECT_FALSE(StateOf(hidden).visible);
  EXPECT_TRUE(StateOf(plain).enabled);
}

TEST_F(InputRequester, QuitMessageClosesDialogAndIsPostedAgain) {
  HWND owner = Make(0, true, 50);
  if (!MakeForeground(owner)) GTEST_SKIP() << "the desktop did not give us the foreground";
  const DWORD testThread = GetCurrentThreadId();
  HWND seen = nullptr;
  Driver driver(L"InputRequester", kOkId, [&](HWND dialog) {
    seen = dialog;
    SendMessageW(GetDlgItem(dialog, kEntryId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    PostThreadMessageW(testThread, WM_QUIT, 42, 0);
  });
  EXPECT_EQ(InputDialog(u"t", u"m", u""), u"");
  driver.Join();
  ASSERT_TRUE(driver.Found());
  EXPECT_FALSE(driver.Stuck());
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(MessageRequester, ReturnsTheButtonAndHasTheRightOwner) {
  HWND owner = Make(0, true, 50);
  HWND plain = Make(0, true, 400);
  if (!MakeForeground(owner)) GTEST_SKIP() << "the desktop did not give us the foreground";

  HWND boxOwner = reinterpret_cast<HWND>(1);
  std::u16string text;
  bool plainEnabled = true;
  Driver yes(L"#32770", IDNO, [&](HWND box) {
    boxOwner = GetWindow(box, GW_OWNER);
    plainEnabled = IsWindowEnabled(plain) != FALSE;
    HWND child = nullptr;
    while ((child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
      if (!WindowText(child).empty()) text = WindowText(child);
    }
    SendMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(MessageDialog(u"Really exit?", u"Are you sure you wish to exit?", 52), IDYES);
  yes.Join();
  ASSERT_TRUE(yes.Found());
  EXPECT_EQ(boxOwner, owner);
  EXPECT_EQ(text, u"Are you sure you wish to exit?");
  EXPECT_FALSE(plainEnabled);
  EXPECT_TRUE(IsWindowEnabled(plain));
  EXPECT_TRUE(IsWindowEnabled(owner));

  // With no window of ours in the foreground the box has no owner.
  ShowWindow(owner, SW_HIDE);
  ShowWindow(plain, SW_HIDE);
  Pump(100);
  ASSERT_EQ(RequesterOwner(), nullptr);
  boxOwner = reinterpret_cast<HWND>(1);
  Driver ok(L"#32770", IDOK, [&](HWND box) {
    boxOwner = GetWindow(box, GW_OWNER);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(MessageDialog(u"error", u"Cannot register hotkey.", 16), IDOK);
  ok.Join();
  ASSERT_TRUE(ok.Found());
  EXPECT_EQ(boxOwner, nullptr);
}

}  // namespace
}  // namespace quorvel
