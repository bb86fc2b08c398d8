// Values that come again from entry to entry: a bibliography names the same
// authors and the same readings over and over (every work of an author), and
// their name lists and romanised readings cost more to make than to look up.
// One memo serves one worker for one run's settings; it holds only values
// whose making warned of nothing, so every entry still gets its warnings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace refmill::format {

class ValueMemo {
 public:
  // What a value is made by besides its text: the column's rules, or the
  // romanisation of a sort field or ID.
  struct Maker {
    int32_t column;
    uint8_t flags;
  };
  static constexpr int32_t kRomaji = -100;

  // The value `maker` made of `text` before, or null.
  const std::string* Find(Maker maker, std::string_view text);
  // Remembers `value` as what `maker` makes of `text`, the text passed to
  // the Find just before.
  void Keep(std::string value);

 private:
  // Longer texts are titles and the like, which rarely come again.
  static constexpr size_t kLongestText = 256;
  // A value has one place, by the hash of its key, and takes it from
  // whatever was there: the memo stays small enough for the cache, costs
  // no allocation once its places are filled, and never grows with a table
  // of only distinct names.
  static constexpr size_t kPlaces = 2048;

  struct Place {
    std::string key;
    std::string value;
  };
  std::array<Place, kPlaces> places_;
  std::string key_;         // the last Find's key
  Place* place_ = nullptr;  // and its place, while a value may be kept there
};

}  // namespace refmill::format
