// The list view's items as data: an ordered list of texts with at most one
// selected item, where the selection belongs to its item.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class ListModel {
 public:
  // Inserts before the item at position (0..count); -1 appends; any other
  // position inserts nothing. Always answers 0.
  int64_t AddItem(int64_t position, std::u16string_view text);
  // Removes the item at index; later items move up. No item, no change.
  void RemoveItem(int64_t index);
  void ClearItems();
  [[nodiscard]] int64_t CountItems() const { return static_cast<int64_t>(items_.size()); }
  // Selected index, -1 when none.
  [[nodiscard]] int64_t GetState() const;
  // Selects the item at index; -1, or an index that names no item, leaves
  // nothing selected.
  void SetState(int64_t index);
  // The item's text, the empty text for an index that names no item.
  [[nodiscard]] std::u16string GetItemText(int64_t index) const;

 private:
  // Indexes reach the control as 32-bit signed values.
  static int32_t ToControlIndex(int64_t index) { return static_cast<int32_t>(index); }
  [[nodiscard]] bool Names(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < items_.size();
  }

  std::vector<std::u16string> items_;
  std::optional<size_t> selected_;
};

}  // namespace quorvel
