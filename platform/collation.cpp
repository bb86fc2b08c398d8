#include "platform/collation.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/private_codes.h"
#include "platform/shift_jis.h"
#include "platform/worker_pool.h"

namespace platform {
namespace {

// How many sort-key bytes each line gets at first, and by how many a group
// of lines with equal keys is extended. Most lines differ within the first
// few characters; only those that do not pay for more key.
constexpr int32_t kKeyChunk = 64;

// Shift-JIS to case-folded UTF-16, one table look-up per character. Built
// once from ICU's code page 932 converter.
class FoldingDecoder {
 public:
  FoldingDecoder() : single_{}, pair_(65536, kInvalid) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* cp932 = ucnv_open("windows-31j", &status);
    if (U_FAILURE(status)) throw std::runtime_error("code page 932 converter missing");
    for (int b = 0; b < 256; ++b) {
      const char in[1] = {static_cast<char>(b)};
      single_[b] = IsLeadByte(static_cast<unsigned char>(b)) ? kInvalid : Decode(cp932, in, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0; trail < 256; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        pair_[static_cast<size_t>(lead << 8 | trail)] = Decode(cp932, in, 2);
      }
    }
    ucnv_close(cp932);
  }

  void Decode(std::string_view text, std::u16string& out, const PrivateCodes* codes) const {
    out.clear();
    out.reserve(text.size());
    DecodeSome(text, 0, text.size(), out, codes);
  }

  // Appends the characters from byte `from` on until at least `bytes` bytes
  // are read or the text ends; returns where the next character begins.
  size_t DecodeSome(std::string_view text, size_t from, size_t bytes, std::u16string& out,
                    const PrivateCodes* codes) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    const size_t until = bytes < n - from ? from + bytes : n;
    size_t i = from;
    for (; i < until; ++i) {
      if (IsLeadByte(p[i]) && i + 1 < n) {
        // User-defined codes open with F0 to F9; only those the run handed
        // out stand for other characters.
        if (codes != nullptr && p[i] >= 0xF0) {
          if (const auto c = codes->CharacterAt(text, i)) {
            const UChar32 folded = u_tolower(static_cast<UChar32>(*c));
            if (U_IS_BMP(folded)) {
              out.push_back(static_cast<UChar>(folded));
            } else {
              out.push_back(U16_LEAD(folded));
              out.push_back(U16_TRAIL(folded));
            }
            ++i;
            continue;
          }
        }
        const UChar c = pair_[static_cast<size_t>(p[i] << 8 | p[i + 1])];
        if (c != kInvalid) {
          out.push_back(c);
          ++i;
          continue;
        }
      }
      // Bytes that form no character keep a weight of their own, so that
      // lines differing only in them still differ.
      const UChar c = single_[p[i]];
      out.push_back(c != kInvalid ? c : static_cast<UChar>(0xF700 + p[i]));
    }
    return i;
  }

 private:
  static constexpr UChar kInvalid = 0xFFFF;

  static UChar Decode(UConverter* cp932, const char* in, int32_t length) {
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(cp932);
    ucnv_setToUCallBack(cp932, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const int32_t n = ucnv_toUChars(cp932, out, 4, in, length, &status);
    if (U_FAILURE(status) || n != 1 || U16_IS_SURROGATE(out[0])) return kInvalid;
    return static_cast<UChar>(u_tolower(out[0]));
  }

  std::array<UChar, 256> single_;
  std::vector<UChar> pair_;
};

const FoldingDecoder& Decoder() {
  static const FoldingDecoder decoder;  // built on first use, shared read-only
  return decoder;
}

// A Shift-JIS text as ICU reads it, decoded only as far as ICU asks: a
// chunk of a sort key stops reading once the chunk is full, which for most
// lines is long before their end.
class LazyText {
 public:
  LazyText(std::string_view text, const PrivateCodes* codes, std::u16string& buffer)
      : text_(text), codes_(codes), out_(buffer) {
    out_.clear();
    iterator_ = UCharIterator{};
    iterator_.context = this;
    iterator_.getIndex = GetIndex;
    iterator_.move = Move;
    iterator_.hasNext = HasNext;
    iterator_.hasPrevious = HasPrevious;
    iterator_.current = Current;
    iterator_.next = Next;
    iterator_.previous = Previous;
    iterator_.getState = GetState;
    iterator_.setState = SetState;
  }
  LazyText(const LazyText&) = delete;
  LazyText& operator=(const LazyText&) = delete;

  UCharIterator* Iterator() { return &iterator_; }

 private:
  // Enough for a few characters of most lines without decoding them one by one.
  static constexpr size_t kPiece = 32;

  static LazyText& Of(const UCharIterator* it) {
    return *static_cast<LazyText*>(const_cast<void*>(it->context));
  }
  // Decodes the next piece; false when the whole text is decoded.
  bool More() {
    if (read_ >= text_.size()) return false;
    read_ = Decoder().DecodeSome(text_, read_, kPiece, out_, codes_);
    return true;
  }
  int32_t Length() {
    while (More()) {
    }
    return Size();
  }
  int32_t Size() const { return static_cast<int32_t>(out_.size()); }
  // Whether there is a character at `index`, decoding as far as needed.
  bool Has(int32_t index) {
    while (index >= Size()) {
      if (!More()) return false;
    }
    return true;
  }

  static int32_t GetIndex(UCharIterator* it, UCharIteratorOrigin origin) {
    LazyText& t = Of(it);
    switch (origin) {
      case UITER_ZERO:
      case UITER_START:
        return 0;
      case UITER_CURRENT:
        return t.index_;
      case UITER_LIMIT:
      case UITER_LENGTH:
        return t.Length();
    }
    return U_SENTINEL;
  }
  static int32_t Move(UCharIterator* it, int32_t delta, UCharIteratorOrigin origin) {
    LazyText& t = Of(it);
    int64_t to = delta;
    if (origin == UITER_CURRENT) to += t.index_;
    if (origin == UITER_LIMIT || origin == UITER_LENGTH) to += t.Length();
    to = std::max<int64_t>(to, 0);
    if (to > 0 && !t.Has(static_cast<int32_t>(std::min<int64_t>(to, INT32_MAX)) - 1)) {
      to = t.Size();
    }
    t.index_ = static_cast<int32_t>(to);
    return t.index_;
  }
  static UBool HasNext(UCharIterator* it) { return Of(it).Has(Of(it).index_); }
  static UBool HasPrevious(UCharIterator* it) { return Of(it).index_ > 0; }
  static UChar32 Current(UCharIterator* it) {
    LazyText& t = Of(it);
    return t.Has(t.index_) ? t.out_[static_cast<size_t>(t.index_)] : U_SENTINEL;
  }
  static UChar32 Next(UCharIterator* it) {
    LazyText& t = Of(it);
    return t.Has(t.index_) ? t.out_[static_cast<size_t>(t.index_++)] : U_SENTINEL;
  }
  static UChar32 Previous(UCharIterator* it) {
    LazyText& t = Of(it);
    return t.index_ > 0 ? t.out_[static_cast<size_t>(--t.index_)] : U_SENTINEL;
  }
  static uint32_t GetState(const UCharIterator* it) { return static_cast<uint32_t>(Of(it).index_); }
  static void SetState(UCharIterator* it, uint32_t state, UErrorCode* status) {
    if (status == nullptr || U_FAILURE(*status)) return;
    LazyText& t = Of(it);
    if (state > static_cast<uint32_t>(INT32_MAX) ||
        (state > 0 && !t.Has(static_cast<int32_t>(state) - 1))) {
      *status = U_INDEX_OUTOFBOUNDS_ERROR;
      return;
    }
    t.index_ = static_cast<int32_t>(state);
  }

  std::string_view text_;
  const PrivateCodes* codes_;
  std::u16string& out_;
  size_t read_ = 0;  // bytes of text_ decoded into out_
  int32_t index_ = 0;
  UCharIterator iterator_;
};

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

Collator OpenJapanese() {
  UErrorCode status = U_ZERO_ERROR;
  Collator c(ucol_open("ja", &status));
  if (U_FAILURE(status)) throw std::runtime_error("Japanese collation missing");
  return c;
}

// One line on its way to its place: the bytes of its sort key for the
// current round. A table may hold millions, so it is kept small.
struct Item {
  uint32_t index;
  uint8_t length;  // bytes in key
  bool complete;   // key holds the rest of the line's sort key
  uint8_t key[kKeyChunk];
};

class KeyMaker {
 public:
  KeyMaker(const UCollator* base, const PrivateCodes* codes) : codes_(codes) {
    UErrorCode status = U_ZERO_ERROR;
    collator_.reset(ucol_clone(base, &status));
    if (U_FAILURE(status)) throw std::runtime_error("cannot clone collator");
  }

  // The whole sort key of `text`.
  void FullKey(std::string_view text, std::string& key) {
    Decoder().Decode(text, utf16_, codes_);
    const auto length = static_cast<int32_t>(utf16_.size());
    key.resize(std::max<size_t>(key.capacity(), 64));
    for (;;) {
      const int32_t n =
          ucol_getSortKey(collator_.get(), utf16_.data(), length,
                          reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
      if (n <= 0) throw std::runtime_error("sort key failed");
      if (static_cast<size_t>(n) <= key.size()) {
        key.resize(static_cast<size_t>(n));
        return;
      }
      key.resize(static_cast<size_t>(n));
    }
  }

  // Chunk `round` (0 or 1) of the sort key of `text` into `item`. ICU
  // builds every chunk from the start of the line anyway, so a later round
  // asks for the chunks before it again instead of keeping ICU's state.
  void Chunk(std::string_view text, int round, Item& item) {
    LazyText lazy(text, codes_, utf16_);
    uint8_t key[2 * kKeyChunk];
    uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucol_nextSortKeyPart(collator_.get(), lazy.Iterator(), state, key,
                                           kKeyChunk * (round + 1), &status);
    if (U_FAILURE(status)) throw std::runtime_error("sort key failed");
    const int32_t length = std::max(n - kKeyChunk * round, 0);
    std::memcpy(item.key, key + kKeyChunk * round, static_cast<size_t>(length));
    item.length = static_cast<uint8_t>(length);
    item.complete = length < kKeyChunk;
  }

 private:
  Collator collator_;
  const PrivateCodes* codes_;
  std::u16string utf16_;
};

class Sorter {
 public:
  Sorter(uint32_t count, const TextAt& text, unsigned threads, const PrivateCodes* codes)
      : count_(count),
        texts_(text),
        threads_(threads),
        collator_(OpenJapanese()),
        codes_(codes != nullptr && !codes->empty() ? codes : nullptr) {}

  std::vector<uint32_t> Run() {
    std::vector<Item> items(count_);
    const size_t workers = WorkerCount(items.size(), threads_);
    FirstChunks(items, workers);
    SortByFirstChunks(items, workers);
    ResolveTies(items, workers);
    std::vector<uint32_t> order;
    order.reserve(items.size());
    for (const Item& item : items) order.push_back(item.index);
    return order;
  }

 private:
  using Iter = std::vector<Item>::iterator;

  void FirstChunks(std::vector<Item>& items, size_t workers) {
    ForEachPart(items.size(), workers, [&](size_t begin, size_t end, size_t) {
      KeyMaker maker(collator_.get(), codes_);
      for (size_t i = begin; i < end; ++i) {
        items[i].index = static_cast<uint32_t>(i);
        maker.Chunk(texts_(items[i].index), 0, items[i]);
      }
    });
  }

  // The items are split in place into shares that follow each other in
  // order, and each worker sorts one. Merging sorted shares instead would
  // take a buffer of half the items.
  void SortByFirstChunks(std::vector<Item>& items, size_t workers) {
    const size_t n = items.size();
    auto less = [this](const Item& a, const Item& b) { return Less(a, b); };
    auto at = [&items](size_t i) { return items.begin() + static_cast<std::ptrdiff_t>(i); };
    for (size_t w = 1; w < workers; ++w) {
      std::nth_element(at(n * (w - 1) / workers), at(n * w / workers), items.end(), less);
    }
    ForEachPart(n, workers,
                [&](size_t begin, size_t end, size_t) { std::sort(at(begin), at(end), less); });
  }

  // Lines whose first chunks are equal form groups that are ordered by
  // further chunks, independently of each other, so the workers share them.
  void ResolveTies(std::vector<Item>& items, size_t workers) {
    std::vector<std::pair<Iter, Iter>> groups = UnfinishedGroups(items.begin(), items.end());
    size_t tied = 0;
    for (const auto& [from, to] : groups) tied += static_cast<size_t>(to - from);
    workers = WorkerCount(tied, workers);
    RunWorkers(workers, [&](size_t w) {
      KeyMaker maker(collator_.get(), codes_);
      for (size_t g = w; g < groups.size(); g += workers) {
        SortGroup(groups[g].first, groups[g].second, maker);
      }
    });
  }

  std::vector<std::pair<Iter, Iter>> UnfinishedGroups(Iter from, Iter to) const {
    std::vector<std::pair<Iter, Iter>> groups;
    for (Iter run = from; run != to;) {
      Iter end = run + 1;
      while (end != to && SameUnfinishedChunk(*run, *end)) ++end;
      if (end - run > 1) groups.emplace_back(run, end);
      run = end;
    }
    return groups;
  }

  // Orders by the current chunk; lines whose chunks are equal and both
  // incomplete are left as equals, to be told apart by their next chunks.
  bool Less(const Item& a, const Item& b) const {
    const int common = std::min(a.length, b.length);
    const int c = std::memcmp(a.key, b.key, static_cast<size_t>(common));
    if (c != 0) return c < 0;
    if (a.complete && b.complete) {
      if (a.length != b.length) return a.length < b.length;
      return texts_(a.index) < texts_(b.index);
    }
    if (a.complete != b.complete) return a.complete;
    return false;
  }

  static bool SameUnfinishedChunk(const Item& a, const Item& b) {
    return !a.complete && !b.complete && a.length == b.length &&
           std::memcmp(a.key, b.key, a.length) == 0;
  }

  // Lines whose first chunks are equal share a long beginning (the same
  // author, the same words of the file type). One more chunk tells most of
  // them apart. ICU builds every further chunk from the start of the line,
  // which would grow with the square of a long shared beginning, so what is
  // still tied after that gets its whole keys at once.
  void SortGroup(Iter first, Iter last, KeyMaker& maker) {
    for (Iter it = first; it != last; ++it) maker.Chunk(texts_(it->index), 1, *it);
    std::sort(first, last, [this](const Item& a, const Item& b) { return Less(a, b); });
    for (const auto& [from, to] : UnfinishedGroups(first, last)) SortByWholeKeys(from, to, maker);
  }

  void SortByWholeKeys(Iter first, Iter last, KeyMaker& maker) {
    struct Keyed {
      std::string key;
      Item item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(last - first));
    for (Iter it = first; it != last; ++it) {
      keyed.push_back({std::string(), *it});
      maker.FullKey(texts_(it->index), keyed.back().key);
    }
    std::sort(keyed.begin(), keyed.end(), [this](const Keyed& a, const Keyed& b) {
      if (a.key != b.key) return a.key < b.key;
      return texts_(a.item.index) < texts_(b.item.index);
    });
    Iter out = first;
    for (const Keyed& k : keyed) *out++ = k.item;
  }

  uint32_t count_;
  const TextAt& texts_;
  unsigned threads_;
  Collator collator_;
  const PrivateCodes* codes_;
};

}  // namespace

std::vector<uint32_t> JapaneseSortOrder(uint32_t count, const TextAt& text, unsigned threads,
                                        const PrivateCodes* codes) {
  return Sorter(count, text, threads, codes).Run();
}

std::vector<uint32_t> JapaneseSortOrder(const std::vector<std::string_view>& texts,
                                        unsigned threads, const PrivateCodes* codes) {
  const TextAt text = [&texts](uint32_t i) { return texts[i]; };
  return JapaneseSortOrder(static_cast<uint32_t>(texts.size()), text, threads, codes);
}

int JapaneseCompare(std::string_view a, std::string_view b) {
  const std::vector<std::string_view> pair{a, b};
  const std::vector<uint32_t> order = JapaneseSortOrder(pair, 1);
  if (a == b) return 0;
  return order[0] == 0 ? -1 : 1;
}

}  // namespace platform
