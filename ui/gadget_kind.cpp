// Generic gadget operations: look the number up, call the kind's operation or
// the fall-back, and suppress the notifications of changes made for the program.
#include "ui/gadget_kind.h"

#include <utility>

namespace quorvel {

namespace {

// Never hand a kind a view built from a null pointer.
std::u16string_view PresentText(std::u16string_view text) {
  return text.data() == nullptr ? std::u16string_view(u"") : text;
}

}  // namespace

GadgetTable::GadgetTable(EventQueue& events, ObjectRegistry::FreeRoutine freeRoutine,
                         GadgetFallbacks fallbacks)
    : events_(events),
      registry_(GadgetEntrySize, GadgetGrowthStep, std::move(freeRoutine)),
      fallbacks_(fallbacks) {}

GadgetEntry* GadgetTable::Allocate(int64_t number) {
  return static_cast<GadgetEntry*>(registry_.RegistryAllocate(number));
}

GadgetEntry* GadgetTable::Lookup(int64_t number) const {
  return RegistryRecord<GadgetEntry>(registry_, number);
}

void GadgetTable::Forget(int64_t number) {
  if (GadgetEntry* entry = Lookup(number); entry != nullptr && entry->kind->Free != nullptr) {
    entry->kind->Free(*entry);
  }
  events_.EventDiscard(EventGadgetNotify, number, -1, -1);
  registry_.RegistryRelease(number);
}

void GadgetTable::SetHidden(int64_t number, int64_t hidden) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr) return;
  if (entry->kind->Hide != nullptr) {
    entry->kind->Hide(*entry, hidden != 0 ? 1 : 0);
  } else if (fallbacks_.hide != nullptr) {
    fallbacks_.hide(*entry, hidden != 0);
  }
}

void GadgetTable::Focus(int64_t number) {
  // -1 is not looked up: it takes the focus away from every control.
  GadgetEntry* entry = number == -1 ? nullptr : Lookup(number);
  if (number != -1 && entry == nullptr) return;
  if (entry != nullptr && entry->kind->Focus != nullptr) {
    entry->kind->Focus(*entry);
  } else if (fallbacks_.focus != nullptr) {
    fallbacks_.focus(entry);
  }
}

int64_t GadgetTable::GetState(int64_t number) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->GetState == nullptr) return 0;
  return entry->kind->GetState(*entry);
}

void GadgetTable::SetState(int64_t number, int64_t state) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->SetState == nullptr) return;
  EventSuppressScope suppress(events_);
  entry->kind->SetState(*entry, GadgetIndex(state));
}

int64_t GadgetTable::ItemCount(int64_t number) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->CountItems == nullptr) return 0;
  return entry->kind->CountItems(*entry);
}

void GadgetTable::ClearItems(int64_t number) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->ClearItems == nullptr) return;
  entry->kind->ClearItems(*entry);
}

void GadgetTable::RemoveItem(int64_t number, int64_t index) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->RemoveItem == nullptr) return;
  EventSuppressScope suppress(events_);
  entry->kind->RemoveItem(*entry, GadgetIndex(index));
}

void GadgetTable::SetText(int64_t number, std::u16string_view text) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr) return;
  EventSuppressScope suppress(events_);
  if (entry->kind->SetText != nullptr) {
    entry->kind->SetText(*entry, PresentText(text));
  } else if (fallbacks_.setText != nullptr) {
    fallbacks_.setText(*entry, PresentText(text));
  }
}

int64_t GadgetTable::AddItem(int64_t number, int64_t position, std::u16string_view text) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr) return 0;
  EventSuppressScope suppress(events_);
  const GadgetKind& kind = *entry->kind;
  if (kind.AddItemImage != nullptr) {
    return kind.AddItemImage(*entry, GadgetIndex(position), PresentText(text), 0, 0);
  }
  if (kind.AddItem != nullptr)
    return kind.AddItem(*entry, GadgetIndex(position), PresentText(text), 0);
  return 0;
}

std::u16string GadgetTable::ItemText(int64_t number, int64_t index, int64_t column) {
  GadgetEntry* entry = Lookup(number);
  if (entry == nullptr || entry->kind->GetItemText == nullptr) return {};
  return entry->kind->GetItemText(*entry, GadgetIndex(index), GadgetIndex(column));
}

}  // namespace quorvel
