// Shared by the workbook fuzz targets: the readers take a path, so each input
// is written to one file of this process's own, kept until it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace fuzz {

inline std::string ScratchFile(std::string_view extension) {
  return (std::filesystem::temp_directory_path() /
          ("tabdump-fuzz-" + std::to_string(getpid()) + std::string(extension)))
      .string();
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace fuzz
