// The event queue: order, coalescing with the tail, suppression, discarding,
// the current event after a dequeue, and the binding keys.
#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace quorvel {
namespace {

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
  queue.EventRaise(EventMenuCommand, 4, 0, 0, 0);
  queue.EventRaise(EventCloseRequest, 0, 0, 0, 0);
  queue.EventRaise(EventGadgetNotify, 7, 2, EventTypeChange, 0);

  EXPECT_EQ(queue.Dequeue(), EventMenuCommand);
  EXPECT_EQ(queue.CurrentEvent().object, 4);
  EXPECT_EQ(queue.Dequeue(), EventCloseRequest);
  EXPECT_EQ(queue.Dequeue(), EventGadgetNotify);
  EXPECT_TRUE((queue.CurrentEvent() == Event{EventGadgetNotify, 2, 7, EventTypeChange}));
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
      {"same event twice", {{13101, 0, 3, 0}, {13101, 0, 3, 0}}, 1},
      {"A B A", {{13101, 0, 3, 0}, {13116, 0, 0, 0}, {13101, 0, 3, 0}}, 3},
      {"other object", {{13101, 0, 3, 0}, {13101, 0, 4, 0}}, 2},
      {"other window", {{13101, 0, 3, 0}, {13101, 1, 3, 0}}, 2},
      {"other type", {{13100, 0, 3, 0}, {13100, 0, 3, 768}}, 2},
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
  queue.EventRaise(13101, 3, 0, 0, 0);
  ASSERT_EQ(queue.Dequeue(), 13101);
  queue.EventRaise(13101, 3, 0, 0, 0);
  EXPECT_EQ(queue.Size(), 1u);
}

TEST(EventQueue, SuppressionDropsAllButUnsuppressedRaises) {
  EventQueue queue;
  queue.EventSuppressBegin();
  queue.EventSuppressBegin();  // nested, as gadget operations may be
  queue.EventRaise(EventGadgetNotify, 0, 0, EventTypeChange, 0);
  queue.EventRaise(EventMenuCommand, 3, 0, 0, EventFlagUnsuppressed);
  queue.EventSuppressEnd();
  queue.EventRaise(EventGadgetNotify, 1, 0, EventTypeChange, 0);
  EXPECT_EQ(Codes(queue), std::vector<int32_t>{EventMenuCommand});
  queue.EventSuppressEnd();
  queue.EventRaise(EventGadgetNotify, 2, 0, EventTypeChange, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{EventMenuCommand, EventGadgetNotify}));
  EXPECT_EQ(queue.SuppressCount(), 0);
}

TEST(EventQueue, DiscardMatchesFieldsWithMinusOneAsWildcard) {
  auto fill = [](EventQueue& queue) {
    queue.EventRaise(13100, 0, 0, 768, 0);
    queue.EventRaise(13118, 0, 0, 0, 0);
    queue.EventRaise(13100, 1, 0, 768, 0);
    queue.EventRaise(13100, 0, 1, 0, 0);
    queue.EventRaise(13118, 0, 1, 0, 0);
  };
  struct Case {
    int32_t code;
    int64_t object, window, type;
    std::vector<int32_t> left;
  };
  const Case cases[] = {
      {13100, 0, -1, -1, {13118, 13100, 13118}},
      {13118, 0, 0, 0, {13100, 13100, 13100, 13118}},
      {-1, -1, 1, -1, {13100, 13118, 13100}},
      {-1, -1, -1, 768, {13118, 13100, 13118}},
      {-1, -1, -1, -1, {}},
      {13101, -1, -1, -1, {13100, 13118, 13100, 13100, 13118}},
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
  queue.EventRaise(13116, 0, 0, 0, 0);
  queue.EventRaise(13118, 0, 0, 0, 0);
  queue.EventDiscard(13118, 0, 0, 0);
  queue.EventRaise(13101, 1, 0, 0, 0);
  EXPECT_EQ(Codes(queue), (std::vector<int32_t>{13116, 13101}));
}

TEST(EventQueue, DiscardWindowRemovesEveryEventOfThatWindowOnly) {
  EventQueue queue;
  queue.EventRaise(13116, 0, 0, 0, 0);
  queue.EventRaise(13116, 1, 1, 0, 0);
  queue.EventRaise(13118, 0, 0, 0, 0);
  queue.EventRaise(13104, 0, -1, 0, 0);
  queue.EventDiscardWindow(0);
  const std::vector<Event> left = queue.Snapshot();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].window, 1);
  EXPECT_EQ(left[1].window, -1);
}

TEST(EventQueue, EmptyDequeueResetsCodeAndTypeButKeepsObjectAndWindow) {
  EventQueue queue;
  queue.EventRaise(13100, 5, 2, 768, 0);
  ASSERT_EQ(queue.Dequeue(), 13100);
  EXPECT_EQ(queue.CurrentEvent().type, 768);
  EXPECT_EQ(queue.Dequeue(), 0);
  EXPECT_EQ(queue.CurrentEvent().code, 0);
  EXPECT_EQ(queue.CurrentEvent().type, -1);
  EXPECT_EQ(queue.CurrentEvent().object, 5);
  EXPECT_EQ(queue.CurrentEvent().window, 2);
}

TEST(EventBindings, KeysAreFormattedAsSignedDecimals) {
  EXPECT_EQ(EventBindingTable::Key(13101, 0, 3, 0), "13101:0:3:0");
  EXPECT_EQ(EventBindingTable::Key(-5, -1, -2, std::numeric_limits<int64_t>::min()),
            "-5:-1:-2:-9223372036854775808");
  EXPECT_EQ(EventBindingTable::Key(std::numeric_limits<int32_t>::min(), 0,
                                   std::numeric_limits<int64_t>::max(), 0),
            "-2147483648:0:9223372036854775807:0");
}

TEST(EventBindings, LooksUpFiveKeysMostSpecificFirst) {
  const std::vector<std::string> expected = {"13100:2:7:768", "13100:2:7:-1", "13100:2:-1:-1",
                                             "13100:-1:-1:-1", "13100:-1:7:768"};
  EXPECT_EQ(EventBindingTable::LookupKeys({13100, 2, 7, 768}), expected);
}

TEST(EventBindings, RunInKeyOrderWithTheEventAsCurrentAndRestoreIt) {
  EventQueue queue;
  std::vector<std::string> calls;
  const std::vector<std::string> keys = {"13100:-1:7:768", "13100:-1:-1:-1", "13100:2:-1:-1",
                                         "13100:2:7:-1", "13100:2:7:768", "13100:3:7:768"};
  for (const std::string& key : keys) {
    queue.Bindings().Add(key, 2, [&calls, &queue, key] {
      calls.push_back(key + "@" + std::to_string(queue.CurrentEvent().object));
    });
  }
  queue.EventRaise(13101, 9, 0, 0, 0);
  ASSERT_EQ(queue.Dequeue(), 13101);

  queue.EventRaise(13100, 7, 2, 768, 0);
  queue.EventRaise(13100, 7, 2, 768, 0);  // coalesced, and still bound
  const std::vector<std::string> once = {"13100:2:7:768@7", "13100:2:7:-1@7", "13100:2:-1:-1@7",
                                         "13100:-1:-1:-1@7", "13100:-1:7:768@7"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(calls, twice);
  EXPECT_EQ(queue.Size(), 1u);
  EXPECT_EQ(queue.CurrentEvent().object, 9);  // restored after the callbacks

  calls.clear();
  queue.Bindings().RemoveWindow(2);
  queue.EventRaise(13100, 7, 2, 0, 0);
  EXPECT_TRUE(calls.empty());
}

TEST(EventBindings, SuppressedEventsAreNotBound) {
  EventQueue queue;
  int calls = 0;
  queue.Bindings().Add("13100:-1:-1:-1", 0, [&calls] { ++calls; });
  queue.EventSuppressBegin();
  queue.EventRaise(13100, 0, 0, 0, 0);
  queue.EventSuppressEnd();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace quorvel
