// Start-up, the turns of the loop, the hot key's path and the exit question.
#include "app_harness.h"

namespace quorvel::testing {
namespace {

using Loop = AppTest;

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
  EXPECT_EQ(app.State().eventCode, NullPlatform::kMessageHotKey);
  EXPECT_FALSE(platform.WindowVisible()) << "the hot key's own turn only posts";
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, NullPlatform::kMessagePostEvent);
  EXPECT_FALSE(platform.WindowVisible());
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, kEventMenuCommand);
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
  Press(ShortcutAlt | kReturn);
  platform.RequestClose();
  platform.AnswerMessage(7);  // IDNO
  platform.CopyText(u"C");    // captured in the close request's own turn
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, NullPlatform::kMessageClose);
  EXPECT_TRUE(Turn());
  EXPECT_EQ(app.State().eventCode, kEventCloseRequest);
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

}  // namespace
}  // namespace quorvel::testing
