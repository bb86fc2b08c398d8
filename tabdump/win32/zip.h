// The few zip-archive calls the .xlsx reader makes, in libzip's form, done
// by our own code for the Windows build, where libzip is not available. An
// archive is read whole into memory; entries are stored or deflated, and
// their checksums are verified when they are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using zip_uint64_t = uint64_t;
using zip_int64_t = int64_t;

inline constexpr int ZIP_RDONLY = 16;
inline constexpr int ZIP_FL_NOCASE = 1;
inline constexpr zip_uint64_t ZIP_STAT_SIZE = 0x0004;

struct zip_stat {
  zip_uint64_t valid;
  zip_uint64_t size;
};
using zip_stat_t = struct zip_stat;

struct zip_file {
  std::string data;
  size_t read = 0;
};
using zip_file_t = struct zip_file;

// One archive: its bytes and the entries of its central directory.
struct zip {
  struct Entry {
    std::string name;
    uint16_t method;
    uint32_t crc;
    uint64_t packed_size;
    uint64_t size;
    uint64_t header_offset;
  };
  std::string bytes;
  std::vector<Entry> entries;
};
using zip_t = struct zip;

// The archive at `path`; nullptr when it cannot be read or is no zip archive.
zip_t* zip_open(const char* path, int flags, int* error);
// The index of the entry `name` (ASCII case ignored with ZIP_FL_NOCASE), or -1.
zip_int64_t zip_name_locate(zip_t* archive, const char* name, int flags);
void zip_stat_init(zip_stat_t* stat);
// Fills the size of entry `index`; -1 for a wrong index.
int zip_stat_index(zip_t* archive, zip_uint64_t index, int flags, zip_stat_t* stat);
// The entry's data, unpacked and checked; nullptr when it is damaged or
// packed in a way other than stored or deflated.
zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, int flags);
// Copies up to `length` further bytes of the entry; the count copied.
zip_int64_t zip_fread(zip_file_t* file, void* buffer, zip_uint64_t length);
int zip_fclose(zip_file_t* file);
void zip_discard(zip_t* archive);
