#include "renderer/Utf8Decoder.h"

namespace fx::vg {

bool Utf8Decoder::next(char32_t& cp) {
  if (pos_ >= text_.size()) return false;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text_[i]); };
  const unsigned char b0 = byte(pos_);
  int length = 0;
  char32_t value = 0, minimum = 0;
  if (b0 < 0x80) {
    cp = b0;
    ++pos_;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    length = 2; value = b0 & 0x1F; minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3; value = b0 & 0x0F; minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4; value = b0 & 0x07; minimum = 0x10000;
  }
  cp = kReplacement;
  if (length == 0 || pos_ + static_cast<std::size_t>(length) > text_.size()) {
    ++pos_;
    return true;
  }
  for (int i = 1; i < length; ++i) {
    const unsigned char b = byte(pos_ + static_cast<std::size_t>(i));
    if ((b & 0xC0) != 0x80) {
      ++pos_;
      return true;
    }
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++pos_;
    return true;
  }
  cp = value;
  pos_ += static_cast<std::size_t>(length);
  return true;
}

}  // namespace fx::vg
