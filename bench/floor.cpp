// The floor refmill's time is measured against: what any converter of the
// table must do at least, in one thread. Read the file, split it into
// lines, build "key |line" for each entry line (the key being the author
// column), sort those with memcmp, and write them with CR LF.
// Usage: floor SOURCE OUTPUT
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor SOURCE OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.empty() || line.front() != '*') continue;
    std::string_view key = line;
    for (int field = 0; field < 3 && key.find(',') != std::string_view::npos; ++field) {
      key.remove_prefix(key.find(',') + 1);
    }
    key = key.substr(0, key.find(','));
    lines.push_back(std::string(key) + " |" + std::string(line));
  }
  std::sort(lines.begin(), lines.end());
  std::ofstream out(argv[2], std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
  return out ? 0 : 1;
}
