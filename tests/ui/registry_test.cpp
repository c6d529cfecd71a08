// The object registry: growth, reuse of a number, dynamic ids, release-all.
#include "ui/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace quorvel {
namespace {

struct Record {
  int64_t alive;  // the registry's "alive" word
  int64_t payload;
};

// A registry whose free routine logs the number and releases the record, as
// the window and gadget libraries do.
struct LoggingRegistry {
  std::vector<int64_t> freed;
  std::vector<int64_t> payloadAtFree;
  std::unique_ptr<ObjectRegistry> registry;

  explicit LoggingRegistry(int32_t step = 16) {
    registry = std::make_unique<ObjectRegistry>(
        static_cast<int32_t>(sizeof(Record)), step, [this](int64_t number) {
          freed.push_back(number);
          if (auto* r = Lookup(number)) payloadAtFree.push_back(r->payload);
          registry->RegistryRelease(number);
        });
  }
  Record* Open(int64_t number, int64_t payload = 1) {
    auto* r = static_cast<Record*>(registry->RegistryAllocate(number));
    r->alive = 1;
    r->payload = payload;
    return r;
  }
  Record* Lookup(int64_t id) { return RegistryRecord<Record>(*registry, id); }
};

TEST(Registry, StartsWithOneStepAndGrowsToNumberPlusStep) {
  LoggingRegistry r(16);
  EXPECT_EQ(r.registry->Capacity(), 16);
  r.Open(15);
  EXPECT_EQ(r.registry->Capacity(), 16);
  r.Open(16);
  EXPECT_EQ(r.registry->Capacity(), 32);
  Record* far = r.Open(100, 7);
  EXPECT_EQ(r.registry->Capacity(), 116);
  EXPECT_EQ(r.Lookup(100), far);
  EXPECT_EQ(r.Lookup(15)->payload, 1);  // earlier records survive the growth
}

TEST(Registry, ANewRecordIsZeroedAndAliveOnlyOnceItsFirstWordIsSet) {
  LoggingRegistry r;
  auto* record = static_cast<Record*>(r.registry->RegistryAllocate(3));
  EXPECT_EQ(record->alive, 0);
  EXPECT_EQ(record->payload, 0);
  EXPECT_EQ(r.Lookup(3), nullptr);
  record->alive = 42;
  EXPECT_EQ(r.Lookup(3), record);
  EXPECT_EQ(r.Lookup(4), nullptr);
  EXPECT_EQ(r.Lookup(-5), nullptr);
}

TEST(Registry, ReusingANumberClosesTheOldObjectFirstAndKeepsTheBlock) {
  LoggingRegistry r;
  Record* first = r.Open(0, 11);
  auto* second = static_cast<Record*>(r.registry->RegistryAllocate(0));
  EXPECT_EQ(r.freed, std::vector<int64_t>{0});
  EXPECT_EQ(r.payloadAtFree, std::vector<int64_t>{11});  // still alive when freed
  EXPECT_EQ(second, first);
  EXPECT_EQ(second->payload, 0);  // handed over zeroed
}

TEST(Registry, AReleasedNumberStaysInItsSlotForReuseWithoutAFreeCall) {
  LoggingRegistry r;
  Record* first = r.Open(2);
  r.registry->RegistryRelease(2);
  EXPECT_EQ(r.Lookup(2), nullptr);
  Record* again = r.Open(2);
  EXPECT_EQ(again, first);
  EXPECT_TRUE(r.freed.empty());
}

TEST(Registry, DynamicIdsAreDistinctAndLookedUpUntilReleased) {
  LoggingRegistry r;
  r.Open(0);
  r.Open(1);
  Record* a = r.Open(ObjectAny, 5);
  Record* b = r.Open(ObjectAny, 6);
  const int64_t idA = ObjectRegistry::IdOf(a);
  const int64_t idB = ObjectRegistry::IdOf(b);
  EXPECT_NE(idA, idB);
  EXPECT_GE(idA, r.registry->Capacity());
  EXPECT_GE(idB, r.registry->Capacity());
  EXPECT_EQ(r.Lookup(idA), a);
  EXPECT_EQ(r.Lookup(idB)->payload, 6);
  r.registry->RegistryRelease(idA);
  EXPECT_EQ(r.Lookup(idA), nullptr);
  EXPECT_EQ(r.Lookup(idB), b);
  EXPECT_EQ(r.Lookup(idA + 8), nullptr);  // an address that is no record
}

TEST(Registry, FindLooksAtLiveRecordsOnlyNumbersFirst) {
  LoggingRegistry r;
  r.Open(3, 9);
  const int64_t dynamic = ObjectRegistry::IdOf(r.Open(ObjectAny, 9));
  r.Open(5, 7);
  auto payload = [](int64_t wanted) {
    return [wanted](const void* record) {
      return static_cast<const Record*>(record)->payload == wanted;
    };
  };
  EXPECT_EQ(r.registry->RegistryFind(payload(9)), 3);
  EXPECT_EQ(r.registry->RegistryFind(payload(7)), 5);
  r.registry->RegistryRelease(3);
  EXPECT_EQ(r.registry->RegistryFind(payload(9)), dynamic);
  r.registry->RegistryRelease(dynamic);
  EXPECT_EQ(r.registry->RegistryFind(payload(9)), -1);
  r.registry->RegistryAllocate(6);  // allocated but never alive: never found
  EXPECT_EQ(r.registry->RegistryFind([](const void*) { return true; }), 5);
}

TEST(Registry, ReleaseAllFreesNumbersAscendingThenDynamicRecordsFromTheHead) {
  LoggingRegistry r;
  r.Open(7);
  r.Open(2);
  r.Open(20);
  const int64_t older = ObjectRegistry::IdOf(r.Open(ObjectAny));
  const int64_t newer = ObjectRegistry::IdOf(r.Open(ObjectAny));
  r.registry->RegistryAllocate(4);  // allocated but never alive: not freed
  r.registry->RegistryReleaseAll();
  EXPECT_EQ(r.freed, (std::vector<int64_t>{2, 7, 20, newer, older}));
  EXPECT_EQ(r.Lookup(2), nullptr);
  EXPECT_EQ(r.Lookup(newer), nullptr);
}

TEST(Registry, ReleaseAllWithoutAFreeRoutineDoesNothing) {
  ObjectRegistry registry(16, 4, nullptr);
  auto* record = static_cast<Record*>(registry.RegistryAllocate(1));
  record->alive = 1;
  registry.RegistryReleaseAll();
  EXPECT_EQ(RegistryRecord<Record>(registry, 1), record);
}

}  // namespace
}  // namespace quorvel
