#pragma once
// Decoded artwork, one copy for the whole process: the RGBA pixels of every
// image a drawing context has loaded (premultiplied, ready for upload), by
// where they came from, so that a second editor (or a reopened one) uploads
// them to its own GL context without decoding again. GL images stay with
// each context; only the pixels are shared. Each drawing context holds a
// DecodedImageCache::User, so the pixels live exactly while some context
// does: the first creates the cache, the last frees it with every image
// (see SharedByUsers). A bitmap record keeps its image's pixels while it
// lives.
//
// Threads: any. An image is decoded once however many threads ask for it:
// the first to ask decodes it (outside the cache's lock, so other images
// decode meanwhile), the others wait for its result. Queue() takes an
// image's encoded bytes ahead of its use; DecodeQueued() (a context's
// prefetch worker) decodes what is queued and nobody has started, while a
// FindOrDecode() of a queued image decodes it on the asking thread at once
// rather than waiting its turn; the worker starts from the end of the queue,
// so a thread loading in the queue's order meets it halfway.
//
// Pixels uploaded into a GL share group are not kept: the group draws its
// texture (SharedTextures), and NoteUploaded drops the cache's copy while
// remembering the image as uploaded, so that a prefetch does not decode it
// again for a context that will draw the group's texture. A context that
// still needs the pixels then (one outside the group) decodes them for
// itself, uncached. NoteUploadGone, once the group's texture is deleted,
// forgets the image.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/SharedByUsers.h"
#include "graphics/drawing/ImageDecoder.h"

namespace fx::igraphics {

class DecodedImageCache {
 public:
  using Pixels = std::shared_ptr<const DecodedImage>;
  using Shared = SharedByUsers<DecodedImageCache>;
  using User = Shared::Handle;

  // The image cached under key, else what `decode` makes of it (or of the
  // bytes queued under key); an image with pixels is cached, an empty one
  // gives null and is not (the source may be fixed by the next try).
  Pixels FindOrDecode(const std::string& key, const std::function<DecodedImage()>& decode);
  // Keeps `bytes` (PNG or JPEG) to be decoded for upload under key; false
  // where key is already cached, queued or being decoded.
  bool Queue(const std::string& key, std::vector<std::uint8_t> bytes);
  // Decodes queued images one by one, the last queued first, until none is left or `stop` is set
  // (checked between images); the number decoded here.
  std::size_t DecodeQueued(const std::atomic<bool>& stop);
  // The image under key went into a share group's texture (one note per
  // group): its cached pixels are dropped, and Queue() refuses it while
  // some group holds it.
  void NoteUploaded(const std::string& key);
  // A group deleted the texture NoteUploaded announced.
  void NoteUploadGone(const std::string& key);
  bool Uploaded(const std::string& key) const;
  // Images with pixels.
  std::size_t Size() const;
  // Pixel bytes held.
  std::size_t Bytes() const;

 private:
  struct Slot {
    enum class State { Queued, Decoding, Done } state = State::Queued;
    std::vector<std::uint8_t> bytes;  // while queued
    Pixels pixels;                    // once done, unless uploaded
    std::int32_t uploads = 0;         // share groups holding its texture
  };
  // Claims the slot (the caller holds lock_), decodes without the lock, then
  // publishes the result and wakes whoever waits for it.
  Pixels Decode(std::unique_lock<std::mutex>& held, const std::string& key, const std::shared_ptr<Slot>& slot,
                const std::function<DecodedImage()>& decode);

  mutable std::mutex lock_;
  std::condition_variable decoded_;
  std::map<std::string, std::shared_ptr<Slot>> slots_;
  std::deque<std::string> queued_;  // keys in the order they were queued
};

}  // namespace fx::igraphics
