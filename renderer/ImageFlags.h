#pragma once
namespace fx::vg {

// Bits of an image's flags.
enum ImageFlags : int {
  ImageRepeatX = 1 << 1,
  ImageRepeatY = 1 << 2,
  ImageFlipY = 1 << 3,          // rows stored bottom-up (frame-buffer images)
  ImagePremultiplied = 1 << 4,  // pixels already carry premultiplied alpha
  ImageNearest = 1 << 5,        // no filtering between texels
};

}  // namespace fx::vg
