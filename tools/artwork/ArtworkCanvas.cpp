#include "tools/artwork/ArtworkCanvas.h"

#include <algorithm>

namespace fx::artwork {

std::unique_ptr<ArtworkCanvas> ArtworkCanvas::Create(vg::Renderer& renderer, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  auto target = vg::FrameBufferImage::create(renderer, width, height);
  if (!target) return nullptr;
  return std::unique_ptr<ArtworkCanvas>(new ArtworkCanvas(renderer, std::move(target)));
}

void ArtworkCanvas::Begin() {
  const vg::GlApi& gl = renderer_.gl();
  target_->bind();
  gl.Viewport(0, 0, target_->width(), target_->height());
  gl.ClearColor(0, 0, 0, 0);
  gl.ClearStencil(0);
  gl.StencilMask(0xff);
  gl.Clear(vg::gl::kColorBufferBit | vg::gl::kStencilBufferBit);
  renderer_.beginFrame(static_cast<float>(target_->width()), static_cast<float>(target_->height()), 1.0f);
}

Picture ArtworkCanvas::End() {
  renderer_.endFrame();
  const vg::GlApi& gl = renderer_.gl();
  Picture picture;
  picture.width = target_->width();
  picture.height = target_->height();
  const auto stride = static_cast<std::size_t>(picture.width) * 4;
  std::vector<std::uint8_t> bottomUp(stride * static_cast<std::size_t>(picture.height));
  gl.PixelStorei(vg::gl::kPackAlignment, 1);
  gl.ReadPixels(0, 0, picture.width, picture.height, vg::gl::kRgba, vg::gl::kUnsignedByte, bottomUp.data());
  target_->unbind();
  // GL rows run bottom up; image files run top down.
  picture.rgba.resize(bottomUp.size());
  for (int y = 0; y < picture.height; ++y) {
    const auto glRow = static_cast<std::size_t>(picture.height - 1 - y);
    const auto from = bottomUp.begin() + static_cast<std::ptrdiff_t>(stride * glRow);
    std::copy(from, from + static_cast<std::ptrdiff_t>(stride),
              picture.rgba.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<std::size_t>(y)));
  }
  Unpremultiply(picture.rgba);
  return picture;
}

void Unpremultiply(std::vector<std::uint8_t>& rgba) {
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
    const int a = rgba[i + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      const int v = a == 0 ? 0 : std::min(255, (rgba[i + c] * 255 + a / 2) / a);
      rgba[i + c] = static_cast<std::uint8_t>(v);
    }
  }
}

}  // namespace fx::artwork
