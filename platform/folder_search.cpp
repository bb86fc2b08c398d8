// Finding a file by a name whose letter case may differ, the same on every
// platform once the folder is listed and names compared by the backend.
#include "platform/files.h"
#include "platform/folder.h"

namespace platform {

std::string FindFileIgnoringCase(const std::string& folder, std::string_view name) {
  const std::string exact = folder + std::string(name);
  if (FileExists(exact)) return exact;
  for (const std::string& listed : ListFileNames(folder)) {
    if (SameNameIgnoringCase(listed, name)) return folder + listed;
  }
  return exact;
}

}  // namespace platform
