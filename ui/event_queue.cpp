// Queue order, coalescing with the tail, suppression, discarding and the
// five-key binding lookup.
#include "ui/event_queue.h"

#include <cstdio>

namespace quorvel {

std::string EventBindingTable::Key(int32_t code, int64_t window, int64_t object, int64_t type) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%d:%lld:%lld:%lld", code, static_cast<long long>(window),
                static_cast<long long>(object), static_cast<long long>(type));
  return buffer;
}

std::vector<std::string> EventBindingTable::LookupKeys(const Event& e) {
  return {Key(e.code, e.window, e.object, e.type), Key(e.code, e.window, e.object, -1),
          Key(e.code, e.window, -1, -1), Key(e.code, -1, -1, -1), Key(e.code, -1, e.object, e.type)};
}

void EventBindingTable::Add(const std::string& key, int64_t window, Callback callback) {
  Binding& binding = table_[key];
  binding.window = window;
  binding.callbacks.push_back(std::move(callback));
}

void EventBindingTable::Run(const Event& event) const {
  if (table_.empty()) return;
  for (const std::string& key : LookupKeys(event)) {
    auto found = table_.find(key);
    if (found == table_.end()) continue;
    // Copy: a callback may add bindings and invalidate the iterator.
    std::vector<Callback> callbacks = found->second.callbacks;
    for (const Callback& callback : callbacks) callback();
  }
}

void EventBindingTable::RemoveWindow(int64_t window) {
  std::erase_if(table_, [window](const auto& entry) { return entry.second.window == window; });
}

EventQueue::Record* EventQueue::Acquire() {
  if (pool_ == nullptr) {
    blocks_.push_back(std::make_unique<Record>());
    return blocks_.back().get();
  }
  Record* record = pool_;
  pool_ = record->next;
  record->next = nullptr;
  return record;
}

void EventQueue::Recycle(Record* record) {
  record->next = pool_;
  pool_ = record;
}

void EventQueue::EventRaise(int32_t code, int64_t object, int64_t window, int64_t type,
                            int32_t flags) {
  if (suppress_ != 0 && (flags & EventFlagUnsuppressed) == 0) return;
  const Event event{code, window, object, type};
  const bool coalesce = tail_ != nullptr && code < 0x10000 && tail_->event.code == code &&
                        tail_->event.object == object && tail_->event.window == window &&
                        tail_->event.type == type;
  if (!coalesce) {
    Record* record = Acquire();
    record->event = event;
    if (tail_ != nullptr) {
      tail_->next = record;
    } else {
      head_ = record;
    }
    tail_ = record;
    ++count_;
  }
  if (!bindings_.Empty()) {
    // Callbacks read the event through the current-event accessors.
    const Event saved = current_;
    current_ = event;
    bindings_.Run(event);
    current_ = saved;
  }
}

int32_t EventQueue::Dequeue() {
  current_.code = 0;
  current_.type = -1;
  if (head_ == nullptr) return 0;
  Record* record = head_;
  current_ = record->event;
  head_ = record->next;
  if (head_ == nullptr) tail_ = nullptr;
  --count_;
  Recycle(record);
  return current_.code;
}

void EventQueue::EventDiscard(int32_t code, int64_t object, int64_t window, int64_t type) {
  DiscardIf([&](const Event& e) {
    return (code == -1 || e.code == code) && (object == -1 || e.object == object) &&
           (window == -1 || e.window == window) && (type == -1 || e.type == type);
  });
}

void EventQueue::EventDiscardWindow(int64_t window) {
  DiscardIf([window](const Event& e) { return e.window == window; });
}

void EventQueue::DiscardIf(const std::function<bool(const Event&)>& match) {
  Record* previous = nullptr;
  Record* record = head_;
  while (record != nullptr) {
    Record* next = record->next;
    if (match(record->event)) {
      if (previous != nullptr) {
        previous->next = next;
      } else {
        head_ = next;
      }
      if (tail_ == record) tail_ = previous;
      --count_;
      Recycle(record);
    } else {
      previous = record;
    }
    record = next;
  }
}

std::vector<Event> EventQueue::Snapshot() const {
  std::vector<Event> events;
  for (const Record* record = head_; record != nullptr; record = record->next) {
    events.push_back(record->event);
  }
  return events;
}

}  // namespace quorvel
