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
  // Noted as uploaded meanwhile: the group has the texture, the asker gets
  // the pixels without the cache keeping them.
  if (slot->uploads == 0) slot->pixels = pixels;
  if (!pixels && slot->uploads == 0) {
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
  // Uploaded into a share group and dropped here: a context outside the
  // group decodes its own copy, which the cache does not keep.
  if (!slot->pixels && slot->uploads > 0) {
    held.unlock();
    if (!decode) return nullptr;
    DecodedImage image = decode();
    if (image.pixels.empty() || image.width <= 0 || image.height <= 0) return nullptr;
    return std::make_shared<const DecodedImage>(std::move(image));
  }
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

void DecodedImageCache::NoteUploaded(const std::string& key) {
  std::lock_guard guard(lock_);
  auto it = slots_.find(key);
  if (it == slots_.end()) {
    auto slot = std::make_shared<Slot>();
    slot->state = Slot::State::Done;
    it = slots_.emplace(key, std::move(slot)).first;
  }
  Slot& slot = *it->second;
  ++slot.uploads;
  // A record still holding the pixels keeps them alive; the cache lets go.
  if (slot.state == Slot::State::Done) slot.pixels.reset();
  // Queued and not started: nobody needs the decode any more.
  if (slot.state == Slot::State::Queued) {
    slot.bytes = {};
    slot.state = Slot::State::Done;
  }
}

void DecodedImageCache::NoteUploadGone(const std::string& key) {
  std::lock_guard guard(lock_);
  auto it = slots_.find(key);
  if (it == slots_.end() || it->second->uploads == 0) return;
  if (--it->second->uploads == 0 && it->second->state == Slot::State::Done && !it->second->pixels)
    slots_.erase(it);
}

bool DecodedImageCache::Uploaded(const std::string& key) const {
  std::lock_guard guard(lock_);
  auto it = slots_.find(key);
  return it != slots_.end() && it->second->uploads > 0;
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
