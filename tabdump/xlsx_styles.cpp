#include "tabdump/xlsx_styles.h"

#include <map>
#include <string>

#include "tabdump/xlsx_package.h"

namespace tabdump {

CellDateFormats ReadCellDateFormats(const pugi::xml_node& style_sheet) {
  // The workbook's own format codes; an id it defines replaces a built-in one.
  std::map<unsigned, std::string> codes;
  for (const pugi::xml_node& fmt : ChildNamed(style_sheet, "numFmts").children()) {
    if (LocalName(fmt) != "numFmt") continue;
    codes[fmt.attribute("numFmtId").as_uint()] = fmt.attribute("formatCode").value();
  }
  CellDateFormats formats;
  for (const pugi::xml_node& xf : ChildNamed(style_sheet, "cellXfs").children()) {
    if (LocalName(xf) != "xf") continue;
    const unsigned id = xf.attribute("numFmtId").as_uint();
    const auto code = codes.find(id);
    formats.push_back(code != codes.end() ? CustomDateFormat(code->second)
                                          : BuiltInDateFormat(static_cast<int>(id)));
  }
  return formats;
}

}  // namespace tabdump
