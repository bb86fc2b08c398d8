#include "platform/collation.h"

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <string>

#include "platform/encoding.h"
#include "platform/private_codes.h"
#include "platform/win32/windows_text.h"
#include "platform/worker_pool.h"

namespace platform {
namespace {

// The system's comparison in the user's locale, letter case ignored; texts
// it finds equal are ordered by their bytes, so the order is total.
int Compare(std::string_view a, std::string_view b) {
  const int result =
      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                     b.data(), static_cast<int>(b.size()));
  if (result == CSTR_LESS_THAN) return -1;
  if (result == CSTR_GREATER_THAN) return 1;
  return a.compare(b);
}

// Texts holding handed-out user-defined codes compare as wide text with the
// characters those codes stand for.
std::wstring WideWithCharacters(std::string_view sjis, const PrivateCodes& codes) {
  const std::string utf8 = SjisToUtf8(sjis, codes);
  return win32::ToWide(utf8, CP_UTF8);
}

int CompareWide(const std::wstring& a, const std::wstring& b, std::string_view raw_a,
                std::string_view raw_b) {
  const int result =
      CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                     b.data(), static_cast<int>(b.size()));
  if (result == CSTR_LESS_THAN) return -1;
  if (result == CSTR_GREATER_THAN) return 1;
  return raw_a.compare(raw_b);
}

}  // namespace

std::vector<uint32_t> JapaneseSortOrder(const std::vector<std::string_view>& texts,
                                        unsigned threads, const PrivateCodes* codes) {
  std::vector<uint32_t> order(texts.size());
  std::iota(order.begin(), order.end(), 0u);
  std::vector<std::wstring> wide;
  if (codes != nullptr && !codes->empty()) {
    wide.reserve(texts.size());
    for (std::string_view t : texts) wide.push_back(WideWithCharacters(t, *codes));
  }
  auto less = [&texts, &wide](uint32_t a, uint32_t b) {
    if (!wide.empty()) return CompareWide(wide[a], wide[b], texts[a], texts[b]) < 0;
    return Compare(texts[a], texts[b]) < 0;
  };
  const size_t workers = WorkerCount(texts.size(), threads);
  const size_t n = order.size();
  auto share = [&](size_t w) {
    return order.begin() + static_cast<std::ptrdiff_t>(n * w / workers);
  };
  // Each worker sorts its share; the shares are then merged.
  RunWorkers(workers, [&](size_t w) { std::sort(share(w), share(w + 1), less); });
  for (size_t w = 1; w < workers; ++w) std::inplace_merge(share(0), share(w), share(w + 1), less);
  return order;
}

std::vector<uint32_t> JapaneseSortOrder(uint32_t count, const TextAt& text, unsigned threads,
                                        const PrivateCodes* codes) {
  std::vector<std::string_view> texts;
  texts.reserve(count);
  for (uint32_t i = 0; i < count; ++i) texts.push_back(text(i));
  return JapaneseSortOrder(texts, threads, codes);
}

std::future<void> PrepareJapaneseSortOrder() {
  // The system's collation has nothing to be read beforehand.
  std::promise<void> ready;
  ready.set_value();
  return ready.get_future();
}

int JapaneseCompare(std::string_view a, std::string_view b) { return Compare(a, b); }

}  // namespace platform
