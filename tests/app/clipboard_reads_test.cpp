// When the capture step opens the clipboard, and what it does with content
// that another program holds open or marks private.
#include "app_harness.h"

namespace quorvel::testing {
namespace {

using ClipboardReads = AppTest;

TEST_F(ClipboardReads, AnIdleProgramDoesNotOpenTheClipboard) {
  platform.CopyText(std::u16string(1 << 20, u'x'));  // a large text sitting there
  Start();
  Settle();
  ASSERT_EQ(Texts().size(), 1u);
  const int64_t reads = platform.ClipboardReads();
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(Turn());
  EXPECT_EQ(platform.ClipboardReads(), reads);
  // Keys and window changes are not clipboard changes either.
  ShowWindow();
  Press(KeyEscape);
  EXPECT_EQ(platform.ClipboardReads(), reads);
  // The next change is read once.
  Copy(u"next");
  EXPECT_EQ(platform.ClipboardReads(), reads + 1);
  EXPECT_EQ(Texts().back(), u"next");
}

TEST_F(ClipboardReads, AChangeWhileTheClipboardIsHeldIsCapturedOnceReleased) {
  Start();
  Copy(u"A");
  platform.HoldClipboard(true);
  platform.CopyText(u"B");  // the holder changes it
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Turn());
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  platform.HoldClipboard(false);
  ASSERT_TRUE(Turn());
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  ExpectListInStep();
}

TEST_F(ClipboardReads, AWriteEndingBetweenTheLookAndTheOpenIsReadOnce) {
  Start();
  Copy(u"A");
  const int64_t reads = platform.ClipboardReads();
  // The turn sees A's number, then opens the clipboard just after another
  // program finished writing B (a large text takes that long to write).
  platform.CopyTextBeforeNextOpen(u"B");
  platform.CopyText(u"A again");  // so that the next turn looks
  ASSERT_TRUE(Turn());
  EXPECT_EQ(Texts().back(), u"B");
  EXPECT_EQ(platform.ClipboardReads(), reads + 1);
  // What was read is what the number names: no second read of B.
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Turn());
  EXPECT_EQ(platform.ClipboardReads(), reads + 1);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
}

TEST_F(ClipboardReads, TheSameTextSetAgainIsReadButCapturesNothing) {
  Start();
  Copy(u"A");
  Copy(u"B");
  const uint32_t before = platform.ClipboardSequence();
  const int64_t reads = platform.ClipboardReads();
  Copy(u"B");
  EXPECT_NE(platform.ClipboardSequence(), before);
  EXPECT_EQ(platform.ClipboardReads(), reads + 1);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  // Set again after another text, a known text still moves to the end.
  Copy(u"A");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"B", u"A"}));
}

TEST_F(ClipboardReads, PrivateContentIsNeverRecorded) {
  platform.CopyPrivateText(u"hunter2");
  Start();
  Settle();
  EXPECT_TRUE(Texts().empty());
  Copy(u"A");
  platform.CopyPrivateText(u"s3cret");
  Settle();
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  // lastClipText stayed "A": copying it again after the private text is no
  // new capture, and a private text equal to an entry does not move it.
  Copy(u"B");
  platform.CopyPrivateText(u"A");
  Settle();
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  ExpectListInStep();
}

TEST_F(ClipboardReads, AppendingToPrivateContentCopiesTheEntryAlone) {
  Start();
  Copy(u"A");
  Copy(u"B");
  platform.CopyPrivateText(u"hunter2");
  Settle();
  ShowWindow();
  platform.GadgetSetState(kListView, 0);
  Press(ShortcutShift | KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"A");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"B", u"A"}));
  for (const std::u16string& text : Texts()) {
    EXPECT_EQ(text.find(u"hunter2"), std::u16string::npos);
  }
}

}  // namespace
}  // namespace quorvel::testing
