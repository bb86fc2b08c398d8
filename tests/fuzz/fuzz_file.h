// Shared by the workbook fuzz targets: the readers take a path, so each input
// is written to one file of this process's own, kept until it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

namespace fuzz {

// Removed when the fuzzer ends normally, so that runs do not pile files up
// in the temporary folder; one left by a crash holds the input that did it.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view extension)
      : path_((std::filesystem::temp_directory_path() /
               ("tabdump-fuzz-" + std::to_string(getpid()) + std::string(extension)))
                  .string()) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace fuzz
