// Find: the prompt, then stepping through matching lines both ways.
#include "app_harness.h"

namespace quorvel::testing {
namespace {

class Find : public AppTest {
 protected:
  // Stamps that searches for a year or for AM and PM tell apart.
  void StartWithFruit() {
    const int64_t morning2023 = DateFromParts(2023, 3, 4, 8, 0, 0);
    const int64_t afternoon2024 = DateFromParts(2024, 7, 9, 15, 0, 0);
    StartWithHistory(
        {{u"apple", morning2023}, {u"Banana", afternoon2024}, {u"pineapple", afternoon2024}});
  }
  void Search(std::u16string_view text) {
    platform.AnswerInput(text);
    Press(ShortcutControl | 'F');
  }
};

TEST_F(Find, StepsForwardAndBackWithoutWrapping) {
  StartWithFruit();
  Search(u"APP");
  ASSERT_EQ(platform.InputCalls().size(), 1u);
  EXPECT_EQ(platform.InputCalls()[0].title, u"find");
  EXPECT_EQ(platform.InputCalls()[0].text, u"");
  EXPECT_EQ(platform.ListSelection(), 0);
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 2);
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 2);
  Press(ShortcutShift | KeyF3);
  EXPECT_EQ(platform.ListSelection(), 0);
  Press(ShortcutShift | KeyF3);
  EXPECT_EQ(platform.ListSelection(), 0);
  EXPECT_EQ(app.State().searchText, u"APP");
}

// Ctrl+F selects the first matching line from the top, whatever was selected,
// or keeps the selection; a line matches with its stamp, across the seam.
TEST_F(Find, CtrlFSelectsTheFirstMatchingLineFromTheTop) {
  StartWithFruit();
  const struct {
    int64_t before;
    const char16_t* search;
    int64_t after;
  } cases[] = {
      {2, u"a", 0},       {1, u"cherry", 1}, {0, u"2024", 1},
      {1, u"am", 0},  // only apple was captured in the morning
      {0, u"pm\u00BB", 1}, {0, u"BANANA \u00AB2024", 1}, {1, u"apple \u00AB2023", 0},
  };
  for (const auto& c : cases) {
    platform.GadgetSetState(kListView, c.before);
    Search(c.search);
    EXPECT_EQ(platform.ListSelection(), c.after)
        << ::testing::PrintToString(std::u16string(c.search));
  }
  EXPECT_TRUE(platform.MessageCalls().empty());
  EXPECT_EQ(platform.InputCalls().back().text, u"") << "the last search is not offered";
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 0) << "pineapple was stamped in 2024";
}

TEST_F(Find, SearchesTheWholeTextOfAnEntryWhoseLineIsCut) {
  Start();
  Copy(u"short");
  std::u16string longText(kLineTextLimit + 10, u'x');
  longText.replace(kLineTextLimit + 2, 6, u"needle");
  Copy(longText);
  Copy(u"last");
  ShowWindow();
  Search(u"NEEDLE");
  EXPECT_EQ(platform.ListSelection(), 1);
  // Where the cut line and the whole line differ, the whole line counts.
  platform.GadgetSetState(kListView, 0);
  Search(u"\u2026");
  EXPECT_EQ(platform.ListSelection(), 0);
  Search(u"xx \u00AB2024");
  EXPECT_EQ(platform.ListSelection(), 1);
}

TEST_F(Find, F3BeforeAnySearchOrAfterACancelledPromptDoesNothing) {
  StartWithFruit();
  platform.GadgetSetState(kListView, 1);
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 1);
  EXPECT_TRUE(platform.InputCalls().empty());
  Search(u"apple");
  platform.GadgetSetState(kListView, 1);
  Press(ShortcutControl | 'F');  // no answer scripted: cancelled
  EXPECT_EQ(app.State().searchText, u"");
  Press(KeyF3);
  Press(ShortcutShift | KeyF3);
  EXPECT_EQ(platform.ListSelection(), 1);
}

TEST_F(Find, WithNothingSelectedF3StartsAtTheTopAndShiftF3FindsNothing) {
  StartWithFruit();
  Search(u"pine");
  platform.GadgetSetState(kListView, -1);
  Press(ShortcutShift | KeyF3);
  EXPECT_EQ(platform.ListSelection(), -1);
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 2);
}

TEST_F(Find, IgnoresCaseBeyondAscii) {
  Start();
  Copy(u"STRASSE");
  Copy(u"Ärger");
  Copy(u"straße");
  ShowWindow();
  Search(u"äRGER");
  EXPECT_EQ(platform.ListSelection(), 1);
  Search(u"STRAßE");
  EXPECT_EQ(platform.ListSelection(), 2) << "ß does not match SS";
}

// Texts held one byte a unit in a run of 128 units other than Latin-1's, and
// one that mixes runs and is held two bytes a unit.
TEST_F(Find, SearchesTextsHeldInEveryForm) {
  Start();
  Copy(u"Привет мир");
  Copy(u"«мир»");
  // Past the stretches the search reads such a text in, across their edges.
  std::u16string longText(100000, u'ж');
  longText.replace(32768 - 3, 6, u"иглаxy");
  longText.replace(65536 + 32768 - 1, 3, u"ёжЁ");
  Copy(longText);
  ShowWindow();
  Search(u"пРИВЕТ М");
  EXPECT_EQ(platform.ListSelection(), 0);
  Search(u"МИР»");
  EXPECT_EQ(platform.ListSelection(), 1);
  Search(u"ИГЛАXY");
  EXPECT_EQ(platform.ListSelection(), 2);
  Search(u"ЖЁЖЁЖ");
  EXPECT_EQ(platform.ListSelection(), 2);
  Search(u"ЖЖ «20");
  EXPECT_EQ(platform.ListSelection(), 2);
  Search(u"жжжжиглаxЖ");
  EXPECT_EQ(platform.ListSelection(), 2) << "no match: the selection stays";
  // Read back exactly, in the list too.
  EXPECT_EQ(Texts()[2], longText);
  EXPECT_EQ(Texts()[1], u"«мир»");
  ExpectListInStep();
}

TEST_F(Find, WorksOnTheHiddenListDuringThePreview) {
  StartWithFruit();
  platform.GadgetSetState(kListView, 1);
  Press(ShortcutAlt | KeyReturn);
  Search(u"pineapple");
  EXPECT_EQ(platform.ListSelection(), 2);
  EXPECT_EQ(platform.EditorText(), u"Banana");
  EXPECT_TRUE(platform.GadgetVisible(kEditor));
  // The found entry can then be copied from the preview.
  Press(KeyReturn);
  EXPECT_EQ(platform.Clipboard(), u"pineapple");
}

TEST_F(Find, FindsEntriesCapturedAfterThePrompt) {
  StartWithFruit();
  // F3 searches the list as it is now, not as it was at the prompt.
  Search(u"kiwi");
  Copy(u"kiwi");
  Press(KeyF3);
  EXPECT_EQ(platform.ListSelection(), 3);
}

}  // namespace
}  // namespace quorvel::testing
