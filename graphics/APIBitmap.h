#pragma once
// A decoded image as the drawing backend holds it. The backend derives its
// own class; caches own these, strips only point at them. scale is the
// resolution factor of the file it came from (2 for name@2x.png);
// drawScale the draw scale it was made for (layer bitmaps).

#include <cstdint>

namespace fx::igraphics {

class APIBitmap {
 public:
  APIBitmap() = default;
  APIBitmap(int handle, std::int32_t w, std::int32_t h, std::int32_t s, float ds)
      : imageHandle(handle), width(w), height(h), scale(s), drawScale(ds) {}
  virtual ~APIBitmap() = default;
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int imageHandle = 0;
  std::int32_t width = 0;   // pixels
  std::int32_t height = 0;  // pixels
  std::int32_t scale = 1;
  float drawScale = 1.0f;
};

}  // namespace fx::igraphics
