#pragma once
// The test font's bytes and the few metrics the tests predict text from,
// read straight from its tables (big-endian), independently of the renderer.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fx::vg::test {

inline std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FontMetrics {
  int unitsPerEm = 0, ascender = 0, descender = 0, advanceWidthMax = 0, capHeight = 0;
};

inline FontMetrics readMetrics(const std::vector<std::uint8_t>& d) {
  const auto u16 = [&](std::size_t at) { return static_cast<int>((d[at] << 8) | d[at + 1]); };
  const auto s16 = [&](std::size_t at) { return static_cast<int>(static_cast<std::int16_t>(u16(at))); };
  const auto u32 = [&](std::size_t at) { return (static_cast<std::size_t>(u16(at)) << 16) | static_cast<std::size_t>(u16(at + 2)); };
  FontMetrics m;
  if (d.size() < 12) return m;
  for (int i = 0; i < u16(4); ++i) {
    const std::size_t rec = 12 + 16 * static_cast<std::size_t>(i);
    const std::string tag(d.begin() + static_cast<long>(rec), d.begin() + static_cast<long>(rec) + 4);
    const std::size_t off = u32(rec + 8);
    if (tag == "head") m.unitsPerEm = u16(off + 18);
    if (tag == "hhea") {
      m.ascender = s16(off + 4);
      m.descender = s16(off + 6);
      m.advanceWidthMax = u16(off + 10);
    }
    if (tag == "OS/2") m.capHeight = s16(off + 88);
  }
  return m;
}

inline std::string fontPath(const char* file) {
  std::string dir = OMBRISK_TEST_FONT;
  return dir.substr(0, dir.find_last_of('/') + 1) + file;
}

}  // namespace fx::vg::test
