// ObjectRegistry: maps the numbers that the application chooses for its
// windows and gadgets (0 and up), or dynamic ids (ObjectAny), to records.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <vector>

namespace quorvel {

inline constexpr int64_t ObjectAny = -1;

// How the records of a registry come to life and go: by default they are
// zeroed memory; a typed registry (RecordLifetimeOf) value-initialises each
// record when it is handed out and destroys it when it is released, so that
// a record may own what it holds.
struct RecordLifetime {
  void (*construct)(void* record) = nullptr;
  void (*destroy)(void* record) = nullptr;
};

template <typename T>
RecordLifetime RecordLifetimeOf() {
  static_assert(sizeof(T) >= sizeof(int64_t), "the first 64-bit field is the alive word");
  return {[](void* record) { ::new (record) T{}; },
          [](void* record) { static_cast<T*>(record)->~T(); }};
}

// A record is alive while its first 64-bit field is non-zero.
class ObjectRegistry {
 public:
  using FreeRoutine = std::function<void(int64_t number)>;

  ObjectRegistry(int32_t objectSize, int32_t growthStep, FreeRoutine freeRoutine,
                 RecordLifetime lifetime = {});
  ~ObjectRegistry();
  ObjectRegistry(const ObjectRegistry&) = delete;
  ObjectRegistry& operator=(const ObjectRegistry&) = delete;

  // A zeroed record for number; ObjectAny gives a new dynamic record whose
  // address is its id. A number in use is closed first (free routine) and its
  // block reused.
  void* RegistryAllocate(int64_t number);
  // The live record of a number or dynamic id, else null.
  [[nodiscard]] void* RegistryLookup(int64_t id) const;
  void RegistryRelease(int64_t id);
  // The number (or dynamic id) of the first live record, in ascending number
  // order and then the dynamic ones, for which match answers true; else -1.
  // Finds an object by what its record holds (a window handle, say) rather
  // than by a number read back from outside.
  [[nodiscard]] int64_t RegistryFind(const std::function<bool(const void* record)>& match) const;
  // Calls the free routine for every live numbered record in ascending order,
  // then for the head of the dynamic list until it is empty.
  void RegistryReleaseAll();

  [[nodiscard]] int64_t Capacity() const { return static_cast<int64_t>(slots_.size()); }
  [[nodiscard]] static int64_t IdOf(const void* record) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(record));
  }

 private:
  struct Block {
    void operator()(void* p) const { ::operator delete(p); }
  };
  using Record = std::unique_ptr<void, Block>;

  void* NewZeroed() const;
  static bool Alive(const void* record);
  // Destroys a typed record (when it is alive) and zeroes it.
  void Clear(void* record) const;
  void* Construct(void* record) const;

  int32_t objectSize_;
  int32_t growthStep_;
  FreeRoutine free_;
  RecordLifetime lifetime_;
  std::vector<Record> slots_;
  std::vector<Record> dynamic_;  // head of the list is the back
};

// Typed access for records that are plain structs whose first field is
// the 64-bit "alive" word.
template <typename T>
T* RegistryRecord(const ObjectRegistry& registry, int64_t id) {
  return static_cast<T*>(registry.RegistryLookup(id));
}

}  // namespace quorvel
