// The .ico container: a directory of entries, each a 32-bit BGRA device-
// independent bitmap stored bottom up with its 1-bit AND mask (set where the
// pixel is fully transparent), the form every Windows version reads.
#include <cstdio>
#include <memory>

#include "tools/artwork/ImageFiles.h"

namespace fx::artwork {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

std::size_t MaskStride(int width) { return static_cast<std::size_t>((width + 31) / 32) * 4; }

std::vector<std::uint8_t> EncodeEntryImage(const Picture& p) {
  const auto w = static_cast<std::size_t>(p.width), h = static_cast<std::size_t>(p.height);
  const std::size_t colourBytes = w * h * 4, maskBytes = MaskStride(p.width) * h;
  std::vector<std::uint8_t> out;
  out.reserve(40 + colourBytes + maskBytes);
  Put32(out, 40);                                    // header size
  Put32(out, static_cast<std::uint32_t>(p.width));
  Put32(out, static_cast<std::uint32_t>(p.height * 2));  // colour and mask, stacked
  Put16(out, 1);                                     // planes
  Put16(out, 32);                                    // bits per pixel
  Put32(out, 0);                                     // uncompressed
  Put32(out, static_cast<std::uint32_t>(colourBytes + maskBytes));
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (std::size_t row = h; row-- > 0;)
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint8_t* px = &p.rgba[(row * w + x) * 4];
      out.insert(out.end(), {px[2], px[1], px[0], px[3]});
    }
  for (std::size_t row = h; row-- > 0;) {
    std::vector<std::uint8_t> bits(MaskStride(p.width), 0);
    for (std::size_t x = 0; x < w; ++x)
      if (p.rgba[(row * w + x) * 4 + 3] == 0) bits[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    out.insert(out.end(), bits.begin(), bits.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeIco(const std::vector<Picture>& sizes) {
  if (sizes.empty() || sizes.size() > 0xffff) return {};
  std::vector<std::vector<std::uint8_t>> images;
  for (const Picture& p : sizes) {
    if (p.width <= 0 || p.width > 256 || p.height != p.width ||
        p.rgba.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 4)
      return {};
    images.push_back(EncodeEntryImage(p));
  }
  std::vector<std::uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, static_cast<unsigned>(sizes.size()));
  std::size_t offset = 6 + 16 * sizes.size();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const int side = sizes[i].width;
    out.push_back(static_cast<std::uint8_t>(side == 256 ? 0 : side));  // 0 stands for 256
    out.push_back(static_cast<std::uint8_t>(side == 256 ? 0 : side));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, static_cast<std::uint32_t>(offset));
    offset += images[i].size();
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

bool WriteIco(const std::string& path, const std::vector<Picture>& sizes) {
  const std::vector<std::uint8_t> bytes = EncodeIco(sizes);
  if (bytes.empty()) return false;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

}  // namespace fx::artwork
