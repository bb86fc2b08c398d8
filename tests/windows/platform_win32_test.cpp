// Checks of the Windows backend of platform/ that the end-to-end runs do not
// reach: sorting order and its tie-break, paths with "\" as the second byte
// of a character, conversions without look-alike substitutes, and files that
// cannot be written. Runs under wine with a Japanese locale; no GoogleTest
// is built for Windows, so each table reports its own failing rows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/collation.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folder.h"
#include "tests/platform/child_work.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
  if (ok) return;
  std::printf("FAIL: %s\n", what.c_str());
  ++failures;
}

void SortOrderFollowsTheSystem() {
  struct Case {
    const char* name;
    std::vector<std::string> texts;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      // Equal without case: the bytes decide, "A" (41) before "a" (61).
      {"case ignored, bytes break ties", {"b", "A", "a", "B"}, {1, 2, 3, 0}},
      // あ before か, in gojuon order, whatever their Shift-JIS bytes.
      {"gojuon order", {"\x82\xA9", "\x82\xA0"}, {1, 0}},
      // Word sort passes over the apostrophe: D'Zurilla sorts as DZurilla.
      {"apostrophe passed over", {"D'Zurilla", "Deci", "Dabney"}, {2, 1, 0}},
      {"empty text first", {"a", ""}, {1, 0}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string_view> views(c.texts.begin(), c.texts.end());
    Check(platform::JapaneseSortOrder(views) == c.expected, std::string("sort: ") + c.name);
  }
  Check(platform::JapaneseCompare("a", "A") > 0 && platform::JapaneseCompare("A", "a") < 0,
        "compare: equal texts without case are ordered by bytes");
  Check(platform::JapaneseCompare("x", "x") == 0, "compare: zero for equal bytes");
}

// Enough lines for the sorting to share the work between threads.
void LongListIsSorted() {
  std::vector<std::string> texts;
  for (int i = 20000; i > 0; --i) texts.push_back("line" + std::to_string(i * 7919 % 20011));
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  const std::vector<uint32_t> order = platform::JapaneseSortOrder(views, 2);
  std::vector<uint32_t> seen(order);
  std::sort(seen.begin(), seen.end());
  bool permutation = seen.size() == texts.size();
  for (size_t i = 0; permutation && i < seen.size(); ++i) permutation = seen[i] == i;
  Check(permutation, "long list: every line exactly once");
  bool sorted = true;
  for (size_t i = 1; permutation && i < order.size(); ++i) {
    sorted = sorted && platform::JapaneseCompare(texts[order[i - 1]], texts[order[i]]) < 0;
  }
  Check(sorted, "long list: in order");
}

void PathsUseForwardSlashes() {
  const std::string here = platform::CurrentFolder();
  struct Case {
    const char* name;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"relative", "a\\b\\..\\c.txt", here + "/a/c.txt"},
      {"empty", "", here},
      {"absolute with both separators", "C:\\x/y\\z.ini", "C:/x/y/z.ini"},
      // ソ is 83 5C: its second byte is no separator and stays.
      {"second byte 5C", "C:\\\x83\x5C\\\x95\x5C.csv", "C:/\x83\x5C/\x95\x5C.csv"},
  };
  for (const Case& c : cases) {
    const std::string full = platform::FullPath(c.path);
    Check(full == c.expected, std::string("full path: ") + c.name + ": got " + full);
  }
  Check(here.find('\\') == std::string::npos && here.size() > 2 && here[1] == ':',
        "current folder: a drive path with forward slashes: " + here);
}

void ConversionsAreExact() {
  struct Case {
    const char* name;
    std::string utf8;
    std::string sjis;
    size_t unmappable;
  };
  const Case cases[] = {
      {"ascii", "abc", "abc", 0},
      {"kana and kanji", "\xE3\x81\x82\xE8\xA1\xA8", "\x82\xA0\x95\x5C", 0},
      // Windows would write "e" for é unless told not to.
      {"no look-alikes", "caf\xC3\xA9", "caf?", 1},
      {"outside the BMP",
       "\xF0\xA0\xAE\xB7"
       "a",
       "?a", 1},
      {"wave dash of code page 932", "\xEF\xBD\x9E", "\x81\x60", 0},
  };
  for (const Case& c : cases) {
    size_t unmappable = 99;
    const std::string sjis = platform::Utf8ToSjis(c.utf8, "?", &unmappable);
    Check(sjis == c.sjis && unmappable == c.unmappable, std::string("to Shift-JIS: ") + c.name);
    if (c.unmappable == 0) {
      Check(platform::SjisToUtf8(c.sjis) == c.utf8, std::string("to UTF-8: ") + c.name);
    }
  }
  struct Guess {
    const char* name;
    std::string bytes;
    bool utf8;
  };
  const Guess guesses[] = {
      {"byte-order mark",
       "\xEF\xBB\xBF"
       "abc",
       true},
      {"ascii only", "abc", false},
      {"utf-8 kana", "\xE3\x81\x82", true},
      {"shift-jis kana", "\x82\xA0", false},
      {"overlong slash", "\xC0\xAF", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
  };
  for (const Guess& g : guesses) {
    Check(platform::LooksLikeUtf8(g.bytes) == g.utf8, std::string("utf-8 guess: ") + g.name);
  }
}

// File names come in the ANSI code page, like every other path here.
void FolderListsShiftJisNames() {
  const std::string folder = platform::FullPath("platform_win32_names.tmp");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string sjis_name = "\x95\x5C.ini";  // 表.ini
  Check(platform::WriteFileAtomically(folder + "/" + sjis_name, "x"), "names: write");
  const std::vector<std::string> names = platform::ListFileNames(folder);
  Check(names == std::vector<std::string>{sjis_name}, "names: listed in Shift-JIS");
  // 82 61 and 82 41 are two characters whose second bytes are "a" and "A".
  Check(!platform::SameNameIgnoringCase("\x82\x61.ini", "\x82\x41.ini"),
        "names: second bytes are not letters");
  Check(platform::SameNameIgnoringCase("Style.INI", "style.ini"), "names: letters fold");
  platform::RemoveFile(folder + "/" + sjis_name);
  RemoveDirectoryA(folder.c_str());
}

void FailedWritesLeaveFilesAlone() {
  const std::string folder = platform::FullPath("platform_win32_test.tmp");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string target = folder + "/out.txt";
  Check(platform::WriteFileAtomically(target, "old\r\n"), "write: new file");
  Check(platform::WriteFileAtomically(target, "new\r\n"), "write: replace");
  std::string text;
  Check(platform::ReadWholeFile(target, text) && text == "new\r\n", "write: replaced text");

  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  Check(!platform::CanCreateFile(target), "read-only: cannot be created");
  Check(!platform::WriteFileAtomically(target, "lost"), "read-only: write fails");
  Check(platform::ReadWholeFile(target, text) && text == "new\r\n", "read-only: text kept");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);

  Check(!platform::WriteFileAtomically(folder + "/missing/out.txt", "x"), "missing folder");
  Check(!platform::ReadWholeFile(folder + "/none.txt", text), "read: missing file");
  Check(platform::RemoveFile(target) && !platform::FileExists(target), "remove");
  // Nothing else may remain: no temporary file of a failed write.
  Check(RemoveDirectoryA(folder.c_str()) != 0, "no temporary files left behind");
}

// Devices are written directly, never replaced by a file of that name; one
// file is recognised however its name is spelt.
void DevicesAndIdentity() {
  Check(platform::WriteFileAtomically("NUL", "gone"), "device: NUL is written");
  const std::string folder = platform::FullPath("platform_win32_same.tmp");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string file = folder + "/Same.txt";
  Check(platform::WriteFileAtomically(file, "x"), "same: write");
  Check(platform::SameFile(file, folder + "\\SAME.TXT"), "same: case and separator");
  Check(platform::SameFile(file, folder + "/../platform_win32_same.tmp/same.txt"), "same: steps");
  Check(!platform::SameFile(file, folder + "/other.txt"), "same: missing file");
  platform::RemoveFile(file);
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

// The program started again as the child, as refimport.exe does it.
void ChildProcessesSendBack() {
  struct Case {
    const char* name;
    std::string input, received, errors;
  };
  std::string big(3 << 20, 'x');  // more than a pipe holds at once
  for (size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
  const std::vector<Case> cases = {
      {"echo", std::string("Eab\r\nc\0d", 8), std::string("ab\r\nc\0d", 7), "note"},
      {"big", "E" + big, big, "note"},
      {"aborts after sending", "A", "before", ""},
      {"empty input", "", "", "note"},
  };
  for (const Case& c : cases) {
    std::string received;
    const std::optional<std::string> errors = platform::RunInChild(
        &platform_test::ChildWork, c.input, [&](std::string_view piece) { received += piece; });
    Check(errors.has_value(), std::string("child: started: ") + c.name);
    Check(received == c.received, std::string("child: received: ") + c.name);
    Check(errors.value_or("") == c.errors,
          std::string("child: errors: ") + c.name + ": " + errors.value_or(""));
  }
}

int main(int argc, char** argv) {
  if (const std::optional<int> child =
          platform::RunIfChild(argc, argv, &platform_test::ChildWork)) {
    return *child;
  }
  Check(GetACP() == 932, "the ANSI code page is 932 (wine needs a Japanese locale)");
  Check(std::regex_match(platform::LongTimeNow(), std::regex("[0-9]{1,2}:[0-9]{2}:[0-9]{2}")),
        "time stamp in the long time format H:mm:ss: " + platform::LongTimeNow());
  SortOrderFollowsTheSystem();
  LongListIsSorted();
  PathsUseForwardSlashes();
  ConversionsAreExact();
  FolderListsShiftJisNames();
  FailedWritesLeaveFilesAlone();
  DevicesAndIdentity();
  ChildProcessesSendBack();
  std::printf("%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
