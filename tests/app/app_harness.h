// Runs the application on the portable platform, one turn at a time.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/application.h"
#include "runtime/date.h"
#include "ui/null_platform.h"

namespace quorvel::testing {

class AppTest : public ::testing::Test {
 protected:
  // 2024-05-01 13:45:00 unless a test sets another time.
  void SetUp() override { SetTime(2024, 5, 1, 13, 45, 0); }

  void SetTime(int y, int mo, int d, int h, int mi, int s) {
    platform.SetClock(DateFromParts(y, mo, d, h, mi, s));
  }

  void Start() { ASSERT_TRUE(app.Start()); }

  // One turn; false when the loop ends.
  bool Turn() { return app.Turn(); }

  // Turns until everything scripted has been delivered and handled.
  bool Settle() {
    for (int i = 0; i < 100; ++i) {
      if (!app.Turn()) return false;
      if (platform.PendingMessages() == 0 && platform.Events().Size() == 0) return true;
    }
    ADD_FAILURE() << "the loop did not settle";
    return true;
  }

  // Copies a text from another program and lets the loop capture it.
  void Copy(std::u16string_view text) {
    platform.CopyText(text);
    Settle();
  }

  void Press(int32_t shortcut) {
    platform.PressKey(shortcut);
    Settle();
  }

  // Starts with the texts captured in order, each at its own time (a date
  // value), then shows the window; the clock is then at clockAfter, or
  // stays at the last capture's time.
  struct Captured {
    std::u16string_view text;
    int64_t at;
  };
  void StartWithHistory(std::initializer_list<Captured> captures, int64_t clockAfter = kNoDate) {
    Start();
    for (const Captured& capture : captures) {
      platform.SetClock(capture.at);
      Copy(capture.text);
    }
    if (clockAfter != kNoDate) platform.SetClock(clockAfter);
    ShowWindow();
  }

  // Shows the window with the hot key (it starts hidden).
  void ShowWindow() {
    platform.PressHotKey();
    Settle();
    ASSERT_TRUE(platform.WindowVisible());
  }

  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (size_t i = 0; i < app.State().history.Size(); ++i) {
      texts.push_back(app.State().history.At(i).text());
    }
    return texts;
  }

  // The list must show one line per entry, in the same order.
  void ExpectListInStep() const {
    const auto items = platform.ListItems();
    ASSERT_EQ(items.size(), app.State().history.Size());
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i], EntryDisplayLine(app.State().history.At(i))) << "item " << i;
    }
  }

  NullPlatform platform;
  Application app{platform};
};

}  // namespace quorvel::testing
