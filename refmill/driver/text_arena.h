// Storage for the many short texts of a conversion (a million entry lines,
// their authors and years, the re-formatted entries). Texts are copied into
// large blocks and never move, so views of them stay valid until the arena
// goes, and releasing a whole table costs a handful of frees instead of
// millions.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace refmill::driver {

// Each worker fills an arena of its own, and the arenas of a conversion lie
// side by side: one cache line each, or every text stored would take the
// line from the other core.
class alignas(64) TextArena {
 public:
  // A stable copy of the concatenation of `pieces`.
  template <class... Pieces>
  std::string_view Store(const Pieces&... pieces) {
    const size_t size = (std::string_view(pieces).size() + ... + 0);
    return std::string_view(StoreWritable(pieces...), size);
  }
  // The same, for a caller that may later write over the copy (never past
  // its end).
  template <class... Pieces>
  char* StoreWritable(const Pieces&... pieces) {
    const size_t size = (std::string_view(pieces).size() + ... + 0);
    char* out = Reserve(size);
    char* at = out;
    ((at = Copy(at, std::string_view(pieces))), ...);
    return out;
  }

 private:
  static constexpr size_t kBlockSize = size_t{4} << 20;

  static char* Copy(char* at, std::string_view piece) {
    if (!piece.empty()) std::memcpy(at, piece.data(), piece.size());
    return at + piece.size();
  }
  char* Reserve(size_t size) {
    if (blocks_.empty() || left_ < size) {
      const size_t block = size > kBlockSize ? size : kBlockSize;
      // Not zeroed first: every byte handed out is written at once.
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(block));
      next_ = blocks_.back().get();
      left_ = block;
    }
    char* out = next_;
    next_ += size;
    left_ -= size;
    return out;
  }

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

}  // namespace refmill::driver
