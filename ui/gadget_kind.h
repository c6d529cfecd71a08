// Gadget kinds: the registry entry of one gadget, the table through which a
// kind of control supplies its operations, and the generic dispatch that calls
// an operation when the kind supplies it and falls back when it does not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/event_queue.h"
#include "ui/registry.h"

namespace quorvel {

inline constexpr int32_t KindListView = 6;
inline constexpr int32_t KindEditor = 22;

inline constexpr int32_t GadgetEntrySize = 64;
inline constexpr int32_t GadgetGrowthStep = 50;
inline constexpr int32_t GadgetKindRecordSize = 320;

// Colour selectors of SetColor / GetColor.
inline constexpr int32_t ColorFront = 1;
inline constexpr int32_t ColorBack = 2;

struct GadgetKind;

// One gadget, owned by the gadget registry. The registry hands out zeroed
// memory, so every field starts at 0.
struct GadgetEntry {
  void* handle;  // the control's window; an entry whose handle is 0 is free
  const GadgetKind* kind;
  void* previousProcedure;  // the kind's subclass procedure, below the common one
  int64_t word[4];          // for the kind
};
static_assert(sizeof(GadgetEntry) <= GadgetEntrySize);

// Index, position and state arguments are 64-bit at the generic operations and
// reach a kind as 32-bit signed values: 2^32 acts as 0 and 2^32 - 1 as -1.
[[nodiscard]] constexpr int32_t GadgetIndex(int64_t value) { return static_cast<int32_t>(value); }

// The operations of one kind, each supplied or null, in their fixed order.
// Every operation takes the entry first. Null places are kept for kinds this
// program does not have, so the record keeps its documented size.
struct GadgetKind {
  int32_t number;
  int32_t recordSize;
  // Answers a value for the window procedure, or NotHandled.
  int64_t (*Notify)(GadgetEntry&, void* window, uint32_t message, uint64_t wParam, int64_t lParam);
  void (*Free)(GadgetEntry&);
  int64_t (*GetState)(GadgetEntry&);
  void (*SetState)(GadgetEntry&, int32_t state);
  std::u16string (*GetText)(GadgetEntry&);
  void (*SetText)(GadgetEntry&, std::u16string_view text);
  int64_t (*AddItem)(GadgetEntry&, int32_t position, std::u16string_view text, int64_t image);
  int64_t (*AddItemImage)(GadgetEntry&, int32_t position, std::u16string_view text, int64_t image,
                          int64_t flags);
  void (*RemoveItem)(GadgetEntry&, int32_t index);
  void (*ClearItems)(GadgetEntry&);
  void (*Resize)(GadgetEntry&, int32_t x, int32_t y, int32_t width, int32_t height);
  int32_t (*CountItems)(GadgetEntry&);
  int64_t (*GetItemState)(GadgetEntry&, int32_t index);
  void (*SetItemState)(GadgetEntry&, int32_t index, int64_t state);
  std::u16string (*GetItemText)(GadgetEntry&, int32_t index, int32_t column);
  void (*SetItemText)(GadgetEntry&, int32_t index, std::u16string_view text, int32_t column);
  void* unused16;
  int32_t (*GetX)(GadgetEntry&);
  int32_t (*GetY)(GadgetEntry&);
  int32_t (*GetWidth)(GadgetEntry&);
  int32_t (*GetHeight)(GadgetEntry&);
  void (*Hide)(GadgetEntry&, int32_t hidden);
  void* unused22[2];
  int64_t (*GetAttribute)(GadgetEntry&, int32_t attribute);
  void (*SetAttribute)(GadgetEntry&, int32_t attribute, int64_t value);
  void* unused26[2];
  void (*SetColor)(GadgetEntry&, int32_t which, int64_t colour);
  int64_t (*GetColor)(GadgetEntry&, int32_t which);
  void* unused30[2];
  void (*SetItemData)(GadgetEntry&, int32_t index, int64_t data);
  int64_t (*GetItemData)(GadgetEntry&, int32_t index);
  void* unused34;
  void (*Focus)(GadgetEntry&);
  uintptr_t (*GetFont)(GadgetEntry&);
  void (*SetFont)(GadgetEntry&, uintptr_t font);
  void* unused38;
};
static_assert(sizeof(void*) != 8 || sizeof(GadgetKind) == GadgetKindRecordSize);

// What a generic operation does when the kind supplies nothing: plain system
// calls on the control, given by the platform edge.
struct GadgetFallbacks {
  void (*hide)(GadgetEntry&, bool hidden);
  void (*focus)(GadgetEntry*);  // null: take the keyboard focus away
  void (*setText)(GadgetEntry&, std::u16string_view text);
};

// Holds gadget-event suppression for one scope, so begin and end pair up on
// every path.
class EventSuppressScope {
 public:
  explicit EventSuppressScope(EventQueue& events) : events_(events) {
    events_.EventSuppressBegin();
  }
  ~EventSuppressScope() { events_.EventSuppressEnd(); }
  EventSuppressScope(const EventSuppressScope&) = delete;
  EventSuppressScope& operator=(const EventSuppressScope&) = delete;

 private:
  EventQueue& events_;
};

// The gadget registry and the generic operations on numbered gadgets. A number
// with no gadget makes an operation do nothing: queries answer 0 and texts the
// empty text. Operations that change a gadget on the program's behalf run with
// gadget events suppressed.
class GadgetTable {
 public:
  GadgetTable(EventQueue& events, ObjectRegistry::FreeRoutine freeRoutine,
              GadgetFallbacks fallbacks);
  GadgetTable(const GadgetTable&) = delete;
  GadgetTable& operator=(const GadgetTable&) = delete;

  // A zeroed entry for number (ObjectAny: a dynamic one). A number in use
  // loses its old gadget first. Null for a number below ObjectAny.
  [[nodiscard]] GadgetEntry* Allocate(int64_t number);
  [[nodiscard]] GadgetEntry* Lookup(int64_t number) const;
  [[nodiscard]] static int64_t DynamicNumber(const GadgetEntry* entry) {
    return ObjectRegistry::IdOf(entry);
  }
  ObjectRegistry& Registry() { return registry_; }
  EventQueue& Events() { return events_; }

  // After a gadget's control is gone: the kind frees its own data, the
  // gadget's queued notifications are discarded and its number is released.
  void Forget(int64_t number);

  void SetHidden(int64_t number, int64_t hidden);
  void Focus(int64_t number);
  [[nodiscard]] int64_t GetState(int64_t number);
  void SetState(int64_t number, int64_t state);
  [[nodiscard]] int64_t ItemCount(int64_t number);
  void ClearItems(int64_t number);
  void RemoveItem(int64_t number, int64_t index);
  // A missing text counts as the empty text.
  void SetText(int64_t number, std::u16string_view text);
  int64_t AddItem(int64_t number, int64_t position, std::u16string_view text);
  [[nodiscard]] std::u16string ItemText(int64_t number, int64_t index, int64_t column = 0);

 private:
  EventQueue& events_;
  ObjectRegistry registry_;
  GadgetFallbacks fallbacks_;
};

}  // namespace quorvel
