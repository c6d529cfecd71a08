// One contract for every platform the application runs on: the same cases
// against the portable platform and, in the Windows build, the Win32 platform
// on a real desktop. List order and selection, indices that name no item, odd
// texts, the editor's text, a busy or empty clipboard, events and shortcuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/platform.h"
#include "ui/null_platform.h"
#ifdef _WIN32
#include "win32/win32_bench.h"
#endif

namespace quorvel {
namespace {

// The portable platform, and the outside world it keeps in memory.
struct NullBench {
  static constexpr const char* kName = "Null";
  static constexpr bool kWaits = false;  // nothing arrives unless scripted
  NullPlatform platform;
  static void ClearError() {}
  static std::string Error() { return {}; }
  void HoldClipboard(bool held) { platform.HoldClipboard(held); }
  void CopyText(std::u16string_view text) { platform.CopyText(text); }
  void CopyImage() { platform.CopyImage(); }
  void PressKey(int32_t shortcut) { platform.PressKey(shortcut); }
  void PressHotKey() { platform.PressHotKey(); }
  void RequestClose() { platform.RequestClose(); }
};

using Texts = std::vector<std::u16string>;
using Codes = std::vector<int64_t>;
using Clock = std::chrono::steady_clock;
constexpr int64_t kList = 0;
constexpr int64_t kEditor = 1;
constexpr int64_t k2To32 = 0x100000000LL;  // reaches the control as 0
const Texts kOddTexts = {u"",        u"Grüße ß Ä 日本 😀", std::u16string(20000, u'x'),
                         u"tab\tin", u"lone \xD800 high", u"\xDC00 lone low first"};
const std::u16string kZeroInside(u"before\0after", 12);

// Checks one platform call's result; a failure names the call and, on Win32,
// the system's error code right after it.
#define EXPECT_CALL_IS(call, expected)                                                          \
  do {                                                                                          \
    this->bench.ClearError();                                                                   \
    const auto result_ = (call);                                                                \
    EXPECT_EQ(result_, expected) << #call << " on " << TypeParam::kName << this->bench.Error(); \
  } while (false)

template <typename Bench>
class PlatformContract : public testing::Test {
 protected:
  // What the application's start-up makes: window 0 hidden and maximised,
  // the list and the editor over it, the editor hidden, the list focused.
  void SetUp() override {
    P().RuntimeStart();
    ASSERT_NE(P().WindowOpen(0, 0, 0, 400, 400, u"quorvel", 0x11000001), 0) << Said("WindowOpen");
    const auto width = static_cast<int32_t>(P().WindowClientWidth(0));
    const auto height = static_cast<int32_t>(P().WindowClientHeight(0));
    ASSERT_NE(P().ListViewCreate(kList, 0, 0, width, height), 0) << Said("ListViewCreate");
    ASSERT_NE(P().EditorCreate(kEditor, 0, 0, width, height), 0) << Said("EditorCreate");
    P().GadgetSetHidden(kEditor, 1);
    P().GadgetFocus(kList);
  }
  void TearDown() override {
    bench.HoldClipboard(false);
    P().RuntimeEnd();
  }

  Platform& P() { return bench.platform; }
  std::string Said(const char* call) { return call + (" on " + (Bench::kName + bench.Error())); }
  Texts Items(int64_t gadget) {
    Texts items;
    for (int64_t i = 0; i < P().GadgetItemCount(gadget); ++i)
      items.push_back(P().GadgetItemText(gadget, i));
    return items;
  }
  // EventNext(1) until it returns code: the codes seen, code last if it came.
  Codes NextUntil(int64_t code, int milliseconds = 3000) {
    Codes seen;
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
      const int64_t next = P().EventNext(1);
      if (next != 0) seen.push_back(next);
      if (next == code || (next == 0 && !Bench::kWaits)) break;
    }
    return seen;
  }
  // Whether the last two codes seen are message, then code.
  static bool Ends(const Codes& seen, int64_t message, int64_t code) {
    return seen.size() >= 2 && seen.back() == code && seen[seen.size() - 2] == message;
  }

  Bench bench;
};

class BenchName {
 public:
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
#ifdef _WIN32
using Benches = testing::Types<NullBench, Win32Bench>;
#else
using Benches = testing::Types<NullBench>;
#endif
TYPED_TEST_SUITE(PlatformContract, Benches, BenchName);

TYPED_TEST(PlatformContract, ListOrderAndSelectionAfterAddsRemovalsAndClears) {
  Platform& p = this->P();
  p.GadgetRemoveItem(kList, 0);  // empty: nothing to remove or select
  p.GadgetSetState(kList, 0);
  EXPECT_CALL_IS(p.GadgetItemCount(kList), 0);
  EXPECT_CALL_IS(p.GadgetGetState(kList), -1);
  // -1 appends, 0 to the count insert before, other positions nothing.
  for (const char16_t* text : {u"a", u"b", u"c"})
    EXPECT_CALL_IS(p.GadgetAddItem(kList, -1, text), 0);
  EXPECT_CALL_IS(p.GadgetAddItem(kList, 0, u"z"), 0);
  EXPECT_CALL_IS(p.GadgetAddItem(kList, -2, u"no"), 0);
  EXPECT_CALL_IS(p.GadgetAddItem(kList, 5, u"no"), 0);
  p.GadgetAddItem(kList, 4, u"end");
  p.GadgetAddItem(kList, k2To32, u"top");
  EXPECT_EQ(this->Items(kList), (Texts{u"top", u"z", u"a", u"b", u"c", u"end"}));
  for (int64_t none : {int64_t{-1}, int64_t{6}, int64_t{0xFFFFFFFF}})
    p.GadgetRemoveItem(kList, none);
  p.GadgetRemoveItem(kList, 1);
  EXPECT_EQ(this->Items(kList), (Texts{u"top", u"a", u"b", u"c", u"end"}));
  // The selection belongs to its item.
  p.GadgetSetState(kList, 2);
  p.GadgetAddItem(kList, -1, u"d");
  EXPECT_CALL_IS(p.GadgetGetState(kList), 2);
  p.GadgetRemoveItem(kList, 0);
  EXPECT_CALL_IS(p.GadgetItemText(kList, p.GadgetGetState(kList)), u"b");
  p.GadgetAddItem(kList, 0, u"first");
  EXPECT_CALL_IS(p.GadgetGetState(kList), 2);
  p.GadgetRemoveItem(kList, 2);  // the selected item
  EXPECT_CALL_IS(p.GadgetGetState(kList), -1);
  p.GadgetSetState(kList, k2To32 + 1);
  EXPECT_CALL_IS(p.GadgetGetState(kList), 1);
  p.GadgetSetState(kList, -1);
  EXPECT_CALL_IS(p.GadgetGetState(kList), -1);
  p.GadgetSetState(kList, 3);
  p.GadgetClearItems(kList);
  EXPECT_CALL_IS(p.GadgetItemCount(kList), 0);
  EXPECT_CALL_IS(p.GadgetGetState(kList), -1);
}

TYPED_TEST(PlatformContract, ListAndEditorTextsRoundTripUpToAZero) {
  Platform& p = this->P();
  for (const std::u16string& text : kOddTexts) p.GadgetAddItem(kList, -1, text);
  p.GadgetAddItem(kList, -1, kZeroInside);
  Texts expected = kOddTexts;
  expected.push_back(u"before");
  EXPECT_EQ(this->Items(kList), expected);
  for (int64_t none : {int64_t{-1}, int64_t{7}}) EXPECT_CALL_IS(p.GadgetItemText(kList, none), u"");
  EXPECT_CALL_IS(p.GadgetItemText(kList, k2To32 + 1), kOddTexts[1]);

  // The editor's text is replaced whole; a line end of any kind breaks a line.
  p.GadgetSetText(kEditor, u"first text");
  p.GadgetSetText(kEditor, u"second");
  EXPECT_EQ(this->Items(kEditor), Texts{u"second"});
  p.GadgetSetText(kEditor, kOddTexts[1] + u"\r\n" + kOddTexts[4] + u"\n" + kOddTexts[5] + u"\rend");
  EXPECT_EQ(this->Items(kEditor), (Texts{kOddTexts[1], kOddTexts[4], kOddTexts[5], u"end"}));
  for (int64_t none : {int64_t{-1}, int64_t{4}})
    EXPECT_CALL_IS(p.GadgetItemText(kEditor, none), u"");
  p.GadgetSetText(kEditor, u"");  // the empty text and a missing one leave no line
  EXPECT_CALL_IS(p.GadgetItemCount(kEditor), 0);
  p.GadgetSetText(kEditor, u"again");
  p.GadgetSetText(kEditor, std::u16string_view());
  EXPECT_CALL_IS(p.GadgetItemCount(kEditor), 0);
}

TYPED_TEST(PlatformContract, ClipboardTextsAndABusyOrEmptyClipboard) {
  Platform& p = this->P();
  for (const std::u16string& text : kOddTexts) {
    EXPECT_NE(p.ClipboardSetText(text), 0) << this->Said("ClipboardSetText");
    EXPECT_CALL_IS(p.ClipboardGetText(), text);
  }
  EXPECT_NE(p.ClipboardSetText(kZeroInside), 0) << this->Said("ClipboardSetText");
  EXPECT_CALL_IS(p.ClipboardGetText(), u"before");
  this->bench.CopyText(u"line one\r\nline two");
  EXPECT_CALL_IS(p.ClipboardGetText(), u"line one\r\nline two");
  this->bench.CopyText(kZeroInside);
  EXPECT_CALL_IS(p.ClipboardGetText(), u"before");

  // Held open by another program: nothing read, nothing written, and no
  // mistaking it for a clipboard without text.
  std::u16string text = u"stale";
  uint32_t sequence = 0;
  this->bench.HoldClipboard(true);
  EXPECT_CALL_IS(p.ClipboardGetText(), u"");
  EXPECT_CALL_IS(p.ClipboardSetText(u"must not land"), 0);
  EXPECT_CALL_IS(p.ClipboardReadText(text, sequence), false);
  EXPECT_EQ(text, u"");
  this->bench.HoldClipboard(false);
  EXPECT_CALL_IS(p.ClipboardReadText(text, sequence), true);
  EXPECT_EQ(text, u"before");
  // An image alone from another program: read, with no text, and a new number.
  this->bench.CopyImage();
  text = u"stale";
  const uint32_t before = sequence;
  EXPECT_CALL_IS(p.ClipboardReadText(text, sequence), true);
  EXPECT_EQ(text, u"");
  EXPECT_NE(sequence, before);
  EXPECT_EQ(p.ClipboardSequenceNumber(), sequence);
  // The program's own write changes the number at once.
  EXPECT_NE(p.ClipboardSetText(u"after"), 0) << this->Said("ClipboardSetText");
  const uint32_t kept = p.ClipboardSequenceNumber();
  EXPECT_NE(kept, sequence);
  EXPECT_CALL_IS(p.ClipboardReadText(text, sequence), true);
  EXPECT_EQ(text, u"after");
  EXPECT_EQ(sequence, kept);
}

TYPED_TEST(PlatformContract, PostsKeysTheHotKeyAndTheCloseBoxGiveTheirMessageThenTheEvent) {
  Platform& p = this->P();
  this->NextUntil(-1, 100);
  const auto start = Clock::now();
  EXPECT_CALL_IS(p.EventNext(0), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(20)) << "polling does not wait";
  EXPECT_CALL_IS(p.EventPost(EventMenuCommand, 0, 3, 0), 1);
  Codes seen = this->NextUntil(EventMenuCommand);
  ASSERT_GE(seen.size(), 2u) << this->Said("EventPost");
  const int64_t message = seen[seen.size() - 2];
  EXPECT_TRUE(seen.back() == EventMenuCommand && message >= 0xC000 && message <= 0xFFFF)
      << "a registered message, then the event";
  EXPECT_CALL_IS(p.CurrentEventItem(), 3);

  EXPECT_CALL_IS(p.ShortcutAdd(5, KeyEscape, 2), 0u);  // no such window
  EXPECT_NE(p.ShortcutAdd(0, KeyEscape, 2), 0u) << this->Said("ShortcutAdd");
  p.ShortcutAdd(0, KeyEscape, 5);  // replaces Escape's item
  p.ShortcutAdd(0, ShortcutAlt | KeyReturn, 6);
  p.ShortcutAdd(0, KeyReturn, 0);
  ASSERT_EQ(p.RegisterHotKey(p.WindowHandle(0), 0, 0x4001, p.MapVirtualKey(0x29, 1)), 1)
      << this->Said("RegisterHotKey");
  p.WindowSetHidden(0, 0);
  p.SetForegroundWindow(p.WindowHandle(0));
  p.GadgetFocus(kList);
  this->NextUntil(-1, 100);
  ASSERT_EQ(p.ActiveWindowNumber(), 0) << this->Said("SetForegroundWindow");
  // Escape, then Alt+Return: the raw key message first, the command later.
  this->bench.PressKey(27);
  EXPECT_TRUE(this->Ends(this->NextUntil(EventMenuCommand), NullPlatform::kMessageKeyDown,
                         EventMenuCommand));
  EXPECT_CALL_IS(p.CurrentEventItem(), 5);
  this->bench.PressKey(ShortcutAlt | KeyReturn);
  EXPECT_TRUE(this->Ends(this->NextUntil(EventMenuCommand), NullPlatform::kMessageSysKeyDown,
                         EventMenuCommand));
  EXPECT_CALL_IS(p.CurrentEventItem(), 6);
  // The hot key arrives as its raw message and no event comes of it; the
  // close box gives its message, then the request, and the window stays.
  this->bench.PressHotKey();
  EXPECT_EQ(this->NextUntil(MessageHotKey).back(), MessageHotKey);
  this->bench.RequestClose();
  seen = this->NextUntil(EventCloseRequest);
  EXPECT_TRUE(this->Ends(seen, NullPlatform::kMessageClose, EventCloseRequest));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), EventMenuCommand), 0) << "from the hot key";
  EXPECT_EQ(p.CurrentEventItem(), 0) << "the closing window's number";
  EXPECT_NE(p.WindowHandle(0), 0u) << "the window stays";
  // Hidden, the window is not in front, and keys do not reach it.
  p.WindowSetHidden(0, 1);
  EXPECT_CALL_IS(p.ActiveWindowNumber(), -1);
  this->bench.PressKey(27);
  seen = this->NextUntil(EventMenuCommand, 300);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), EventMenuCommand), 0);
}

}  // namespace
}  // namespace quorvel
