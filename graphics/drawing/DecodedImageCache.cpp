#include "graphics/drawing/DecodedImageCache.h"

namespace fx::igraphics {

DecodedImageCache::Pixels DecodedImageCache::FindOrDecode(const std::string& key,
                                                          const std::function<DecodedImage()>& decode) {
  std::lock_guard guard(lock_);
  auto it = images_.find(key);
  if (it != images_.end()) return it->second;
  if (!decode) return nullptr;
  DecodedImage image = decode();
  if (image.pixels.empty() || image.width <= 0 || image.height <= 0) return nullptr;
  auto pixels = std::make_shared<const DecodedImage>(std::move(image));
  images_.emplace(key, pixels);
  return pixels;
}

std::size_t DecodedImageCache::Size() const {
  std::lock_guard guard(lock_);
  return images_.size();
}

std::size_t DecodedImageCache::Bytes() const {
  std::lock_guard guard(lock_);
  std::size_t total = 0;
  for (const auto& [key, image] : images_) total += image->pixels.size();
  return total;
}

}  // namespace fx::igraphics
