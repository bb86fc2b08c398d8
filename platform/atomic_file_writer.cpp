// The buffering part of AtomicFileWriter and WriteFileAtomically, the same
// on every platform; opening, committing and removing the temporary file are
// the backends' own.
#include "platform/file_io.h"
#include "platform/files.h"

namespace platform {

void AtomicFileWriter::Drain() {
  if (ok_ && !file_io::WriteAll(fd_, buffer_)) ok_ = false;
  buffer_.clear();
}

void AtomicFileWriter::Write(std::string_view data) {
  if (!ok_) return;
  if (buffer_.size() + data.size() > kWriteBuffer) Drain();
  if (data.size() >= kWriteBuffer) {
    if (ok_ && !file_io::WriteAll(fd_, data)) ok_ = false;
    return;
  }
  buffer_.append(data);
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  AtomicFileWriter writer(path);
  writer.Write(contents);
  return writer.Commit();
}

}  // namespace platform
