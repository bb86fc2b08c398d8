// The Windows build reads no .xls workbooks: freexl, which reads them on
// Linux, is not available for it. Such a workbook is reported as one
// tabdump cannot read.
#include "tabdump/xls_reader.h"

namespace tabdump {

ReadResult ReadXls(const std::string& /*path*/) { return {{}, ReadFailure::kUnreadable}; }

}  // namespace tabdump
