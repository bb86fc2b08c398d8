#include "tabdump/win32/inflate.h"

#include <array>
#include <cstdint>

namespace tabdump::win32 {
namespace {

constexpr int kMaxBits = 15;
constexpr int kLiteralCodes = 288;
constexpr int kDistanceCodes = 30;
constexpr int kEndOfBlock = 256;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                    4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                    9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of its code-length code.
constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code: how many codes each length has, and the symbols
// in code order.
struct Huffman {
  std::array<uint16_t, kMaxBits + 1> count{};
  std::array<uint16_t, kLiteralCodes> symbol{};
};

// Builds the code from the code length of each symbol; false when the
// lengths describe more codes than there is room for.
bool Build(Huffman& h, const uint8_t* lengths, int n) {
  h.count.fill(0);
  for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
  if (h.count[0] == n) return true;  // no codes: valid, but never decodes
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left = (left << 1) - h.count[len];
    if (left < 0) return false;
  }
  std::array<uint16_t, kMaxBits + 1> offset{};
  for (int len = 1; len < kMaxBits; ++len) offset[len + 1] = offset[len] + h.count[len];
  for (int s = 0; s < n; ++s) {
    if (lengths[s] != 0) h.symbol[offset[lengths[s]]++] = static_cast<uint16_t>(s);
  }
  return true;
}

class Inflater {
 public:
  Inflater(std::string_view in, size_t size) : in_(in), size_(size) { out_.reserve(size); }

  std::optional<std::string> Run() {
    bool last = false;
    while (!last) {
      last = Bits(1) == 1;
      const int type = Bits(2);
      bool ok = false;
      if (type == 0) ok = Stored();
      if (type == 1) ok = Fixed();
      if (type == 2) ok = Dynamic();
      if (!ok || failed_) return std::nullopt;
    }
    if (out_.size() != size_) return std::nullopt;
    return std::move(out_);
  }

 private:
  // The next `n` bits, least significant first; 0 and a failure past the end.
  int Bits(int n) {
    uint32_t value = bit_buffer_;
    while (bit_count_ < n) {
      if (pos_ >= in_.size()) {
        failed_ = true;
        return 0;
      }
      value |= static_cast<uint32_t>(static_cast<unsigned char>(in_[pos_++])) << bit_count_;
      bit_count_ += 8;
    }
    bit_buffer_ = value >> n;
    bit_count_ -= n;
    return static_cast<int>(value & ((1u << n) - 1));
  }

  int Decode(const Huffman& h) {
    int code = 0;
    int first = 0;
    int index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= Bits(1);
      const int count = h.count[len];
      if (code - count < first) return h.symbol[static_cast<size_t>(index + (code - first))];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
      if (failed_) return -1;
    }
    return -1;
  }

  bool Stored() {
    bit_buffer_ = 0;
    bit_count_ = 0;
    if (pos_ + 4 > in_.size()) return false;
    const auto byte = [&](size_t i) {
      return static_cast<unsigned>(static_cast<unsigned char>(in_[i]));
    };
    const unsigned length = byte(pos_) | byte(pos_ + 1) << 8;
    const unsigned check = byte(pos_ + 2) | byte(pos_ + 3) << 8;
    pos_ += 4;
    if ((length ^ 0xFFFFu) != check || pos_ + length > in_.size()) return false;
    if (out_.size() + length > size_) return false;
    out_.append(in_.substr(pos_, length));
    pos_ += length;
    return true;
  }

  bool Fixed() {
    std::array<uint8_t, kLiteralCodes> lengths{};
    for (int s = 0; s < kLiteralCodes; ++s)
      lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    Huffman literals;
    Huffman distances;
    Build(literals, lengths.data(), kLiteralCodes);
    lengths.fill(5);
    Build(distances, lengths.data(), kDistanceCodes);
    return Codes(literals, distances);
  }

  bool Dynamic() {
    const int literal_count = Bits(5) + 257;
    const int distance_count = Bits(5) + 1;
    const int code_length_count = Bits(4) + 4;
    if (literal_count > 286 || distance_count > kDistanceCodes) return false;
    std::array<uint8_t, kLiteralCodes + kDistanceCodes> lengths{};
    for (int i = 0; i < code_length_count; ++i)
      lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(Bits(3));
    Huffman code_lengths;
    if (!Build(code_lengths, lengths.data(), 19)) return false;
    lengths.fill(0);
    for (int i = 0; i < literal_count + distance_count;) {
      const int symbol = Decode(code_lengths);
      if (symbol < 0) return false;
      if (symbol < 16) {
        lengths[i++] = static_cast<uint8_t>(symbol);
        continue;
      }
      int repeat = 0;
      uint8_t value = 0;
      if (symbol == 16) {
        if (i == 0) return false;
        value = lengths[i - 1];
        repeat = 3 + Bits(2);
      } else {
        repeat = symbol == 17 ? 3 + Bits(3) : 11 + Bits(7);
      }
      if (i + repeat > literal_count + distance_count) return false;
      while (repeat-- > 0) lengths[i++] = value;
    }
    if (lengths[kEndOfBlock] == 0) return false;
    Huffman literals;
    Huffman distances;
    if (!Build(literals, lengths.data(), literal_count)) return false;
    if (!Build(distances, lengths.data() + literal_count, distance_count)) return false;
    return Codes(literals, distances);
  }

  bool Codes(const Huffman& literals, const Huffman& distances) {
    for (;;) {
      int symbol = Decode(literals);
      if (symbol < 0) return false;
      if (symbol < kEndOfBlock) {
        if (out_.size() >= size_) return false;
        out_.push_back(static_cast<char>(symbol));
        continue;
      }
      if (symbol == kEndOfBlock) return true;
      symbol -= 257;
      if (symbol >= static_cast<int>(kLengthBase.size())) return false;
      const size_t length = kLengthBase[symbol] + static_cast<size_t>(Bits(kLengthExtra[symbol]));
      const int d = Decode(distances);
      if (d < 0 || d >= kDistanceCodes) return false;
      const size_t distance = kDistanceBase[d] + static_cast<size_t>(Bits(kDistanceExtra[d]));
      if (failed_ || distance > out_.size() || out_.size() + length > size_) return false;
      // The copy may overlap what it writes, so it goes byte by byte.
      const size_t from = out_.size() - distance;
      for (size_t k = 0; k < length; ++k) out_.push_back(out_[from + k]);
    }
  }

  std::string_view in_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t bit_buffer_ = 0;
  int bit_count_ = 0;
  bool failed_ = false;
  std::string out_;
};

}  // namespace

std::optional<std::string> Inflate(std::string_view deflated, size_t size) {
  return Inflater(deflated, size).Run();
}

}  // namespace tabdump::win32
