#pragma once
// How a drawing blends: type 0 is the default (source over); weight
// multiplies the alpha (1 opaque).

#include <cstdint>

namespace fx::igraphics {

struct IBlendMode {
  std::int32_t type = 0;
  float weight = 1.0f;

  bool operator==(const IBlendMode&) const = default;
};

}  // namespace fx::igraphics
