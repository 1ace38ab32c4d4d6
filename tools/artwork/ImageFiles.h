#pragma once
// Writing the artwork's files: PNG and JPEG through stb_image_write, and a
// Windows icon (.ico) holding 32-bit images of several sizes. Each returns
// false when the file cannot be written or the picture is malformed.
#include <string>
#include <vector>

#include "tools/artwork/ArtworkCanvas.h"

namespace fx::artwork {

bool WritePng(const std::string& path, const Picture& picture);
// JPEG has no alpha: the picture must be opaque (alpha is dropped).
bool WriteJpeg(const std::string& path, const Picture& picture, int quality);
// One icon image per picture, each square and at most 256 pixels wide.
bool WriteIco(const std::string& path, const std::vector<Picture>& sizes);
// The bytes of an .ico file for the pictures; empty when one is malformed.
std::vector<std::uint8_t> EncodeIco(const std::vector<Picture>& sizes);

// Decodes a PNG or JPEG file into straight RGBA (for checks); empty picture
// when it cannot be read.
Picture ReadImage(const std::string& path);

}  // namespace fx::artwork
