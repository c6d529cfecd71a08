// Start-up, the turns of the loop, the hot key's path and the exit question.
#include <map>

#include "app_harness.h"

namespace quorvel::testing {
namespace {

using Loop = AppTest;
using HotKeys = std::map<int32_t, uint32_t>;  // id to virtual key

constexpr uint32_t kGermanKeyLeftOf1 = 0xDC;  // VK_OEM_5, ^
constexpr uint32_t kFrenchKeyLeftOf1 = 0xDE;  // VK_OEM_7, ²

TEST_F(Loop, StartUpOpensAHiddenWindowWithTheListFocusedAndTheEditorHidden) {
  Start();
  EXPECT_TRUE(platform.RuntimeStarted());
  EXPECT_TRUE(platform.WindowOpenNow());
  EXPECT_FALSE(platform.WindowVisible());
  EXPECT_TRUE(platform.WindowZoomed());
  EXPECT_TRUE(platform.GadgetVisible(kListView));
  EXPECT_FALSE(platform.GadgetVisible(kEditor));
  EXPECT_EQ(platform.FocusedGadget(), kListView);
  EXPECT_TRUE(platform.HotKeyRegistered());
  EXPECT_EQ(app.State().windowHidden, 1);
  EXPECT_EQ(app.State().previewShown, 0);
  EXPECT_EQ(platform.ClipboardReads(), 0) << "the clipboard is read only by the loop";
}

TEST_F(Loop, TheHotKeyTogglesTheWindowTwoTurnsAfterItsMessage) {
  Start();
  platform.PressHotKey();
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, MessageHotKey);
  EXPECT_FALSE(platform.WindowVisible()) << "the hot key's own turn only posts";
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, NullPlatform::kMessagePostEvent);
  EXPECT_FALSE(platform.WindowVisible());
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, EventMenuCommand);
  EXPECT_EQ(app.State().eventItem, kItemToggle);
  EXPECT_TRUE(platform.WindowVisible());
  EXPECT_EQ(platform.ForegroundWindow(), 0);
}

TEST_F(Loop, EveryTurnCapturesEvenWhenNothingArrives) {
  Start();
  platform.CopyText(u"A");
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, 0);
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  // The read buffer keeps no second copy of the captured text.
  EXPECT_TRUE(app.State().clipText.empty());
}

TEST_F(Loop, CloseAnsweredNoKeepsEverything) {
  Start();
  Copy(u"A");
  Copy(u"B");
  ShowWindow();
  Press(ShortcutAlt | KeyReturn);
  platform.RequestClose();
  platform.AnswerMessage(7);  // IDNO
  platform.CopyText(u"C");    // captured in the close request's own turn
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, NullPlatform::kMessageClose);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, EventCloseRequest);
  ASSERT_EQ(platform.MessageCalls().size(), 1u);
  EXPECT_EQ(platform.MessageCalls()[0].title, u"Really exit?");
  EXPECT_EQ(platform.MessageCalls()[0].text, u"Are you sure you wish to exit?");
  EXPECT_EQ(platform.MessageCalls()[0].flags, 52);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B", u"C"}));
  EXPECT_TRUE(platform.WindowVisible());
  EXPECT_FALSE(platform.GadgetVisible(kListView));
  EXPECT_EQ(platform.EditorText(), u"A");
  EXPECT_EQ(platform.ListSelection(), 0);
}

TEST_F(Loop, CloseAnsweredYesEndsWithExitCodeZeroAfterThatTurnsCapture) {
  Start();
  platform.RequestClose();
  platform.AnswerMessage(6);  // IDYES
  EXPECT_TRUE(Turn());
  platform.CopyText(u"last");
  EXPECT_FALSE(Turn());
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"last"});
  EXPECT_EQ(app.Shutdown(), 0);
  EXPECT_FALSE(platform.WindowOpenNow());
  EXPECT_FALSE(platform.RuntimeStarted());
}

TEST_F(Loop, HotKeyFailureShowsTheErrorAndEndsWithoutTheLoop) {
  platform.TakeHotKey();
  platform.CopyText(u"on the clipboard");
  platform.RequestClose();
  EXPECT_EQ(app.Run(), 0);
  ASSERT_EQ(platform.MessageCalls().size(), 1u);
  EXPECT_EQ(platform.MessageCalls()[0].title, u"error");
  EXPECT_EQ(platform.MessageCalls()[0].text, u"Cannot register hotkey.");
  EXPECT_EQ(platform.MessageCalls()[0].flags, 16);
  EXPECT_EQ(platform.ClipboardReads(), 0) << "the loop never ran";
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(platform.ListItems().size(), 0u);
  EXPECT_FALSE(platform.WindowOpenNow());
}

TEST_F(Loop, RunEndsWhenTheUserConfirmsTheExit) {
  platform.CopyText(u"A");
  platform.RequestClose();
  platform.AnswerMessage(6);
  EXPECT_EQ(app.Run(), 0);
  ASSERT_EQ(platform.MessageCalls().size(), 1u);
  EXPECT_EQ(platform.MessageCalls()[0].title, u"Really exit?");
  // Two turns (the close message, the request) ran the capture step; only the
  // first found the clipboard changed and opened it.
  EXPECT_EQ(platform.ClipboardReads(), 1);
  EXPECT_TRUE(Texts().empty()) << "nothing of the history survives";
  EXPECT_FALSE(platform.WindowOpenNow());
}

TEST_F(Loop, TheHotKeyMovesWithTheLayoutInFrontAskingAtMostEveryTenthOfASecond) {
  Start();
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{0, KeyOem3}}));
  // An unchanged layout: each idle turn waits 1 ms, and the system is asked
  // once per 100 ms and nothing is registered again.
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(Turn());
  EXPECT_EQ(platform.LayoutQuestions(), 10);
  EXPECT_EQ(platform.HotKeyCalls(), 1) << "start-up's registration only";

  platform.SwitchLayout(kGermanKeyLeftOf1);
  platform.PassTime(99);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.LayoutQuestions(), 11);
  // The new key is taken under an id of its own before the old one goes.
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{1, kGermanKeyLeftOf1}}));
  EXPECT_EQ(platform.HotKeyCalls(), 3);
  ShowWindow();
}

TEST_F(Loop, ARefusedKeyKeepsTheOldOneAndIsTriedAgainOnlyAfterTheNextLayoutChange) {
  platform.TakeHotKey(kGermanKeyLeftOf1);
  platform.TakeHotKey(KeyOemEnlw);
  Start();
  platform.SwitchLayout(kGermanKeyLeftOf1);
  platform.PassTime(100);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{0, KeyOem3}}));
  EXPECT_EQ(platform.HotKeyCalls(), 2);
  platform.PassTime(1000);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.HotKeyCalls(), 2) << "tried again in the same layout";
  // A layout that needs two keys, one of them held elsewhere: neither is kept.
  platform.SwitchLayout(KeyOemAuto);
  platform.PassTime(100);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{0, KeyOem3}}));
  platform.SwitchLayout(kFrenchKeyLeftOf1);
  platform.PassTime(100);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{1, kFrenchKeyLeftOf1}}));
  EXPECT_TRUE(platform.MessageCalls().empty()) << "a refused key is not reported";
}

TEST_F(Loop, AJapaneseLayoutsTwoAlternatingKeysAreBothRegistered) {
  platform.SwitchLayout(KeyOemAuto);
  Start();
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{0, KeyOemAuto}}));
  platform.PassTime(100);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.HotKeys(), (HotKeys{{0, KeyOemAuto}, {1, KeyOemEnlw}}));
  // One press gives each key in turn; both toggle the window.
  ShowWindow();
  platform.PressHotKey();
  Settle();
  EXPECT_FALSE(platform.WindowVisible());
}

}  // namespace
}  // namespace quorvel::testing
