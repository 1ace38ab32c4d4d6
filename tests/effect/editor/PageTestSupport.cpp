#include "PageTestSupport.h"

#include <cmath>
#include <fstream>
#include <iterator>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace ombrisk::page::test {

Image LoadArtwork(const std::string& fileName) {
  Image image;
  std::ifstream in(std::string(OMBRISK_ARTWORK_DIR) + "/" + fileName, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return image;
  int w = 0, h = 0, n = 0;
  unsigned char* px = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 4);
  if (!px) return image;
  image.width = w;
  image.height = h;
  image.rgba.assign(px, px + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  stbi_image_free(px);
  return image;
}

Colour Premultiplied(const std::uint8_t* p) {
  const float a = p[3] / 255.0f;
  return {p[0] * a, p[1] * a, p[2] * a, static_cast<float>(p[3])};
}

Colour Over(const Colour& s, const Colour& d) {
  const float k = 1.0f - s.a / 255.0f;
  return {s.r + d.r * k, s.g + d.g * k, s.b + d.b * k, s.a + d.a * k};
}

bool SampleOpaque(const Image& image, float u, float v, Colour& out) {
  const float x = u - 0.5f, y = v - 0.5f;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  if (x0 < 0 || y0 < 0 || x0 + 1 >= image.width || y0 + 1 >= image.height) return false;
  const float fx = x - x0, fy = y - y0;
  const std::uint8_t* t[4] = {image.At(x0, y0), image.At(x0 + 1, y0), image.At(x0, y0 + 1), image.At(x0 + 1, y0 + 1)};
  for (const std::uint8_t* p : t)
    if (p[3] != 255) return false;
  const float w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  out = {};
  for (int i = 0; i < 4; ++i) {
    out.r += w[i] * t[i][0];
    out.g += w[i] * t[i][1];
    out.b += w[i] * t[i][2];
  }
  out.a = 255;
  return true;
}

fx::platform::OffscreenGlContext* SharedGl() {
  static std::unique_ptr<fx::platform::OffscreenGlContext> gl = fx::platform::OffscreenGlContext::create();
  if (gl) gl->makeCurrent();
  return gl.get();
}

fx::igraphics::GlViewContext View() {
  fx::platform::OffscreenGlContext* gl = SharedGl();
  return gl ? fx::igraphics::GlViewContext{gl->loader(), gl->loaderUser()} : fx::igraphics::GlViewContext{};
}

}  // namespace ombrisk::page::test
