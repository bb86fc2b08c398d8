// Windows reads every file into memory as before: a view of a file there
// keeps others from replacing or deleting it for as long as it lasts, which
// a user saving the table meanwhile would not expect.
#include "platform/mapped_file.h"

namespace platform {

std::unique_ptr<MappedFile> MappedFile::Map(const std::string&, size_t, size_t) { return nullptr; }

MappedFile::~MappedFile() = default;

void MappedFile::Forget(std::string_view) const {}

bool MappedFile::ReadAt(size_t, size_t, char*) const { return false; }

bool MappedFile::Unchanged() const { return true; }

void ReportLostMappedFiles(std::string_view, int) {}

}  // namespace platform
