// The Windows build has no workbook readers: the libraries they stand on
// are not available for the Windows cross build.
#include "tabdump/workbook_reader.h"

namespace tabdump {

std::optional<Table> ReadWorkbook(const std::string& /*path*/) { return std::nullopt; }

}  // namespace tabdump
