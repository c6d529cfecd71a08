// Numbered slots that grow on demand, plus a list of dynamic records.
#include "ui/registry.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

ObjectRegistry::ObjectRegistry(int32_t objectSize, int32_t growthStep, FreeRoutine freeRoutine,
                               RecordLifetime lifetime)
    : objectSize_(std::max<int32_t>(objectSize, 8)),
      growthStep_(std::max<int32_t>(growthStep, 1)),
      free_(std::move(freeRoutine)),
      lifetime_(lifetime) {
  slots_.resize(static_cast<size_t>(growthStep_));
}

ObjectRegistry::~ObjectRegistry() {
  for (Record& slot : slots_) {
    if (slot) Clear(slot.get());
  }
  for (Record& record : dynamic_) Clear(record.get());
}

void ObjectRegistry::Clear(void* record) const {
  if (lifetime_.destroy != nullptr && Alive(record)) lifetime_.destroy(record);
  std::memset(record, 0, static_cast<size_t>(objectSize_));
}

void* ObjectRegistry::Construct(void* record) const {
  if (lifetime_.construct != nullptr) lifetime_.construct(record);
  return record;
}

void* ObjectRegistry::NewZeroed() const {
  void* p = ::operator new(static_cast<size_t>(objectSize_));
  std::memset(p, 0, static_cast<size_t>(objectSize_));
  return p;
}

bool ObjectRegistry::Alive(const void* record) {
  uint64_t first = 0;
  std::memcpy(&first, record, sizeof first);
  return first != 0;
}

void* ObjectRegistry::RegistryAllocate(int64_t number) {
  if (number == ObjectAny) {
    dynamic_.emplace_back(NewZeroed());
    return Construct(dynamic_.back().get());
  }
  if (number < 0) return nullptr;
  if (number >= Capacity()) slots_.resize(static_cast<size_t>(number + growthStep_));
  Record& slot = slots_[static_cast<size_t>(number)];
  if (slot) {
    // The object that had this number is closed first; its block is reused.
    if (free_ && Alive(slot.get())) free_(number);
    Clear(slot.get());
  } else {
    slot.reset(NewZeroed());
  }
  return Construct(slot.get());
}

void* ObjectRegistry::RegistryLookup(int64_t id) const {
  const void* candidate = nullptr;
  if (id >= 0 && id < Capacity()) {
    candidate = slots_[static_cast<size_t>(id)].get();
  } else {
    for (const Record& record : dynamic_) {
      if (IdOf(record.get()) == id) candidate = record.get();
    }
  }
  if (candidate == nullptr || !Alive(candidate)) return nullptr;
  return const_cast<void*>(candidate);
}

void ObjectRegistry::RegistryRelease(int64_t id) {
  if (id >= 0 && id < Capacity()) {
    Record& slot = slots_[static_cast<size_t>(id)];
    if (slot) Clear(slot.get());
    return;
  }
  std::erase_if(dynamic_, [this, id](const Record& record) {
    if (IdOf(record.get()) != id) return false;
    Clear(record.get());
    return true;
  });
}

int64_t ObjectRegistry::RegistryFind(const std::function<bool(const void*)>& match) const {
  for (size_t number = 0; number < slots_.size(); ++number) {
    const void* record = slots_[number].get();
    if (record != nullptr && Alive(record) && match(record)) return static_cast<int64_t>(number);
  }
  for (const Record& record : dynamic_) {
    if (Alive(record.get()) && match(record.get())) return IdOf(record.get());
  }
  return -1;
}

void ObjectRegistry::RegistryReleaseAll() {
  if (!free_) return;
  for (int64_t number = 0; number < Capacity(); ++number) {
    const Record& slot = slots_[static_cast<size_t>(number)];
    if (slot && Alive(slot.get())) free_(number);
  }
  while (!dynamic_.empty()) {
    const int64_t id = IdOf(dynamic_.back().get());
    free_(id);
    // A free routine that did not release its record must not loop forever.
    if (!dynamic_.empty() && IdOf(dynamic_.back().get()) == id) {
      Clear(dynamic_.back().get());
      dynamic_.pop_back();
    }
  }
}

}  // namespace quorvel
