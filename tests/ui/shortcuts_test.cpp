// Accelerator rows of a window's shortcut table and the Tab choices.
#include "ui/shortcuts.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

TEST(ShortcutRow, ModifierBitsBecomeFVirtAndTheItemIsCutTo16Bits) {
  struct Case {
    int32_t shortcut, item;
    ShortcutRow expected;
  };
  const Case cases[] = {
      {13, 0, {3, 13, 0}},                                   // Return
      {0x1000D, 1, {7, 13, 1}},                              // Shift+Return
      {27, 2, {3, 27, 2}},                                   // Escape
      {0x4000D, 6, {0x13, 13, 6}},                           // Alt+Return
      {0x1002E, 4, {7, 0x2E, 4}},                            // Shift+Delete
      {0x4002E, 5, {0x13, 0x2E, 5}},                         // Alt+Delete
      {0x20046, 7, {0xB, 0x46, 7}},                          // Ctrl+F
      {0x72, 8, {3, 0x72, 8}},                               // F3
      {0x10072, 9, {7, 0x72, 9}},                            // Shift+F3
      {0x70041, 1, {0x1F, 0x41, 1}},                         // all three
      {0x80041, 0x12345, {3, 0x41, 0x2345}},                 // unknown bit ignored
      {0x1FFFF, -1, {7, 0xFFFF, 0xFFFF}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortcutRowFor(c.shortcut, c.item), c.expected) << std::hex << c.shortcut;
  }
}

TEST(ShortcutTable, StartsWithTheTwoTabRows) {
  const ShortcutTable table;
  const std::vector<ShortcutRow> expected = {{3, 9, 64001}, {7, 9, 64002}};
  EXPECT_EQ(table.Rows(), expected);
  EXPECT_EQ(table.Count(), 2);
}

// Rows append in the order added; the same keys again, modifiers included,
// replace the command in place.
TEST(ShortcutTable, ASecondAddOfTheSameKeysReplacesTheCommandInPlace) {
  ShortcutTable table;
  table.Add(27, 2);
  table.Add(13, 0);
  table.Add(27, 5);
  const std::vector<ShortcutRow> expected = {
      {3, 9, 64001}, {7, 9, 64002}, {3, 27, 5}, {3, 13, 0}};
  EXPECT_EQ(table.Rows(), expected);

  table.Add(9, 40);                  // replaces the built-in Tab
  table.Add(ShortcutShift | 9, 41);  // and Shift+Tab
  table.Add(ShortcutControl | 9, 42);
  EXPECT_EQ(table.Rows()[0], (ShortcutRow{3, 9, 40}));
  EXPECT_EQ(table.Rows()[1], (ShortcutRow{7, 9, 41}));
  EXPECT_EQ(table.Rows().back(), (ShortcutRow{0xB, 9, 42}));
  EXPECT_EQ(table.Count(), 5);
}

TEST(Tab, RichEditClassNames) {
  EXPECT_TRUE(IsRichEditClassName(u"RichEdit20W"));
  EXPECT_TRUE(IsRichEditClassName(u"RICHEDIT50W"));
  EXPECT_TRUE(IsRichEditClassName(u"RichEdit"));
  EXPECT_TRUE(IsRichEditClassName(u"RICHTEXT"));  // only four letters are compared
  EXPECT_FALSE(IsRichEditClassName(u"richedit20w"));
  EXPECT_FALSE(IsRichEditClassName(u"Rich"));
  EXPECT_FALSE(IsRichEditClassName(u"Edit"));
  EXPECT_FALSE(IsRichEditClassName(u"SysListView32"));
  EXPECT_FALSE(IsRichEditClassName(u""));
}

TEST(Tab, FocusStepWrapsAtBothEnds) {
  struct Case {
    int32_t count, current;
    bool none, forward;
    int32_t expected;
  };
  const Case cases[] = {
      {3, 0, false, true, 1},  {3, 2, false, true, 0},   {3, -1, true, true, 0},
      {3, -1, false, true, -1},  // focus on a control that is no tab stop
      {3, 1, false, false, 0}, {3, 0, false, false, 2}, {3, -1, true, false, 2},
      {3, -1, false, false, 2}, {1, 0, false, true, 0},  {1, 0, false, false, 0},
      {0, -1, true, true, -1}, {0, -1, true, false, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FocusStepTarget(c.count, c.current, c.none, c.forward), c.expected)
        << c.count << " " << c.current << " " << c.none << " " << c.forward;
  }
}

}  // namespace
}  // namespace quorvel
