#pragma once
// The artwork textures of one GL share group: each image uploaded once, by
// the first drawing context of the group that loads it, and drawn by every
// context of the group from the same texture. Keyed as DecodedImageCache
// keys the decoded pixels (where the image was read from). Each record of a
// context drawing a texture is one use; the use that ends the last returns
// the texture's name, which the caller deletes with a context of the group
// current (so a texture lives exactly while some context draws it, and the
// last context leaving deletes it). The store holds names only, no GL; the
// window layer that makes the group owns it and outlives its contexts.
// The group's shader programs come with it (Programs()), shared the same way.
//
// Threads: any (one lock); a share group's contexts normally live on one.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "graphics/drawing/SparseImage.h"
#include "renderer/SharedPrograms.h"

namespace fx::igraphics {

class SharedTextures {
 public:
  struct Texture {
    std::uint32_t name = 0;
    std::int32_t width = 0, height = 0;  // the image's
    std::int32_t flags = 0;  // the renderer's image flags it was made with
    // A packed image's layout, the texture of its size (null: the image's).
    std::shared_ptr<const SparseImage> sparse;
  };

  // The texture under key, counted as one more use; false when there is none.
  bool Use(const std::string& key, Texture& texture);
  // The texture under key without counting a use (sizes before loading).
  bool Find(const std::string& key, Texture& texture) const;
  // A texture just made under key, with its first use; false (nothing
  // recorded: the maker keeps its texture) where key has one or name is 0.
  bool Add(const std::string& key, const Texture& texture);
  // One use less; the texture's name when that was its last use (it is
  // forgotten then, and the caller deletes it), else 0.
  std::uint32_t Release(const std::string& key);
  std::size_t Size() const;
  std::int32_t Uses(const std::string& key) const;
  fx::vg::SharedPrograms& Programs() { return programs_; }

 private:
  struct Entry {
    Texture texture;
    std::int32_t uses = 0;
  };
  mutable std::mutex lock_;
  std::map<std::string, Entry> entries_;
  fx::vg::SharedPrograms programs_;
};

}  // namespace fx::igraphics
