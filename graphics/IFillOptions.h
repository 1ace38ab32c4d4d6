#pragma once
// Fill rule (0 non-zero winding, 1 even-odd) and whether the path is kept
// after the fill.

#include <cstdint>

namespace fx::igraphics {

struct IFillOptions {
  std::int32_t fillRule = 0;
  bool preserve = false;

  bool operator==(const IFillOptions&) const = default;
};

}  // namespace fx::igraphics
