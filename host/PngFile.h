// Pictures the host takes of editor windows, as 8-bit RGB rows top to bottom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ombrisk::host {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3

  bool Valid() const {
    return width > 0 && height > 0 &&
           pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  }
  // Mean of every channel of every pixel, 0..255; 0 for an invalid image.
  double Mean() const;
};

// False and a one-line reason when the image is invalid or the file cannot be written.
bool WritePng(const std::string& path, const RgbImage& image, std::string& error);

}  // namespace ombrisk::host
