#include "refimport/warning.h"

#include "refimport/messages.h"

namespace refimport {

std::string LineWarning(int line, std::string_view key, std::string_view what) {
  std::string text =
      std::string(msg::kWarning) + std::to_string(line) + std::string(msg::kLineAfter);
  if (!key.empty())
    text += std::string(msg::kKeyBefore) + std::string(key) + std::string(msg::kKeyAfter);
  return text + std::string(msg::kAfterPlace) + std::string(what);
}

std::string EntryWarning(int entry, std::string_view what) {
  return std::string(msg::kWarning) + std::string(msg::kEntryNumberBefore) + std::to_string(entry) +
         std::string(msg::kEntryNumberAfter) + std::string(msg::kAfterPlace) + std::string(what);
}

std::string UnknownTypeText(std::string_view type, Kind taken_as) {
  const std::string_view as = taken_as == Kind::kArticle   ? msg::kAsArticle
                              : taken_as == Kind::kChapter ? msg::kAsChapter
                                                           : msg::kAsBook;
  return std::string(msg::kUnknownTypeBefore) + std::string(type) +
         std::string(msg::kUnknownTypeAfter) + std::string(as);
}

}  // namespace refimport
