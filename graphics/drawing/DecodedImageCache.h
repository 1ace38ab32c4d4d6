#pragma once
// Decoded artwork, one copy for the whole process: the RGBA pixels of every
// image a drawing context has loaded (premultiplied by the loader, ready
// for upload), by where they came from, so that a
// second editor (or a reopened one) uploads them to its own GL context
// without decoding again. GL images stay with each context; only the pixels
// are shared. Each drawing context holds a DecodedImageCache::User, so the
// pixels live exactly while some context does: the first creates the
// cache, the last frees it with every image (see SharedByUsers). A bitmap
// record keeps its image's pixels while it lives. Lookups run under the
// cache's own lock, held across the decode, so two editors opening at once
// decode each image once.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "graphics/SharedByUsers.h"
#include "graphics/drawing/ImageDecoder.h"

namespace fx::igraphics {

class DecodedImageCache {
 public:
  using Pixels = std::shared_ptr<const DecodedImage>;
  using Shared = SharedByUsers<DecodedImageCache>;
  using User = Shared::Handle;

  // The image cached under key, else what `decode` makes of it; an image
  // with pixels is cached, an empty one gives null and is not (the source
  // may be fixed by the next try).
  Pixels FindOrDecode(const std::string& key, const std::function<DecodedImage()>& decode);
  std::size_t Size() const;
  // Pixel bytes held.
  std::size_t Bytes() const;

 private:
  mutable std::mutex lock_;
  std::map<std::string, Pixels> images_;
};

}  // namespace fx::igraphics
