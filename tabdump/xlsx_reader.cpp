#include "tabdump/xlsx_reader.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "tabdump/date_format.h"
#include "tabdump/number_text.h"
#include "tabdump/xlsx_package.h"
#include "tabdump/xlsx_strings.h"
#include "tabdump/xlsx_styles.h"

namespace tabdump {
namespace {

// The size of a worksheet; a reference beyond it means a damaged file.
constexpr size_t kMaxRows = 1048576;
constexpr size_t kMaxColumns = 16384;
constexpr size_t kLettersInAlphabet = 26;

// What every cell of the sheet is read against.
struct SheetContext {
  std::vector<std::string> shared_strings;
  CellDateFormats date_formats;
  bool date1904 = false;
};

// The column of a cell reference, counting from 0 ("A1" gives 0, "AB12"
// gives 27), kMaxColumns or more for one past the sheet's last column XFD;
// nullopt when it does not start with a column letter.
std::optional<size_t> ColumnOfReference(std::string_view reference) {
  size_t column = 0;
  size_t letters = 0;
  for (const char c : reference) {
    if (c < 'A' || c > 'Z') break;
    // Four letters are past XFD already; stop before the number can wrap.
    if (++letters > 3) return kMaxColumns;
    column = column * kLettersInAlphabet + static_cast<size_t>(c - 'A' + 1);
  }
  if (letters == 0) return std::nullopt;
  return column - 1;
}

// A cell of type "d" holds an ISO 8601 date: "2020-04-01T10:20:30".
std::string IsoDateText(std::string_view iso) {
  std::string text(iso.substr(0, 10));
  for (char& c : text) c = c == '-' ? '/' : c;
  const std::string_view time = iso.size() > 11 ? iso.substr(11, 8) : std::string_view();
  if (!time.empty() && time != "00:00:00") text += " " + std::string(time);
  return text;
}

std::string NumberCellText(std::string_view value, const pugi::xml_node& cell,
                           const SheetContext& ctx) {
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return std::string(value);
  const size_t style = cell.attribute("s").as_uint();
  if (style < ctx.date_formats.size() && ctx.date_formats[style]) {
    return SerialDateText(number, ctx.date1904, *ctx.date_formats[style]);
  }
  return NumberText(number);
}

// The cell's text; nullopt for a shared string the workbook does not hold,
// which would otherwise come out as a silently empty cell.
std::optional<std::string> CellText(const pugi::xml_node& cell, const SheetContext& ctx) {
  const std::string_view type = cell.attribute("t").value();
  const std::string_view value = ChildNamed(cell, "v").text().get();
  if (type == "s") {
    size_t index = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), index);
    if (error != std::errc() || index >= ctx.shared_strings.size()) return std::nullopt;
    return ctx.shared_strings[index];
  }
  if (type == "inlineStr") return StringItemText(ChildNamed(cell, "is"));
  if (type == "str" || type == "e") return DecodeEscapes(value);
  if (type == "b") return value == "1" || value == "true" ? "TRUE" : "FALSE";
  if (type == "d") return IsoDateText(value);
  return value.empty() ? std::string() : NumberCellText(value, cell, ctx);
}

// Rows and cells carry their place in "r"; writers may leave it out, and the
// place is then the one after the previous row or cell.
ReadResult ReadSheetData(const pugi::xml_node& sheet_data, const SheetContext& ctx) {
  TableBuilder builder;
  size_t row_index = 0;
  for (const pugi::xml_node& row : sheet_data.children()) {
    if (LocalName(row) != "row") continue;
    const pugi::xml_attribute r = row.attribute("r");
    row_index = r ? r.as_ullong() : row_index + 1;
    if (row_index < 1) return {{}, ReadFailure::kUnreadable};
    if (row_index > kMaxRows) return {{}, ReadFailure::kOutsideSheet};
    size_t column = 0;
    for (const pugi::xml_node& cell : row.children()) {
      if (LocalName(cell) != "c") continue;
      const pugi::xml_attribute reference = cell.attribute("r");
      const std::optional<size_t> place =
          reference ? ColumnOfReference(reference.value()) : std::optional<size_t>(column);
      if (!place) return {{}, ReadFailure::kUnreadable};
      if (*place >= kMaxColumns) return {{}, ReadFailure::kOutsideSheet};
      column = *place + 1;
      std::optional<std::string> text = CellText(cell, ctx);
      if (!text) return {{}, ReadFailure::kSharedStringMissing};
      if (!builder.Put(row_index - 1, *place, std::move(*text))) {
        return {{}, ReadFailure::kTooLarge};
      }
    }
  }
  return std::move(builder).Finish();
}

// The relationship id of a <sheet>: its "r:id", whatever the prefix.
std::string_view SheetRelationshipId(const pugi::xml_node& sheet) {
  for (const pugi::xml_attribute& attribute : sheet.attributes()) {
    const std::string_view name = attribute.name();
    if (name.find(':') != std::string_view::npos && name.ends_with(":id")) return attribute.value();
  }
  return std::string_view();
}

// Why part `name` gave no XML: too large, not there at all, or damaged.
ReadFailure PartFailure(const XlsxPackage& package, std::string_view name, bool too_large) {
  if (too_large) return ReadFailure::kTooLarge;
  return package.HasPart(name) ? ReadFailure::kUnreadable : ReadFailure::kPartMissing;
}

// nullopt, with `failure` set, when a part it names cannot be had. Without
// its styles a sheet's dates would come out as bare serial numbers, so a
// damaged styles part fails the workbook like damaged shared strings do.
std::optional<SheetContext> ReadContext(const XlsxPackage& package, const Relationships& rels,
                                        const pugi::xml_node& workbook, ReadFailure& failure) {
  SheetContext ctx;
  bool too_large = false;
  ctx.date1904 = ChildNamed(workbook, "workbookPr").attribute("date1904").as_bool();
  if (const Relationship* strings = FindRelationship(rels, "sharedStrings")) {
    const auto doc = package.ReadXml(strings->target, &too_large);
    if (!doc) {
      failure = PartFailure(package, strings->target, too_large);
      return std::nullopt;
    }
    std::optional<std::vector<std::string>> texts = ReadSharedStrings(ChildNamed(*doc, "sst"));
    if (!texts) {
      failure = ReadFailure::kTooLarge;
      return std::nullopt;
    }
    ctx.shared_strings = std::move(*texts);
  }
  if (const Relationship* styles = FindRelationship(rels, "styles")) {
    const auto doc = package.ReadXml(styles->target, &too_large);
    if (!doc) {
      failure = PartFailure(package, styles->target, too_large);
      return std::nullopt;
    }
    ctx.date_formats = ReadCellDateFormats(ChildNamed(*doc, "styleSheet"));
  }
  return ctx;
}

}  // namespace

ReadResult ReadXlsx(const std::string& path) {
  const ReadResult unreadable{{}, ReadFailure::kUnreadable};
  const std::optional<XlsxPackage> package = XlsxPackage::Open(path);
  if (!package) return unreadable;
  const Relationships package_rels = package->ReadRelationships("");
  const Relationship* office = FindRelationship(package_rels, "officeDocument");
  if (office == nullptr) return unreadable;
  const std::string workbook_name = office->target;
  bool too_large = false;
  const std::optional<pugi::xml_document> workbook_doc =
      package->ReadXml(workbook_name, &too_large);
  if (!workbook_doc) return {{}, PartFailure(*package, workbook_name, too_large)};
  const pugi::xml_node workbook = ChildNamed(*workbook_doc, "workbook");
  const Relationships rels = package->ReadRelationships(workbook_name);
  // Chart sheets can stand in the sheet list too; the first worksheet is wanted.
  for (const pugi::xml_node& sheet : ChildNamed(workbook, "sheets").children()) {
    if (LocalName(sheet) != "sheet") continue;
    const auto rel = rels.find(SheetRelationshipId(sheet));
    if (rel == rels.end() || !rel->second.type.ends_with("/worksheet")) continue;
    // The shared strings first: the sheet's tree and theirs are held together.
    ReadFailure failure = ReadFailure::kNone;
    const std::optional<SheetContext> ctx = ReadContext(*package, rels, workbook, failure);
    if (!ctx) return {{}, failure};
    const std::optional<pugi::xml_document> sheet_doc =
        package->ReadXml(rel->second.target, &too_large);
    if (!sheet_doc) return {{}, PartFailure(*package, rel->second.target, too_large)};
    const pugi::xml_node sheet_data = ChildNamed(ChildNamed(*sheet_doc, "worksheet"), "sheetData");
    if (!sheet_data) return {{}, ReadFailure::kNoSheetData};
    return ReadSheetData(sheet_data, *ctx);
  }
  return unreadable;
}

}  // namespace tabdump
