// The generic gadget dispatch against a fake kind: look-ups, fall-backs,
// argument narrowing, suppression of the kind's own notifications, clean-up.
#include "ui/gadget_kind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel {
namespace {

// What the fake kind and the fall-backs saw. The fake raises a gadget event
// from inside every operation, as a real control's notification would, so a
// test can tell whether the dispatch suppressed it.
struct Record {
  std::vector<std::string> calls;
  std::vector<int64_t> args;
  std::u16string text;
  EventQueue* events = nullptr;
};
Record* seen = nullptr;

void Saw(const char* call, int64_t arg = 0) {
  seen->calls.push_back(call);
  seen->args.push_back(arg);
  seen->events->EventRaise(EventGadgetNotify, 7, 0, static_cast<int64_t>(seen->calls.size()), 0);
}

GadgetKind FullKind() {
  GadgetKind kind{};
  kind.number = 99;
  kind.recordSize = GadgetKindRecordSize;
  kind.Free = [](GadgetEntry&) { Saw("Free"); };
  kind.GetState = [](GadgetEntry&) -> int64_t {
    Saw("GetState");
    return 4;
  };
  kind.SetState = [](GadgetEntry&, int32_t state) { Saw("SetState", state); };
  kind.SetText = [](GadgetEntry&, std::u16string_view text) {
    seen->text = text;
    Saw("SetText");
  };
  kind.AddItem = [](GadgetEntry&, int32_t position, std::u16string_view text, int64_t) -> int64_t {
    seen->text = text;
    Saw("AddItem", position);
    return 11;
  };
  kind.RemoveItem = [](GadgetEntry&, int32_t index) { Saw("RemoveItem", index); };
  kind.ClearItems = [](GadgetEntry&) { Saw("ClearItems"); };
  kind.CountItems = [](GadgetEntry&) -> int32_t {
    Saw("CountItems");
    return -1;
  };
  kind.GetItemText = [](GadgetEntry&, int32_t index, int32_t column) -> std::u16string {
    Saw("GetItemText", index);
    return column == 0 ? u"item" : u"column";
  };
  kind.Hide = [](GadgetEntry&, int32_t hidden) { Saw("Hide", hidden); };
  kind.Focus = [](GadgetEntry&) { Saw("Focus"); };
  return kind;
}

GadgetFallbacks RecordingFallbacks() {
  return GadgetFallbacks{
      [](GadgetEntry&, bool hidden) { Saw("fallback hide", hidden ? 1 : 0); },
      [](GadgetEntry* entry) { Saw("fallback focus", entry == nullptr ? -1 : 1); },
      [](GadgetEntry&, std::u16string_view text) {
        seen->text = text;
        Saw("fallback text");
      },
  };
}

class GadgetKindTest : public testing::Test {
 protected:
  GadgetKindTest()
      : table_(
            events_, [this](int64_t number) { freed_.push_back(number); }, RecordingFallbacks()) {
    record_.events = &events_;
    seen = &record_;
  }
  ~GadgetKindTest() override { seen = nullptr; }

  GadgetEntry* Add(int64_t number, const GadgetKind& kind) {
    GadgetEntry* entry = table_.Allocate(number);
    entry->handle = &record_;  // any non-zero handle makes the entry alive
    entry->kind = &kind;
    return entry;
  }
  // Types of the fake's events that reached the queue.
  std::vector<int64_t> Queued() const {
    std::vector<int64_t> types;
    for (const Event& e : events_.Snapshot()) types.push_back(e.type);
    return types;
  }

  EventQueue events_;
  std::vector<int64_t> freed_;
  Record record_;
  GadgetTable table_;
};

TEST(GadgetIndexTest, NarrowsToSigned32Bits) {
  const struct {
    int64_t in;
    int32_t out;
  } cases[] = {{0, 0},
               {5, 5},
               {-1, -1},
               {0x100000000LL, 0},
               {0xFFFFFFFFLL, -1},
               {0x100000003LL, 3},
               {0x7FFFFFFFLL, 0x7FFFFFFF},
               {0x80000000LL, INT32_MIN}};
  for (const auto& c : cases) EXPECT_EQ(GadgetIndex(c.in), c.out) << c.in;
}

TEST_F(GadgetKindTest, NumberWithoutGadgetDoesNothing) {
  const GadgetKind kind = FullKind();
  Add(0, kind);
  for (const int64_t number : {int64_t{1}, int64_t{60}, int64_t{-2}, int64_t{0x100000000LL}}) {
    EXPECT_EQ(table_.GetState(number), 0);
    EXPECT_EQ(table_.ItemCount(number), 0);
    EXPECT_EQ(table_.ItemText(number, 0), u"");
    EXPECT_EQ(table_.AddItem(number, -1, u"x"), 0);
    table_.SetText(number, u"x");
    table_.SetState(number, 0);
    table_.RemoveItem(number, 0);
    table_.ClearItems(number);
    table_.SetHidden(number, 1);
    table_.Focus(number);
  }
  EXPECT_TRUE(record_.calls.empty());
  EXPECT_EQ(events_.SuppressCount(), 0);
}

TEST_F(GadgetKindTest, DispatchNarrowsIndexesAndSuppressesChanges) {
  const GadgetKind kind = FullKind();
  Add(3, kind);
  table_.SetState(3, 0x100000002LL);                      // event 1: suppressed
  table_.RemoveItem(3, 0xFFFFFFFFLL);                     // event 2: suppressed
  EXPECT_EQ(table_.AddItem(3, -1, u"a"), 11);             // event 3: suppressed
  table_.SetText(3, u"b");                                // event 4: suppressed
  EXPECT_EQ(table_.GetState(3), 4);                       // event 5: queued
  EXPECT_EQ(table_.ItemCount(3), -1);                     // event 6: queued, 32-bit -1 stays -1
  table_.ClearItems(3);                                   // event 7: queued
  EXPECT_EQ(table_.ItemText(3, 0x100000001LL), u"item");  // event 8: queued
  EXPECT_EQ(table_.ItemText(3, 1, 1), u"column");         // event 9: queued
  EXPECT_EQ(record_.args[0], 2);
  EXPECT_EQ(record_.args[1], -1);
  EXPECT_EQ(record_.args[2], -1);
  EXPECT_EQ(record_.args[7], 1);
  EXPECT_EQ(record_.text, u"b");
  EXPECT_EQ(Queued(), (std::vector<int64_t>{5, 6, 7, 8, 9}));
  EXPECT_EQ(events_.SuppressCount(), 0);
}

TEST_F(GadgetKindTest, KindWithoutOperationsFallsBack) {
  GadgetKind empty{};
  empty.number = 1;
  Add(0, empty);
  table_.SetHidden(0, 2);
  table_.SetHidden(0, 0);
  table_.Focus(0);
  table_.Focus(-1);
  table_.SetText(0, std::u16string_view());  // a missing text
  EXPECT_EQ(record_.calls,
            (std::vector<std::string>{"fallback hide", "fallback hide", "fallback focus",
                                      "fallback focus", "fallback text"}));
  EXPECT_EQ(record_.args, (std::vector<int64_t>{1, 0, 1, -1, 0}));
  EXPECT_EQ(record_.text, u"");
  // The text fall-back changes the control, so its notification is dropped;
  // hiding and focusing are not changes made for the program.
  EXPECT_EQ(Queued(), (std::vector<int64_t>{1, 2, 3, 4}));
  EXPECT_EQ(table_.GetState(0), 0);
  EXPECT_EQ(table_.ItemCount(0), 0);
  EXPECT_EQ(table_.AddItem(0, 0, u"x"), 0);
  EXPECT_EQ(table_.ItemText(0, 0), u"");
}

TEST_F(GadgetKindTest, KindOperationsWinOverFallbacks) {
  const GadgetKind kind = FullKind();
  Add(0, kind);
  table_.SetHidden(0, 5);
  table_.Focus(0);
  EXPECT_EQ(record_.calls, (std::vector<std::string>{"Hide", "Focus"}));
  EXPECT_EQ(record_.args[0], 1);
}

TEST_F(GadgetKindTest, AddItemPrefersTheImageOperation) {
  GadgetKind kind = FullKind();
  kind.AddItemImage = [](GadgetEntry&, int32_t position, std::u16string_view, int64_t image,
                         int64_t flags) -> int64_t {
    Saw("AddItemImage", position + image + flags);
    return 22;
  };
  Add(0, kind);
  EXPECT_EQ(table_.AddItem(0, 0x100000004LL, u"x"), 22);
  EXPECT_EQ(record_.calls, std::vector<std::string>{"AddItemImage"});
  EXPECT_EQ(record_.args[0], 4);
}

TEST_F(GadgetKindTest, ForgetFreesDiscardsAndReleases) {
  const GadgetKind kind = FullKind();
  Add(0, kind);
  Add(1, kind);
  events_.EventRaise(EventGadgetNotify, 0, 5, 1, 0);
  events_.EventRaise(EventGadgetNotify, 1, 5, 1, 0);
  events_.EventRaise(EventCloseRequest, 0, 5, 0, 0);
  events_.EventRaise(EventGadgetNotify, 0, 6, 14000, 0);
  table_.Forget(0);
  EXPECT_EQ(record_.calls, std::vector<std::string>{"Free"});
  EXPECT_EQ(table_.Lookup(0), nullptr);
  EXPECT_NE(table_.Lookup(1), nullptr);
  std::vector<Event> left = events_.Snapshot();
  ASSERT_EQ(left.size(), 3u);  // the Free call's own event is one of them
  EXPECT_EQ(left[0].object, 1);
  EXPECT_EQ(left[1].code, EventCloseRequest);
  EXPECT_EQ(left[2].object, 7);
  EXPECT_EQ(table_.GetState(0), 0);
}

TEST_F(GadgetKindTest, ReusedNumberClosesTheOldGadgetFirst) {
  const GadgetKind kind = FullKind();
  GadgetEntry* first = Add(2, kind);
  first->word[0] = 42;
  GadgetEntry* second = table_.Allocate(2);
  EXPECT_EQ(freed_, std::vector<int64_t>{2});
  EXPECT_EQ(second->word[0], 0);  // the reused block comes back zeroed
  EXPECT_EQ(table_.Lookup(2), nullptr);

  GadgetEntry* dynamic = Add(ObjectAny, kind);
  const int64_t id = GadgetTable::DynamicNumber(dynamic);
  EXPECT_EQ(table_.Lookup(id), dynamic);
  EXPECT_EQ(table_.ItemText(id, 0), u"item");
  EXPECT_EQ(table_.Allocate(-2), nullptr);
}

}  // namespace
}  // namespace quorvel
