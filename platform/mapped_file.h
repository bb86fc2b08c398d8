// A large file read in place: its bytes mapped into memory rather than
// copied. The system keeps the file's pages in its cache anyway, so a table
// of a million references is then held once instead of twice, and the pages
// a run has done with can be handed back and read again when needed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class MappedFile {
 public:
  // `path` mapped read-only; nothing when it is not a regular file of
  // `min_size` to `limit` bytes or the system cannot map it (the caller
  // then reads it as usual).
  static std::unique_ptr<MappedFile> Map(const std::string& path, size_t min_size, size_t limit);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view Text() const { return {data_, size_}; }
  // Hands the pages that lie wholly inside `part` (a piece of Text()) back
  // to the system; they are read from the file again when next touched.
  void Forget(std::string_view part) const;
  // Copies `size` bytes of the file from `offset` on into `out` by reading
  // it, not through the mapping, whose pages would come back into the
  // program's memory with their neighbours. False when they cannot all be
  // read.
  bool ReadAt(size_t offset, size_t size, char* out) const;
  // False when the file was written, cut short or grown since it was
  // mapped: what was read of it since may mix old and new bytes.
  bool Unchanged() const;

 private:
  MappedFile() = default;
  const char* data_ = nullptr;
  size_t size_ = 0;
  int fd_ = -1;
  long long modified_ = 0;  // when the contents last changed, in nanoseconds
};

// A mapped file that another program cuts short can no longer be read, and
// the system would end the program at the next read without a word. From
// this call on, such a read writes `report` to the standard output, removes
// the temporary files of writers not yet committed, and ends the program
// with `exit_code`. A fault anywhere else still ends it as it would have.
void ReportLostMappedFiles(std::string_view report, int exit_code);

}  // namespace platform
