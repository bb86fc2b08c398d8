#include "tabdump/xlsx_package.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zip.h>

#include "platform/files.h"

namespace tabdump {
namespace {

// A bigger part is taken for a damaged or hostile archive rather than read
// into memory.
constexpr zip_uint64_t kMaxPartBytes = 256u << 20;
// What all parts read from one archive may unpack to together.
constexpr zip_uint64_t kMaxUnpackedBytes = 512u << 20;
// Workbook XML packs to a tenth or a twentieth of its size, very repetitive
// sheets to a few hundredth; deflate's limit is about a thousandth. A big
// part packed far tighter than any workbook is taken for a zip bomb before
// it is unpacked.
constexpr zip_uint64_t kMaxPackingRatio = 250;
constexpr zip_uint64_t kRatioCheckedFrom = 16u << 20;

// What the parsed XML of all parts held at once may cost. A tree takes about
// 60 bytes a node, so a part of empty elements ("<a/>", four bytes each)
// needs fifteen times its size: 256 MB of them would need 4 GB.
constexpr size_t kMaxXmlTreeBytes = size_t{1} << 30;
size_t xml_tree_bytes = 0;

// pugixml allocates through these; a null result makes the parse fail with
// status_out_of_memory. Each block keeps its size in front of it.
void* AllocateXml(size_t size) {
  if (size > kMaxXmlTreeBytes - xml_tree_bytes) return nullptr;
  void* block = std::malloc(sizeof(std::max_align_t) + size);
  if (block == nullptr) return nullptr;
  *static_cast<size_t*>(block) = size;
  xml_tree_bytes += size;
  return static_cast<char*>(block) + sizeof(std::max_align_t);
}

void DeallocateXml(void* ptr) {
  if (ptr == nullptr) return;
  void* block = static_cast<char*>(ptr) - sizeof(std::max_align_t);
  xml_tree_bytes -= *static_cast<size_t*>(block);
  std::free(block);
}

// Set before any document exists, as pugixml requires.
[[maybe_unused]] const bool kXmlAllocationCounted =
    (pugi::set_memory_management_functions(AllocateXml, DeallocateXml), true);

// The folder of a part name with its trailing "/": "xl/" for "xl/workbook.xml".
std::string_view FolderOf(std::string_view part) {
  const size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
}

// `target` taken from the folder `base`, with "." and ".." steps resolved; a
// target starting with "/" is taken from the package root.
std::string ResolveTarget(std::string_view base, std::string_view target) {
  std::string joined = target.starts_with('/') ? std::string(target.substr(1))
                                               : std::string(base) + std::string(target);
  std::string resolved;
  for (const std::string& step : platform::ResolvedSteps(joined, '/')) {
    resolved += (resolved.empty() ? "" : "/") + step;
  }
  return resolved;
}

bool PassesUnpackLimits(const zip_stat_t& stat, zip_uint64_t unpacked_before) {
  if (stat.size > kMaxPartBytes || stat.size > kMaxUnpackedBytes - unpacked_before) return false;
  if (stat.size < kRatioCheckedFrom) return true;
  return (stat.valid & ZIP_STAT_COMP_SIZE) != 0 && stat.size / kMaxPackingRatio <= stat.comp_size;
}

// Part names are case-insensitive in the package format.
zip_int64_t LocatePart(zip* archive, std::string_view name) {
  return zip_name_locate(archive, std::string(name).c_str(), ZIP_FL_NOCASE);
}

std::optional<std::string> ReadEntry(zip* archive, std::string_view name, bool* too_large,
                                     zip_uint64_t& unpacked) {
  const zip_int64_t index = LocatePart(archive, name);
  if (index < 0) return std::nullopt;
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0) {
    return std::nullopt;
  }
  if (!PassesUnpackLimits(stat, unpacked)) {
    if (too_large != nullptr) *too_large = true;
    return std::nullopt;
  }
  unpacked += stat.size;
  zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) return std::nullopt;
  std::string bytes(stat.size, '\0');
  const zip_int64_t got = zip_fread(file, bytes.data(), stat.size);
  zip_fclose(file);
  if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) return std::nullopt;
  return bytes;
}

}  // namespace

void XlsxPackage::Closer::operator()(zip* archive) const { zip_discard(archive); }

std::optional<XlsxPackage> XlsxPackage::Open(const std::string& path) {
  // Through stdio, which takes the path in the system's own encoding on both
  // systems (Shift-JIS on Windows): libzip's own opening wants UTF-8 there.
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  zip_error_t error;
  zip_error_init(&error);
  // Once made, the source owns the file; the archive owns the source.
  zip_source_t* source = zip_source_filep_create(file, 0, -1, &error);
  if (source == nullptr) std::fclose(file);
  zip* archive = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &error);
  if (source != nullptr && archive == nullptr) zip_source_free(source);
  zip_error_fini(&error);
  if (archive == nullptr) return std::nullopt;
  return XlsxPackage(archive);
}

std::optional<pugi::xml_document> XlsxPackage::ReadXml(std::string_view name,
                                                       bool* too_large) const {
  const std::optional<std::string> bytes = ReadEntry(archive_.get(), name, too_large, unpacked_);
  if (!bytes) return std::nullopt;
  pugi::xml_document doc;
  // Keep text made only of blanks: a cell may hold just a space.
  const pugi::xml_parse_result parsed =
      doc.load_buffer(bytes->data(), bytes->size(), pugi::parse_default | pugi::parse_ws_pcdata);
  if (parsed.status == pugi::status_out_of_memory && too_large != nullptr) *too_large = true;
  if (!parsed) return std::nullopt;
  return doc;
}

bool XlsxPackage::HasPart(std::string_view name) const {
  return LocatePart(archive_.get(), name) >= 0;
}

Relationships XlsxPackage::ReadRelationships(std::string_view name) const {
  const std::string_view folder = FolderOf(name);
  const std::string rels_name =
      std::string(folder) + "_rels/" + std::string(name.substr(folder.size())) + ".rels";
  Relationships relationships;
  const std::optional<pugi::xml_document> doc = ReadXml(rels_name);
  if (!doc) return relationships;
  for (const pugi::xml_node& rel : ChildNamed(*doc, "Relationships").children()) {
    if (LocalName(rel) != "Relationship") continue;
    if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
    relationships.emplace(rel.attribute("Id").value(),
                          Relationship{ResolveTarget(folder, rel.attribute("Target").value()),
                                       rel.attribute("Type").value()});
  }
  return relationships;
}

const Relationship* FindRelationship(const Relationships& relationships,
                                     std::string_view type_name) {
  for (const auto& [id, rel] : relationships) {
    const std::string_view type = rel.type;
    const size_t slash = type.rfind('/');
    if (type.substr(slash == std::string_view::npos ? 0 : slash + 1) == type_name) return &rel;
  }
  return nullptr;
}

std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element && LocalName(child) == name) return child;
  }
  return pugi::xml_node();
}

}  // namespace tabdump
