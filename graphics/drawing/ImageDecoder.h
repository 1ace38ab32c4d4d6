#pragma once
// PNG and JPEG bytes decoded to RGBA rows (top first) with stb_image.
// Anything undecodable, or larger than 16384 pixels a side, gives an empty
// image. Decoded for upload, a large mostly transparent image comes packed
// (SparseImage): its pixels are then the packed texture's.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphics/drawing/LargeBlock.h"
#include "graphics/drawing/SparseImage.h"

namespace fx::igraphics {

struct DecodedImage {
  std::int32_t width = 0;  // the image's, packed or not
  std::int32_t height = 0;
  PixelBytes pixels;  // large ones mapped: see LargeBlock.h
  bool premultiplied = false;  // colour already multiplied by alpha
  // Where the pixels are the image packed: its layout (null: they are the
  // image's rows).
  std::shared_ptr<const SparseImage> sparse;
};

// Straight: the colours as stored. Upload: colours multiplied by alpha,
// rounded as the renderer rounds when it does it at upload
// ((c * a + 127) / 255), so the texture is the same either way and the
// pixels can go to any number of contexts as they are. An image without
// alpha in its file is the same both ways and comes back marked
// premultiplied. Upload packs a sparse image; UploadWhole never packs.
enum class ImageUse { Straight, Upload, UploadWhole };

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes, ImageUse use = ImageUse::Straight);

}  // namespace fx::igraphics
