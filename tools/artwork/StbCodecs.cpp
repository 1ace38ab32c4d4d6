// The stb image reader and writer, compiled static into this one file so
// that they cannot meet another copy in a program that links this tool's
// library. Third-party code: built without the project's warning set.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#include <stb_image.h>

#include "tools/artwork/ImageFiles.h"

namespace fx::artwork {

namespace {
bool Valid(const Picture& p) {
  return p.width > 0 && p.height > 0 && p.rgba.size() == static_cast<std::size_t>(p.width) * p.height * 4;
}
}  // namespace

bool WritePng(const std::string& path, const Picture& picture) {
  if (!Valid(picture)) return false;
  return stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(), picture.width * 4) != 0;
}

bool WriteJpeg(const std::string& path, const Picture& picture, int quality) {
  if (!Valid(picture)) return false;
  return stbi_write_jpg(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(), quality) != 0;
}

Picture ReadImage(const std::string& path) {
  Picture picture;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 4);
  if (data == nullptr) return {};
  picture.rgba.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * 4);
  stbi_image_free(data);
  return picture;
}

}  // namespace fx::artwork
