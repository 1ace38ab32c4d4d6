#include "tools/artwork/PanelTexture.h"

#include <stb_perlin.h>

#include <algorithm>
#include <cmath>

namespace fx::artwork {

std::uint32_t PixelHash(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ 0x9e3779b9u;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return h;
}

std::vector<std::uint8_t> MakePanelTexture(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  const float top[3] = {0.190f, 0.197f, 0.212f}, bottom[3] = {0.112f, 0.116f, 0.127f};
  const float halfW = static_cast<float>(width) * 0.5f, halfH = static_cast<float>(height) * 0.5f;
  for (int y = 0; y < height; ++y) {
    const float fy = static_cast<float>(y);
    const float t = fy / static_cast<float>(height);
    for (int x = 0; x < width; ++x) {
      const float fx = static_cast<float>(x);
      const float mottle = stb_perlin_fbm_noise3(fx / 240.0f, fy / 240.0f, 0.37f, 2.0f, 0.5f, 5) * 0.030f;
      // Brushing: noise stretched along x, so it streaks horizontally.
      const float brush = stb_perlin_fbm_noise3(fx / 700.0f, fy / 1.6f, 5.1f, 2.0f, 0.45f, 3) * 0.016f;
      const std::uint32_t hash = PixelHash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
      const float grain = (static_cast<float>(hash >> 8) / 16777216.0f - 0.5f) * 0.030f;
      const float dx = (fx - halfW) / halfW, dy = (fy - halfH) / halfH;
      const float vignette = std::clamp(1.0f - 0.22f * dx * dx - 0.30f * dy * dy, 0.0f, 1.0f);
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
      std::uint8_t* p = &px[at * 4];
      for (int c = 0; c < 3; ++c) {
        const float base = top[c] + (bottom[c] - top[c]) * t;
        const float v = std::clamp((base + mottle + brush + grain) * vignette, 0.0f, 1.0f);
        p[c] = static_cast<std::uint8_t>(std::lround(v * 255.0f));
      }
      p[3] = 255;
    }
  }
  return px;
}

}  // namespace fx::artwork
