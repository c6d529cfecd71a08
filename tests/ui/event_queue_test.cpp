// The event queue: order, coalescing with the tail, suppression, discarding,
// the current event after a dequeue, and the binding keys; WM_COMMAND, WM_SIZE
// and tray-icon messages turned into events, and the messages refused when
// they come from other programs.
#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "ui/foreign_messages.h"
#include "ui/message_events.h"

namespace quorvel {
namespace {

// Short names for the event codes the tables use.
constexpr int32_t kMenu = EventMenuCommand, kClose = EventCloseRequest, kGadget = EventGadgetNotify;
constexpr int32_t kResized = EventWindowResized, kMaximized = EventWindowMaximized,
                  kRestored = EventWindowRestored, kMinimized = EventWindowMinimized;
constexpr int32_t kAnyCode = 77;  // event bindings treat every code alike

bool operator==(const Event& a, const Event& b) {
  return a.code == b.code && a.window == b.window && a.object == b.object && a.type == b.type;
}

std::vector<int32_t> Codes(const EventQueue& queue) {
  std::vector<int32_t> codes;
  for (const Event& e : queue.Snapshot()) codes.push_back(e.code);
  return codes;
}

TEST(EventQueue, ReturnsEventsInRaisingOrderWithTheirFields) {
  EventQueue queue;
  queue.EventRaise(kMenu, 4, 0, 0, 0);
  queue.EventRaise(kClose, 0, 0, 0, 0);
  queue.EventRaise(kGadget, 7, 2, EventTypeChange, 0);

  EXPECT_EQ(queue.Dequeue(), kMenu);
  EXPECT_EQ(queue.CurrentEvent().object, 4);
  EXPECT_EQ(queue.Dequeue(), kClose);
  EXPECT_EQ(queue.Dequeue(), kGadget);
  EXPECT_TRUE((queue.CurrentEvent() == Event{kGadget, 2, 7, EventTypeChange}));
  EXPECT_EQ(queue.Dequeue(), 0);
  EXPECT_EQ(queue.Size(), 0u);
}

TEST(EventQueue, CoalescesOnlyAnIdenticalTailBelow65536) {
  struct Case {
    const char* name;
    std::vector<Event> raised;  // code, window, object, type
    size_t queued;
  };
  const Case cases[] = {
      {"same event twice", {{kMenu, 0, 3, 0}, {kMenu, 0, 3, 0}}, 1},
      {"A B A", {{kMenu, 0, 3, 0}, {kClose, 0, 0, 0}, {kMenu, 0, 3, 0}}, 3},
      {"other object", {{kMenu, 0, 3, 0}, {kMenu, 0, 4, 0}}, 2},
      {"other window", {{kMenu, 0, 3, 0}, {kMenu, 1, 3, 0}}, 2},
      {"other type", {{kGadget, 0, 3, 0}, {kGadget, 0, 3, 768}}, 2},
      {"65535 coalesces", {{65535, 0, 0, 0}, {65535, 0, 0, 0}}, 1},
      {"65536 never", {{65536, 0, 0, 0}, {65536, 0, 0, 0}, {65536, 0, 0, 0}}, 3},
      {"0xC123 coalesces", {{0xC123, 0, 0, 0}, {0xC123, 0, 0, 0}}, 1},
  };
  for (const Case& c : cases) {
    EventQueue queue;
    for (const Event& e : c.raised) queue.EventRaise(e.code, e.object, e.window, e.type, 0);
    EXPECT_EQ(queue.Size(), c.queued) << c.name;
  }
}

TEST(EventQueue, ATailDequeuedIsNoLongerCoalescedWith) {
  EventQueue queue;
  queue.EventRaise(kMenu, 3, 0, 0, 0);
  ASSERT_EQ(queue.Dequeue(), kMenu);
  queue.EventRaise(kMenu, 3, 0, 0, 0);
  EXPECT_EQ(queue.Size(), 1u);
}

TEST(EventQueue, SuppressionDropsAllButUnsuppressedRaises) {
  EventQueue queue;
  queue.EventSuppressBegin();
  queue.EventSuppressBegin();  // nested, as gadget operations may be
  queue.EventRaise(kGadget, 0, 0, EventTypeChange, 0);
  queue.EventRaise(kMenu, 3, 0, 0, EventFlagUnsuppressed);
  queue.EventSuppressEnd();
  queue.EventRaise(kGadget, 1, 0, EventTypeChange, 0);
  EXPECT_EQ(Codes(queue), std::vector<int32_t>{kMenu});
  queue.EventSuppressEnd();
  queue.EventRaise(kGadget, 2, 0, EventTypeChange, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{kMenu, kGadget}));
  EXPECT_EQ(queue.SuppressCount(), 0);
}

TEST(EventQueue, DiscardMatchesFieldsWithMinusOneAsWildcard) {
  auto fill = [](EventQueue& queue) {
    queue.EventRaise(kGadget, 0, 0, 768, 0);
    queue.EventRaise(kResized, 0, 0, 0, 0);
    queue.EventRaise(kGadget, 1, 0, 768, 0);
    queue.EventRaise(kGadget, 0, 1, 0, 0);
    queue.EventRaise(kResized, 0, 1, 0, 0);
  };
  struct Case {
    int32_t code;
    int64_t object, window, type;
    std::vector<int32_t> left;
  };
  const Case cases[] = {
      {kGadget, 0, -1, -1, {kResized, kGadget, kResized}},
      {kResized, 0, 0, 0, {kGadget, kGadget, kGadget, kResized}},
      {-1, -1, 1, -1, {kGadget, kResized, kGadget}},
      {-1, -1, -1, 768, {kResized, kGadget, kResized}},
      {-1, -1, -1, -1, {}},
      {kMenu, -1, -1, -1, {kGadget, kResized, kGadget, kGadget, kResized}},
  };
  for (const Case& c : cases) {
    EventQueue queue;
    fill(queue);
    queue.EventDiscard(c.code, c.object, c.window, c.type);
    EXPECT_EQ(Codes(queue), c.left) << c.code << " " << c.object << " " << c.window;
  }
}

TEST(EventQueue, DiscardingTheTailLetsTheNextRaiseQueue) {
  EventQueue queue;
  queue.EventRaise(kClose, 0, 0, 0, 0);
  queue.EventRaise(kResized, 0, 0, 0, 0);
  queue.EventDiscard(kResized, 0, 0, 0);
  queue.EventRaise(kMenu, 1, 0, 0, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{kClose, kMenu}));
}

TEST(EventQueue, DiscardWindowRemovesEveryEventOfThatWindowOnly) {
  EventQueue queue;
  queue.EventRaise(kClose, 0, 0, 0, 0);
  queue.EventRaise(kClose, 1, 1, 0, 0);
  queue.EventRaise(kResized, 0, 0, 0, 0);
  queue.EventRaise(EventWindowActivated, 0, -1, 0, 0);
  queue.EventDiscardWindow(0);
  const std::vector<Event> left = queue.Snapshot();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].window, 1);
  EXPECT_EQ(left[1].window, -1);
}

TEST(EventQueue, EmptyDequeueResetsCodeAndTypeButKeepsObjectAndWindow) {
  EventQueue queue;
  queue.EventRaise(kGadget, 5, 2, 768, 0);
  ASSERT_EQ(queue.Dequeue(), kGadget);
  EXPECT_EQ(queue.CurrentEvent().type, 768);
  EXPECT_EQ(queue.Dequeue(), 0);
  EXPECT_EQ(queue.CurrentEvent().code, 0);
  EXPECT_EQ(queue.CurrentEvent().type, -1);
  EXPECT_EQ(queue.CurrentEvent().object, 5);
  EXPECT_EQ(queue.CurrentEvent().window, 2);
}

TEST(EventBindings, KeysAreFormattedAsSignedDecimals) {
  EXPECT_EQ(EventBindingTable::Key(kAnyCode, 0, 3, 0), "77:0:3:0");
  EXPECT_EQ(EventBindingTable::Key(-5, -1, -2, std::numeric_limits<int64_t>::min()),
            "-5:-1:-2:-9223372036854775808");
  EXPECT_EQ(EventBindingTable::Key(std::numeric_limits<int32_t>::min(), 0,
                                   std::numeric_limits<int64_t>::max(), 0),
            "-2147483648:0:9223372036854775807:0");
}

TEST(EventBindings, LooksUpFiveKeysMostSpecificFirst) {
  const std::vector<std::string> expected = {"77:2:7:768", "77:2:7:-1", "77:2:-1:-1",
                                             "77:-1:-1:-1", "77:-1:7:768"};
  EXPECT_EQ(EventBindingTable::LookupKeys({kAnyCode, 2, 7, 768}), expected);
}

TEST(EventBindings, RunInKeyOrderWithTheEventAsCurrentAndRestoreIt) {
  EventQueue queue;
  std::vector<std::string> calls;
  const std::vector<std::string> keys = {"77:-1:7:768", "77:-1:-1:-1", "77:2:-1:-1",
                                         "77:2:7:-1", "77:2:7:768", "77:3:7:768"};
  for (const std::string& key : keys) {
    queue.Bindings().Add(key, 2, [&calls, &queue, key] {
      calls.push_back(key + "@" + std::to_string(queue.CurrentEvent().object));
    });
  }
  queue.EventRaise(kMenu, 9, 0, 0, 0);
  ASSERT_EQ(queue.Dequeue(), kMenu);

  queue.EventRaise(kAnyCode, 7, 2, 768, 0);
  queue.EventRaise(kAnyCode, 7, 2, 768, 0);  // coalesced, and still bound
  const std::vector<std::string> once = {"77:2:7:768@7", "77:2:7:-1@7", "77:2:-1:-1@7",
                                         "77:-1:-1:-1@7", "77:-1:7:768@7"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(calls, twice);
  EXPECT_EQ(queue.Size(), 1u);
  EXPECT_EQ(queue.CurrentEvent().object, 9);  // restored after the callbacks

  calls.clear();
  queue.Bindings().RemoveWindow(2);
  queue.EventRaise(kAnyCode, 7, 2, 0, 0);
  EXPECT_TRUE(calls.empty());
}

TEST(EventBindings, SuppressedEventsAreNotBound) {
  EventQueue queue;
  int calls = 0;
  queue.Bindings().Add("77:-1:-1:-1", 0, [&calls] { ++calls; });
  queue.EventSuppressBegin();
  queue.EventRaise(kAnyCode, 0, 0, 0, 0);
  queue.EventSuppressEnd();
  EXPECT_EQ(calls, 0);
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
      {"gadget notification", 0x00030000u | 5, true, 5, Kind::Raise, kGadget, 5, 3},
      {"large gadget id", 0x03000000u | 0x1234, true, 70000, Kind::Raise, kGadget, 70000, 0x300},
      {"control sending menu commands", 0x00010000u | 42, true, -10000, Kind::Raise, kMenu, 42, 0},
      {"menu", 17, false, 0, Kind::Raise, kMenu, 17, 0},
      {"menu item above 16 bits", 0x00000000FFFFu, false, 0, Kind::Raise, kMenu, 0xFFFF, 0},
      {"accelerator", 0x00010000u | 8, false, 0, Kind::Raise, kMenu, 8, 0},
      {"Tab", 0x00010000u | 64001, false, 0, Kind::FocusNext, 0, 0, 0},
      {"Shift+Tab", 0x00010000u | 64002, false, 0, Kind::FocusPrevious, 0, 0, 0},
      {"64001 from a menu is a command", 64001, false, 0, Kind::Raise, kMenu, 64001, 0},
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
  EXPECT_EQ(Codes(queue), std::vector<int32_t>{kResized});
  RaiseSizeEvents(queue, 0, kSizeMaximized, flag);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{kResized, kMaximized, kResized}));
  RaiseSizeEvents(queue, 0, kSizeRestored, flag);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{kMaximized, kRestored, kResized}));
  RaiseSizeEvents(queue, 0, kSizeMinimized, flag);
  EXPECT_EQ(flag, 1);
  RaiseSizeEvents(queue, 0, 4, flag);  // SIZE_MAXHIDE: only a resize
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{kMaximized, kRestored, kMinimized, kResized}));
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

TEST(Foreign, RefusedFromOutsideByRouteAndWindow) {
  constexpr int64_t kCallback = 0x140001000;
  struct Case {
    const char* name;
    uint32_t message;
    int64_t lParam;
    bool refusedSent;    // at the program's windows
    bool refusedPosted;  // at the program's windows
    bool refusedPrompt;  // at the find prompt, sent
  };
  const Case cases[] = {
      {"WM_NCDESTROY", 0x0082, 0, true, true, true},
      {"WM_DESTROY", 0x0002, 0, true, true, true},
      {"WM_NCCREATE", 0x0081, 0, true, true, true},
      {"WM_NOTIFY", 0x004E, 1, true, true, true},
      {"WM_DRAWITEM", 0x002B, 1, true, true, true},
      {"EM_SETWORDBREAKPROC", 0x00D0, 1, true, true, true},
      {"EM_STREAMIN", 0x0449, 1, true, true, true},
      {"EM_EXGETSEL", 0x0434, 1, true, true, true},
      {"EM_GETTEXTRANGE", 0x044B, 1, true, true, true},
      {"EM_SETOLECALLBACK", 0x0446, 1, true, true, true},
      {"the last class message", 0x7FFF, 0, true, true, true},
      {"the gadgets' private message", 13120, 1, true, true, true},
      // Changes and commands: refused at the program's windows, answered at
      // the prompt like any dialog.
      {"WM_COMMAND", 0x0111, 0, true, true, false},
      {"WM_SETTEXT", 0x000C, 0, true, true, false},
      {"WM_SETFONT", 0x0030, 0, true, true, false},
      {"WM_SETREDRAW", 0x000B, 0, true, true, false},
      {"WM_PASTE", 0x0302, 0, true, true, false},
      {"LB_RESETCONTENT", 0x0184, 0, true, true, false},
      {"LB_DELETESTRING", 0x0182, 0, true, true, false},
      {"EM_REPLACESEL", 0x00C2, 0, true, true, false},
      {"EM_POSFROMCHAR (rich edit: a pointer)", 0x00D6, 0, true, true, false},
      {"BM_CLICK", 0x00F5, 0, true, true, false},
      // Read-only questions, also inside the class ranges.
      {"WM_GETTEXT", 0x000D, 0, false, false, false},
      {"WM_GETTEXTLENGTH", 0x000E, 0, false, false, false},
      {"WM_GETOBJECT", 0x003D, -4, false, false, false},
      {"LB_GETCOUNT", 0x018B, 0, false, false, false},
      {"LB_GETTEXT", 0x0189, 0, false, false, false},
      {"LB_GETTEXTLEN", 0x018A, 0, false, false, false},
      {"LB_GETCURSEL", 0x0188, 0, false, false, false},
      {"LB_GETSEL", 0x0187, 0, false, false, false},
      {"LB_GETITEMRECT", 0x0198, 0, false, false, false},
      {"LB_ITEMFROMPOINT", 0x01A9, 0, false, false, false},
      {"LB_GETTOPINDEX", 0x018E, 0, false, false, false},
      {"LB_GETITEMHEIGHT", 0x01A1, 0, false, false, false},
      {"LB_GETCARETINDEX", 0x019F, 0, false, false, false},
      {"EM_GETSEL", 0x00B0, 0, false, false, false},
      {"EM_GETRECT", 0x00B2, 0, false, false, false},
      {"EM_GETLINECOUNT", 0x00BA, 0, false, false, false},
      {"EM_LINEINDEX", 0x00BB, 0, false, false, false},
      {"EM_LINELENGTH", 0x00C1, 0, false, false, false},
      {"EM_LINEFROMCHAR", 0x00C9, 0, false, false, false},
      {"EM_GETFIRSTVISIBLELINE", 0x00CE, 0, false, false, false},
      {"EM_GETOPTIONS", 0x044E, 0, false, false, false},
      // What the system sends when another program moves or activates a
      // window, input, and closing, which only asks.
      {"WM_ACTIVATE", 0x0006, 0, false, false, false},
      {"WM_SETFOCUS", 0x0007, 0, false, false, false},
      {"WM_KILLFOCUS", 0x0008, 0, false, false, false},
      {"WM_SIZE", 0x0005, 0, false, false, false},
      {"WM_CLOSE", 0x0010, 0, false, false, false},
      {"WM_CTLCOLORLISTBOX", 0x0134, 0, false, false, false},
      {"WM_KEYDOWN", 0x0100, 0, false, false, false},
      {"WM_HOTKEY", 0x0312, 0, false, false, false},
      {"WM_CLIPBOARDUPDATE", 0x031D, 0, false, false, false},
      {"a registered message", 0xC123, 1, false, false, false},
      {"an application message", 0x8001, 1, false, false, false},
      // Structures the system fills in: copied when sent, never posted.
      {"WM_GETMINMAXINFO", 0x0024, 1, false, true, false},
      {"WM_NCCALCSIZE", 0x0083, 1, false, true, false},
      {"WM_WINDOWPOSCHANGING", 0x0046, 1, false, true, false},
      // A posted timer message naming a callback would have it called.
      {"WM_TIMER without callback", 0x0113, 0, false, false, false},
      {"WM_TIMER with callback", 0x0113, kCallback, false, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ForeignMessageRefused(c.message, c.lParam, ForeignRoute::Sent, ForeignTarget::Window),
              c.refusedSent)
        << c.name << " sent";
    EXPECT_EQ(
        ForeignMessageRefused(c.message, c.lParam, ForeignRoute::Posted, ForeignTarget::Window),
        c.refusedPosted)
        << c.name << " posted";
    EXPECT_EQ(ForeignMessageRefused(c.message, c.lParam, ForeignRoute::Sent, ForeignTarget::Dialog),
              c.refusedPrompt)
        << c.name << " sent to the prompt";
    // Posting refuses at least what sending does, and the prompt never more
    // than the program's windows.
    EXPECT_EQ(
        ForeignMessageRefused(c.message, c.lParam, ForeignRoute::Posted, ForeignTarget::Dialog),
        c.refusedPrompt || (c.refusedPosted && !c.refusedSent))
        << c.name << " posted to the prompt";
  }
}

}  // namespace
}  // namespace quorvel
