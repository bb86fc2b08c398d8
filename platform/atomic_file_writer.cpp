// The buffering part of AtomicFileWriter and WriteFileAtomically, the same
// on every platform; opening, committing and removing the temporary file are
// the backends' own.
#include "platform/file_io.h"
#include "platform/files.h"

namespace platform {

void AtomicFileWriter::Drain() {
  Put(buffer_);
  buffer_.clear();
}

void AtomicFileWriter::Put(std::string_view data) {
  if (!ok_) return;
  if (!file_io::WriteAll(fd_, data)) {
    ok_ = false;
    return;
  }
  written_ += static_cast<long long>(data.size());
  // The commit syncs the temporary file before it takes the target's place;
  // the disk gets to work on it while the rest is still being made, rather
  // than all at once at the end.
  if (!direct_ && written_ - writeback_started_ >= kWritebackStep) {
    file_io::StartWriteback(fd_, written_);
    writeback_started_ = written_;
  }
}

void AtomicFileWriter::Write(std::string_view data) {
  if (!ok_) return;
  if (buffer_.size() + data.size() > kWriteBuffer) Drain();
  // A piece of some size (a block of a list) goes to the file as it is: a
  // copy into the buffer would cost more than the call it saves.
  if (data.size() >= kWriteDirectly) {
    if (!buffer_.empty()) Drain();
    Put(data);
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
