// Differential test of the settings-file reader: the same files go to the
// portable reader, to the system's GetPrivateProfileStringA and to the
// Windows backend built on it. On every reading rule the programs rely on,
// all three must agree. Where the rules leave the behaviour open, the
// differences are reported, not failed; the backend, which keeps every entry
// of a section it reads, may then differ from the system too. Runs under
// wine with a Japanese locale (ANSI code page 932).
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"
#include "tests/windows/profile_query.h"

namespace {

using profile_diff::Ask;
using profile_diff::kDefault;
using profile_diff::Query;

struct Case {
  const char* name;
  std::string text;
  std::vector<Query> queries;
  // True where the reading rules say nothing, so the readers may differ.
  bool open = false;
};

Query Value(std::string section, std::string key) { return {Ask::kValue, section, key}; }
Query Keys(std::string section) { return {Ask::kKeys, section, ""}; }
Query Number(std::string section, std::string key) { return {Ask::kNumber, section, key}; }

std::string Repeat(std::string_view piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Section "S" holding `count` keys key000000=0 and so on, in order.
std::string ManyKeys(int count) {
  std::string text = "[S]\r\n";
  for (int i = 0; i < count; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "key%06d=%d\r\n", i, i);
    text += line;
  }
  return text;
}

std::vector<Case> Corpus() {
  const std::string alphabet = Repeat("abcdefghijklmnopqrstuvwxyz", 120);  // 3120 bytes
  return {
      // The reading rules.
      {"names ignore case",
       "[Special]\r\nEtal=1\r\n",
       {Value("special", "ETAL"), Value("SPECIAL", "etal"), Value("Special", "missing")}},
      {"first of two equal keys", "[S]\r\nk=1\r\nK=2\r\nk=3\r\n", {Value("S", "k"), Keys("S")}},
      {"value after the first =", "[S]\r\nk=a=b\r\nj==\r\n", {Value("S", "k"), Value("S", "j")}},
      {"blanks trimmed",
       "[S]\r\n  k  =  a b  \r\nt=\ta\t\r\n",
       {Value("S", "k"), Value("S", "t"), Keys("S")}},
      {"quote pairs removed",
       "[S]\r\nd=\"a\"\r\ns='a'\r\nb=  \" a \"  \r\nx=\"\"a\"\"\r\n",
       {Value("S", "d"), Value("S", "s"), Value("S", "b"), Value("S", "x")}},
      {"unpaired quotes kept",
       "[S]\r\nm=\"a'\r\no=\"\r\np='\r\nq=a\"\r\n",
       {Value("S", "m"), Value("S", "o"), Value("S", "p"), Value("S", "q")}},
      {"empty value",
       "[S]\r\nk=\r\nj=  \r\nq=\"\"\r\n",
       {Value("S", "k"), Value("S", "j"), Value("S", "q"), Keys("S")}},
      {"missing section and key", "[S]\r\nk=1\r\n", {Value("T", "k"), Value("S", "j"), Keys("T")}},
      {"section in file order", "[S]\r\nb=2\r\na=1\r\nc=\r\n", {Keys("S")}},
      // 3120 bytes: the reader hands out the first 2047.
      {"long value cut", "[S]\r\nk=" + alphabet + "\r\n", {Value("S", "k")}},
      {"value of exactly 2047", "[S]\r\nk=" + alphabet.substr(0, 2047) + "\r\n", {Value("S", "k")}},
      // 1638 names of 9 bytes fill 16380 of the 16384 bytes; later ones are
      // not seen, nor the piece of a name that would still fit.
      {"key names buffer", ManyKeys(2000), {Keys("S"), Value("S", "key001999")}},
      {"shift-jis names",
       "[\x8F\x91\x8E\xAE]\r\n\x95\x5C=\x83\x5C\r\n",  // [書式] 表=ソ
       {Value("\x8F\x91\x8E\xAE", "\x95\x5C"), Keys("\x8F\x91\x8E\xAE")}},
      {"line ends",
       "[S]\nlf=1\n[T]\rcr=2\r[U]\r\ncrlf=3",
       {Value("S", "lf"), Value("T", "cr"), Value("U", "crlf")}},
      {"section name blanks", "[ S ]\r\nk=1\r\n", {Value("S", "k")}},
      {"numbers",
       "[N]\r\nhex=0x2\r\ndollar=$ff\r\nx=X1A\r\nneg=-12\r\nplus=+7\r\nq=' 3'\r\nbig=2147483647\r\n"
       "over=2147483648\r\nmin=-2147483648\r\nword=two\r\nsigns=+-1\r\nblank=\r\n",
       {Number("N", "hex"), Number("N", "dollar"), Number("N", "x"), Number("N", "neg"),
        Number("N", "plus"), Number("N", "q"), Number("N", "big"), Number("N", "over"),
        Number("N", "min"), Number("N", "word"), Number("N", "signs"), Number("N", "blank"),
        Number("N", "missing")}},

      // What the rules leave open.
      {"section that appears twice",
       "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\na=3\r\n",
       {Value("S", "a"), Value("S", "b"), Keys("S")},
       true},
      {"comment lines",
       "[S]\r\n;k=1\r\nk=2\r\n",
       {Value("S", "k"), Value("S", ";k"), Keys("S")},
       true},
      {"lines without =", "[S]\r\nk\r\nj=1\r\n", {Value("S", "k"), Keys("S")}, true},
      {"text before the first section",
       "k=1\r\n[S]\r\nj=2\r\n",
       {Value("", "k"), Value("S", "j")},
       true},
      {"empty key name", "[S]\r\n=1\r\nk=2\r\n", {Value("S", ""), Keys("S")}, true},
      {"full-width letters in names",
       "[S]\r\n\x82\x60=1\r\n",  // Ａ=1
       {Value("S", "\x82\x60"), Value("S", "\x82\x81")},
       true},
      {"section without ]", "[S\r\nk=1\r\n", {Value("S", "k")}, true},
      {"zero byte in a value", std::string("[S]\r\nk=a\0b\r\n", 13), {Value("S", "k")}, true},
      // 2046 bytes, then "あ" across the 2047-byte limit.
      {"long value cut inside a character",
       "[S]\r\nk=" + std::string(2046, 'a') + "\x82\xA0\x82\xA0\r\n",
       {Value("S", "k")},
       true},
      {"byte-order mark", "\xEF\xBB\xBF[S]\r\nk=1\r\n", {Value("S", "k")}, true},
  };
}

// GetPrivateProfileStringA itself, on the file at `path`.
std::string SystemAnswer(const Query& q, const std::string& path) {
  if (q.ask == Ask::kKeys) {
    std::vector<char> buffer(platform::kSectionNameBuffer);
    const DWORD n = GetPrivateProfileStringA(q.section.c_str(), nullptr, "", buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::string> names;
    for (size_t at = 0; at < n && buffer[at] != '\0'; at += names.back().size() + 1) {
      names.emplace_back(buffer.data() + at);
    }
    // A full buffer ends in a name cut short, which is not a name of the file.
    if (n + 2 == buffer.size() && !names.empty()) names.pop_back();
    return profile_diff::Join(names);
  }
  std::vector<char> buffer(platform::kMaxProfileValue + 1);
  GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), kDefault, buffer.data(),
                           static_cast<DWORD>(buffer.size()), path.c_str());
  const std::string value(buffer.data());
  if (q.ask == Ask::kValue) return value;
  const std::optional<int32_t> number = platform::ParseProfileNumber(value);
  return value == kDefault || !number ? std::to_string(profile_diff::kNoNumber)
                                      : std::to_string(*number);
}

// Long answers are shown by their length and ends.
std::string Shown(const std::string& s) {
  std::string out = s.size() <= 60 ? s
                                   : s.substr(0, 20) + "..." + s.substr(s.size() - 20) + " (" +
                                         std::to_string(s.size()) + " bytes)";
  for (char& c : out) {
    if (c == '\0') c = '0';
  }
  return "\"" + out + "\"";
}

}  // namespace

int main() {
  if (GetACP() != 932) {
    std::printf("FAIL: the ANSI code page is %u, not 932: wine needs a Japanese locale\n",
                GetACP());
    return 1;
  }
  const std::string path = platform::FullPath("profile_diff.ini");
  int failures = 0;
  for (const Case& c : Corpus()) {
    if (!platform::WriteFileAtomically(path, c.text)) {
      std::printf("FAIL: cannot write %s\n", path.c_str());
      return 1;
    }
    const auto backend = platform::ProfileFile::FromText(c.text);
    for (const Query& q : c.queries) {
      const std::string system = SystemAnswer(q, path);
      const std::string mine = profile_diff::ReaderAnswer(q, backend);
      const std::string other = profile_diff::PortableAnswer(q, c.text);
      const char* what = q.ask == Ask::kKeys     ? "keys of"
                         : q.ask == Ask::kNumber ? "number"
                                                 : "value";
      const std::string where = "[" + q.section + "] " + q.key;
      if (mine != system) {
        std::printf("%s %s: %s %s: backend %s, system %s\n", c.open ? "open" : "FAIL", c.name, what,
                    where.c_str(), Shown(mine).c_str(), Shown(system).c_str());
        if (!c.open) ++failures;
      }
      if (other != system) {
        std::printf("%s %s: %s %s: portable %s, system %s\n", c.open ? "open" : "FAIL", c.name,
                    what, where.c_str(), Shown(other).c_str(), Shown(system).c_str());
        if (!c.open) ++failures;
      }
    }
    // Otherwise the system would answer the next case from its memory of
    // this file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  }
  DeleteFileA(path.c_str());
  std::printf("%d disagreement(s) on the reading rules\n", failures);
  return failures == 0 ? 0 : 1;
}
