// One contract for every platform the application runs on: the same cases
// against the portable platform and, in the Windows build, the Win32 platform
// on a real desktop. List order and selection, indices that name no item, odd
// texts, the editor's text, a busy or empty clipboard, events and shortcuts.
#include <gtest/gtest.h>

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
  NullPlatform platform;

  static void ClearError() {}
  static std::string Error() { return {}; }
  static constexpr bool kWaits = false;  // nothing arrives unless scripted
  void HoldClipboard(bool held) { platform.HoldClipboard(held); }
  void CopyText(std::u16string_view text) { platform.CopyText(text); }
  void EmptyClipboard() { platform.CopyImage(); }
  void PressKey(int32_t shortcut) { platform.PressKey(shortcut); }
  void PressHotKey() { platform.PressHotKey(); }
  void RequestClose() { platform.RequestClose(); }
};

using Texts = std::vector<std::u16string>;
using Codes = std::vector<int64_t>;
constexpr int64_t kList = 0;
constexpr int64_t kEditor = 1;
constexpr int32_t kReturn = 13;
constexpr int32_t kEscape = 27;
constexpr int64_t kSelf = 0x100000000LL;  // 2^32: an index that reaches the control as 0

// Checks the result of one platform call; a failure names the call and, on
// Win32, the system's error code right after it.
#define EXPECT_CALL_RESULT(call, expected)                           \
  do {                                                               \
    this->bench.ClearError();                                        \
    const auto result_ = (call);                                     \
    const std::string error_ = this->bench.Error();                  \
    EXPECT_EQ(result_, expected) << #call << " on " << TypeParam::kName << error_; \
  } while (false)

template <typename Bench>
class PlatformContract : public testing::Test {
 protected:
  // What the application's start-up makes: window 0, hidden and maximised,
  // the list over it, the editor hidden on top, the list focused.
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
    for (int64_t i = 0; i < P().GadgetItemCount(gadget); ++i) {
      items.push_back(P().GadgetItemText(gadget, i));
    }
    return items;
  }
  void Add(std::initializer_list<const char16_t*> texts) {
    for (const char16_t* text : texts) P().GadgetAddItem(kList, -1, text);
  }

  // EventNext(1) until it returns code: the codes seen, code last, or all of
  // them when code did not come.
  Codes NextUntil(int64_t code, int milliseconds = 3000) {
    Codes seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      const int64_t next = P().EventNext(1);
      if (next != 0) seen.push_back(next);
      if (next == code || (next == 0 && !Bench::kWaits)) break;
    }
    return seen;
  }
  // Shows window 0 in front with the list focused, and lets the messages of
  // that pass.
  void ShowInFront() {
    P().WindowSetHidden(0, 0);
    P().SetForegroundWindow(P().WindowHandle(0));
    P().GadgetFocus(kList);
    NextUntil(-1, 100);
    ASSERT_EQ(P().ActiveWindowNumber(), 0) << Said("SetForegroundWindow");
  }

  Bench bench;
};

#ifdef _WIN32
using Benches = testing::Types<NullBench, Win32Bench>;
#else
using Benches = testing::Types<NullBench>;
#endif
class BenchName {
 public:
  template <typename T>
  static std::string GetName(int) { return T::kName; }
};
TYPED_TEST_SUITE(PlatformContract, Benches, BenchName);

TYPED_TEST(PlatformContract, EmptyListAnswersNothing) {
  Platform& p = this->P();
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), -1);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kList), 0);
  for (int64_t index : {int64_t{0}, int64_t{-1}, int64_t{3}}) {
    EXPECT_CALL_RESULT(p.GadgetItemText(kList, index), u"");
  }
  p.GadgetRemoveItem(kList, 0);
  p.GadgetSetState(kList, 0);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kList), 0);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), -1);
}

TYPED_TEST(PlatformContract, ItemsKeepTheirInsertionOrder) {
  Platform& p = this->P();
  for (const char16_t* text : {u"a", u"b", u"c"}) EXPECT_CALL_RESULT(p.GadgetAddItem(kList, -1, text), 0);
  EXPECT_CALL_RESULT(p.GadgetAddItem(kList, 0, u"z"), 0);
  EXPECT_EQ(this->Items(kList), (Texts{u"z", u"a", u"b", u"c"}));
  // Below -1 and beyond the count insert nothing; the count itself appends;
  // 2^32 reaches the control as 0.
  EXPECT_CALL_RESULT(p.GadgetAddItem(kList, -2, u"no"), 0);
  EXPECT_CALL_RESULT(p.GadgetAddItem(kList, 5, u"no"), 0);
  p.GadgetAddItem(kList, 4, u"end");
  p.GadgetAddItem(kList, kSelf, u"top");
  EXPECT_EQ(this->Items(kList), (Texts{u"top", u"z", u"a", u"b", u"c", u"end"}));
  p.GadgetRemoveItem(kList, 0xFFFFFFFFLL);  // -1: names no item
  p.GadgetRemoveItem(kList, 6);
  p.GadgetRemoveItem(kList, -1);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kList), 6);
  p.GadgetRemoveItem(kList, 1);
  EXPECT_EQ(this->Items(kList), (Texts{u"top", u"a", u"b", u"c", u"end"}));
}

TYPED_TEST(PlatformContract, SelectionFollowsItsItem) {
  Platform& p = this->P();
  this->Add({u"a", u"b", u"c"});
  p.GadgetSetState(kList, 1);
  p.GadgetAddItem(kList, -1, u"d");
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), 1);
  p.GadgetRemoveItem(kList, 0);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), 0);
  EXPECT_CALL_RESULT(p.GadgetItemText(kList, p.GadgetGetState(kList)), u"b");
  p.GadgetAddItem(kList, 0, u"first");
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), 1);
  p.GadgetRemoveItem(kList, 1);  // the selected item
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), -1);

  p.GadgetSetState(kList, 2);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), 2);
  p.GadgetSetState(kList, -1);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), -1);
  p.GadgetSetState(kList, kSelf + 1);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), 1);
  p.GadgetClearItems(kList);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kList), 0);
  EXPECT_CALL_RESULT(p.GadgetGetState(kList), -1);
}

TYPED_TEST(PlatformContract, ItemTextsRoundTripUpToAZero) {
  Platform& p = this->P();
  const std::u16string texts[] = {u"",
                                  u"Grüße ß Ä 日本 😀",
                                  std::u16string(20000, u'x'),
                                  u"tab\tin",
                                  u"lone \xD800 high",
                                  u"\xDC00 lone low at the start"};
  for (const std::u16string& text : texts) p.GadgetAddItem(kList, -1, text);
  ASSERT_EQ(p.GadgetItemCount(kList), 6);
  for (int i = 0; i < 6; ++i) EXPECT_CALL_RESULT(p.GadgetItemText(kList, i), texts[i]);
  EXPECT_CALL_RESULT(p.GadgetItemText(kList, -1), u"");
  EXPECT_CALL_RESULT(p.GadgetItemText(kList, 6), u"");
  EXPECT_CALL_RESULT(p.GadgetItemText(kList, kSelf + 1), texts[1]);
  // A list line is a zero-ended text: a zero inside ends it.
  p.GadgetAddItem(kList, -1, std::u16string(u"before\0after", 12));
  EXPECT_CALL_RESULT(p.GadgetItemText(kList, 6), u"before");
}

TYPED_TEST(PlatformContract, NumbersWithoutGadgetAnswerNothing) {
  Platform& p = this->P();
  for (int64_t number : {int64_t{7}, int64_t{1000}, int64_t{-5}}) {
    EXPECT_CALL_RESULT(p.GadgetGetState(number), 0);
    EXPECT_CALL_RESULT(p.GadgetItemCount(number), 0);
    EXPECT_CALL_RESULT(p.GadgetItemText(number, 0), u"");
    EXPECT_CALL_RESULT(p.GadgetAddItem(number, -1, u"x"), 0);
    p.GadgetSetText(number, u"x");
    p.GadgetSetState(number, 0);
    p.GadgetRemoveItem(number, 0);
    p.GadgetClearItems(number);
    p.GadgetSetHidden(number, 1);
    p.GadgetFocus(number);
  }
  EXPECT_CALL_RESULT(p.ListViewCreate(-5, 0, 0, 10, 10), 0);
  EXPECT_CALL_RESULT(p.EditorCreate(-5, 0, 0, 10, 10), 0);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kList), 0);
  EXPECT_CALL_RESULT(p.GadgetItemCount(kEditor), 0);
}

TYPED_TEST(PlatformContract, EditorTextIsReplacedWholeAndReadByLines) {
  Platform& p = this->P();
  p.GadgetSetText(kEditor, u"first text");
  p.GadgetSetText(kEditor, u"second");
  EXPECT_EQ(this->Items(kEditor), Texts{u"second"});
  // A line end of any kind is one line break.
  const std::u16string mixed = u"Grüße ß Ä 日本 😀";
  p.GadgetSetText(kEditor, u"one\r\n" + mixed + u"\nlone \xD800 high\r\xDC00 low");
  EXPECT_EQ(this->Items(kEditor), (Texts{u"one", mixed, u"lone \xD800 high", u"\xDC00 low"}));
  EXPECT_CALL_RESULT(p.GadgetItemText(kEditor, -1), u"");
  EXPECT_CALL_RESULT(p.GadgetItemText(kEditor, 4), u"");
  // The empty text and a missing one leave no line.
  p.GadgetSetText(kEditor, u"");
  EXPECT_CALL_RESULT(p.GadgetItemCount(kEditor), 0);
  p.GadgetSetText(kEditor, u"again");
  p.GadgetSetText(kEditor, std::u16string_view());
  EXPECT_CALL_RESULT(p.GadgetItemCount(kEditor), 0);
}

TYPED_TEST(PlatformContract, ClipboardRoundTripsTextUpToAZero) {
  Platform& p = this->P();
  const std::u16string texts[] = {u"plain",
                                  u"Grüße ß Ä 日本 😀",
                                  u"line one\r\nline two\ttabbed",
                                  std::u16string(20000, u'x') + u"end",
                                  u"lone \xD800 high, \xDC00 low",
                                  u""};
  for (const std::u16string& text : texts) {
    EXPECT_NE(p.ClipboardSetText(text), 0) << this->Said("ClipboardSetText");
    EXPECT_CALL_RESULT(p.ClipboardGetText(), text);
  }
  const std::u16string zero(u"before\0after", 12);
  EXPECT_NE(p.ClipboardSetText(zero), 0) << this->Said("ClipboardSetText");
  EXPECT_CALL_RESULT(p.ClipboardGetText(), u"before");
  this->bench.CopyText(zero);
  EXPECT_CALL_RESULT(p.ClipboardGetText(), u"before");
}

TYPED_TEST(PlatformContract, ABusyClipboardIsNotAnEmptyOne) {
  Platform& p = this->P();
  ASSERT_NE(p.ClipboardSetText(u"kept while held"), 0) << this->Said("ClipboardSetText");
  std::u16string text = u"stale";
  uint32_t sequence = 0;
  this->bench.HoldClipboard(true);
  EXPECT_CALL_RESULT(p.ClipboardGetText(), u"");
  EXPECT_CALL_RESULT(p.ClipboardSetText(u"must not land"), 0);
  EXPECT_CALL_RESULT(p.ClipboardReadText(text, sequence), false);
  EXPECT_EQ(text, u"");
  this->bench.HoldClipboard(false);
  EXPECT_CALL_RESULT(p.ClipboardReadText(text, sequence), true);
  EXPECT_EQ(text, u"kept while held");

  // Emptied by another program: read, and no text.
  const uint32_t before = p.ClipboardSequenceNumber();
  this->bench.EmptyClipboard();
  text = u"stale";
  EXPECT_CALL_RESULT(p.ClipboardReadText(text, sequence), true);
  EXPECT_EQ(text, u"");
  EXPECT_NE(sequence, before);
  EXPECT_EQ(p.ClipboardSequenceNumber(), sequence);
  EXPECT_CALL_RESULT(p.ClipboardGetText(), u"");
  // A text written then replaces nothing but the emptiness.
  EXPECT_NE(p.ClipboardSetText(u"after"), 0) << this->Said("ClipboardSetText");
  EXPECT_NE(p.ClipboardSequenceNumber(), sequence);
  EXPECT_CALL_RESULT(p.ClipboardGetText(), u"after");
}

TYPED_TEST(PlatformContract, APostedEventArrivesAfterItsMessage) {
  Platform& p = this->P();
  this->NextUntil(-1, 100);
  EXPECT_CALL_RESULT(p.EventNext(0), 0);
  EXPECT_CALL_RESULT(p.EventPost(EventMenuCommand, 0, 3, 0), 1);
  const Codes seen = this->NextUntil(EventMenuCommand);
  ASSERT_GE(seen.size(), 2u) << this->Said("EventPost");
  EXPECT_EQ(seen.back(), EventMenuCommand);
  EXPECT_GE(seen[seen.size() - 2], 0xC000) << "a registered message";
  EXPECT_LE(seen[seen.size() - 2], 0xFFFF);
  EXPECT_CALL_RESULT(p.CurrentEventItem(), 3);
}

TYPED_TEST(PlatformContract, ShortcutsAndTheHotKeyReachAWindowInFront) {
  Platform& p = this->P();
  EXPECT_CALL_RESULT(p.ShortcutAdd(5, kEscape, 2), 0u);  // no such window
  EXPECT_NE(p.ShortcutAdd(0, kEscape, 2), 0u) << this->Said("ShortcutAdd");
  p.ShortcutAdd(0, kEscape, 5);  // replaces Escape's item
  p.ShortcutAdd(0, ShortcutAlt | kReturn, 6);
  p.ShortcutAdd(0, kReturn, 0);
  ASSERT_EQ(p.RegisterHotKey(p.WindowHandle(0), 0, 0x4001, p.MapVirtualKey(0x29, 1)), 1)
      << this->Said("RegisterHotKey");
  this->ShowInFront();
  // The raw key message first, the command in a later call.
  const struct {
    int32_t shortcut;
    int64_t message;
    int64_t item;
  } keys[] = {{kEscape, NullPlatform::kMessageKeyDown, 5},
              {ShortcutAlt | kReturn, NullPlatform::kMessageSysKeyDown, 6}};
  for (const auto& key : keys) {
    this->bench.PressKey(key.shortcut);
    const Codes seen = this->NextUntil(EventMenuCommand);
    ASSERT_GE(seen.size(), 2u) << std::hex << key.shortcut;
    EXPECT_EQ(seen.back(), EventMenuCommand);
    EXPECT_EQ(seen[seen.size() - 2], key.message);
    EXPECT_CALL_RESULT(p.CurrentEventItem(), key.item);
  }
  // The hot key arrives as its raw message, and nothing comes of it.
  this->bench.PressHotKey();
  EXPECT_EQ(this->NextUntil(NullPlatform::kMessageHotKey).back(), NullPlatform::kMessageHotKey);
  // The close box: the raw message, then the request; the window stays.
  this->bench.RequestClose();
  const Codes closing = this->NextUntil(EventCloseRequest);
  ASSERT_GE(closing.size(), 2u);
  EXPECT_EQ(closing[closing.size() - 2], NullPlatform::kMessageClose);
  EXPECT_EQ(closing.back(), EventCloseRequest);
  for (int64_t code : closing) EXPECT_NE(code, EventMenuCommand) << "from the hot key";
  EXPECT_NE(p.WindowHandle(0), 0u);

  // Hidden, the window is not in front, and keys do not reach it.
  p.WindowSetHidden(0, 1);
  EXPECT_CALL_RESULT(p.ActiveWindowNumber(), -1);
  this->bench.PressKey(kEscape);
  for (int64_t code : this->NextUntil(EventMenuCommand, 300)) EXPECT_NE(code, EventMenuCommand);
}

}  // namespace
}  // namespace quorvel
