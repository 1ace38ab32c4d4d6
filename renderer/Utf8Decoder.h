#pragma once
// Walks UTF-8 text one code point at a time. Malformed input (stray
// continuation bytes, truncated, overlong or surrogate sequences, values past
// U+10FFFF) yields U+FFFD and moves on by one byte, so any byte string decodes.
#include <cstddef>
#include <string_view>

namespace fx::vg {

class Utf8Decoder {
 public:
  static constexpr char32_t kReplacement = 0xFFFD;
  explicit Utf8Decoder(std::string_view text) : text_(text) {}
  // False at the end of the text.
  bool next(char32_t& codepoint);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace fx::vg
