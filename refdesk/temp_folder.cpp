#include "refdesk/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <random>

#include "platform/files.h"
#include "platform/win32/windows_text.h"
#else
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#endif

namespace refdesk {

#ifdef _WIN32

namespace {

inline constexpr std::string_view kRandomPart = "XXXXXX";
inline constexpr std::string_view kNameCharacters = "abcdefghijklmnopqrstuvwxyz0123456789";
inline constexpr int kAttempts = 100;

}  // namespace

std::string MakePrivateFolder(std::string_view pattern) {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::random_device seed;
  std::minstd_rand generator(seed());
  std::string stem(pattern);
  if (stem.ends_with(kRandomPart)) stem.resize(stem.size() - kRandomPart.size());
  // CreateDirectory fails on a name that exists, so a folder it makes is new.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = stem;
    for (size_t i = 0; i < kRandomPart.size(); ++i) {
      name += kNameCharacters[generator() % kNameCharacters.size()];
    }
    const std::wstring folder = std::wstring(base, n) + platform::win32::ToWide(name, CP_ACP);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
      return platform::win32::ForwardSlashes(
          platform::win32::FromWide(folder, platform::win32::kCodePage932));
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::string();
}

bool RemoveEmptyFolder(const std::string& folder) {
  return RemoveDirectoryW(platform::win32::ToWide(folder, platform::win32::kCodePage932).c_str()) !=
         0;
}

#else

std::string MakePrivateFolder(std::string_view pattern) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string path = (base / std::string(pattern)).string();
  if (::mkdtemp(path.data()) == nullptr) return std::string();
  return path;
}

bool RemoveEmptyFolder(const std::string& folder) { return ::rmdir(folder.c_str()) == 0; }

#endif

}  // namespace refdesk
