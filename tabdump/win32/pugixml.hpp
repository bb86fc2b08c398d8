// The part of pugixml's interface the .xlsx reader uses, done by our own
// small XML parser for the Windows build, where pugixml is not available.
// It reads what workbook parts hold: elements, attributes, text, character
// references, CDATA; it skips the declaration, comments, processing
// instructions and a document type. A document that is not well nested
// fails to load.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace pugi {

enum xml_node_type { node_null, node_document, node_element, node_pcdata, node_cdata };

// Keep text made only of blanks (otherwise it is dropped).
inline constexpr unsigned int parse_ws_pcdata = 0x0800;
inline constexpr unsigned int parse_default = 0;

struct xml_attribute_struct {
  std::string name;
  std::string value;
};

struct xml_node_struct {
  xml_node_type type = node_null;
  std::string name;   // elements
  std::string value;  // text and CDATA
  std::vector<xml_attribute_struct> attributes;
  std::vector<std::unique_ptr<xml_node_struct>> children;
};

class xml_attribute {
 public:
  xml_attribute() = default;
  explicit xml_attribute(const xml_attribute_struct* a) : a_(a) {}
  explicit operator bool() const { return a_ != nullptr; }
  const char* name() const { return a_ != nullptr ? a_->name.c_str() : ""; }
  const char* value() const { return a_ != nullptr ? a_->value.c_str() : ""; }
  // Leading decimal digits as a number; 0 when there are none.
  unsigned int as_uint() const { return static_cast<unsigned int>(as_ullong()); }
  unsigned long long as_ullong() const;
  // True for a value beginning with 1, t, T, y or Y.
  bool as_bool() const;

 private:
  const xml_attribute_struct* a_ = nullptr;
};

class xml_node;

// Iterates over nodes or attributes held in a vector, handing out handles.
template <class Handle, class Iter>
class xml_range {
 public:
  class iterator {
   public:
    explicit iterator(Iter it) : it_(it) {}
    Handle operator*() const { return Handle(&Deref(*it_)); }
    iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return it_ != other.it_; }

   private:
    template <class T>
    static T& Deref(const std::unique_ptr<T>& p) {
      return *p;
    }
    template <class T>
    static const T& Deref(const T& t) {
      return t;
    }
    Iter it_;
  };
  xml_range(Iter begin, Iter end) : begin_(begin), end_(end) {}
  iterator begin() const { return iterator(begin_); }
  iterator end() const { return iterator(end_); }

 private:
  Iter begin_;
  Iter end_;
};

class xml_text {
 public:
  explicit xml_text(const xml_node_struct* n) : n_(n) {}
  // The first text or CDATA child's text; "" when there is none.
  const char* get() const;

 private:
  const xml_node_struct* n_;
};

class xml_node {
 public:
  using children_range =
      xml_range<xml_node, std::vector<std::unique_ptr<xml_node_struct>>::const_iterator>;
  using attributes_range =
      xml_range<xml_attribute, std::vector<xml_attribute_struct>::const_iterator>;

  xml_node() = default;
  explicit xml_node(const xml_node_struct* n) : n_(n) {}
  explicit operator bool() const { return n_ != nullptr; }
  xml_node_type type() const { return n_ != nullptr ? n_->type : node_null; }
  const char* name() const { return n_ != nullptr ? n_->name.c_str() : ""; }
  xml_attribute attribute(const char* name) const;
  attributes_range attributes() const;
  children_range children() const;
  xml_text text() const { return xml_text(n_); }

 protected:
  const xml_node_struct* n_ = nullptr;
};

struct xml_parse_result {
  bool ok = false;
  explicit operator bool() const { return ok; }
};

class xml_document : public xml_node {
 public:
  xml_document() : root_(std::make_unique<xml_node_struct>()) {
    root_->type = node_document;
    n_ = root_.get();
  }
  xml_document(xml_document&&) = default;
  xml_document& operator=(xml_document&&) = default;

  // Parses `size` bytes of UTF-8 XML; the document is empty after a failure.
  xml_parse_result load_buffer(const void* contents, size_t size,
                               unsigned int options = parse_default);

 private:
  std::unique_ptr<xml_node_struct> root_;
};

}  // namespace pugi
