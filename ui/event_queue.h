// The program's event queue: raised events wait here until EventNext returns
// them. Identical neighbours coalesce, gadget changes made on the program's
// behalf are suppressed, and a destroyed window's events are discarded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/platform_names.h"  // event codes

namespace quorvel {

// Gadget event types (the type field of EventGadgetNotify).
inline constexpr int64_t EventTypeLeftClick = 0;
inline constexpr int64_t EventTypeRightClick = 1;
inline constexpr int64_t EventTypeLeftDoubleClick = 2;
inline constexpr int64_t EventTypeChange = 768;
inline constexpr int64_t EventTypeFocus = 14000;
inline constexpr int64_t EventTypeLostFocus = 14001;
inline constexpr int64_t EventTypeDragStart = 14002;

// EventRaise flag: queue the event even while suppression is active.
inline constexpr int32_t EventFlagUnsuppressed = 1;

struct Event {
  int32_t code = 0;
  int64_t window = 0;
  int64_t object = 0;
  int64_t type = 0;
};

// Callbacks run synchronously for a raised event whose fields match a key
// "code:window:object:type", where -1 in the last three places matches any.
class EventBindingTable {
 public:
  using Callback = std::function<void()>;

  void Add(const std::string& key, int64_t window, Callback callback);
  // Runs the callbacks of the five keys of an event, in lookup order.
  void Run(const Event& event) const;
  void RemoveWindow(int64_t window);
  [[nodiscard]] bool Empty() const { return table_.empty(); }

  // The five keys looked up for an event, most specific first.
  static std::vector<std::string> LookupKeys(const Event& event);
  static std::string Key(int32_t code, int64_t window, int64_t object, int64_t type);

 private:
  struct Binding {
    int64_t window = -1;
    std::vector<Callback> callbacks;
  };
  std::unordered_map<std::string, Binding> table_;
};

class EventQueue {
 public:
  EventQueue() = default;
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  void EventRaise(int32_t code, int64_t object, int64_t window, int64_t type, int32_t flags);

  // First step of every EventNext: moves the head event into CurrentEvent and
  // returns its code, or 0 (current type -1) when the queue is empty.
  int32_t Dequeue();

  void EventSuppressBegin() { ++suppress_; }
  void EventSuppressEnd() { --suppress_; }
  [[nodiscard]] int32_t SuppressCount() const { return suppress_; }

  // Removes every queued event whose fields equal the arguments; -1 matches any.
  void EventDiscard(int32_t code, int64_t object, int64_t window, int64_t type);
  void EventDiscardWindow(int64_t window);

  [[nodiscard]] const Event& CurrentEvent() const { return current_; }
  [[nodiscard]] size_t Size() const { return count_; }
  // The queued events, head first (for inspection and tests).
  [[nodiscard]] std::vector<Event> Snapshot() const;

  EventBindingTable& Bindings() { return bindings_; }

 private:
  struct Record {
    Record* next = nullptr;
    Event event;
  };
  Record* Acquire();
  void DiscardIf(const std::function<bool(const Event&)>& match);
  void Recycle(Record* record);

  Record* head_ = nullptr;
  Record* tail_ = nullptr;
  Record* pool_ = nullptr;  // free list of recycled records
  std::vector<std::unique_ptr<Record>> blocks_;  // owns every record ever made
  size_t count_ = 0;
  int32_t suppress_ = 0;
  Event current_;
  EventBindingTable bindings_;
};

}  // namespace quorvel
