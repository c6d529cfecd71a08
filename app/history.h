// The clipboard history: every distinct captured text, oldest first, with the
// time of its first capture, and the list line that shows it.
//
// Each text is held once, in one block of its own: one byte per code unit
// when every unit is below 128 or in one aligned run of 128 units (Latin-1,
// Cyrillic, Greek, Hebrew and other alphabets without their neighbours'
// punctuation), two otherwise. An index by a
// keyed hash of the text finds a known text without walking the history, and
// the capture time is kept as the clock read it, its stamp written out only
// when a line is built (always the same text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/date.h"
#include "runtime/digest.h"

namespace quorvel {

// One entry of the history, as a view: valid until the history changes.
class HistoryEntry {
 public:
  [[nodiscard]] std::u16string text() const;   // exactly as read, never empty
  [[nodiscard]] std::u16string stamp() const;  // the stamp of the first capture
  [[nodiscard]] size_t size() const;           // of the text, in code units
  [[nodiscard]] StampTime captured() const;
  // 1 when the text is held one byte per unit, 2 when two.
  [[nodiscard]] size_t BytesPerUnit() const;
  [[nodiscard]] bool TextEquals(std::u16string_view other) const;
  // Copies count units of the text from unit from on into out (both within
  // the text).
  void CopyUnits(size_t from, size_t count, char16_t* out) const;
  // The text where it is stored, to be read without a copy: as UTF-16 when
  // it is held two bytes a unit, as Latin-1 when it is held one byte a unit
  // and every unit is below 256. Empty in any other form.
  [[nodiscard]] std::u16string_view WideUnits() const;
  [[nodiscard]] std::string_view Latin1Units() const;

  struct Node;  // the stored block, private to history.cpp

 private:
  friend class HistoryList;
  explicit HistoryEntry(const Node* node) : node_(node) {}
  const Node* node_;
};

// The ordered history. Order, uniqueness of texts and the index
// correspondence with the list view are kept by the callers in app/.
class HistoryList {
 public:
  HistoryList() = default;
  ~HistoryList();
  HistoryList(const HistoryList&) = delete;
  HistoryList& operator=(const HistoryList&) = delete;
  HistoryList(HistoryList&& other) noexcept { Swap(other); }
  HistoryList& operator=(HistoryList&& other) noexcept {
    if (this != &other) {
      Clear();
      Swap(other);
    }
    return *this;
  }

  [[nodiscard]] size_t Size() const { return entries_.size(); }
  [[nodiscard]] bool Empty() const { return entries_.empty(); }
  [[nodiscard]] HistoryEntry At(size_t index) const { return HistoryEntry(entries_[index]); }

  // Index of the entry whose text equals text exactly, or -1. The digest is
  // DigestOf(text).
  [[nodiscard]] int64_t Find(std::u16string_view text, const TextDigest& digest) const;
  [[nodiscard]] int64_t Find(std::u16string_view text) const { return Find(text, DigestOf(text)); }
  // Appends a new entry; false (and nothing changed) when memory ran out.
  [[nodiscard]] bool Append(std::u16string_view text, const TextDigest& digest, StampTime time);
  // Moves the entry at index to the end, keeping its text and stamp.
  void MoveToEnd(size_t index);
  // Removals overwrite the texts before their memory is given back.
  void Remove(size_t index);
  void Clear();

 private:
  using Node = HistoryEntry::Node;
  void Swap(HistoryList& other) noexcept {
    entries_.swap(other.entries_);
    slots_.swap(other.slots_);
    std::swap(nextOrder_, other.nextOrder_);
  }
  [[nodiscard]] size_t Slot(uint64_t hash) const { return static_cast<size_t>(hash) & (slots_.size() - 1); }
  [[nodiscard]] size_t IndexOf(const Node* node) const;
  bool GrowIndex();
  void Unindex(const Node* node);
  void Renumber();

  std::vector<Node*> entries_;  // oldest first; their order numbers rise
  std::vector<Node*> slots_;    // open addressing by hash; a power of two
  uint32_t nextOrder_ = 0;
};

// The most characters of a text that its list line shows. A line of many
// megabytes would take the list seconds to draw and hold a second copy of the
// text; a million characters are far wider than any screen.
inline constexpr size_t kLineTextLimit = size_t{1} << 20;

// The list line of an entry: its text followed directly by its stamp. A text
// longer than kLineTextLimit shows its beginning and "…" before the stamp.
std::u16string EntryDisplayLine(const HistoryEntry& entry);

}  // namespace quorvel
