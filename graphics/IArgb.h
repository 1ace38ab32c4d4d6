#pragma once
// A colour: alpha, red, green, blue, each 0..255.

#include <cstdint>

namespace fx::igraphics {

struct IArgb {
  std::int32_t a = 255;
  std::int32_t r = 0;
  std::int32_t g = 0;
  std::int32_t b = 0;

  bool operator==(const IArgb&) const = default;
};

}  // namespace fx::igraphics
