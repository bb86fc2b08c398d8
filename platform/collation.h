// Sorting Shift-JIS texts the way a Japanese user expects: the Japanese
// collation of the locale "ja" (kana in gojuon order, then kanji), with
// letter case ignored, and ties between texts that collate equal broken by
// their bytes so that the order is total and repeatable.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <string_view>
#include <vector>

namespace platform {

class PrivateCodes;

// The order in which `texts` sort: element i of the result is the index in
// `texts` of the i-th text. Two texts compare as their whole Unicode forms,
// ASCII and full-width letters without regard to case; texts that collate
// equal are ordered by their raw bytes. Uses up to `threads` threads.
// User-defined codes that `codes` handed out compare as the characters they
// stand for.
std::vector<uint32_t> JapaneseSortOrder(const std::vector<std::string_view>& texts,
                                        unsigned threads = 2, const PrivateCodes* codes = nullptr);

// The same for `count` texts that `text` hands out by index, each valid
// until the call returns: a caller whose texts lie elsewhere needs no list
// of views, which for millions of texts is memory of its own.
using TextAt = std::function<std::string_view(uint32_t)>;
std::vector<uint32_t> JapaneseSortOrder(uint32_t count, const TextAt& text, unsigned threads = 2,
                                        const PrivateCodes* codes = nullptr);

// Reads from ICU, on a thread of its own, what sorting needs first (a table
// of every Shift-JIS character's weights: some tens of milliseconds), so a
// caller busy with other work finds it ready when it sorts. Destroying the
// result waits for that thread.
std::future<void> PrepareJapaneseSortOrder();

// The same comparison for two texts: negative, zero or positive. Zero only
// for equal bytes.
int JapaneseCompare(std::string_view a, std::string_view b);

}  // namespace platform
