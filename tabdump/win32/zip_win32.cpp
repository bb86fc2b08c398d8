#include "tabdump/win32/zip.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/files.h"
#include "tabdump/win32/inflate.h"

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
// The end record may be followed by a comment of up to this many bytes.
constexpr size_t kMaxComment = 0xFFFF;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

uint32_t Read(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

constexpr std::array<uint32_t, 256> CrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = CrcTable();

uint32_t Crc32(std::string_view data) {
  uint32_t c = 0xFFFFFFFFu;
  for (const char b : data) c = kCrcTable[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// Reads the central directory; false when the archive is damaged.
bool ReadDirectory(zip_t& archive) {
  const std::string_view bytes = archive.bytes;
  if (bytes.size() < kEndRecordSize) return false;
  size_t end = bytes.size() - kEndRecordSize;
  const size_t lowest = end > kMaxComment ? end - kMaxComment : 0;
  while (Read(bytes, end, 4) != kEndOfDirectory) {
    if (end == lowest) return false;
    --end;
  }
  const size_t count = Read(bytes, end + 10, 2);
  size_t at = Read(bytes, end + 16, 4);
  for (size_t i = 0; i < count; ++i) {
    if (at + kDirectoryEntrySize > bytes.size() || Read(bytes, at, 4) != kDirectoryEntry) {
      return false;
    }
    const size_t name_length = Read(bytes, at + 28, 2);
    const size_t extra_length = Read(bytes, at + 30, 2);
    const size_t comment_length = Read(bytes, at + 32, 2);
    if (at + kDirectoryEntrySize + name_length > bytes.size()) return false;
    archive.entries.push_back(
        zip::Entry{std::string(bytes.substr(at + kDirectoryEntrySize, name_length)),
                   static_cast<uint16_t>(Read(bytes, at + 10, 2)), Read(bytes, at + 16, 4),
                   Read(bytes, at + 20, 4), Read(bytes, at + 24, 4), Read(bytes, at + 42, 4)});
    at += kDirectoryEntrySize + name_length + extra_length + comment_length;
  }
  return true;
}

bool SameName(std::string_view a, std::string_view b, bool ignore_case) {
  if (!ignore_case) return a == b;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

zip_t* zip_open(const char* path, int /*flags*/, int* error) {
  auto archive = std::make_unique<zip_t>();
  if (!platform::ReadWholeFile(path, archive->bytes) || !ReadDirectory(*archive)) {
    if (error != nullptr) *error = 1;
    return nullptr;
  }
  return archive.release();
}

zip_int64_t zip_name_locate(zip_t* archive, const char* name, int flags) {
  for (size_t i = 0; i < archive->entries.size(); ++i) {
    if (SameName(archive->entries[i].name, name, (flags & ZIP_FL_NOCASE) != 0)) {
      return static_cast<zip_int64_t>(i);
    }
  }
  return -1;
}

void zip_stat_init(zip_stat_t* stat) { *stat = zip_stat_t{0, 0}; }

int zip_stat_index(zip_t* archive, zip_uint64_t index, int /*flags*/, zip_stat_t* stat) {
  if (index >= archive->entries.size()) return -1;
  stat->valid = ZIP_STAT_SIZE;
  stat->size = archive->entries[index].size;
  return 0;
}

zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, int /*flags*/) {
  if (index >= archive->entries.size()) return nullptr;
  const zip::Entry& entry = archive->entries[index];
  const std::string_view bytes = archive->bytes;
  const size_t header = entry.header_offset;
  if (header + kLocalHeaderSize > bytes.size() || Read(bytes, header, 4) != kLocalHeader) {
    return nullptr;
  }
  // The local header has name and extra field lengths of its own.
  const size_t start =
      header + kLocalHeaderSize + Read(bytes, header + 26, 2) + Read(bytes, header + 28, 2);
  if (start > bytes.size() || entry.packed_size > bytes.size() - start) return nullptr;
  const std::string_view packed = bytes.substr(start, entry.packed_size);
  std::optional<std::string> data;
  if (entry.method == kStored && entry.packed_size == entry.size) data = std::string(packed);
  if (entry.method == kDeflated) data = tabdump::win32::Inflate(packed, entry.size);
  if (!data || Crc32(*data) != entry.crc) return nullptr;
  return new zip_file_t{std::move(*data), 0};
}

zip_int64_t zip_fread(zip_file_t* file, void* buffer, zip_uint64_t length) {
  const size_t n = std::min<size_t>(length, file->data.size() - file->read);
  std::memcpy(buffer, file->data.data() + file->read, n);
  file->read += n;
  return static_cast<zip_int64_t>(n);
}

int zip_fclose(zip_file_t* file) {
  delete file;
  return 0;
}

void zip_discard(zip_t* archive) { delete archive; }
