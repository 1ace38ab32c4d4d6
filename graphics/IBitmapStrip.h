#pragma once
// A non-owning handle to a decoded image used as a strip of frames. Width
// and height are layout units (pixels / the image's scale). An empty strip
// has no bitmap, all numbers 0 and no name; its controls draw nothing.

#include <cstdint>
#include <string>

#include "graphics/APIBitmap.h"

namespace fx::igraphics {

struct IBitmapStrip {
  APIBitmap* bitmap = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t nFrames = 0;
  bool framesAreHorizontal = false;
  std::string resourceName;

  bool IsValid() const { return bitmap != nullptr && width > 0 && height > 0 && nFrames > 0; }
  // Frame size in layout units; 0 for an empty strip.
  std::int32_t FrameWidth() const {
    if (nFrames <= 0) return 0;
    return framesAreHorizontal ? width / nFrames : width;
  }
  std::int32_t FrameHeight() const {
    if (nFrames <= 0) return 0;
    return framesAreHorizontal ? height : height / nFrames;
  }
  float GetDrawScale() const { return bitmap ? bitmap->drawScale : 1.0f; }
  std::int32_t GetScale() const { return bitmap ? bitmap->scale : 1; }
};

}  // namespace fx::igraphics
