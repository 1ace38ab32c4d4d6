#include "DrawingTestSupport.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace fx::igraphics::test {

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void MemoryStore::Add(const std::string& fileName, std::vector<std::uint8_t> bytes) {
  const std::string type = Upper(fileName.substr(fileName.rfind('.') + 1));
  byType_[type]["\"" + Upper(fileName) + "\""] = std::move(bytes);
}

bool MemoryStore::ForEachName(void*, const char* type, const std::function<bool(std::string_view)>& visit) const {
  auto it = byType_.find(Upper(type ? type : ""));
  if (it == byType_.end()) return false;
  for (const auto& [name, bytes] : it->second)
    if (!visit(name)) break;
  return true;
}

std::span<const std::uint8_t> MemoryStore::Data(void*, const char* type, const char* storedName) const {
  auto it = byType_.find(Upper(type ? type : ""));
  if (it == byType_.end() || !storedName) return {};
  auto found = it->second.find(storedName);
  if (found == it->second.end()) return {};
  return found->second;
}

std::vector<std::uint8_t> EncodePng(std::int32_t w, std::int32_t h, const std::vector<std::uint8_t>& rgba, int channels) {
  std::vector<std::uint8_t> out;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
        bytes->insert(bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
      },
      &out, w, h, channels, rgba.data(), w * channels);
  return out;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fx::platform::OffscreenGlContext* SharedGl() {
  static std::unique_ptr<fx::platform::OffscreenGlContext> gl = fx::platform::OffscreenGlContext::create();
  if (gl) gl->makeCurrent();
  return gl.get();
}

}  // namespace fx::igraphics::test
