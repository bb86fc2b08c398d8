// What the differential test asks a settings-file reader, and how an answer
// is written so that the readers' answers compare as text. The portable
// reader and the Windows backend share one class name, so each is asked in a
// source file of its own.
#pragma once

#include <string>
#include <vector>

namespace profile_diff {

// What a reader returns for a missing key.
inline constexpr char kDefault[] = "<default>";
// What ReadInteger returns for a missing key or a value that is no number.
inline constexpr int kNoNumber = -99;

enum class Ask { kValue, kKeys, kNumber };

struct Query {
  Ask ask;
  std::string section;
  std::string key;
};

inline std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += "[" + n + "]";
  return out;
}

// The answer of a reader with the ProfileFile interface.
template <class Profile>
std::string ReaderAnswer(const Query& q, const Profile& profile) {
  switch (q.ask) {
    case Ask::kKeys:
      return Join(profile.ReadSectionKeys(q.section));
    case Ask::kNumber:
      return std::to_string(profile.ReadInteger(q.section, q.key, kNoNumber));
    case Ask::kValue:
      break;
  }
  return profile.ReadString(q.section, q.key, kDefault);
}

// The portable reader's answer for the settings file `text`.
std::string PortableAnswer(const Query& q, const std::string& text);

}  // namespace profile_diff
