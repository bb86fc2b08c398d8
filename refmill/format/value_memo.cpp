#include "refmill/format/value_memo.h"

#include <cstring>
#include <functional>

namespace refmill::format {

const std::string* ValueMemo::Find(Maker maker, std::string_view text) {
  place_ = nullptr;
  if (text.size() > kLongestText) return nullptr;
  key_.resize(sizeof maker.column + sizeof maker.flags);
  std::memcpy(key_.data(), &maker.column, sizeof maker.column);
  std::memcpy(key_.data() + sizeof maker.column, &maker.flags, sizeof maker.flags);
  key_.append(text);
  Place& place = places_[std::hash<std::string_view>()(key_) % kPlaces];
  if (place.key == key_) return &place.value;
  place_ = &place;
  return nullptr;
}

void ValueMemo::Keep(std::string value) {
  if (place_ == nullptr) return;
  place_->key = key_;
  place_->value = std::move(value);
  place_ = nullptr;
}

}  // namespace refmill::format
