#include "graphics/drawing/SharedTextures.h"

namespace fx::igraphics {

bool SharedTextures::Use(const std::string& key, Texture& texture) {
  std::lock_guard guard(lock_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return false;
  ++it->second.uses;
  texture = it->second.texture;
  return true;
}

bool SharedTextures::Find(const std::string& key, Texture& texture) const {
  std::lock_guard guard(lock_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return false;
  texture = it->second.texture;
  return true;
}

bool SharedTextures::Add(const std::string& key, const Texture& texture) {
  if (texture.name == 0) return false;
  std::lock_guard guard(lock_);
  return entries_.emplace(key, Entry{texture, 1}).second;
}

std::uint32_t SharedTextures::Release(const std::string& key) {
  std::lock_guard guard(lock_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return 0;
  if (--it->second.uses > 0) return 0;
  const std::uint32_t name = it->second.texture.name;
  entries_.erase(it);
  return name;
}

std::size_t SharedTextures::Size() const {
  std::lock_guard guard(lock_);
  return entries_.size();
}

std::int32_t SharedTextures::Uses(const std::string& key) const {
  std::lock_guard guard(lock_);
  auto it = entries_.find(key);
  return it == entries_.end() ? 0 : it->second.uses;
}

}  // namespace fx::igraphics
