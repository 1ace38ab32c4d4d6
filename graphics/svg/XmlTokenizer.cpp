#include "graphics/svg/XmlTokenizer.h"

#include <algorithm>
#include <cstdint>

#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

bool IsNameEnd(char c) {
  return IsSvgSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\'';
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A character reference's digits ("#38", "#x26") as a code point; false if
// malformed. Values past Unicode are kept past it so they decode as U+FFFD.
bool CharacterReference(std::string_view ref, std::uint32_t& code) {
  if (ref.size() < 2 || ref[0] != '#') return false;
  const bool hex = ref[1] == 'x' || ref[1] == 'X';
  const std::string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  std::uint32_t v = 0;
  for (char c : digits) {
    std::uint32_t d = 0;
    if (c >= '0' && c <= '9') {
      d = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      d = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      d = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    v = std::min<std::uint32_t>(v * (hex ? 16u : 10u) + d, 0x110000u);
  }
  code = v;
  return true;
}

}  // namespace

const std::string_view* FindAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name) {
  for (const XmlAttribute& a : attributes)
    if (a.name == name) return &a.value;
  return nullptr;
}

XmlTokenizer::XmlTokenizer(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

XmlTokenizer::Token XmlTokenizer::Fail(const char* reason) {
  if (!failed_) {
    failed_ = true;
    const std::size_t end = std::min(pos_, text_.size());
    const auto line = 1 + std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(end), '\n');
    error_ = "line " + std::to_string(line) + ": " + reason;
  }
  return Token::Error;
}

bool XmlTokenizer::SkipPast(std::string_view terminator) {
  const std::size_t at = text_.find(terminator, pos_);
  if (at == std::string_view::npos) return false;
  pos_ = at + terminator.size();
  return true;
}

// <!DOCTYPE ...> and the like, with an internal subset in brackets and
// quoted strings that may hold '>'.
bool XmlTokenizer::SkipDeclaration() {
  int brackets = 0;
  char quote = 0;
  for (; pos_ < text_.size(); ++pos_) {
    const char c = text_[pos_];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      if (brackets > 0) --brackets;
    } else if (c == '>' && brackets == 0) {
      ++pos_;
      return true;
    }
  }
  return false;
}

std::string_view XmlTokenizer::ReadName() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !IsNameEnd(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

void XmlTokenizer::DecodeInto(std::string_view raw) {
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      decoded_ += raw[i];
      continue;
    }
    // References are short, so only a few characters are searched for the
    // end (searching the whole rest would be quadratic in a run of '&').
    // A lone '&' is kept as written.
    const std::size_t semicolon = raw.substr(0, i + 12).find(';', i + 1);
    if (semicolon == std::string_view::npos) {
      decoded_ += '&';
      continue;
    }
    const std::string_view ref = raw.substr(i + 1, semicolon - i - 1);
    std::uint32_t code = 0;
    if (ref == "amp") {
      decoded_ += '&';
    } else if (ref == "lt") {
      decoded_ += '<';
    } else if (ref == "gt") {
      decoded_ += '>';
    } else if (ref == "quot") {
      decoded_ += '"';
    } else if (ref == "apos") {
      decoded_ += '\'';
    } else if (CharacterReference(ref, code)) {
      AppendUtf8(decoded_, code);
    } else {
      decoded_ += '&';
      continue;
    }
    i = semicolon;
  }
}

XmlTokenizer::Token XmlTokenizer::ReadStartTag() {
  ++pos_;  // '<'
  name_ = ReadName();
  if (name_.empty()) return Fail("expected an element name after '<'");
  attributes_.clear();
  pending_.clear();
  decoded_.clear();
  selfClosing_ = false;
  for (;;) {
    const std::size_t before = pos_;
    SkipSpace(text_, pos_);
    if (pos_ >= text_.size()) return Fail("unterminated start tag");
    const char c = text_[pos_];
    if (c == '>') {
      ++pos_;
      break;
    }
    if (c == '/') {
      if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '>') return Fail("expected '>' after '/' in a start tag");
      pos_ += 2;
      selfClosing_ = true;
      break;
    }
    if (before == pos_ && !attributes_.empty()) return Fail("expected white space between attributes");
    const std::string_view name = ReadName();
    if (name.empty()) return Fail("expected an attribute name");
    SkipSpace(text_, pos_);
    if (pos_ >= text_.size() || text_[pos_] != '=') return Fail("expected '=' after an attribute name");
    ++pos_;
    SkipSpace(text_, pos_);
    if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) return Fail("expected a quoted attribute value");
    const char quote = text_[pos_++];
    const std::size_t end = text_.find(quote, pos_);
    if (end == std::string_view::npos) return Fail("unterminated attribute value");
    const std::string_view raw = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (attributes_.size() >= kMaxAttributes) continue;
    if (raw.find('&') == std::string_view::npos) {
      attributes_.push_back({name, raw});
    } else {
      const std::size_t offset = decoded_.size();
      DecodeInto(raw);
      pending_.push_back({attributes_.size(), offset, decoded_.size() - offset});
      attributes_.push_back({name, {}});
    }
  }
  for (const Pending& p : pending_) attributes_[p.attribute].value = std::string_view(decoded_).substr(p.offset, p.size);
  return Token::StartElement;
}

XmlTokenizer::Token XmlTokenizer::ReadEndTag() {
  pos_ += 2;  // "</"
  name_ = ReadName();
  if (name_.empty()) return Fail("expected an element name after '</'");
  SkipSpace(text_, pos_);
  if (pos_ >= text_.size() || text_[pos_] != '>') return Fail("unterminated end tag");
  ++pos_;
  attributes_.clear();
  selfClosing_ = false;
  return Token::EndElement;
}

XmlTokenizer::Token XmlTokenizer::Next() {
  if (failed_) return Token::Error;
  for (;;) {
    const std::size_t lt = text_.find('<', pos_);
    if (lt == std::string_view::npos) {
      pos_ = text_.size();
      return Token::End;
    }
    pos_ = lt;
    const std::string_view rest = text_.substr(pos_);
    if (rest.starts_with("<!--")) {
      pos_ += 4;
      if (!SkipPast("-->")) return Fail("unterminated comment");
    } else if (rest.starts_with("<![CDATA[")) {
      pos_ += 9;
      if (!SkipPast("]]>")) return Fail("unterminated CDATA section");
    } else if (rest.starts_with("<?")) {
      pos_ += 2;
      if (!SkipPast("?>")) return Fail("unterminated processing instruction");
    } else if (rest.starts_with("<!")) {
      pos_ += 2;
      if (!SkipDeclaration()) return Fail("unterminated declaration");
    } else if (rest.starts_with("</")) {
      return ReadEndTag();
    } else {
      return ReadStartTag();
    }
  }
}

}  // namespace fx::igraphics::svg
