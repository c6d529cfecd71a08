// What the editor shows of a text: the costed beginning and the closing note.
#include "ui/editor_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quorvel {
namespace {

// A text of chars units in lines of lineChars units with their CR LF (0: one
// line without breaks).
std::u16string Lines(size_t chars, size_t lineChars) {
  std::u16string text;
  text.reserve(chars);
  while (text.size() < chars) {
    if (lineChars > 0 && text.size() % lineChars == lineChars - 2) {
      text += u"\r\n";
    } else {
      text += static_cast<char16_t>(u'a' + text.size() % 26);
    }
  }
  text.resize(chars);
  return text;
}

TEST(EditorText, ShownPartFollowsTheCosts) {
  // 12 units: a character 1, a break 3, a character at column 4 or beyond 2.
  constexpr EditorTextCosts kCosts{12, 3, 4, 2};
  constexpr EditorTextCosts kShortLinesOnly{12, 3, 100, 2};
  // The k-th character of a run without a space costs k / 2 more.
  constexpr EditorTextCosts kRuns{12, 3, 100, 2, 2};
  const struct {
    EditorTextCosts costs;
    std::u16string text;
    size_t shown;
  } cases[] = {
      {kCosts, u"", 0},
      {kCosts, u"abc", 3},
      {kCosts, u"abcdefghijkl", 8},           // 4 × 1, then 4 × 2
      {kCosts, u"ab\r\ncd\r\nef", 10},        // CR LF is one break
      {kCosts, u"ab\ncd\ref", 8},             // so is a lone LF or CR
      {kCosts, u"\r\r\r\r\r", 4},
      {kCosts, u"\n\r\n\r\n\r\n\r", 7},     // LF and three CR LF; the last CR is too much
      {kCosts, u"abcdefg\rabc", 7},           // the break no longer fits
      {kCosts, u"abc\rabcd", 8},              // a line starts at column 0 again
      {kCosts, u"a\U0001F600\U0001F600\U0001F600\U0001F600", 7},  // not between a pair's halves
      {kShortLinesOnly, std::u16string(11, u'a') + u"\U0001F600", 11},
      {kShortLinesOnly, std::u16string(10, u'a') + u"\U0001F600", 12},
      {kRuns, u"abcdefg", 6},       // 1 + 1 + 2 + 2 + 3 + 3
      {kRuns, u"ab cd ef gh", 9},   // a space ends a run, and costs as its last
      {kRuns, u"ab\tcd\tef\tgh", 9},
      {kRuns, u"abcd\rabcd", 7},    // so does a line break
  };
  for (const auto& c : cases) {
    const EditorShownText result = EditorTextShown(c.text, c.costs);
    EXPECT_EQ(result.shown, std::u16string_view(c.text).substr(0, c.shown))
        << "text of " << c.text.size() << " units";
    EXPECT_EQ(result.notShown, c.text.size() - c.shown);
  }
}

TEST(EditorText, EveryShapeOfTextShowsALimitedBeginning) {
  // A text well below the budget is shown whole.
  const std::u16string small = Lines(40000, 64);
  EXPECT_EQ(EditorTextShown(small).shown.size(), small.size());

  // Large texts of every shape: a beginning within the budget, with a bounded
  // number of line breaks, and fewer characters when the lines are long.
  const std::u16string inLines = Lines(2000000, 64);
  const std::u16string oneLine = Lines(2000000, 0);
  const std::u16string breaks(2000000, u'\n');
  const EditorShownText lines = EditorTextShown(inLines);
  const EditorShownText line = EditorTextShown(oneLine);
  const EditorShownText onlyBreaks = EditorTextShown(breaks);
  for (const EditorShownText& shown : {lines, line, onlyBreaks}) {
    EXPECT_GT(shown.shown.size(), 0u);
    EXPECT_LE(shown.shown.size(), kEditorTextCosts.budget);
    EXPECT_LE(static_cast<size_t>(std::count(shown.shown.begin(), shown.shown.end(), u'\n')),
              kEditorTextCosts.budget / kEditorTextCosts.breakCost);
    EXPECT_EQ(shown.shown.size() + shown.notShown, 2000000u);
  }
  EXPECT_GT(lines.shown.size(), 50000u);  // over 750 lines of 64
  EXPECT_LT(line.shown.size(), lines.shown.size());
  EXPECT_EQ(lines.shown.data(), inLines.data());
}

TEST(EditorText, ARunWithoutASpaceShowsLessThanWords) {
  // One line each: words with a space every 37 characters, and digits.
  std::u16string words;
  std::u16string digits;
  for (size_t i = 0; i < 1000000; ++i) {
    words += i % 37 == 36 ? u' ' : static_cast<char16_t>(u'a' + i % 26);
    digits += static_cast<char16_t>(u'0' + i % 10);
  }
  EditorTextCosts withoutRuns = kEditorTextCosts;
  withoutRuns.runStep = 0;
  EXPECT_EQ(EditorTextShown(words).shown.size(), EditorTextShown(words, withoutRuns).shown.size());
  EXPECT_GT(EditorTextShown(words).shown.size(), 50000u);
  const size_t shownDigits = EditorTextShown(digits).shown.size();
  EXPECT_GT(shownDigits, 10000u);
  EXPECT_LT(shownDigits, 20000u);
}

TEST(EditorText, NoteSaysHowManyCharactersAreLeftOut) {
  EXPECT_EQ(EditorOmissionNote(0), u"");
  const struct {
    size_t notShown;
    std::u16string count;
  } cases[] = {
      {1, u"1 more character is"},
      {999, u"999 more characters are"},
      {1000, u"1,000 more characters are"},
      {49859840, u"49,859,840 more characters are"},
      {100000000000, u"100,000,000,000 more characters are"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EditorOmissionNote(c.notShown),
              u"\r\n\r\n[\u2026 " + c.count + u" not shown here. Return copies the whole entry.]");
  }
}

}  // namespace
}  // namespace quorvel
