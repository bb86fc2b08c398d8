// The parts of an .xlsx workbook: a zip archive of XML files that point at
// each other through relationship files. The .xlsx reader opens the archive
// here, follows the relationships and gets each part as parsed XML.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

struct zip;

namespace tabdump {

// Where one relationship of a part points: the full part name and its type.
struct Relationship {
  std::string target;
  std::string type;
};
// A part's relationships by their id ("rId1").
using Relationships = std::map<std::string, Relationship, std::less<>>;

class XlsxPackage {
 public:
  // Opens the archive at `path`; nullopt when it is not a zip archive.
  static std::optional<XlsxPackage> Open(const std::string& path);

  // The part `name` ("xl/workbook.xml") parsed as XML; nullopt when the
  // archive has no such part, it cannot be read, or it is not XML. With
  // `too_large`, also nullopt when the part or its tree would pass what
  // tabdump holds, the parts read so far would unpack to too much together,
  // or a big part is packed like a zip bomb; `too_large` is then set.
  std::optional<pugi::xml_document> ReadXml(std::string_view name, bool* too_large = nullptr) const;

  // True when the archive holds a part named `name` (names compared as the
  // package format wants, without regard to case).
  bool HasPart(std::string_view name) const;

  // The relationships of part `name` ("" for the package itself), with the
  // targets resolved to full part names. Empty when there are none.
  Relationships ReadRelationships(std::string_view name) const;

 private:
  struct Closer {
    void operator()(zip* archive) const;
  };
  explicit XlsxPackage(zip* archive) : archive_(archive) {}

  std::unique_ptr<zip, Closer> archive_;
  // What the parts read so far unpacked to.
  mutable uint64_t unpacked_ = 0;
};

// The first relationship of `type` (compared by the text after its last
// "/", so both the strict and the transitional namespaces match), or nullptr.
const Relationship* FindRelationship(const Relationships& relationships,
                                     std::string_view type_name);

// The local part of an XML name: "x:row" and "row" both give "row". Some
// writers put the spreadsheet namespace under a prefix, so names are always
// compared this way.
std::string_view LocalName(const pugi::xml_node& node);

// The first child element whose local name is `name`, or an empty node.
pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name);

}  // namespace tabdump
