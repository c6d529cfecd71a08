// History storage: one block per text, an index by hash, and the stamps and
// lines written from what was stored; the two small choosers of the rules.
#include "app/history.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/date.h"

namespace quorvel {

// The block of one entry: this header, then the text's units.
struct HistoryEntry::Node {
  uint32_t hash;    // low word of the text's digest: where the index keeps it
  uint32_t order;   // rises from the oldest entry to the newest
  uint64_t length;  // in code units
  int32_t day;      // the capture time's fields (CaptureTime), packed
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

// Overwrites memory so that no text survives in it once it is given back; the
// compiler may not drop the writes as dead.
void Wipe(void* data, size_t bytes) {
  if (bytes == 0) return;
  std::memset(data, 0, bytes);
  __asm__ __volatile__("" : : "r"(data) : "memory");
}

void FreeNode(Node* node) {
  Wipe(node, sizeof(Node) + node->TextBytes());
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

char16_t* WriteTwoDigits(char16_t* out, int64_t value) {
  if (value < 0) {
    *out++ = u'?';
    *out++ = u'?';
  } else {
    *out++ = static_cast<char16_t>(u'0' + value / 10 % 10);
    *out++ = static_cast<char16_t>(u'0' + value % 10);
  }
  return out;
}

}  // namespace

size_t WriteTimeOfDay(int64_t hour, int64_t minute, int64_t second, bool showSeconds,
                      char16_t* out) {
  char16_t* const begin = out;
  // (hour + 11) mod 12 + 1 turns 0 into 12 and 13..23 into 1..11.
  out = WriteTwoDigits(out, hour < 0 ? -1 : (hour + 11) % 12 + 1);
  *out++ = u':';
  out = WriteTwoDigits(out, minute);
  if (showSeconds) {
    *out++ = u':';
    out = WriteTwoDigits(out, second);
  }
  *out++ = u' ';
  const char16_t* suffix = hour < 0 ? u"??" : hour >= 12 ? u"PM" : u"AM";
  *out++ = suffix[0];
  *out++ = suffix[1];
  return static_cast<size_t>(out - begin);
}

void WriteStamp(CaptureTime time, char16_t (&out)[kStampLength]) {
  char16_t* p = out;
  *p++ = u' ';
  *p++ = u'\u00AB';
  const int64_t date = time.day < 0 ? kNoDate : int64_t{time.day} * 86400;
  const int64_t year = DateYear(date);
  if (year < 0) {
    for (int i = 0; i < 4; ++i) *p++ = u'?';
  } else {
    p = WriteTwoDigits(p, year / 100);
    p = WriteTwoDigits(p, year % 100);
  }
  *p++ = u'-';
  p = WriteTwoDigits(p, DateMonth(date));
  *p++ = u'-';
  p = WriteTwoDigits(p, DateDay(date));
  *p++ = u' ';
  p += WriteTimeOfDay(time.hour, time.minute, time.second, true, p);
  *p = u'\u00BB';
}

std::u16string HistoryEntry::text() const {
  std::u16string out(node_->length, u'\0');
  CopyUnits(0, out.size(), out.data());
  return out;
}

std::u16string HistoryEntry::stamp() const {
  char16_t units[kStampLength];
  WriteStamp(captured(), units);
  return std::u16string(units, kStampLength);
}

size_t HistoryEntry::size() const { return node_->length; }
CaptureTime HistoryEntry::captured() const {
  return CaptureTime{node_->day, node_->hour, node_->minute, node_->second};
}
size_t HistoryEntry::BytesPerUnit() const { return node_->window != 0 ? 1 : 2; }

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

bool HistoryList::Append(std::u16string_view text, const TextDigest& digest, CaptureTime time) {
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
                                time.day, time.hour, time.minute, time.second, window};
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
  WriteStamp(entry.captured(), stamp);
  std::copy_n(stamp, kStampLength, line.end() - kStampLength);
  return line;
}

LineSearch::LineSearch(std::u16string_view pattern) : pattern_(pattern) {
  if (pattern_.Empty()) return;
  // A match that reaches into the stamp ends on one of the units stamps hold.
  static constexpr std::u16string_view kStampUnits = u" \u00AB\u00BB0123456789-:?APM";
  const char16_t last = pattern_.LastFolded();
  mayReachStamp_ = std::any_of(kStampUnits.begin(), kStampUnits.end(),
                               [last](char16_t unit) { return TextFoldCase(unit) == last; });
}

LineSearch::~LineSearch() {
  WipeText(seam_);
  WipeText(window_);
}

bool LineSearch::Contains(const HistoryEntry& entry) {
  const FoldedPattern& pattern = pattern_;
  if (pattern.Empty()) return false;
  const HistoryEntry::Node& node = *entry.node_;
  if (node.window == 0) {
    if (pattern.FindIn(std::u16string_view(node.WideUnits(), node.length)) != std::u16string_view::npos) {
      return true;
    }
  } else if (node.window == 1) {
    const std::string_view units(reinterpret_cast<const char*>(node.NarrowUnits()), node.length);
    if (pattern.FindInLatin1(units) != std::u16string_view::npos) return true;
  } else if (pattern.Size() <= node.length) {
    // Read out in stretches that overlap by one unit less than the pattern,
    // so that every match lies wholly in one of them; a stretch is at least
    // four times the overlap, so that a long pattern reads each unit at most
    // 1.25 times.
    const size_t overlap = pattern.Size() - 1;
    const size_t stretch = std::max(size_t{1} << 15, overlap * 4);
    for (size_t from = 0; from < node.length; from += stretch) {
      const size_t count = std::min(node.length - from, stretch + overlap);
      window_.resize(count);
      entry.CopyUnits(from, count, window_.data());
      if (pattern.FindIn(window_) != std::u16string_view::npos) return true;
      if (from + count == node.length) break;
    }
  }
  if (!mayReachStamp_ || pattern.Size() > node.length + kStampLength) return false;
  // A match that starts in the text and runs on into the stamp.
  const size_t tail = std::min<size_t>(node.length, pattern.Size() - 1);
  seam_.resize(tail + kStampLength);
  entry.CopyUnits(node.length - tail, tail, seam_.data());
  char16_t stamp[kStampLength];
  WriteStamp(entry.captured(), stamp);
  std::copy_n(stamp, kStampLength, seam_.begin() + static_cast<ptrdiff_t>(tail));
  return pattern.FindIn(seam_) != std::u16string_view::npos;
}

void WipeText(std::u16string& text) {
  Wipe(text.data(), text.capacity() * sizeof(char16_t));
  std::u16string().swap(text);
}

std::u16string ChooseText(int64_t condition, std::u16string_view first,
                          std::u16string_view second) {
  return std::u16string(condition != 0 ? first : second);
}

double ChooseNumber(int64_t condition, double first, double second) {
  return second + static_cast<double>(condition) * (first - second);
}

}  // namespace quorvel
