#pragma once
// A font as the platform layer loaded it; the backend asks it for the font
// file's bytes to rasterise them.

#include <cstdint>
#include <string>
#include <vector>

namespace fx::igraphics {

class PlatformFont {
 public:
  virtual ~PlatformFont() = default;
  // The whole font file and its style name; false when there are none.
  virtual bool GetFontData(std::vector<std::uint8_t>& data, std::string& styleName) const = 0;
};

}  // namespace fx::igraphics
