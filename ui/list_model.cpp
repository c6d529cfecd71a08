// Item order and the selection that follows its item.
#include "ui/list_model.h"

namespace quorvel {

int64_t ListModel::AddItem(int64_t position, std::u16string_view text) {
  const int32_t at = ToControlIndex(position);
  const auto count = static_cast<int32_t>(items_.size());
  size_t index = 0;
  if (at == -1) {
    index = items_.size();
  } else if (at >= 0 && at <= count) {
    index = static_cast<size_t>(at);
  } else {
    return 0;
  }
  items_.insert(items_.begin() + static_cast<ptrdiff_t>(index), std::u16string(text));
  if (selected_ && *selected_ >= index) ++*selected_;
  return 0;
}

void ListModel::RemoveItem(int64_t index) {
  const int32_t at = ToControlIndex(index);
  if (!Names(at)) return;
  const auto removed = static_cast<size_t>(at);
  items_.erase(items_.begin() + at);
  if (selected_) {
    if (*selected_ == removed) {
      selected_.reset();
    } else if (*selected_ > removed) {
      --*selected_;
    }
  }
}

void ListModel::ClearItems() {
  items_.clear();
  selected_.reset();
}

int64_t ListModel::GetState() const {
  return selected_ ? static_cast<int64_t>(*selected_) : -1;
}

void ListModel::SetState(int64_t index) {
  const int32_t at = ToControlIndex(index);
  if (Names(at)) {
    selected_ = static_cast<size_t>(at);
  } else {
    selected_.reset();
  }
}

std::u16string ListModel::GetItemText(int64_t index) const {
  const int32_t at = ToControlIndex(index);
  return Names(at) ? items_[static_cast<size_t>(at)] : std::u16string();
}

}  // namespace quorvel
