// WM_COMMAND, WM_SIZE and tray-icon messages turned into events.
#include "ui/message_events.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

std::vector<int32_t> Codes(const EventQueue& queue) {
  std::vector<int32_t> codes;
  for (const Event& e : queue.Snapshot()) codes.push_back(e.code);
  return codes;
}

TEST(Command, ControlsMenusAndAccelerators) {
  using Kind = CommandOutcome::Kind;
  struct Case {
    const char* name;
    uint64_t wParam;
    bool fromControl;
    int64_t controlId;
    Kind kind;
    int32_t code;
    int64_t object, type;
  };
  const Case cases[] = {
      {"gadget notification", 0x00030000u | 5, true, 5, Kind::Raise, 13100, 5, 3},
      {"gadget with a large id", 0x03000000u | 0x1234, true, 70000, Kind::Raise, 13100, 70000, 0x300},
      {"control sending menu commands", 0x00010000u | 42, true, -10000, Kind::Raise, 13101, 42, 0},
      {"menu", 17, false, 0, Kind::Raise, 13101, 17, 0},
      {"menu item above 16 bits", 0x00000000FFFFu, false, 0, Kind::Raise, 13101, 0xFFFF, 0},
      {"accelerator", 0x00010000u | 8, false, 0, Kind::Raise, 13101, 8, 0},
      {"Tab", 0x00010000u | 64001, false, 0, Kind::FocusNext, 0, 0, 0},
      {"Shift+Tab", 0x00010000u | 64002, false, 0, Kind::FocusPrevious, 0, 0, 0},
      {"64001 from a menu is a command", 64001, false, 0, Kind::Raise, 13101, 64001, 0},
  };
  for (const Case& c : cases) {
    const CommandOutcome outcome = TranslateCommand(c.wParam, c.fromControl, c.controlId);
    EXPECT_EQ(outcome.kind, c.kind) << c.name;
    EXPECT_EQ(outcome.code, c.code) << c.name;
    EXPECT_EQ(outcome.object, c.object) << c.name;
    EXPECT_EQ(outcome.type, c.type) << c.name;
  }
}

TEST(Size, MaximiseRestoreAndResizeKeepOneResizePerWindow) {
  EventQueue queue;
  int32_t flag = 0;
  RaiseSizeEvents(queue, 0, kSizeRestored, flag);  // a plain resize: no restore
  EXPECT_EQ(Codes(queue), std::vector<int32_t>{13118});
  RaiseSizeEvents(queue, 0, kSizeMaximized, flag);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{13118, 13108, 13118}));
  RaiseSizeEvents(queue, 0, kSizeRestored, flag);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{13108, 13109, 13118}));
  RaiseSizeEvents(queue, 0, kSizeMinimized, flag);
  EXPECT_EQ(flag, 1);
  RaiseSizeEvents(queue, 0, 4, flag);  // SIZE_MAXHIDE: only a resize
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{13108, 13109, 13107, 13118}));
  for (const Event& e : queue.Snapshot()) {
    EXPECT_EQ(e.window, 0);
    EXPECT_EQ(e.object, 0);
  }
}

TEST(Size, AnotherWindowsResizeStays) {
  EventQueue queue;
  int32_t flag0 = 0, flag1 = 0;
  RaiseSizeEvents(queue, 1, kSizeRestored, flag1);
  RaiseSizeEvents(queue, 0, kSizeRestored, flag0);
  RaiseSizeEvents(queue, 0, kSizeRestored, flag0);
  const std::vector<Event> left = queue.Snapshot();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].window, 1);
  EXPECT_EQ(left[1].window, 0);
}

TEST(Tray, ClickKinds) {
  EXPECT_EQ(TrayClickType(513), 0);
  EXPECT_EQ(TrayClickType(516), 1);
  EXPECT_EQ(TrayClickType(515), 2);
  EXPECT_EQ(TrayClickType(518), 3);
  EXPECT_EQ(TrayClickType(514), -1);
  EXPECT_EQ(TrayClickType(512), -1);
}

}  // namespace
}  // namespace quorvel
