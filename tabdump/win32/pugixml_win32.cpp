#include "tabdump/win32/pugixml.hpp"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace pugi {
namespace {

// What a null node or attribute list iterates over.
const std::vector<std::unique_ptr<xml_node_struct>> kNoChildren;
const std::vector<xml_attribute_struct> kNoAttributes;

// The five references XML defines by name.
constexpr std::pair<std::string_view, char> kNamed[] = {
    {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

void AppendUtf8(unsigned long c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// `raw` with line ends as "\n" and references replaced by their characters.
// A reference that is not understood stays as it is. In attribute values
// line breaks and tabs become blanks, as XML asks.
std::string Decode(std::string_view raw, bool attribute) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\r') {
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
      out += attribute ? ' ' : '\n';
      continue;
    }
    if (attribute && (c == '\n' || c == '\t')) {
      out += ' ';
      continue;
    }
    const size_t semicolon = c == '&' ? raw.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos || semicolon - i > 10) {
      out += c;
      continue;
    }
    const std::string_view name = raw.substr(i + 1, semicolon - i - 1);
    bool done = false;
    for (const auto& [entity, ch] : kNamed) {
      if (name == entity) {
        out += ch;
        done = true;
      }
    }
    if (!done && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string digits(name.substr(hex ? 2 : 1));
      char* end = nullptr;
      const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (!digits.empty() && *end == '\0' && code > 0 && code <= 0x10FFFF) {
        AppendUtf8(code, out);
        done = true;
      }
    }
    if (!done) {
      out += c;
      continue;
    }
    i = semicolon;
  }
  return out;
}

class Parser {
 public:
  Parser(std::string_view text, bool keep_blank_text) : s_(text), keep_blank_(keep_blank_text) {}

  bool Parse(xml_node_struct& root) {
    if (s_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    std::vector<xml_node_struct*> open{&root};
    while (pos_ < s_.size()) {
      if (s_[pos_] != '<') {
        Text(*open.back());
        continue;
      }
      bool ok = true;
      if (Starts("<?")) {
        ok = Skip("?>");
      } else if (Starts("<!--")) {
        ok = Skip("-->");
      } else if (Starts("<![CDATA[")) {
        ok = Cdata(*open.back());
      } else if (Starts("<!")) {
        ok = Skip(">");
      } else if (Starts("</")) {
        ok = open.size() > 1 && EndTag(open.back()->name);
        if (ok) open.pop_back();
      } else {
        ok = StartTag(open);
      }
      if (!ok) return false;
    }
    return open.size() == 1;
  }

 private:
  bool Starts(std::string_view what) const { return s_.substr(pos_).starts_with(what); }

  bool Skip(std::string_view until) {
    const size_t end = s_.find(until, pos_);
    if (end == std::string_view::npos) return false;
    pos_ = end + until.size();
    return true;
  }

  void Text(xml_node_struct& parent) {
    size_t end = s_.find('<', pos_);
    if (end == std::string_view::npos) end = s_.size();
    const std::string_view raw = s_.substr(pos_, end - pos_);
    pos_ = end;
    bool blank = true;
    for (const char c : raw) blank = blank && IsSpace(c);
    if (blank && !keep_blank_) return;
    Add(parent, node_pcdata, Decode(raw, false));
  }

  bool Cdata(xml_node_struct& parent) {
    pos_ += std::strlen("<![CDATA[");
    const size_t end = s_.find("]]>", pos_);
    if (end == std::string_view::npos) return false;
    Add(parent, node_cdata, std::string(s_.substr(pos_, end - pos_)));
    pos_ = end + 3;
    return true;
  }

  static xml_node_struct& Add(xml_node_struct& parent, xml_node_type type, std::string value) {
    auto node = std::make_unique<xml_node_struct>();
    node->type = type;
    node->value = std::move(value);
    parent.children.push_back(std::move(node));
    return *parent.children.back();
  }

  std::string_view Name() {
    const size_t start = pos_;
    while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
    return s_.substr(start, pos_ - start);
  }

  void Blanks() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
  }

  bool EndTag(std::string_view open_name) {
    pos_ += 2;
    const std::string_view name = Name();
    Blanks();
    if (name != open_name || pos_ >= s_.size() || s_[pos_] != '>') return false;
    ++pos_;
    return true;
  }

  bool StartTag(std::vector<xml_node_struct*>& open) {
    ++pos_;
    const std::string_view name = Name();
    if (name.empty()) return false;
    xml_node_struct& element = Add(*open.back(), node_element, std::string());
    element.name = std::string(name);
    for (;;) {
      Blanks();
      if (pos_ >= s_.size()) return false;
      if (Starts("/>")) {
        pos_ += 2;
        return true;
      }
      if (s_[pos_] == '>') {
        ++pos_;
        open.push_back(&element);
        return true;
      }
      const std::string_view attribute = Name();
      Blanks();
      if (attribute.empty() || pos_ >= s_.size() || s_[pos_] != '=') return false;
      ++pos_;
      Blanks();
      if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) return false;
      const size_t end = s_.find(s_[pos_], pos_ + 1);
      if (end == std::string_view::npos) return false;
      element.attributes.push_back(xml_attribute_struct{
          std::string(attribute), Decode(s_.substr(pos_ + 1, end - pos_ - 1), true)});
      pos_ = end + 1;
    }
  }

  std::string_view s_;
  bool keep_blank_;
  size_t pos_ = 0;
};

}  // namespace

unsigned long long xml_attribute::as_ullong() const {
  unsigned long long number = 0;
  for (const char* p = value(); *p >= '0' && *p <= '9'; ++p) {
    number = number * 10 + static_cast<unsigned long long>(*p - '0');
  }
  return number;
}

bool xml_attribute::as_bool() const {
  const char c = *value();
  return c == '1' || c == 't' || c == 'T' || c == 'y' || c == 'Y';
}

const char* xml_text::get() const {
  if (n_ == nullptr) return "";
  for (const auto& child : n_->children) {
    if (child->type == node_pcdata || child->type == node_cdata) return child->value.c_str();
  }
  return "";
}

xml_attribute xml_node::attribute(const char* name) const {
  if (n_ == nullptr) return xml_attribute();
  for (const xml_attribute_struct& a : n_->attributes) {
    if (a.name == name) return xml_attribute(&a);
  }
  return xml_attribute();
}

xml_node::attributes_range xml_node::attributes() const {
  const auto& list = n_ != nullptr ? n_->attributes : kNoAttributes;
  return attributes_range(list.begin(), list.end());
}

xml_node::children_range xml_node::children() const {
  const auto& list = n_ != nullptr ? n_->children : kNoChildren;
  return children_range(list.begin(), list.end());
}

xml_parse_result xml_document::load_buffer(const void* contents, size_t size,
                                           unsigned int options) {
  root_ = std::make_unique<xml_node_struct>();
  root_->type = node_document;
  n_ = root_.get();
  const std::string_view text(static_cast<const char*>(contents), size);
  if (!Parser(text, (options & parse_ws_pcdata) != 0).Parse(*root_)) {
    root_->children.clear();
    return xml_parse_result{false};
  }
  return xml_parse_result{true};
}

}  // namespace pugi
