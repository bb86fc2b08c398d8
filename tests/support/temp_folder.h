// Test helper: a fresh folder under the system's temporary folder, removed
// with everything in it when the object goes away.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // Full path of `name` inside the folder.
  std::string File(std::string_view name) const;
  // Writes `bytes` to `name` inside the folder and returns its full path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  // The bytes of `name`, or empty when it cannot be read.
  std::string Read(std::string_view name) const;

 private:
  std::string path_;
};

}  // namespace testing_support
