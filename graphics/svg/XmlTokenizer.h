#pragma once
// A small pull tokenizer for XML text: start tags with their attributes
// (quoted with ' or ", character and the five named entity references
// decoded), end tags and the end of the text. Text, comments, CDATA
// sections, processing instructions and DOCTYPE declarations are skipped.
// It keeps no nesting of its own: matching tags is the caller's business.
// Malformed markup gives Token::Error with a one-line reason; after that
// every call gives Error again.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fx::igraphics::svg {

struct XmlAttribute {
  std::string_view name;
  std::string_view value;  // decoded; valid until the next call of Next
};

// The value of the attribute called name; null when there is none.
const std::string_view* FindAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name);

class XmlTokenizer {
 public:
  enum class Token { StartElement, EndElement, End, Error };

  explicit XmlTokenizer(std::string_view text);

  Token Next();

  // The element's name for StartElement and EndElement, prefix included.
  std::string_view Name() const { return name_; }
  // A start tag written as <name ... />: no end tag follows.
  bool SelfClosing() const { return selfClosing_; }
  // At most kMaxAttributes of the start tag's attributes, in document order.
  const std::vector<XmlAttribute>& Attributes() const { return attributes_; }
  // "line N: reason" after Token::Error.
  const std::string& ErrorText() const { return error_; }

 private:
  Token Fail(const char* reason);
  // Moves past the first occurrence of terminator; false if there is none.
  bool SkipPast(std::string_view terminator);
  bool SkipDeclaration();
  std::string_view ReadName();
  Token ReadStartTag();
  Token ReadEndTag();
  void DecodeInto(std::string_view raw);

  std::string_view text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
  std::string_view name_;
  bool selfClosing_ = false;
  std::vector<XmlAttribute> attributes_;
  // Decoded values of this tag live here; attributes_ point into it once the
  // tag is complete (offsets until then, since the buffer may grow).
  std::string decoded_;
  struct Pending {
    std::size_t attribute, offset, size;
  };
  std::vector<Pending> pending_;
  std::string error_;
};

}  // namespace fx::igraphics::svg
