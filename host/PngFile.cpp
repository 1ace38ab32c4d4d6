#include "host/PngFile.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace ombrisk::host {

double RgbImage::Mean() const {
  if (!Valid()) return 0.0;
  double sum = 0.0;
  for (const std::uint8_t v : pixels) sum += v;
  return sum / static_cast<double>(pixels.size());
}

bool WritePng(const std::string& path, const RgbImage& image, std::string& error) {
  if (!image.Valid()) {
    error = "no picture to write to " + path;
    return false;
  }
  if (stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(), image.width * 3) == 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace ombrisk::host
