#pragma once
// Reads what a memory font registers itself as: the family name from the
// font's name table and the bold, italic and underline bits (OS/2
// fsSelection, else head macStyle). For a font collection the first font is
// read. Any malformed or truncated data gives false, never a read outside
// the bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fx::win {

struct FontNaming {
  std::string family;  // UTF-8
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

bool ReadFontNaming(const std::uint8_t* data, std::size_t size, FontNaming& naming);

}  // namespace fx::win
