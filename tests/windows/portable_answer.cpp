#include "platform/win32/portable_profile_win32.h"
#include "tests/windows/profile_query.h"

namespace profile_diff {

std::string PortableAnswer(const Query& q, const std::string& text) {
  return ReaderAnswer(q, platform::PortableProfileFile::FromText(text));
}

}  // namespace profile_diff
