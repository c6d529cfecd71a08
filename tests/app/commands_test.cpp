// The entry commands as the user gives them: keys in, clipboard, list and
// window state out.
#include "app_harness.h"

namespace quorvel::testing {
namespace {

class Commands : public AppTest {
 protected:
  // History A, B, C with C captured last, window shown.
  void StartWithABC() {
    StartWithHistory({{u"A", DateFromParts(2024, 5, 1, 9, 0, 0)},
                      {u"B", DateFromParts(2024, 5, 1, 10, 0, 0)},
                      {u"C", DateFromParts(2024, 5, 1, 11, 0, 0)}},
                     DateFromParts(2024, 5, 1, 13, 45, 0));
  }
  void Select(int64_t index) { platform.GadgetSetState(kListView, index); }
};

TEST_F(Commands, ReturnCopiesAMiddleEntryWhichMovesToTheEndInTheSameTurn) {
  StartWithABC();
  Select(0);
  platform.PressKey(KeyReturn);
  EXPECT_TRUE(Turn());  // the key message
  EXPECT_TRUE(Turn());  // the command and, in the same turn, the capture
  EXPECT_EQ(app.State().eventItem, kItemCopy);
  EXPECT_EQ(platform.Clipboard(), u"A");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"B", u"C", u"A"}));
  EXPECT_EQ(platform.ListItems().back(), u"A \u00AB2024-05-01 09:00:00 AM\u00BB");
  EXPECT_EQ(app.State().lastClipText, DigestOf(u"A"));
  ExpectListInStep();
}

TEST_F(Commands, ReturnOnTheLastCapturedEntryMovesNothing) {
  StartWithABC();
  Select(2);
  Press(KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"C");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B", u"C"}));
  EXPECT_EQ(platform.ListSelection(), 2);
}

TEST_F(Commands, ShiftReturnAppendsTheEntryToTheClipboardTextAsANewEntry) {
  StartWithABC();
  platform.CopyText(u"X");
  Settle();
  Select(0);
  SetTime(2024, 6, 2, 14, 0, 1);
  Press(ShortcutShift | KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"XA");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B", u"C", u"X", u"XA"}));
  EXPECT_EQ(platform.ListItems().back(), u"XA \u00AB2024-06-02 02:00:01 PM\u00BB");
  ExpectListInStep();
}

TEST_F(Commands, ShiftReturnWithoutClipboardTextCopiesTheEntryAlone) {
  StartWithABC();
  platform.CopyImage();
  Settle();
  Select(0);
  Press(ShortcutShift | KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"A");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"B", u"C", u"A"}));
  // With text on the clipboard again, the entry is joined to it.
  Copy(u"B");
  Select(0);  // C
  Press(ShortcutShift | KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"BC");
  EXPECT_EQ(Texts().back(), u"BC");
}

TEST_F(Commands, CommandsOnEntriesNeedAValidSelection) {
  StartWithABC();
  platform.GadgetSetState(kListView, -1);
  const auto before = platform.ListItems();
  for (int32_t key : {KeyReturn, ShortcutShift | KeyReturn, ShortcutShift | KeyDelete,
                      ShortcutAlt | KeyReturn}) {
    Press(key);
  }
  EXPECT_EQ(platform.ListItems(), before);
  EXPECT_EQ(platform.Clipboard(), u"C");
  EXPECT_EQ(app.State().previewShown, 0);
  EXPECT_TRUE(platform.GadgetVisible(kListView));
}

TEST_F(Commands, ShiftDeleteRemovesTheEntryAndAStillCopiedTextStaysAway) {
  StartWithABC();
  Select(1);
  Press(ShortcutShift | KeyDelete);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"C"}));
  ExpectListInStep();
  Select(1);
  Press(ShortcutShift | KeyDelete);
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  EXPECT_EQ(platform.ListSelection(), -1);
  // C is still on the clipboard and still the last captured text.
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Turn());
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  // It comes back only after another text was captured in between.
  Copy(u"D");
  Copy(u"C");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"D", u"C"}));
  ExpectListInStep();
}

TEST_F(Commands, AltDeleteClearsWithoutAskingAlsoWhenEmptyAndInThePreview) {
  Start();
  ShowWindow();
  Press(ShortcutAlt | KeyDelete);  // empty history: nothing happens
  EXPECT_TRUE(platform.ListItems().empty());
  EXPECT_TRUE(platform.MessageCalls().empty());
  Copy(u"A");
  Copy(u"B");
  Press(ShortcutAlt | KeyReturn);
  Press(ShortcutAlt | KeyDelete);
  EXPECT_TRUE(platform.ListItems().empty());
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(platform.EditorText(), u"A") << "the editor keeps its text";
  EXPECT_TRUE(platform.MessageCalls().empty());
  // The text still on the clipboard is not captured again.
  Settle();
  EXPECT_TRUE(Texts().empty());
}

TEST_F(Commands, AltReturnShowsTheFullTextAndGoesBack) {
  Start();
  Copy(u"line one\r\nline two");
  ShowWindow();
  Press(ShortcutAlt | KeyReturn);
  EXPECT_EQ(app.State().previewShown, 1);
  EXPECT_EQ(platform.EditorText(), u"line one\rline two") << "without the stamp";
  EXPECT_FALSE(platform.GadgetVisible(kListView));
  EXPECT_TRUE(platform.GadgetVisible(kEditor));
  EXPECT_EQ(platform.FocusedGadget(), kEditor);
  Press(ShortcutAlt | KeyReturn);
  EXPECT_EQ(app.State().previewShown, 0);
  EXPECT_TRUE(platform.GadgetVisible(kListView));
  EXPECT_FALSE(platform.GadgetVisible(kEditor));
  EXPECT_EQ(platform.FocusedGadget(), kListView);
}

TEST_F(Commands, AltReturnOnAHugeEntryShowsItsBeginningAndReturnCopiesAllOfIt) {
  Start();
  std::u16string huge(3000000, u'x');
  huge.front() = u'<';
  huge.back() = u'>';
  Copy(huge);
  Copy(u"other");
  ShowWindow();
  Select(0);
  Press(ShortcutAlt | KeyReturn);
  const std::u16string& shown = platform.EditorText();
  EXPECT_LT(shown.size(), size_t{200000});
  EXPECT_EQ(shown.front(), u'<');
  EXPECT_NE(shown.find(u"more characters are not shown"), std::u16string::npos);
  Press(KeyReturn);
  EXPECT_EQ(platform.Clipboard(), huge);
}

TEST_F(Commands, LeavingThePreviewNeedsNoSelection) {
  StartWithABC();
  Select(0);
  Press(ShortcutAlt | KeyReturn);
  Press(ShortcutShift | KeyDelete);  // deletes A, the selected entry, in the preview
  EXPECT_EQ(platform.ListSelection(), -1);
  Press(ShortcutAlt | KeyReturn);
  EXPECT_EQ(app.State().previewShown, 0);
  EXPECT_TRUE(platform.GadgetVisible(kListView));
}

TEST_F(Commands, EscapeHidesAndTheHotKeyBringsBackTheSameClientState) {
  StartWithABC();
  Select(1);
  Press(ShortcutAlt | KeyReturn);
  Press(KeyEscape);
  EXPECT_FALSE(platform.WindowVisible());
  EXPECT_EQ(app.State().windowHidden, 1);
  EXPECT_EQ(app.State().previewShown, 1);
  platform.PressHotKey();
  Settle();
  EXPECT_TRUE(platform.WindowVisible());
  EXPECT_TRUE(platform.WindowZoomed());
  EXPECT_EQ(platform.ForegroundWindow(), 0);
  EXPECT_TRUE(platform.GadgetVisible(kEditor));
  EXPECT_EQ(platform.EditorText(), u"B");
  EXPECT_EQ(platform.ListSelection(), 1);
}

TEST_F(Commands, TheHotKeyTogglesByVisibilityAndForeground) {
  Start();
  // Hidden → shown, in front.
  ShowWindow();
  EXPECT_EQ(platform.ForegroundWindow(), 0);
  // Shown in front → hidden.
  platform.PressHotKey();
  Settle();
  EXPECT_FALSE(platform.WindowVisible());
  // Shown behind another program → stays shown and comes to the front.
  ShowWindow();
  platform.ActivateOtherProgram();
  platform.PressHotKey();
  Settle();
  EXPECT_TRUE(platform.WindowVisible());
  EXPECT_EQ(platform.ForegroundWindow(), 0);
  EXPECT_EQ(app.State().windowHidden, 0);
  platform.PressHotKey();
  Settle();
  EXPECT_FALSE(platform.WindowVisible());
}

}  // namespace
}  // namespace quorvel::testing
