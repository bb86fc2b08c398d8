#include "tabdump/xlsx_reader.h"
#include "tabdump/xlsx_strings.h"

#include <string>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include "tests/support/temp_folder.h"
#include "tests/tabdump/table_texts.h"
#include "tests/tabdump/zip_writer.h"

namespace tabdump {
namespace {

using tabdump_testing::MinimalXlsx;
using tabdump_testing::Texts;
using tabdump_testing::TextsOf;
using tabdump_testing::WriteZip;
using tabdump_testing::ZipEntries;

// A workbook as a spreadsheet program writes it: shared strings, a second
// sheet that must not show up, cells of every kind.
void WriteSharedStringsWorkbook(const std::string& path) {
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* refs = workbook_add_worksheet(wb, "Refs");
  lxw_worksheet* other = workbook_add_worksheet(wb, "Other");
  lxw_format* japanese_date = workbook_add_format(wb);
  format_set_num_format(japanese_date, "yyyy\"年\"m\"月\"d\"日\"");
  lxw_format* builtin_date = workbook_add_format(wb);
  format_set_num_format_index(builtin_date, 14);
  lxw_format* bold = workbook_add_format(wb);
  format_set_bold(bold);

  worksheet_write_string(refs, 0, 0, "*", nullptr);
  worksheet_write_string(refs, 0, 1, "ebook", nullptr);
  worksheet_write_string(refs, 0, 2, "Smith, John|Jones, Paul", nullptr);
  worksheet_write_number(refs, 0, 3, 2020, nullptr);
  worksheet_write_string(refs, 0, 4, "He said \"hi\"", nullptr);
  worksheet_write_number(refs, 0, 5, 12.5, nullptr);
  worksheet_write_boolean(refs, 0, 6, 1, nullptr);
  worksheet_write_boolean(refs, 0, 7, 0, nullptr);
  // Row 1 stays empty; row 2 has a formatted but empty cell in column 1.
  worksheet_write_string(refs, 2, 0, "line1\nline2", nullptr);
  worksheet_write_blank(refs, 2, 1, bold);
  worksheet_write_string(refs, 2, 2, "日本語の題名", nullptr);
  lxw_datetime date = {2020, 4, 1, 0, 0, 0};
  worksheet_write_datetime(refs, 2, 3, &date, japanese_date);
  worksheet_write_datetime(refs, 2, 4, &date, builtin_date);
  lxw_rich_string_tuple plain = {nullptr, const_cast<char*>("普通と")};
  lxw_rich_string_tuple strong = {bold, const_cast<char*>("太字")};
  lxw_rich_string_tuple* runs[] = {&plain, &strong, nullptr};
  worksheet_write_rich_string(refs, 2, 5, runs, nullptr);
  worksheet_write_formula_num(refs, 3, 0, "=1+1", nullptr, 2);
  worksheet_write_string(refs, 3, 4, "far", nullptr);
  worksheet_write_string(other, 0, 0, "second sheet", nullptr);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
  tabdump_testing::KeepWorkbook(path);
}

TEST(ReadXlsxTest, ReadsTheFirstSheetAsItShows) {
  const testing_support::TempFolder dir;
  const std::string path = dir.File("refs.xlsx");
  WriteSharedStringsWorkbook(path);
  const ReadResult read = ReadXlsx(path);
  ASSERT_EQ(read.failure, ReadFailure::kNone);
  const Texts expected = {
      {"*", "ebook", "Smith, John|Jones, Paul", "2020", "He said \"hi\"", "12.5", "TRUE", "FALSE"},
      {},
      {"line1\nline2", "", "日本語の題名", "2020年4月1日", "2020/04/01", "普通と太字"},
      {"2", "", "", "", "far"},
  };
  EXPECT_EQ(TextsOf(read.table), expected);
}

TEST(ReadXlsxTest, ReadsInlineStrings) {
  const testing_support::TempFolder dir;
  const std::string path = dir.File("inline.xlsx");
  // In constant-memory mode the writer puts strings inside the cells.
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
  lxw_worksheet* sheet = workbook_add_worksheet(wb, nullptr);
  worksheet_write_string(sheet, 0, 0, "*", nullptr);
  worksheet_write_string(sheet, 0, 2, "山田|鈴木", nullptr);
  worksheet_write_number(sheet, 2, 1, 1999, nullptr);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
  tabdump_testing::KeepWorkbook(path);

  const ReadResult read = ReadXlsx(path);
  ASSERT_EQ(read.failure, ReadFailure::kNone);
  EXPECT_EQ(TextsOf(read.table), (Texts{{"*", "", "山田|鈴木"}, {}, {"", "1999"}}));
}

// What other writers do: prefixed element names, rows and cells without
// their place, phonetic guides, escaped characters, the 1904 date system.
TEST(ReadXlsxTest, ReadsWhatOtherWritersProduce) {
  const std::string ns = "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
  const std::string sheet =
      "<x:worksheet " + ns +
      "><x:sheetData>"
      "<x:row><x:c t=\"s\"><x:v>0</x:v></x:c><x:c t=\"s\"><x:v>1</x:v></x:c></x:row>"
      "<x:row r=\"3\"><x:c r=\"B3\" t=\"inlineStr\"><x:is><x:r><x:t>a</x:t></x:r>"
      "<x:r><x:t xml:space=\"preserve\"> b</x:t></x:r></x:is></x:c>"
      "<x:c t=\"e\"><x:v>#N/A</x:v></x:c><x:c t=\"b\"><x:v>1</x:v></x:c>"
      "<x:c t=\"d\"><x:v>2020-04-01T00:00:00</x:v></x:c>"
      "<x:c s=\"1\"><x:v>42460</x:v></x:c><x:c t=\"s\"><x:v>2</x:v></x:c></x:row>"
      "</x:sheetData></x:worksheet>";
  const std::string strings =
      "<x:sst " + ns +
      ">"
      "<x:si><x:t>山田</x:t><x:rPh sb=\"0\" eb=\"2\"><x:t>ヤマダ</x:t></x:rPh></x:si>"
      "<x:si><x:t>a_x000D_\nb_x005F_x000D_</x:t></x:si>"
      "<x:si><x:t xml:space=\"preserve\"> </x:t></x:si></x:sst>";
  const std::string styles =
      "<x:styleSheet " + ns +
      "><x:numFmts><x:numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d\"/>"
      "</x:numFmts><x:cellXfs><x:xf numFmtId=\"0\"/><x:xf numFmtId=\"164\"/></x:cellXfs>"
      "</x:styleSheet>";
  const testing_support::TempFolder dir;
  const std::string path = dir.File("other.xlsx");
  ASSERT_TRUE(WriteZip(path, MinimalXlsx(sheet, strings, styles, "<workbookPr date1904=\"1\"/>")));

  const ReadResult read = ReadXlsx(path);
  ASSERT_EQ(read.failure, ReadFailure::kNone);
  const Texts expected = {
      {"山田", "a\r\nb_x000D_"},
      {},
      {"", "a b", "#N/A", "TRUE", "2020/04/01", "2020/4/1", " "},
  };
  EXPECT_EQ(TextsOf(read.table), expected);
}

TEST(ReadXlsxTest, RejectsWhatIsNotAWorkbook) {
  const testing_support::TempFolder dir;
  const struct {
    const char* name;
    ZipEntries entries;
  } archives[] = {
      {"empty archive", {{"readme.txt", "hello"}}},
      {"sheet is not xml", MinimalXlsx("<worksheet><sheetData>")},
      {"styles are not xml",
       MinimalXlsx("<worksheet><sheetData/></worksheet>", "", "<styleSheet>")},
      {"cell reference without a column",
       MinimalXlsx("<worksheet><sheetData><row><c r=\"12\"><v>1</v></c></row>"
                   "</sheetData></worksheet>")},
      {"row 0", MinimalXlsx("<worksheet><sheetData><row r=\"0\"/></sheetData></worksheet>")},
  };
  for (const auto& archive : archives) {
    SCOPED_TRACE(archive.name);
    const std::string path = dir.File("bad.xlsx");
    ASSERT_TRUE(WriteZip(path, archive.entries));
    EXPECT_EQ(ReadXlsx(path).failure, ReadFailure::kUnreadable);
  }
  EXPECT_EQ(ReadXlsx(dir.Write("text.xlsx", "PK\x03\x04 but no archive")).failure,
            ReadFailure::kUnreadable);
}

// XML may declare an encoding other than UTF-8; the text must be decoded
// from it, not taken byte for byte.
TEST(ReadXlsxTest, DecodesTheEncodingTheXmlDeclares) {
  const std::string sheet =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><worksheet><sheetData><row>"
      "<c t=\"inlineStr\"><is><t>caf\xE9</t></is></c></row></sheetData></worksheet>";
  const testing_support::TempFolder dir;
  const std::string path = dir.File("latin1.xlsx");
  ASSERT_TRUE(WriteZip(path, MinimalXlsx(sheet)));
  const ReadResult read = ReadXlsx(path);
  ASSERT_EQ(read.failure, ReadFailure::kNone);
  EXPECT_EQ(TextsOf(read.table), (Texts{{"caf\u00E9"}}));
}

// Damage that used to give empty cells and success, and small files that
// would need gigabytes: each gets its own failure.
TEST(ReadXlsxTest, NamesWhyAWorkbookGivesNoTable) {
  const std::string big(4 << 20, 'A');
  std::string shared_big_rows;
  for (int r = 1; r <= 100; ++r) {
    shared_big_rows += "<row>" + std::string(5 * 5, ' ');
    for (int c = 0; c < 5; ++c) shared_big_rows += "<c t=\"s\"><v>0</v></c>";
    shared_big_rows += "</row>";
  }
  std::string wide_rows;
  for (int r = 1; r <= 20000; ++r) {
    wide_rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"XFD" + std::to_string(r) +
                 "\"><v>1</v></c></row>";
  }
  std::string empty_elements = "<worksheet><sheetData>";
  for (int i = 0; i < 20'000'000; ++i) empty_elements += "<a/>";
  empty_elements += "</sheetData></worksheet>";
  const auto sheet_of = [](const std::string& rows) {
    return "<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
  };
  const auto without = [](ZipEntries entries, const std::string& part) {
    std::erase_if(entries, [&part](const auto& entry) { return entry.first == part; });
    return entries;
  };
  const ZipEntries with_strings = MinimalXlsx(sheet_of(""), "<sst/>", "<styleSheet/>");
  const struct {
    const char* name;
    ZipEntries entries;
    ReadFailure failure;
  } cases[] = {
      {"shared string index past the list",
       MinimalXlsx(sheet_of("<row><c t=\"s\"><v>1</v></c></row>"), "<sst><si><t>a</t></si></sst>"),
       ReadFailure::kSharedStringMissing},
      {"worksheet without sheetData", MinimalXlsx("<worksheet/>"), ReadFailure::kNoSheetData},
      {"column past XFD", MinimalXlsx(sheet_of("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>")),
       ReadFailure::kOutsideSheet},
      {"four column letters", MinimalXlsx(sheet_of("<row><c r=\"AAAA1\"><v>1</v></c></row>")),
       ReadFailure::kOutsideSheet},
      {"row past 1,048,576", MinimalXlsx(sheet_of("<row r=\"1048577\"/>")),
       ReadFailure::kOutsideSheet},
      // Rows without "r" count on from the last one given.
      {"row counted past the last",
       MinimalXlsx(sheet_of("<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>")),
       ReadFailure::kOutsideSheet},
      {"no workbook part", without(with_strings, "xl/workbook.xml"), ReadFailure::kPartMissing},
      {"no worksheet part", without(with_strings, "xl/worksheets/sheet1.xml"),
       ReadFailure::kPartMissing},
      {"no shared strings part", without(with_strings, "xl/sharedStrings.xml"),
       ReadFailure::kPartMissing},
      {"no styles part", without(with_strings, "xl/styles.xml"), ReadFailure::kPartMissing},
      {"one 4 MB shared string in 500 cells",
       MinimalXlsx(sheet_of(shared_big_rows), "<sst><si><t>" + big + "</t></si></sst>"),
       ReadFailure::kTooLarge},
      {"20,000 rows with a cell in the last column", MinimalXlsx(sheet_of(wide_rows)),
       ReadFailure::kTooLarge},
      {"20 million empty elements", MinimalXlsx(empty_elements), ReadFailure::kTooLarge},
      // 64 MB that deflate packs to about 64 KB: refused before unpacking.
      {"zip bomb", MinimalXlsx(sheet_of(std::string(64 << 20, ' '))), ReadFailure::kTooLarge},
  };
  const testing_support::TempFolder dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("bad.xlsx");
    ASSERT_TRUE(WriteZip(path, c.entries));
    EXPECT_EQ(ReadXlsx(path).failure, c.failure);
  }
}

// Each part stays below the limit of one part, and stored entries pack at
// no ratio at all; only the total of what is unpacked stops them. The sheet
// part is named as shared strings and styles as well, so it is read three
// times: 540 MB against the 512 MB that all parts together may unpack to.
TEST(ReadXlsxTest, StopsAtTheTotalOfUnpackedParts) {
  const std::string sheet = "<worksheet><sheetData/></worksheet>" + std::string(180 << 20, ' ');
  ZipEntries entries = MinimalXlsx(sheet, "<sst/>", "<styleSheet/>");
  for (auto& [name, contents] : entries) {
    if (name == "xl/_rels/workbook.xml.rels") {
      for (const std::string target : {"/xl/sharedStrings.xml", "styles.xml"}) {
        contents.replace(contents.find(target), target.size(), "worksheets/sheet1.xml");
      }
    }
  }
  std::erase_if(entries, [](const auto& e) {
    return e.first == "xl/sharedStrings.xml" || e.first == "xl/styles.xml";
  });
  const testing_support::TempFolder dir;
  const std::string path = dir.File("stored.xlsx");
  ASSERT_TRUE(WriteZip(path, entries, tabdump_testing::Packing::kStored));
  EXPECT_EQ(ReadXlsx(path).failure, ReadFailure::kTooLarge);
}

// A strings part of empty items is small as XML and as a tree, but each item
// is a string of its own once read.
TEST(ReadSharedStringsTest, StopsAtWhatTheTableMayHold) {
  std::string items = "<sst>";
  for (int i = 0; i < 9'000'000; ++i) items += "<si/>";
  items += "</sst>";
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(items.c_str()));
  EXPECT_FALSE(ReadSharedStrings(doc.child("sst")));
  ASSERT_TRUE(doc.load_string("<sst><si><t>a</t></si><si/></sst>"));
  EXPECT_EQ(ReadSharedStrings(doc.child("sst")), (std::vector<std::string>{"a", ""}));
}

}  // namespace
}  // namespace tabdump
