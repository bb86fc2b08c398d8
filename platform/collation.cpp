#include "platform/collation.h"

#include <unicode/icudataver.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uiter.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "platform/private_codes.h"
#include "platform/shift_jis.h"
#include "platform/sort_table.h"
#include "platform/utf8_scan.h"
#include "platform/worker_pool.h"

namespace platform {
namespace {

// How many sort-key bytes each line gets at first, and by how many a group
// of lines with equal keys is extended. Most lines differ within the first
// few characters; only those that do not pay for more key. With its index
// and two bytes an item is 48 bytes: the items are what the sort adds to
// the run's memory at its peak (64 bytes of key took 24 MB more for a
// million lines, and sorted no faster).
constexpr int32_t kKeyChunk = 42;
// The bytes a character's packed codes are written as, whatever their length.
constexpr size_t kPackedCodes = sizeof(uint64_t);

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
      out.push_back(c != kInvalid ? c : Unpaired(p[i]));
    }
    return i;
  }

  // The folded character of one byte or one pair of bytes, as DecodeSome
  // reads them; kInvalid where they form no character.
  UChar Single(unsigned char b) const { return single_[b]; }
  UChar Pair(unsigned char lead, unsigned char trail) const {
    return pair_[static_cast<size_t>(lead << 8 | trail)];
  }
  static constexpr UChar kInvalid = 0xFFFF;
  // What a byte that forms no character stands for.
  static UChar Unpaired(unsigned char b) { return static_cast<UChar>(0xF700 + b); }

 private:
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

// Primary weights of the whole sort key, one character at a time. A sort
// key orders texts first by the sequence of their characters' primary
// weights, so that sequence, each weight written as its bytes without the
// trailing zero bytes (the way the key writes them, never one weight the
// start of another), orders texts the same way wherever their weights
// differ. Asking ICU for a key chunk walks every character through its
// iterator; a table of each Shift-JIS character's weights, read from ICU
// once, makes the common case a look-up per character. Texts whose weights
// depend on their neighbours are read through ICU's element iterator.
class PrimaryCodes {
 public:
  // The table, or nothing when the collation cannot be read this way; then
  // the chunks of ICU's own keys are used.
  static const PrimaryCodes* Get() {
    static const std::unique_ptr<PrimaryCodes> codes = Load();
    return codes.get();
  }

  // The table read from ICU, as bytes: the ICU versions it was read from,
  // then its parts in the machine's own byte order. Empty when the
  // collation cannot be read this way.
  static std::string BytesFromIcu() {
    const std::unique_ptr<PrimaryCodes> codes = Build();
    if (codes == nullptr) return {};
    std::string bytes = Header(static_cast<uint32_t>(codes->pool_.size()));
    bytes.append(reinterpret_cast<const char*>(codes->lead_.data()), codes->lead_.size());
    bytes += codes->pool_;
    AppendRaw(codes->units_, bytes);
    AppendRaw(codes->contextual_, bytes);
    AppendRaw(codes->packed_, bytes);
    return bytes;
  }

  // The table from BytesFromIcu, or nothing when those bytes came from
  // another ICU (or another kind of machine) or are not whole.
  static std::unique_ptr<PrimaryCodes> FromBytes(std::string_view bytes) {
    if (bytes.size() < kHeaderSize) return nullptr;
    uint32_t pool_size = 0;
    std::memcpy(&pool_size, bytes.data() + kHeaderSize - 4, 4);
    if (bytes.substr(0, kHeaderSize) != Header(pool_size)) return nullptr;
    const size_t lead_size = 256;
    const size_t want = kHeaderSize + lead_size + pool_size + kUnits * (4 + 1 + 8);
    if (bytes.size() != want) return nullptr;
    auto codes = std::make_unique<PrimaryCodes>();
    size_t at = kHeaderSize;
    std::memcpy(codes->lead_.data(), bytes.data() + at, lead_size);
    at += lead_size;
    codes->pool_.assign(bytes.substr(at, pool_size));
    at += pool_size;
    at = ReadRaw(bytes, at, codes->units_);
    at = ReadRaw(bytes, at, codes->contextual_);
    ReadRaw(bytes, at, codes->packed_);
    return codes;
  }

  static size_t PairUnit(int lead, int trail) {
    return 256 + static_cast<size_t>(lead << 8 | trail);
  }
  // The codes of one decoded unit: a byte (below 256) or a byte pair
  // (PairUnit). Empty for ignorable characters.
  std::string_view Of(size_t unit) const {
    const uint32_t e = units_[unit];
    return std::string_view(pool_).substr(e >> 8, e & 0xFF);
  }
  // A character whose weights change with the one before it: the
  // prolonged sound mark and the iteration marks take the kana they follow.
  bool Contextual(size_t unit) const { return contextual_[unit] != 0; }

  // The same facts of one unit packed into one word, for the walk that
  // makes every line's first chunk: the length of its codes in the low
  // byte (kSlow when they are longer than seven bytes or the unit is
  // contextual), the codes in the bytes above, first code lowest; a pair
  // that forms no character is kNoPair.
  static constexpr uint64_t kSlow = 0xFF;
  static constexpr uint64_t kNoPair = 0xFE;
  uint64_t Packed(size_t unit) const { return packed_[unit]; }

  // Appends the codes of primary weight `p` (its lead byte as the
  // collation's script order places it); false when that order is unknown.
  bool Append(uint32_t p, std::string& out) const {
    const uint8_t lead = lead_[p >> 24];
    if (lead == 0) return false;
    out.push_back(static_cast<char>(lead));
    for (int shift = 16; shift >= 0 && (p & ((1u << (shift + 8)) - 1)) != 0; shift -= 8) {
      out.push_back(static_cast<char>(p >> shift));
    }
    return true;
  }

  // Hands `take` the primary weights of `text` as ICU's element iterator
  // gives them, until it returns false.
  template <class Take>
  static void ForEachPrimary(UCollationElements* elements, const std::u16string& text,
                             const Take& take) {
    UErrorCode status = U_ZERO_ERROR;
    ucol_setText(elements, text.data(), static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) throw std::runtime_error("collation elements failed");
    uint32_t pending = 0;
    for (;;) {
      const int32_t ce = ucol_next(elements, &status);
      if (ce == UCOL_NULLORDER || U_FAILURE(status)) break;
      const auto half = static_cast<uint32_t>(ce);
      // A weight longer than two bytes comes in two halves, the second
      // marked as a continuation.
      if ((half & 0xC0) == 0xC0) {
        pending |= half >> 16;
        continue;
      }
      if (pending != 0 && !take(pending)) return;
      pending = half & 0xFFFF0000;
    }
    if (pending != 0) take(pending);
  }

  // All the primary weights of `text`.
  static void Primaries(UCollationElements* elements, const std::u16string& text,
                        std::vector<uint32_t>& out) {
    out.clear();
    ForEachPrimary(elements, text, [&out](uint32_t weight) {
      out.push_back(weight);
      return true;
    });
  }

 private:
  static constexpr size_t kUnits = 256 + 65536;

  // The table the program was built with when it fits the ICU of this run;
  // otherwise read from ICU now.
  static std::unique_ptr<PrimaryCodes> Load() {
    if (std::unique_ptr<PrimaryCodes> codes = FromBytes(BuiltInSortTable())) return codes;
    return Build();
  }

  // What a table in bytes begins with: what it is, the versions of the ICU
  // library, of its data and of the Japanese collation it was read from, a
  // word that shows the byte order, and the size of its pool.
  static constexpr size_t kHeaderSize = 4 + 3 * sizeof(UVersionInfo) + 4 + 4;
  static std::string Header(uint32_t pool_size) {
    UVersionInfo library{};
    UVersionInfo data{};
    UVersionInfo collation{};
    u_getVersion(library);
    UErrorCode status = U_ZERO_ERROR;
    u_getDataVersion(data, &status);
    ucol_getVersion(OpenJapanese().get(), collation);
    std::string header = "RMS1";
    for (const UVersionInfo* v : {&library, &data, &collation}) {
      header.append(reinterpret_cast<const char*>(*v), sizeof(UVersionInfo));
    }
    const uint32_t order = 0x01020304;
    header.append(reinterpret_cast<const char*>(&order), 4);
    header.append(reinterpret_cast<const char*>(&pool_size), 4);
    return header;
  }
  template <class T>
  static void AppendRaw(const std::vector<T>& values, std::string& out) {
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
  }
  template <class T>
  static size_t ReadRaw(std::string_view bytes, size_t at, std::vector<T>& values) {
    values.resize(kUnits);
    std::memcpy(values.data(), bytes.data() + at, kUnits * sizeof(T));
    return at + kUnits * sizeof(T);
  }

  static std::unique_ptr<PrimaryCodes> Build() {
    UErrorCode status = U_ZERO_ERROR;
    const Collator collator = OpenJapanese();
    // Blanks and punctuation must weigh at the primary level.
    if (ucol_getAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, &status) != UCOL_NON_IGNORABLE ||
        U_FAILURE(status)) {
      return nullptr;
    }
    std::unique_ptr<UCollationElements, void (*)(UCollationElements*)> elements(
        ucol_openElements(collator.get(), nullptr, 0, &status), ucol_closeElements);
    if (U_FAILURE(status)) return nullptr;
    auto codes = std::make_unique<PrimaryCodes>();
    const FoldingDecoder& decoder = Decoder();
    // Each character's weights are read once, however many units decode to it.
    std::vector<std::vector<uint32_t>> weights;
    std::vector<bool> contextual;
    std::unordered_map<UChar, uint32_t> by_character;
    std::vector<uint32_t> character_of(kUnits, 0);
    std::u16string text;
    auto read = [&](size_t unit, UChar c) -> bool {
      auto [it, added] = by_character.emplace(c, static_cast<uint32_t>(weights.size()));
      character_of[unit] = it->second;
      if (!added) return true;
      text.assign(1, c);
      weights.emplace_back();
      Primaries(elements.get(), text, weights.back());
      contextual.push_back(IsContextual(c));
      // The key shows where the script order puts a weight's lead byte.
      if (weights.back().size() == 1) {
        uint8_t key[32];
        const int32_t n = ucol_getSortKey(collator.get(), text.data(), 1, key, sizeof key);
        if (n <= 0 || n > static_cast<int32_t>(sizeof key)) return false;
        uint8_t& lead = codes->lead_[weights.back()[0] >> 24];
        if (lead != 0 && lead != key[0]) return false;  // a lead byte split between scripts
        lead = key[0];
      }
      return true;
    };
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const UChar c = decoder.Single(byte);
      if (!read(byte, c != FoldingDecoder::kInvalid ? c : FoldingDecoder::Unpaired(byte))) {
        return nullptr;
      }
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0; trail < 256; ++trail) {
        const UChar c =
            decoder.Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        if (c != FoldingDecoder::kInvalid && !read(PairUnit(lead, trail), c)) return nullptr;
      }
    }
    // Every lead byte a character weighs with alone is known now.
    std::vector<uint32_t> entries;
    std::string bytes;
    for (const std::vector<uint32_t>& w : weights) {
      bytes.clear();
      for (const uint32_t p : w) {
        if (!codes->Append(p, bytes)) return nullptr;
      }
      if (bytes.size() > 0xFF) return nullptr;
      entries.push_back(static_cast<uint32_t>(codes->pool_.size()) << 8 |
                        static_cast<uint32_t>(bytes.size()));
      codes->pool_ += bytes;
    }
    codes->units_.resize(kUnits);
    codes->contextual_.resize(kUnits);
    codes->packed_.assign(kUnits, kNoPair);
    for (size_t unit = 0; unit < kUnits; ++unit) {
      codes->units_[unit] = entries[character_of[unit]];
      codes->contextual_[unit] = contextual[character_of[unit]] ? 1 : 0;
      const bool pair_of_no_character =
          unit >= 256 &&
          decoder.Pair(static_cast<unsigned char>((unit - 256) >> 8),
                       static_cast<unsigned char>(unit - 256)) == FoldingDecoder::kInvalid;
      if (pair_of_no_character) continue;
      const std::string_view unit_codes = codes->Of(unit);
      uint64_t packed = kSlow;
      if (unit_codes.size() < 8 && codes->contextual_[unit] == 0) {
        packed = unit_codes.size();
        for (size_t i = 0; i < unit_codes.size(); ++i) {
          packed |= uint64_t{static_cast<unsigned char>(unit_codes[i])} << (8 * (i + 1));
        }
      }
      codes->packed_[unit] = packed;
    }
    return codes;
  }

  // Characters the Japanese collation maps differently after certain
  // others (the prolonged sound mark and the iteration marks), with their
  // half-width and combining forms and the voiced sound marks. Listed
  // rather than asked for, which takes ICU tens of milliseconds; a test
  // checks that every such character Shift-JIS has is here.
  static bool IsContextual(UChar c) {
    return (c >= 0x3099 && c <= 0x309E) || (c >= 0x30FC && c <= 0x30FE) || c == 0xFF70 ||
           c == 0xFF9E || c == 0xFF9F;
  }

  std::vector<uint32_t> units_;      // pool offset << 8 | length
  std::vector<uint8_t> contextual_;  // by unit
  std::vector<uint64_t> packed_;     // by unit
  std::string pool_;
  std::array<uint8_t, 256> lead_{};  // lead byte in the key, by lead byte of the weight
};

// One line on its way to its place: the bytes of its sort key for the
// current round. A table may hold millions, so it is kept small.
struct Item {
  // Left unset: the first chunks fill every item, on the core that makes
  // them, instead of one core clearing them all first.
  Item() {}  // NOLINT(modernize-use-equals-default): = default would zero them
  uint32_t index;
  uint8_t length;  // bytes in key
  bool complete;   // key holds the rest of the line's sort key
  uint8_t key[kKeyChunk];
};
static_assert(sizeof(Item) == 48, "a million items take 48 MB: see kKeyChunk");

class KeyMaker {
 public:
  // With `table`, chunks are of primary codes; without, of ICU's own keys.
  KeyMaker(const UCollator* base, const PrivateCodes* codes, const PrimaryCodes* table)
      : codes_(codes), table_(table) {
    UErrorCode status = U_ZERO_ERROR;
    collator_.reset(ucol_clone(base, &status));
    if (U_FAILURE(status)) throw std::runtime_error("cannot clone collator");
  }
  KeyMaker(const KeyMaker&) = delete;
  KeyMaker& operator=(const KeyMaker&) = delete;
  ~KeyMaker() {
    if (elements_ != nullptr) ucol_closeElements(elements_);
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

  // Chunk `round` (0 or 1; with primary codes only 0) of `text` into
  // `item`. False only with primary codes, for a text holding a weight
  // whose script order the table does not know; the sort then takes ICU's
  // keys for every text.
  bool Chunk(std::string_view text, int round, Item& item) {
    if (table_ != nullptr) {
      if (round != 0) throw std::logic_error("primary codes make only first chunks");
      return CodeChunk(text, item);
    }
    IcuChunk(text, round, item);
    return true;
  }

  // All the primary codes of `text`, for telling apart lines whose chunks
  // are equal. Only for texts whose first chunk was made with codes. False
  // for a text holding a weight whose script order the table does not know
  // (a character Shift-JIS lacks, past the first chunk).
  bool AllCodes(std::string_view text, std::string& out) {
    if (!HoldsUserDefined(text)) {
      const auto room = [&out](size_t at) {
        if (out.size() < at + kPackedCodes) out.resize(std::max(2 * out.size(), at + kPackedCodes));
        return reinterpret_cast<uint8_t*>(out.data()) + at;
      };
      if (const std::optional<size_t> made = PackedCodes(text, SIZE_MAX, room)) {
        out.resize(*made);
        return true;
      }
    }
    struct Whole {
      std::string& out;
      bool Put(std::string_view bytes) {
        out.append(bytes);
        return true;
      }
      void Reset() { out.clear(); }
    } whole{out};
    out.clear();
    return Codes(text, whole);
  }

 private:
  // ICU builds every chunk from the start of the line anyway, so a later
  // round asks for the chunks before it again instead of keeping ICU's state.
  void IcuChunk(std::string_view text, int round, Item& item) {
    uint8_t key[2 * kKeyChunk];
    if (round < 0 || round > 1) throw std::logic_error("ICU's chunks go two rounds deep");
    LazyText lazy(text, codes_, utf16_);
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

  // Collects a line's first chunk of codes.
  class Window {
   public:
    explicit Window(Item& item) : item_(item) {}
    // False once the chunk is full: the rest of the text need not be read.
    bool Put(std::string_view bytes) {
      const size_t taken = std::min(bytes.size(), kWant - produced_);
      // A character's codes are a few bytes: copied here, not by a call.
      for (size_t i = 0; i < taken; ++i) item_.key[produced_ + i] = static_cast<uint8_t>(bytes[i]);
      produced_ += taken;
      return produced_ < kWant;
    }
    void Reset() { produced_ = 0; }
    void Finish() const {
      item_.length = static_cast<uint8_t>(produced_);
      item_.complete = produced_ < kWant;
    }

   private:
    static constexpr size_t kWant = kKeyChunk;
    size_t produced_ = 0;
    Item& item_;
  };

  // With codes only the first chunk is made: lines tied in it are told
  // apart by all their codes (AllCodes). A weight of unknown order past
  // the chunk is left to the tie, if any, whose lines then go by ICU's
  // whole keys: lines whose chunks differ are ordered within them.
  bool CodeChunk(std::string_view text, Item& item) {
    if (!HoldsUserDefined(text) && FirstCodes(text, item)) return true;
    Window window(item);
    if (!Codes(text, window)) return false;
    window.Finish();
    return true;
  }

  // Whether `text` holds a code handed out for a character Shift-JIS
  // lacks. Those open with a byte of F0 and up; so do many second bytes of
  // kanji, and a line of those goes the quick way all the same.
  bool HoldsUserDefined(std::string_view text) const {
    if (codes_ == nullptr) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t known = 0;  // a character boundary
    for (size_t i = 0; i + 1 < text.size(); ++i) {
      // Every line of a table with such codes passes here: its ASCII is
      // passed many bytes at a time, and a character begins after it.
      if (const size_t run_end = AsciiRunEnd(text, i); run_end > i) {
        i = known = run_end;
        if (i + 1 >= text.size()) break;
      }
      if (p[i] < 0xF0) continue;
      if (!BeginsCharacter(text, known, i)) {  // a second byte
        known = i + 1;
        continue;
      }
      if (codes_->CharacterAt(text, i)) return true;
      known = i;
    }
    return false;
  }

  // The first chunk the quick way; false, with nothing decided, for a text
  // that needs the full walk.
  bool FirstCodes(std::string_view text, Item& item) {
    uint8_t buffer[kKeyChunk + kPackedCodes];
    const std::optional<size_t> made =
        PackedCodes(text, kKeyChunk, [&buffer](size_t at) { return buffer + at; });
    if (!made) return false;
    const size_t length = std::min<size_t>(*made, kKeyChunk);
    std::memcpy(item.key, buffer, length);
    item.length = static_cast<uint8_t>(length);
    item.complete = length < kKeyChunk;
    return true;
  }

  // The codes of `text` eight bytes at a time from the packed table, until
  // at least `want` bytes are made: how many were made, or nothing, with
  // nothing decided, for a text that needs the full walk (a character with
  // long or contextual codes). All eight bytes of a character are written,
  // to `room(at)`, which must take them; those past its codes' length are
  // overwritten by the next character's or never read.
  template <class Room>
  std::optional<size_t> PackedCodes(std::string_view text, size_t want, const Room& room) const {
    size_t produced = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n && produced < want;) {
      uint64_t packed = PrimaryCodes::kNoPair;
      if (IsLeadByte(p[i]) && i + 1 < n)
        packed = table_->Packed(PrimaryCodes::PairUnit(p[i], p[i + 1]));
      if (packed == PrimaryCodes::kNoPair) {
        packed = table_->Packed(p[i]);
        ++i;
      } else {
        i += 2;
      }
      const size_t length = packed & 0xFF;
      if (length == PrimaryCodes::kSlow) return std::nullopt;
      uint64_t codes = packed >> 8;
      if constexpr (std::endian::native == std::endian::big) codes = __builtin_bswap64(codes);
      std::memcpy(room(produced), &codes, kPackedCodes);
      produced += length;
    }
    return produced;
  }

 private:
  // Hands `sink` the primary codes of `text` character by character until
  // its Put says enough. False when a weight's script order is unknown
  // before then.
  template <class Sink>
  bool Codes(std::string_view text, Sink& sink) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
      size_t unit = p[i];
      size_t length = 1;
      if (IsLeadByte(p[i]) && i + 1 < n) {
        if (codes_ != nullptr && p[i] >= 0xF0 && codes_->CharacterAt(text, i)) {
          return ElementCodes(text, sink);
        }
        if (table_->Packed(PrimaryCodes::PairUnit(p[i], p[i + 1])) != PrimaryCodes::kNoPair) {
          unit = PrimaryCodes::PairUnit(p[i], p[i + 1]);
          length = 2;
        }
      }
      if (i > 0 && table_->Contextual(unit)) return ElementCodes(text, sink);
      i += length;
      if (!sink.Put(table_->Of(unit))) break;
    }
    return true;
  }

  // The codes through ICU's element iterator, which knows the characters
  // that weigh by their neighbours; read no further than the sink wants.
  template <class Sink>
  bool ElementCodes(std::string_view text, Sink& sink) {
    if (elements_ == nullptr) {
      UErrorCode status = U_ZERO_ERROR;
      elements_ = ucol_openElements(collator_.get(), nullptr, 0, &status);
      if (U_FAILURE(status)) throw std::runtime_error("collation elements failed");
    }
    Decoder().Decode(text, utf16_, codes_);
    // What the table gave before it met such a character starts again.
    sink.Reset();
    bool known = true;
    PrimaryCodes::ForEachPrimary(elements_, utf16_, [&](uint32_t weight) {
      bytes_.clear();
      known = table_->Append(weight, bytes_);
      return known && sink.Put(bytes_);
    });
    return known;
  }

  Collator collator_;
  const PrivateCodes* codes_;
  const PrimaryCodes* table_;
  UCollationElements* elements_ = nullptr;
  std::u16string utf16_;
  std::string bytes_;  // one weight's codes
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
    table_ = PrimaryCodes::Get();
    for (;;) {
      std::atomic<bool> unknown{false};
      ForEachPart(items.size(), workers, [&](size_t begin, size_t end, size_t) {
        KeyMaker maker(collator_.get(), codes_, table_);
        for (size_t i = begin; i < end && !unknown.load(std::memory_order_relaxed); ++i) {
          items[i].index = static_cast<uint32_t>(i);
          if (!maker.Chunk(texts_(items[i].index), 0, items[i])) unknown = true;
        }
      });
      if (!unknown) return;
      table_ = nullptr;
    }
  }

  // The items are split in place into shares that follow each other in
  // order, and each worker sorts one. Merging sorted shares instead would
  // take a buffer of half the items.
  void SortByFirstChunks(std::vector<Item>& items, size_t workers) {
    const size_t n = items.size();
    std::vector<size_t> cuts{0};
    for (size_t w = 1; w < workers; ++w) cuts.push_back(Split(items, cuts.back(), n * w / workers));
    cuts.push_back(n);
    RunWorkers(workers, [&](size_t w) {
      std::sort(items.begin() + static_cast<std::ptrdiff_t>(cuts[w]),
                items.begin() + static_cast<std::ptrdiff_t>(cuts[w + 1]), Less);
    });
  }

  // Orders the items from `from` on so that none before the place returned
  // is greater than any from it on, that place as near `target` as equal
  // items allow. A pivot from a sample and two partitions cost about one
  // walk over the items, where finding the exact middle takes several; a
  // share a percent or two larger than the other costs less than that.
  // Items equal to the pivot may go to either share, so a table of equal
  // lines is still split in two halves.
  static size_t Split(std::vector<Item>& items, size_t from, size_t target) {
    constexpr size_t kSample = 1024;
    const auto at = [&items](size_t i) { return items.begin() + static_cast<std::ptrdiff_t>(i); };
    const size_t n = items.size() - from;
    if (n < 16 * kSample) {
      std::nth_element(at(from), at(target), items.end(), Less);
      return target;
    }
    std::vector<Item> sample;
    sample.reserve(kSample);
    for (size_t i = 0; i < kSample; ++i) sample.push_back(items[from + i * (n / kSample)]);
    const auto k = static_cast<std::ptrdiff_t>((target - from) * kSample / n);
    std::nth_element(sample.begin(), sample.begin() + k, sample.end(), Less);
    const Item pivot = sample[static_cast<size_t>(k)];
    const Iter lower =
        std::partition(at(from), items.end(), [&](const Item& x) { return Less(x, pivot); });
    const Iter upper =
        std::partition(lower, items.end(), [&](const Item& x) { return !Less(pivot, x); });
    return std::clamp(target, static_cast<size_t>(lower - items.begin()),
                      static_cast<size_t>(upper - items.begin()));
  }

  // Lines whose first chunks are equal form groups that are ordered by
  // further chunks, independently of each other, so the workers share them.
  void ResolveTies(std::vector<Item>& items, size_t workers) {
    std::vector<std::pair<Iter, Iter>> groups = UnfinishedGroups(items.begin(), items.end());
    size_t tied = 0;
    for (const auto& [from, to] : groups) tied += static_cast<size_t>(to - from);
    // A tied line is read again from where the tied lines part, where its
    // first chunk took a few of its characters: a few hundred of them are
    // worth a second thread.
    constexpr size_t kTiedLineWeight = 16;
    workers = WorkerCount(tied * kTiedLineWeight, workers);
    // Groups differ in size and in cost, so each worker takes the next few
    // groups left rather than every other one: dealt out in turn, one
    // worker could still have a quarter of its work ahead when the other
    // was done. A few neighbouring groups at a time keep the workers off
    // each other's items.
    constexpr size_t kGroupsTaken = 16;
    std::atomic<size_t> next{0};
    RunWorkers(workers, [&](size_t) {
      KeyMaker maker(collator_.get(), codes_, table_);
      for (size_t from = next.fetch_add(kGroupsTaken); from < groups.size();
           from = next.fetch_add(kGroupsTaken)) {
        for (size_t g = from; g < std::min(from + kGroupsTaken, groups.size()); ++g) {
          SortGroup(groups[g].first, groups[g].second, maker);
        }
      }
    });
  }

  std::vector<std::pair<Iter, Iter>> UnfinishedGroups(Iter from, Iter to) const {
    std::vector<std::pair<Iter, Iter>> groups;
    for (Iter run = from; run != to;) {
      Iter end = run + 1;
      while (end != to && SameChunk(*run, *end)) ++end;
      if (end - run > 1) groups.emplace_back(run, end);
      run = end;
    }
    return groups;
  }

  // Orders by the current chunk; lines whose chunks are equal are left as
  // equals, to be told apart by their next chunks or their whole keys.
  static bool Less(const Item& a, const Item& b) {
    const int common = std::min(a.length, b.length);
    const int c = std::memcmp(a.key, b.key, static_cast<size_t>(common));
    if (c != 0) return c < 0;
    if (a.complete && b.complete) return a.length < b.length;
    if (a.complete != b.complete) return a.complete;
    return false;
  }

  // Equal chunks are equally long, and so either both complete or not.
  static bool SameChunk(const Item& a, const Item& b) {
    return a.length == b.length && std::memcmp(a.key, b.key, a.length) == 0;
  }

  // Lines whose first chunks are equal share a long beginning (the same
  // author, the same words of the file type). ICU builds every further chunk
  // from the start of the line, which would grow with the square of a long
  // shared beginning, so one more chunk is asked for and what is still tied
  // after that gets its whole keys at once.
  void SortGroup(Iter first, Iter last, KeyMaker& maker) {
    // Complete chunks that are equal are equal keys, or with primary codes
    // equal in their primary weights: only whole keys tell them apart.
    if (first->complete) {
      SortByWholeKeys(first, last, maker);
      return;
    }
    if (table_ != nullptr) {
      SortByCodeChunks(first, last, maker, 0, 0);
      return;
    }
    for (Iter it = first; it != last; ++it) maker.Chunk(texts_(it->index), 1, *it);
    std::sort(first, last, Less);
    for (const auto& [from, to] : UnfinishedGroups(first, last)) SortByWholeKeys(from, to, maker);
  }

  // Most lines tied in their first chunk part a few words after the bytes
  // they share (an author's entries of one year): a chunk of codes from
  // there on tells them apart, for about a quarter less than reading each
  // whole from there. Lines still tied are taken on from the bytes they
  // share then, which must reach past `known` (where the round before
  // began; the first chunks began at the start), or are read whole after a
  // few rounds.
  void SortByCodeChunks(Iter first, Iter last, KeyMaker& maker, size_t known, int round) {
    constexpr int kRounds = 4;
    const size_t start = SharedStart(first, last);
    if (round == kRounds || start <= known) {
      SortByAllCodes(first, last, start, maker);
      return;
    }
    for (Iter it = first; it != last; ++it) {
      if (last - it > kTextsAhead) PrefetchText(texts_((it + kTextsAhead)->index), start);
      // Every weight of these lines was checked when their first chunks
      // were made; should one fail all the same, the whole keys decide.
      if (!maker.Chunk(texts_(it->index).substr(start), 0, *it)) {
        SortByWholeKeys(first, last, maker);
        return;
      }
    }
    std::sort(first, last, Less);
    for (const auto& [from, to] : UnfinishedGroups(first, last)) {
      // Equal complete chunks: equal in all their primary weights.
      if (from->complete) {
        SortByWholeKeys(from, to, maker);
      } else {
        SortByCodeChunks(from, to, maker, start, round + 1);
      }
    }
  }

  // Codes come from a table, so a line's codes are had whole in one walk:
  // lines that share a long beginning (the same entry many times over) are
  // told apart without going back to the start for every further chunk.
  // `start` is their SharedStart.
  void SortByAllCodes(Iter first, Iter last, size_t start, KeyMaker& maker) {
    struct Coded {
      std::string codes;
      Item item;
    };
    std::vector<Coded> coded(static_cast<size_t>(last - first));
    for (size_t i = 0; i < coded.size(); ++i) {
      coded[i].item = first[static_cast<std::ptrdiff_t>(i)];
      if (i + kTextsAhead < coded.size()) {
        PrefetchText(texts_(first[static_cast<std::ptrdiff_t>(i + kTextsAhead)].index), start);
      }
      if (!maker.AllCodes(texts_(coded[i].item.index).substr(start), coded[i].codes)) {
        SortByWholeKeys(first, last, maker);
        return;
      }
    }
    std::sort(coded.begin(), coded.end(),
              [](const Coded& a, const Coded& b) { return a.codes < b.codes; });
    Iter out = first;
    for (const Coded& c : coded) *out++ = c.item;
    // Equal in all their primary weights: the rest of the keys decide.
    for (size_t run = 0; run < coded.size();) {
      size_t end = run + 1;
      while (end < coded.size() && coded[end].codes == coded[run].codes) ++end;
      if (end - run > 1) {
        const auto from = first + static_cast<std::ptrdiff_t>(run);
        SortByWholeKeys(from, from + static_cast<std::ptrdiff_t>(end - run), maker);
      }
      run = end;
    }
  }

  // Tied lines lie all over memory, in sorted order: each walk over them
  // asks this many lines ahead for the one it will read.
  static constexpr std::ptrdiff_t kTextsAhead = 8;
  static void PrefetchText(std::string_view text, size_t from) {
    constexpr size_t kCacheLine = 64;
    for (size_t at = from; at < text.size() && at < from + 2 * kCacheLine; at += kCacheLine) {
      __builtin_prefetch(text.data() + at);
    }
  }

  // Where the codes of the lines [first, last) must be read from to order
  // them: lines that begin with the same bytes have the same codes for them,
  // so only the rest needs reading. The last shared character is read too,
  // as the one a character weighing by its neighbour looks back at; its own
  // codes, read without what came before it, are the same in every line.
  size_t SharedStart(Iter first, Iter last) const {
    const std::string_view head = texts_(first->index);
    size_t shared = head.size();
    for (Iter it = first + 1; it != last && shared > 0; ++it) {
      if (last - it > kTextsAhead) PrefetchText(texts_((it + kTextsAhead)->index), 0);
      const std::string_view text = texts_(it->index);
      shared = SameBytes(head.data(), text.data(), std::min(shared, text.size()));
    }
    // Characters as the codes are read: a lead byte takes the next byte
    // only where the two form a character.
    const auto* p = reinterpret_cast<const unsigned char*>(head.data());
    size_t before = 0;  // the character before the one at `at`
    size_t at = 0;
    while (at < shared) {
      const bool pair = IsLeadByte(p[at]) && at + 1 < head.size() &&
                        Decoder().Pair(p[at], p[at + 1]) != FoldingDecoder::kInvalid;
      const size_t next = at + (pair ? 2 : 1);
      if (next > shared) break;  // a character only partly shared
      before = at;
      at = next;
    }
    return at == 0 ? 0 : before;
  }

  // How many of the first `n` bytes of `a` and `b` are the same. Tied lines
  // are mostly the same for a hundred bytes and more, so eight are compared
  // at a time.
  static size_t SameBytes(const char* a, const char* b, size_t n) {
    size_t at = 0;
    for (; at + sizeof(uint64_t) <= n; at += sizeof(uint64_t)) {
      uint64_t x = 0;
      uint64_t y = 0;
      std::memcpy(&x, a + at, sizeof x);
      std::memcpy(&y, b + at, sizeof y);
      if (x != y) {
        // The lowest differing byte is the first one on a little-endian machine.
        if constexpr (std::endian::native == std::endian::little) {
          return at + static_cast<size_t>(__builtin_ctzll(x ^ y)) / CHAR_BIT;
        }
        break;
      }
    }
    while (at < n && a[at] == b[at]) ++at;
    return at;
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
  const PrimaryCodes* table_ = nullptr;  // primary codes, or ICU's keys
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

std::string SortTableFromIcu() { return PrimaryCodes::BytesFromIcu(); }

bool SortTableFits(std::string_view table) { return PrimaryCodes::FromBytes(table) != nullptr; }

std::future<void> PrepareJapaneseSortOrder() {
  return std::async(std::launch::async, [] {
    // On a core the conversion leaves idle: on a machine of two cores this
    // would take its time from the formatting, which keeps both busy, and a
    // list whose sort finds no prolonged sound mark never needs it. A sort
    // that does need it before it is ready waits for it, which frees a core.
    sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    // A new thread may have taken the core of the thread that started it,
    // and the change of class alone does not give it back before the next
    // tick: the starting thread, which reads the table, lost a millisecond
    // or more at every start.
    sched_yield();
    // A failure here is met again, and reported, by the sort itself.
    try {
      PrimaryCodes::Get();
      // Every sort that meets two lines with the same first chunk decodes
      // them for their whole keys; the decoder is read from ICU's converter
      // one character at a time, a few milliseconds the sort need not wait.
      Decoder();
      // ICU works out, once for the collation, how far its elements may
      // spread before it hands out the first one: about as long as all the
      // rest for a short list, and every Japanese list with a prolonged
      // sound mark needs the elements.
      UErrorCode status = U_ZERO_ERROR;
      const Collator collator = OpenJapanese();
      UCollationElements* elements = ucol_openElements(collator.get(), nullptr, 0, &status);
      if (U_SUCCESS(status)) ucol_closeElements(elements);
    } catch (...) {
    }
  });
}

int JapaneseCompare(std::string_view a, std::string_view b) {
  const std::vector<std::string_view> pair{a, b};
  const std::vector<uint32_t> order = JapaneseSortOrder(pair, 1);
  if (a == b) return 0;
  return order[0] == 0 ? -1 : 1;
}

}  // namespace platform
