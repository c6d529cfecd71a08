// History storage: one block per text, an index by hash, and the lines
// written from what was stored.
#include "app/history.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "runtime/text.h"

namespace quorvel {

// The block of one entry: this header, then the text's units.
struct HistoryEntry::Node {
  uint32_t hash;    // low word of the text's digest: where the index keeps it
  uint32_t order;   // rises from the oldest entry to the newest
  uint64_t length;  // in code units
  int32_t date;     // the capture time's fields (StampTime), packed
  int8_t hour;
  int8_t minute;
  int8_t second;
  // 0: two bytes a unit. Otherwise one byte a unit: a byte below 0x80 is that
  // unit, and the others stand for the units window * 0x80 up (so window 1
  // holds Latin-1 as it is).
  uint8_t window;

  [[nodiscard]] const unsigned char* NarrowUnits() const {
    return reinterpret_cast<const unsigned char*>(this + 1);
  }
  [[nodiscard]] const char16_t* WideUnits() const {
    return reinterpret_cast<const char16_t*>(this + 1);
  }
  [[nodiscard]] size_t TextBytes() const { return length * (window != 0 ? 1 : 2); }
  [[nodiscard]] char16_t Unit(unsigned char byte) const {
    return static_cast<char16_t>(byte < 0x80 ? byte : (window << 7) | (byte & 0x7F));
  }
};
static_assert(sizeof(HistoryEntry::Node) == 24, "the header of every stored text");

namespace {

using Node = HistoryEntry::Node;

void FreeNode(Node* node) {
  TextWipe(node, sizeof(Node) + node->TextBytes());
  TextBlockFree(node);
}

// The window a text can be held in one byte a unit (see Node), or 0.
uint8_t WindowOf(std::u16string_view text) {
  unsigned window = 0;
  for (const char16_t unit : text) {
    if (unit < 0x80) continue;
    if (window == 0) {
      window = unit >> 7;
      if (window > 0xFF) return 0;
    } else if (unit >> 7 != window) {
      return 0;
    }
  }
  return static_cast<uint8_t>(window == 0 ? 1 : window);
}

}  // namespace

std::u16string HistoryEntry::text() const {
  std::u16string out(node_->length, u'\0');
  CopyUnits(0, out.size(), out.data());
  return out;
}

std::u16string HistoryEntry::stamp() const {
  char16_t units[kStampLength];
  DateWriteStamp(captured(), units);
  return std::u16string(units, kStampLength);
}

size_t HistoryEntry::size() const { return node_->length; }
StampTime HistoryEntry::captured() const {
  return StampTime{node_->date, node_->hour, node_->minute, node_->second};
}
size_t HistoryEntry::BytesPerUnit() const { return node_->window != 0 ? 1 : 2; }

std::u16string_view HistoryEntry::WideUnits() const {
  if (node_->window != 0) return {};
  return std::u16string_view(node_->WideUnits(), node_->length);
}

std::string_view HistoryEntry::Latin1Units() const {
  if (node_->window != 1) return {};
  return std::string_view(reinterpret_cast<const char*>(node_->NarrowUnits()), node_->length);
}

void HistoryEntry::CopyUnits(size_t from, size_t count, char16_t* out) const {
  if (node_->window == 0) {
    std::copy_n(node_->WideUnits() + from, count, out);
    return;
  }
  const unsigned char* units = node_->NarrowUnits() + from;
  const Node& node = *node_;
  std::transform(units, units + count, out, [&node](unsigned char unit) { return node.Unit(unit); });
}

bool HistoryEntry::TextEquals(std::u16string_view other) const {
  if (other.size() != node_->length) return false;
  if (node_->window == 0) return std::u16string_view(node_->WideUnits(), node_->length) == other;
  const unsigned char* units = node_->NarrowUnits();
  const Node& node = *node_;
  return std::equal(units, units + node.length, other.begin(),
                    [&node](unsigned char unit, char16_t wide) { return node.Unit(unit) == wide; });
}

HistoryList::~HistoryList() { Clear(); }

size_t HistoryList::IndexOf(const Node* node) const {
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), node->order,
                                   [](const Node* entry, uint32_t order) { return entry->order < order; });
  return static_cast<size_t>(at - entries_.begin());
}

int64_t HistoryList::Find(std::u16string_view text, const TextDigest& digest) const {
  if (slots_.empty()) return -1;
  const auto hash = static_cast<uint32_t>(digest.low);
  for (size_t i = Slot(hash); slots_[i] != nullptr; i = (i + 1) & (slots_.size() - 1)) {
    const Node* node = slots_[i];
    if (node->hash == hash && HistoryEntry(node).TextEquals(text)) {
      return static_cast<int64_t>(IndexOf(node));
    }
  }
  return -1;
}

bool HistoryList::GrowIndex() {
  std::vector<Node*> grown;
  try {
    grown.assign(std::max<size_t>(16, slots_.size() * 2), nullptr);
  } catch (const std::bad_alloc&) {
    return false;
  }
  slots_.swap(grown);
  for (Node* node : entries_) {
    size_t i = Slot(node->hash);
    while (slots_[i] != nullptr) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = node;
  }
  return true;
}

bool HistoryList::Append(std::u16string_view text, const TextDigest& digest, StampTime time) {
  // Everything that can fail comes first, so that a failure changes nothing.
  if (entries_.size() == entries_.capacity()) {
    try {
      entries_.reserve(std::max<size_t>(16, entries_.capacity() * 2));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if ((entries_.size() + 1) * 4 > slots_.size() * 3 && !GrowIndex()) return false;
  const uint8_t window = WindowOf(text);
  const size_t bytes = text.size() * (window != 0 ? 1 : 2);
  void* block = TextBlockAllocate(sizeof(Node) + bytes);
  if (block == nullptr) return false;

  if (nextOrder_ == UINT32_MAX) Renumber();
  Node* node = new (block) Node{static_cast<uint32_t>(digest.low), nextOrder_++, text.size(),
                                time.date, time.hour, time.minute, time.second, window};
  if (window != 0) {
    auto* units = reinterpret_cast<unsigned char*>(node + 1);
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t unit = text[i];
      units[i] = static_cast<unsigned char>(unit < 0x80 ? unit : 0x80 | (unit & 0x7F));
    }
  } else if (bytes != 0) {
    std::memcpy(reinterpret_cast<char*>(node + 1), text.data(), bytes);
  }
  entries_.push_back(node);
  size_t i = Slot(node->hash);
  while (slots_[i] != nullptr) i = (i + 1) & (slots_.size() - 1);
  slots_[i] = node;
  return true;
}

void HistoryList::MoveToEnd(size_t index) {
  if (index >= entries_.size()) return;
  Node* node = entries_[index];
  std::rotate(entries_.begin() + static_cast<ptrdiff_t>(index),
              entries_.begin() + static_cast<ptrdiff_t>(index) + 1, entries_.end());
  if (nextOrder_ == UINT32_MAX) Renumber();
  node->order = nextOrder_++;
}

void HistoryList::Unindex(const Node* node) {
  const size_t mask = slots_.size() - 1;
  size_t hole = Slot(node->hash);
  while (slots_[hole] != node) hole = (hole + 1) & mask;
  // Close the hole: move up every later entry of the run that would no
  // longer be found past it.
  for (size_t next = (hole + 1) & mask; slots_[next] != nullptr; next = (next + 1) & mask) {
    const size_t home = Slot(slots_[next]->hash);
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    slots_[hole] = slots_[next];
    hole = next;
  }
  slots_[hole] = nullptr;
}

void HistoryList::Remove(size_t index) {
  if (index >= entries_.size()) return;
  Node* node = entries_[index];
  Unindex(node);
  entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(index));
  FreeNode(node);
}

void HistoryList::Clear() {
  for (Node* node : entries_) FreeNode(node);
  std::vector<Node*>().swap(entries_);
  std::vector<Node*>().swap(slots_);
  nextOrder_ = 0;
}

void HistoryList::Renumber() {
  nextOrder_ = 0;
  for (Node* node : entries_) node->order = nextOrder_++;
}

std::u16string EntryDisplayLine(const HistoryEntry& entry) {
  size_t shown = entry.size();
  bool cut = false;
  if (shown > kLineTextLimit) {
    shown = kLineTextLimit;
    cut = true;
    // Never end on the first half of a surrogate pair.
    char16_t last = 0;
    entry.CopyUnits(shown - 1, 1, &last);
    if (last >= 0xD800 && last <= 0xDBFF) --shown;
  }
  std::u16string line(shown + (cut ? 1 : 0) + kStampLength, u'\0');
  entry.CopyUnits(0, shown, line.data());
  if (cut) line[shown] = u'\u2026';
  char16_t stamp[kStampLength];
  DateWriteStamp(entry.captured(), stamp);
  std::copy_n(stamp, kStampLength, line.end() - kStampLength);
  return line;
}

}  // namespace quorvel
