// Capture of clipboard texts into the history, and the stamps of entries.
#include <algorithm>
#include <random>
#include <set>

#include "app_harness.h"

namespace quorvel::testing {
namespace {

using Capture = AppTest;

TEST_F(Capture, TextOnTheClipboardAtStartIsTheFirstEntryAndSelected) {
  platform.CopyText(u"already there");
  Start();
  EXPECT_TRUE(Turn());
  EXPECT_EQ(platform.ListItems(),
            std::vector<std::u16string>{u"already there \u00AB2024-05-01 01:45:00 PM\u00BB"});
  EXPECT_EQ(platform.ListSelection(), 0);
  EXPECT_FALSE(platform.WindowVisible());
}

TEST_F(Capture, KnownTextMovesToTheEndWithItsFirstStamp) {
  Start();
  SetTime(2024, 5, 1, 9, 30, 0);
  Copy(u"A");
  SetTime(2024, 5, 1, 10, 0, 0);
  Copy(u"B");
  SetTime(2024, 5, 2, 23, 7, 41);
  Copy(u"A");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"B", u"A"}));
  EXPECT_EQ(platform.ListItems().back(), u"A \u00AB2024-05-01 09:30:00 AM\u00BB");
  ExpectListInStep();
  // A was selected as the first entry; moving removes its item, and with it
  // the selection.
  EXPECT_EQ(platform.ListSelection(), -1);
}

TEST_F(Capture, TurnsWithoutTextOrWithTheSameTextChangeNothing) {
  Start();
  Copy(u"A");
  platform.CopyImage();
  Settle();
  Copy(u"A");
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"A"});
  // The same text set again by another program is not a new capture either.
  Copy(u"B");
  Copy(u"B");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  // An empty clipboard text and a busy clipboard read as no text.
  Copy(u"");
  platform.HoldClipboard(true);
  Settle();
  platform.HoldClipboard(false);
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  ExpectListInStep();
}

TEST_F(Capture, TextsAreComparedExactly) {
  Start();
  for (std::u16string_view text : {u"abc", u"ABC", u"abc ", u"abc\r\n", u"Äbc", u"äbc"}) {
    Copy(text);
  }
  EXPECT_EQ(Texts().size(), 6u);
  ExpectListInStep();
}

TEST_F(Capture, StampsUseATwelveHourClockAndALineHoldsAllOfItsText) {
  struct Case {
    int y, mo, d, h, mi, s;
    const char16_t* text;
    const char16_t* line;
  };
  const Case cases[] = {
      // Several lines are one entry on one list item.
      {2024, 5, 1, 13, 45, 0, u"first\r\nsecond\r\nthird",
       u"first\r\nsecond\r\nthird \u00AB2024-05-01 01:45:00 PM\u00BB"},
      {2024, 12, 31, 0, 5, 9, u"abc", u"abc \u00AB2024-12-31 12:05:09 AM\u00BB"},
      {2025, 1, 2, 12, 0, 0, u"x", u"x \u00AB2025-01-02 12:00:00 PM\u00BB"},
      {2025, 1, 2, 11, 59, 59, u"x y", u"x y \u00AB2025-01-02 11:59:59 AM\u00BB"},
      {2025, 1, 3, 0, 0, 0, u"midnight", u"midnight \u00AB2025-01-03 12:00:00 AM\u00BB"},
      {2025, 1, 3, 23, 7, 41, u"late", u"late \u00AB2025-01-03 11:07:41 PM\u00BB"},
  };
  Start();
  for (const Case& c : cases) {
    SetTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
    Copy(c.text);
    EXPECT_EQ(platform.ListItems().back(), c.line);
  }
  EXPECT_EQ(platform.ListItems().size(), std::size(cases));
}

TEST_F(Capture, TimeOfDayTextWithAndWithoutSeconds) {
  Start();
  SetTime(2024, 1, 1, 0, 5, 9);
  EXPECT_EQ(app.TimeOfDayText(1), u"12:05:09 AM");
  EXPECT_EQ(app.TimeOfDayText(0), u"12:05 AM");
  SetTime(2024, 1, 1, 9, 30, 0);
  EXPECT_EQ(app.TimeOfDayText(0), u"09:30 AM");
  SetTime(2024, 1, 1, 12, 0, 0);
  EXPECT_EQ(app.TimeOfDayText(1), u"12:00:00 PM");
}

TEST_F(Capture, AClockPastTheDateRangeGivesAStampThatIsPlainlyNoTime) {
  Start();
  platform.SetClock(-1);
  Copy(u"late");
  const std::u16string line = platform.ListItems().back();
  EXPECT_EQ(line, u"late \u00AB????" u"-??" u"-?? ??:??:?? ??\u00BB");
}

TEST_F(Capture, AVeryLongTextIsKeptWholeAndItsLineIsCut) {
  Start();
  std::u16string text(kLineTextLimit + 1, u'a');
  Copy(text);
  ASSERT_EQ(Texts(), std::vector<std::u16string>{text});
  const std::u16string line = platform.ListItems().at(0);
  EXPECT_EQ(line, text.substr(0, kLineTextLimit) + u"\u2026 \u00AB2024-05-01 01:45:00 PM\u00BB");
  // A text of exactly the limit is shown whole.
  text.resize(kLineTextLimit);
  Copy(text);
  EXPECT_EQ(platform.ListItems().at(1), text + u" \u00AB2024-05-01 01:45:00 PM\u00BB");
  // The cut never leaves half of a surrogate pair.
  text.replace(kLineTextLimit - 1, 1, u"\U0001F600");
  Copy(text);
  EXPECT_EQ(platform.ListItems().at(2).substr(kLineTextLimit - 2, 2), u"a\u2026");
  // Copied back, the whole text goes to the clipboard.
  ShowWindow();
  platform.GadgetSetState(kListView, 0);
  Press(KeyReturn);
  EXPECT_EQ(platform.Clipboard()->size(), kLineTextLimit + 1);
  ExpectListInStep();
}

TEST_F(Capture, AfterClearingTheNextTextIsTheOnlyEntryAndSelected) {
  Start();
  Copy(u"A");
  Copy(u"B");
  ShowWindow();
  Press(ShortcutAlt | KeyDelete);
  EXPECT_TRUE(platform.ListItems().empty());
  Copy(u"C");
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"C"});
  EXPECT_EQ(platform.ListSelection(), 0);
}

TEST_F(Capture, CapturesContinueWhileHiddenAndInThePreview) {
  Start();
  Copy(u"A");
  ShowWindow();
  Press(ShortcutAlt | KeyReturn);
  ASSERT_EQ(app.State().previewShown, 1);
  Copy(u"B");
  Press(KeyEscape);
  Copy(u"C");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B", u"C"}));
  ExpectListInStep();
  EXPECT_EQ(platform.EditorText(), u"A");
}

TEST_F(Capture, ALineTheListRefusesLeavesTheHistoryAsItWas) {
  Start();
  Copy(u"A");
  Copy(u"B");
  platform.RefuseListItems(true);
  Copy(u"C");  // new: not taken
  Copy(u"A");  // known: does not move
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B"}));
  ExpectListInStep();
  platform.RefuseListItems(false);
  Copy(u"C");  // the next change is taken
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"A", u"B", u"C"}));
  ExpectListInStep();
}

// The history against a plain list of texts through many random changes:
// equal texts, texts one byte per unit (Latin-1, Cyrillic) and two, moves, removals, clears, and
// an index that grows and closes the gaps that removals leave.
TEST(HistoryStore, FindsEveryTextAtItsPlaceThroughRandomChanges) {
  std::mt19937 random(7);
  auto someText = [&] {
    static const std::u16string kUnits = u"ab\u00E9\u0416\U0001F600";
    std::u16string text;
    const size_t length = 1 + random() % 4;
    for (size_t i = 0; i < length; ++i) text += kUnits[random() % kUnits.size()];
    return text;
  };
  HistoryList history;
  std::vector<std::u16string> model;
  for (int step = 0; step < 20000; ++step) {
    const std::u16string text = someText();
    const auto at = std::find(model.begin(), model.end(), text);
    const int64_t found = history.Find(text);
    ASSERT_EQ(found, at == model.end() ? -1 : at - model.begin()) << "step " << step;
    const unsigned action = random() % 100;
    if (action < 60) {
      if (found >= 0) {
        history.MoveToEnd(static_cast<size_t>(found));
        model.erase(at);
      } else {
        ASSERT_TRUE(history.Append(text, DigestOf(text), StampTime{}));
      }
      model.push_back(text);
    } else if (action < 99 && !model.empty()) {
      const size_t index = random() % model.size();
      history.Remove(index);
      model.erase(model.begin() + static_cast<ptrdiff_t>(index));
    } else {
      history.Clear();
      model.clear();
    }
    ASSERT_EQ(history.Size(), model.size());
  }
  for (size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(history.At(i).text(), model[i]);
    // One byte a unit when the units from 0x80 on all lie in one aligned run
    // of 128 below 0x8000.
    std::set<unsigned> runs;
    for (char16_t unit : model[i]) {
      if (unit >= 0x80) runs.insert(unit < 0x8000 ? unit / 128 : 0x10000);
    }
    ASSERT_EQ(history.At(i).BytesPerUnit(), runs.size() <= 1 && !runs.count(0x10000) ? 1u : 2u)
        << "entry " << i;
  }
}

}  // namespace
}  // namespace quorvel::testing
