#pragma once
#include <cstdint>

namespace fx::vg {

// One vertex as the GPU sees it: device position, paint coordinates (paint
// space for gradients, normalised texture coordinates for images, atlas
// texels for text), edge coverage (1 inside, ramps to 0 across the 1-pixel
// anti-aliasing fringe) and a premultiplied tint.
struct Vertex {
  float x = 0.0f, y = 0.0f;
  float u = 0.0f, v = 0.0f;
  float cover = 1.0f;
  std::uint8_t tint[4] = {255, 255, 255, 255};
};
static_assert(sizeof(Vertex) == 24);

}  // namespace fx::vg
