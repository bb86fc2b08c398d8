#include "refmill/format/author_list.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8_scan.h"
#include "refmill/text/sjis.h"

namespace refmill::format {
namespace {

constexpr char kSeparator = '|';
constexpr char kFamilyMark = '#';
// The words a Japanese column may end with, whatever the style calls them in
// its output: "編" (editors) and "ほか" (and others).
constexpr std::string_view kEditorsWord = "\x95\xD2";
constexpr std::string_view kOthersWord = "\x82\xD9\x82\xA9";

// Given names reduced to initials: "John Ronald Miller" gives "J. R. Miller";
// with `hyphens`, "Jean-Paul Sartre" gives "J.-P. Sartre"; without `gap`,
// "J.R. Miller" (SIST 02 writes initials closed up).
std::string WithInitials(std::string_view name, bool hyphens, bool gap) {
  const size_t last_blank = text::LastPos(' ', name);
  if (last_blank == 0) return std::string(name);
  std::string out;
  for (const std::string& piece : text::SplitOnByte(name.substr(0, last_blank - 1), ' ')) {
    if (piece.empty()) continue;
    if (gap && !out.empty()) out.push_back(' ');
    if (hyphens && text::FindByte(piece, '-') != text::kNotFound) {
      bool first = true;
      for (const std::string& part : text::SplitOnByte(piece, '-')) {
        if (part.empty()) continue;
        if (!first) out.push_back('-');
        out.append(text::FirstChar(part)).push_back('.');
        first = false;
      }
      continue;
    }
    out.append(text::FirstChar(piece)).push_back('.');
  }
  if (!out.empty()) out.push_back(' ');
  out.append(name.substr(last_blank));
  return out;
}

// The text after the last blank, or the whole name when it has none.
std::string_view Surname(std::string_view name) { return name.substr(text::LastPos(' ', name)); }

// The text before the first `byte`; empty when the byte does not occur.
std::string_view Before(std::string_view text, char byte) {
  const size_t pos = text::FindByte(text, byte);
  return pos == text::kNotFound ? std::string_view() : text.substr(0, pos);
}

std::string JoinTwo(std::string_view a, std::string_view sep, std::string_view b) {
  std::string out;
  out.reserve(a.size() + sep.size() + b.size() + 2);
  out.append(a).append(" ").append(sep).append(" ").append(b);
  return out;
}

// At least as many as the names of `column` (a "|" may also be the second
// byte of a character): room made once instead of growing name by name.
size_t MostNames(std::string_view column) {
  return static_cast<size_t>(std::count(column.begin(), column.end(), kSeparator)) + 1;
}

}  // namespace

std::string RemoveQuotes(std::string_view value) {
  if (value.empty() || value.front() != '"') return std::string(value);
  std::string inner;
  size_t pos = 1;
  bool closed = false;
  while (pos < value.size()) {
    const size_t len = text::CharLength(value, pos);
    if (len == 1 && value[pos] == '"') {
      if (pos + 1 < value.size() && value[pos + 1] == '"') {
        inner.push_back('"');
        pos += 2;
        continue;
      }
      closed = true;
      ++pos;
      break;
    }
    inner.append(value.substr(pos, len));
    pos += len;
  }
  if (!inner.empty()) return inner;
  return closed ? std::string(value.substr(pos)) : std::string();
}

std::vector<std::string_view> SplitNames(std::string_view column) {
  std::vector<std::string_view> names;
  names.reserve(MostNames(column));
  // Most columns are Latin letters without quotes: every "|" there is a
  // separator, found many bytes at a time.
  if (platform::AsciiRunEnd(column, 0) == column.size() &&
      std::memchr(column.data(), '"', column.size()) == nullptr) {
    for (size_t start = 0; start < column.size();) {
      const void* bar = std::memchr(column.data() + start, kSeparator, column.size() - start);
      const size_t end = bar == nullptr
                             ? column.size()
                             : static_cast<size_t>(static_cast<const char*>(bar) - column.data());
      if (end > start) names.push_back(column.substr(start, end - start));
      start = end + 1;
    }
    return names;
  }
  size_t start = 0;
  bool quoted = false;
  for (size_t pos = 0; pos < column.size();) {
    const auto byte = static_cast<unsigned char>(column[pos]);
    // Only a lead byte can take the byte after it; an ASCII byte is a
    // character of its own.
    if (byte >= 0x80) {
      pos += text::CharLength(column, pos);
      continue;
    }
    if (byte == kSeparator && !quoted) {
      if (pos > start) names.push_back(column.substr(start, pos - start));
      start = pos + 1;
    } else if (byte == '"') {
      quoted = !quoted;
    }
    ++pos;
  }
  if (column.size() > start) names.push_back(column.substr(start));
  return names;
}

std::string FullAuthorListJapanese(std::string_view text, bool etal, const StyleSettings& s) {
  std::string list(text);
  // Shortened when there are three names or more and more than etal_names:
  // cut at the separator after the last name kept.
  size_t cut = text::kNotFound;
  size_t second = text::kNotFound;
  for (size_t found = 0, pos = 0; etal && pos <= list.size(); ++pos) {
    pos = text::FindByte(list, kSeparator, pos);
    if (pos == text::kNotFound) break;
    ++found;
    if (found == 2) second = pos;
    if (found == static_cast<size_t>(std::max(s.etal_names, 1))) cut = pos;
    if (second != text::kNotFound && cut != text::kNotFound) break;
  }
  if (cut != text::kNotFound && second != text::kNotFound) {
    list = list.substr(0, cut) + s.jname_etal;
  }
  // A katakana name such as "ジョン・スミス" already holds the usual separator.
  const std::string& sep = text::Contains(list, s.jname_sep) ? s.jname_sep2 : s.jname_sep;
  text::ReplaceAllInPlace(list, "|", sep);
  text::DeleteAllInPlace(list, kFamilyMark);
  return list;
}

std::string FullAuthorListWestern(std::string_view text, bool etal, const EntryContext& ctx,
                                  int32_t e_at) {
  const StyleSettings& s = ctx.settings;
  const std::vector<std::string_view> split = SplitNames(text);
  const size_t count = split.size();
  if (count == 0) {
    ctx.Warn(Warning::kInvalidAuthor);
    return std::string(kMissingMark);
  }
  // Every list of every entry passes here: the names go into the list as
  // they are made, with no copy of each kept on the way. Only a name
  // reduced to initials is made apart first.
  std::string with_initials;
  bool first_inverted = false;
  const auto append_name = [&](size_t i, std::string& out) {
    std::string_view name = split[i];
    if (s.initial) {
      with_initials = WithInitials(name, s.initial_hyphen, !s.initial_nogap);
      name = with_initials;
    }
    // "J. R. Miller" gives "Miller, J. R."; a name without blank stays.
    const bool inverted = (e_at == 1 && i == 0) || e_at == 2;
    const size_t last_blank = inverted ? text::LastPos(' ', name) : 0;
    if (i == 0) first_inverted = last_blank != 0;
    if (last_blank == 0) {
      out.append(name);
      return;
    }
    out.append(name.substr(last_blank)).append(", ").append(name.substr(0, last_blank - 1));
  };
  const auto append_range = [&](size_t from, size_t to, std::string_view between,
                                std::string& out) {
    for (size_t i = from; i < to; ++i) {
      if (i > from) out.append(between);
      append_name(i, out);
    }
  };
  const auto append_and = [&](std::string& out) {
    out.append(" ").append(s.ename_sep).append(" ");
  };
  std::string list;
  list.reserve(text.size() + 2 * count + s.ename_etal.size() + s.ename_sep.size() + 8);
  const size_t keep = static_cast<size_t>(std::max(s.etal_names, 1));
  const std::string_view between = s.ename_join.empty() ? std::string_view(", ") : s.ename_join;
  const auto limit = static_cast<size_t>(std::max(s.names_max, 0));
  const bool shorten = etal && count >= 3 && count > keep;
  if (count == 1) {
    append_name(0, list);
  } else if (shorten && keep > 1) {
    append_range(0, keep, between, list);
    list.append(between).append(s.ename_etal);
  } else if (limit >= 2 && count > limit && !shorten) {
    // "A, B, … S, . . . Z": the first limit - 1, the gap and the last.
    append_range(0, limit - 1, between, list);
    list.append(between).append(s.names_gap).append(" ");
    append_name(count - 1, list);
    text::DeleteAllInPlace(list, kFamilyMark);
  } else if (!s.ename_join.empty() && !shorten) {
    append_range(0, count, between, list);
    text::DeleteAllInPlace(list, kFamilyMark);
  } else if (count == 2) {
    // "Miller, J. R., & Clark, A. M.": the comma keeps the first name's
    // parts apart from the second name.
    append_name(0, list);
    if (s.serial_comma && first_inverted) list += ',';
    append_and(list);
    append_name(1, list);
  } else if (shorten) {
    append_name(0, list);
    list.append(" ").append(s.ename_etal);
  } else {
    for (size_t i = 0; i + 1 < count; ++i) {
      append_name(i, list);
      if (i + 2 < count || s.serial_comma) list += i + 2 < count ? ", " : ",";
    }
    append_and(list);
    append_name(count - 1, list);
    text::DeleteAllInPlace(list, kFamilyMark);
  }
  text::ReplaceAllInPlace(list, "_", " ");
  return list;
}

std::string ShortAuthorList(std::string_view raw, EntryKind kind, const StyleSettings& s) {
  std::string column = RemoveQuotes(raw);
  if (column == "|") column = std::string(kMissingMark);
  std::string list;
  if (IsJapanese(kind)) {
    // Mark where every name ends, so that the family name is the text before
    // the first "#" also where no "#" was written.
    std::string marked = text::ReplaceAll(column, "|", "#|") + "#";
    marked = text::ReplaceAll(marked, kEditorsWord, "#" + std::string(kEditorsWord));
    marked = text::ReplaceAll(marked, kOthersWord, "#" + std::string(kOthersWord));
    std::vector<std::string_view> families;
    for (std::string_view name : SplitNames(marked)) families.push_back(Before(name, kFamilyMark));
    if (families.empty()) {
      list = std::string(kMissingMark);
    } else if (families.size() == 1) {
      list = std::string(families[0]);
    } else if (families.size() == 2) {
      list = std::string(families[0]) + s.jname_sep + std::string(families[1]);
    } else {
      list = std::string(families[0]) + s.jname_etal;
    }
    if (text::EndsWith(column, kOthersWord) && families.size() < 3) list += s.jname_etal;
    if (text::EndsWith(column, kEditorsWord)) list += s.j_ed;
  } else {
    const size_t cut = text::FindByte(column, kFamilyMark);
    const std::string_view before_mark =
        cut == text::kNotFound ? std::string_view(column) : std::string_view(column).substr(0, cut);
    const std::vector<std::string_view> names = SplitNames(before_mark);
    if (names.empty()) {
      list = std::string(kMissingMark);
    } else if (names.size() == 1) {
      list = std::string(Surname(names[0]));
    } else if (names.size() == 2) {
      list = JoinTwo(Surname(names[0]), s.ename_sep, Surname(names[1]));
    } else {
      list = std::string(Surname(names[0])) + " " + s.ename_etal;
    }
  }
  text::DeleteAllInPlace(list, kFamilyMark);
  text::ReplaceAllInPlace(list, "_", " ");
  return list;
}

}  // namespace refmill::format
