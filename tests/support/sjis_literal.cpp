#include "tests/support/sjis_literal.h"

#include "platform/encoding.h"

namespace testing_support {

std::string Sjis(std::string_view utf8) { return platform::Utf8ToSjis(utf8); }

}  // namespace testing_support
