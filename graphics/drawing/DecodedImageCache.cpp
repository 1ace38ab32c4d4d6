#include "graphics/drawing/DecodedImageCache.h"

#include <span>
#include <utility>

namespace fx::igraphics {

DecodedImageCache::Pixels DecodedImageCache::Decode(std::unique_lock<std::mutex>& held, const std::string& key,
                                                    const std::shared_ptr<Slot>& slot,
                                                    const std::function<DecodedImage()>& decode) {
  slot->state = Slot::State::Decoding;
  std::vector<std::uint8_t> bytes = std::move(slot->bytes);
  held.unlock();
  DecodedImage image = bytes.empty() ? (decode ? decode() : DecodedImage{})
                                     : DecodeImage(std::span<const std::uint8_t>(bytes), ImageUse::Upload);
  Pixels pixels;
  if (!image.pixels.empty() && image.width > 0 && image.height > 0)
    pixels = std::make_shared<const DecodedImage>(std::move(image));
  bytes = {};
  held.lock();
  slot->state = Slot::State::Done;
  slot->pixels = pixels;
  if (!pixels) {
    auto it = slots_.find(key);
    if (it != slots_.end() && it->second == slot) slots_.erase(it);
  }
  decoded_.notify_all();
  return pixels;
}

DecodedImageCache::Pixels DecodedImageCache::FindOrDecode(const std::string& key,
                                                          const std::function<DecodedImage()>& decode) {
  std::unique_lock held(lock_);
  auto it = slots_.find(key);
  if (it == slots_.end()) {
    if (!decode) return nullptr;
    auto slot = std::make_shared<Slot>();
    slots_.emplace(key, slot);
    return Decode(held, key, slot, decode);
  }
  const std::shared_ptr<Slot> slot = it->second;
  if (slot->state == Slot::State::Queued) return Decode(held, key, slot, decode);
  decoded_.wait(held, [&] { return slot->state == Slot::State::Done; });
  // Another thread's decode failed: this one tries the source itself.
  if (!slot->pixels && decode) {
    held.unlock();
    return FindOrDecode(key, decode);
  }
  return slot->pixels;
}

bool DecodedImageCache::Queue(const std::string& key, std::vector<std::uint8_t> bytes) {
  if (bytes.empty()) return false;
  std::lock_guard guard(lock_);
  if (slots_.count(key)) return false;
  auto slot = std::make_shared<Slot>();
  slot->bytes = std::move(bytes);
  slots_.emplace(key, std::move(slot));
  queued_.push_back(key);
  return true;
}

std::size_t DecodedImageCache::DecodeQueued(const std::atomic<bool>& stop) {
  std::size_t decoded = 0;
  std::unique_lock held(lock_);
  while (!queued_.empty() && !stop.load(std::memory_order_acquire)) {
    // From the back: a layout loading in the order it queued meets the
    // worker halfway instead of waiting behind it.
    const std::string key = std::move(queued_.back());
    queued_.pop_back();
    auto it = slots_.find(key);
    // Already taken by a thread that needed it first.
    if (it == slots_.end() || it->second->state != Slot::State::Queued) continue;
    const std::shared_ptr<Slot> slot = it->second;
    Decode(held, key, slot, nullptr);
    ++decoded;
  }
  return decoded;
}

std::size_t DecodedImageCache::Size() const {
  std::lock_guard guard(lock_);
  std::size_t n = 0;
  for (const auto& [key, slot] : slots_) n += slot->pixels ? 1 : 0;
  return n;
}

std::size_t DecodedImageCache::Bytes() const {
  std::lock_guard guard(lock_);
  std::size_t total = 0;
  for (const auto& [key, slot] : slots_)
    if (slot->pixels) total += slot->pixels->pixels.size();
  return total;
}

}  // namespace fx::igraphics
