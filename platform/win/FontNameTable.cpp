#include "platform/win/FontNameTable.h"

#include "platform/win/TextConversion.h"

namespace fx::win {

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>((data_[at] << 8) | data_[at + 1]);
  }
  std::uint32_t U32(std::size_t at) const {
    return (static_cast<std::uint32_t>(U16(at)) << 16) | U16(at + 2);
  }
  const std::uint8_t* At(std::size_t at) const { return data_ + at; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

constexpr std::uint32_t Tag(char a, char b, char c, char d) {
  return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(b) << 16) |
         (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d);
}

// Offset and length of a table of the font whose directory starts at font.
bool FindTable(const Bytes& b, std::size_t font, std::uint32_t tag, std::size_t& offset, std::size_t& length) {
  if (!b.Has(font, 12)) return false;
  const std::uint16_t n = b.U16(font + 4);
  for (std::uint16_t i = 0; i < n; ++i) {
    const std::size_t rec = font + 12 + 16u * i;
    if (!b.Has(rec, 16)) return false;
    if (b.U32(rec) != tag) continue;
    offset = b.U32(rec + 8);
    length = b.U32(rec + 12);
    return b.Has(offset, length);
  }
  return false;
}

std::string DecodeUtf16Be(const Bytes& b, std::size_t at, std::size_t length) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < length; i += 2) units += static_cast<char16_t>(b.U16(at + i));
  return Utf16ToUtf8(units);
}

// Family name (name id 1): Windows Unicode English first, then any Windows
// or Unicode record, then a Macintosh Roman one.
bool ReadFamily(const Bytes& b, std::size_t table, std::size_t length, std::string& family) {
  if (length < 6 || !b.Has(table, 6)) return false;
  const std::uint16_t count = b.U16(table + 2);
  const std::size_t strings = table + b.U16(table + 4);
  int bestRank = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t rec = table + 6 + 12u * i;
    if (rec + 12 > table + length || !b.Has(rec, 12)) break;
    if (b.U16(rec + 6) != 1) continue;
    const std::uint16_t platform = b.U16(rec);
    const std::uint16_t language = b.U16(rec + 4);
    const std::size_t size = b.U16(rec + 8);
    const std::size_t at = strings + b.U16(rec + 10);
    if (size == 0 || !b.Has(at, size)) continue;
    int rank = 0;
    if (platform == 3) rank = language == 0x409 ? 4 : 3;
    else if (platform == 0) rank = 2;
    else if (platform == 1) rank = 1;
    if (rank <= bestRank) continue;
    if (platform == 1) {
      std::u16string text;  // one-byte Macintosh names, read as Latin-1
      for (std::size_t k = 0; k < size; ++k) text += static_cast<char16_t>(*b.At(at + k));
      family = Utf16ToUtf8(text);
    } else {
      family = DecodeUtf16Be(b, at, size);
    }
    bestRank = rank;
  }
  return bestRank > 0 && !family.empty();
}

}  // namespace

bool ReadFontNaming(const std::uint8_t* data, std::size_t size, FontNaming& naming) {
  if (!data) return false;
  const Bytes b(data, size);
  if (!b.Has(0, 12)) return false;
  std::size_t font = 0;
  if (b.U32(0) == Tag('t', 't', 'c', 'f')) {
    if (!b.Has(8, 8) || b.U32(8) == 0) return false;
    font = b.U32(12);
  }
  std::size_t offset = 0, length = 0;
  FontNaming result;
  if (!FindTable(b, font, Tag('n', 'a', 'm', 'e'), offset, length)) return false;
  if (!ReadFamily(b, offset, length, result.family)) return false;
  if (FindTable(b, font, Tag('O', 'S', '/', '2'), offset, length) && length >= 64) {
    const std::uint16_t selection = b.U16(offset + 62);
    result.italic = (selection & 0x01) != 0;
    result.underline = (selection & 0x02) != 0;
    result.bold = (selection & 0x20) != 0;
  } else if (FindTable(b, font, Tag('h', 'e', 'a', 'd'), offset, length) && length >= 46) {
    const std::uint16_t style = b.U16(offset + 44);
    result.bold = (style & 0x01) != 0;
    result.italic = (style & 0x02) != 0;
  }
  naming = result;
  return true;
}

}  // namespace fx::win
