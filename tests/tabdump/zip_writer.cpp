#include "tests/tabdump/zip_writer.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <zip.h>

namespace tabdump_testing {
namespace {

constexpr const char* kRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kOfficeRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kOfficeRel + type + "\" Target=\"" + target +
         "\"/>";
}

}  // namespace

bool WriteZip(const std::string& path, const ZipEntries& entries, Packing packing) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  for (const auto& [name, contents] : entries) {
    zip_source_t* source = zip_source_buffer(archive, contents.data(), contents.size(), 0);
    const zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      return false;
    }
    if (packing == Packing::kStored &&
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0) {
      zip_discard(archive);
      return false;
    }
  }
  if (zip_close(archive) != 0) return false;
  KeepWorkbook(path);
  return true;
}

void KeepWorkbook(const std::string& path) {
  const char* keep = std::getenv("TABDUMP_KEEP_WORKBOOKS");
  if (keep == nullptr || *keep == '\0') return;
  // A case may write several workbooks under one name: number them all.
  static int kept = 0;
  const std::filesystem::path from(path);
  const std::filesystem::path to =
      std::filesystem::path(keep) / (std::to_string(++kept) + "-" + from.filename().string());
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

ZipEntries MinimalXlsx(const std::string& sheet_xml, const std::string& shared_strings_xml,
                       const std::string& styles_xml, const std::string& workbook_pr) {
  std::string workbook_rels = std::string("<Relationships xmlns=\"") + kRelationshipsNs + "\">" +
                              Relationship("rId1", "worksheet", "worksheets/sheet1.xml");
  if (!shared_strings_xml.empty()) {
    workbook_rels += Relationship("rId2", "sharedStrings", "/xl/sharedStrings.xml");
  }
  if (!styles_xml.empty()) workbook_rels += Relationship("rId3", "styles", "styles.xml");
  workbook_rels += "</Relationships>";
  ZipEntries entries = {
      {"_rels/.rels", std::string("<Relationships xmlns=\"") + kRelationshipsNs + "\">" +
                          Relationship("rId1", "officeDocument", "xl/workbook.xml") +
                          "</Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
           workbook_pr +
           "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels", workbook_rels},
      {"xl/worksheets/sheet1.xml", sheet_xml},
  };
  if (!shared_strings_xml.empty()) entries.push_back({"xl/sharedStrings.xml", shared_strings_xml});
  if (!styles_xml.empty()) entries.push_back({"xl/styles.xml", styles_xml});
  return entries;
}

}  // namespace tabdump_testing
