// IGraphics: resource lookup and loading of bitmaps, fonts and SVG documents.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "core/Trace.h"
#include "graphics/IGraphics.h"
#include "graphics/ResourceCaches.h"
#include "graphics/SvgDocument.h"
#include "graphics/svg/SvgReader.h"

namespace fx::igraphics {
namespace {

constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Position of the extension's '.', or npos when the last '.' belongs to a
// directory (comes before the last separator) or there is none.
std::size_t ExtensionStart(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return dot;
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos && dot < slash) return std::string::npos;
  return dot;
}

// Font file bytes held in memory, as the default platform font.
class MemoryFont final : public PlatformFont {
 public:
  explicit MemoryFont(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
  bool GetFontData(std::vector<std::uint8_t>& data, std::string& styleName) const override {
    data = data_;
    styleName = "Regular";
    return !data_.empty();
  }

 private:
  std::vector<std::uint8_t> data_;
};

// A TrueType / OpenType file or collection starts with one of four tags and
// holds at least its table directory header.
bool LooksLikeFont(const std::vector<std::uint8_t>& data) {
  if (data.size() < 12) return false;
  const std::uint8_t* d = data.data();
  return (d[0] == 0 && d[1] == 1 && d[2] == 0 && d[3] == 0) || std::memcmp(d, "true", 4) == 0 ||
         std::memcmp(d, "OTTO", 4) == 0 || std::memcmp(d, "ttcf", 4) == 0;
}

// A strip's target scale: 0 is the screen scale rounded up.
std::int32_t TargetScale(std::int32_t asked, float screenScale) {
  if (asked != 0) return asked;
  const float up = std::ceil(screenScale);
  return (std::isfinite(up) && up >= 1.0f && up <= 64.0f) ? static_cast<std::int32_t>(up) : 1;
}

std::string ExtensionOf(const char* name) {
  const std::string text(name);
  const std::size_t dot = text.rfind('.');
  return dot == std::string::npos ? std::string() : text.substr(dot + 1);
}

}  // namespace

ResourceLocation IGraphics::FindResourceLocation(const char* name, const char* type,
                                                 std::string& locationText) const {
  locationText.clear();
  if (!name || !*name || !type) return ResourceLocation::NotFound;
  const std::size_t length = std::strlen(name);
  // Quoted, the text must fit the location's 260 characters; nothing
  // longer can be stored, in a module or as a path.
  if (length + 2 > kMaxLocationText) return ResourceLocation::NotFound;
  const std::string wanted = Lower(name);
  std::string match;
  store_->ForEachName(moduleInstance_, Upper(type).c_str(), [&](std::string_view stored) {
    if (stored.size() < 2) return true;
    const std::string_view inner = stored.substr(1, stored.size() - 2);
    if (Lower(inner) != wanted) return true;
    // Built by appending: GCC 12 misreads "a" + b + "c" as overlapping copies.
    match.reserve(inner.size() + 2);
    match.push_back('"');
    match.append(inner.data(), inner.size());
    match.push_back('"');
    return false;
  });
  if (!match.empty()) {
    locationText = match;
    return ResourceLocation::ModuleResource;
  }
  std::error_code error;
  if (std::filesystem::is_regular_file(std::filesystem::path(name), error) && !error) {
    locationText = name;
    return ResourceLocation::FilePath;
  }
  return ResourceLocation::NotFound;
}

ResourceLocation IGraphics::SearchScaledImage(const char* name, const char* extension, std::int32_t targetScale,
                                              std::string& locationText, std::int32_t& foundScale) const {
  locationText.clear();
  if (!name || !*name || targetScale < 1) return ResourceLocation::NotFound;
  const std::string base(name);
  const std::size_t dot = ExtensionStart(base);
  const std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : base.substr(dot);
  const std::int32_t candidates[4] = {targetScale, 3, 2, 1};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::int32_t scale = candidates[i];
    if (i > 0 && scale == targetScale) continue;
    std::string candidate = base;
    if (scale != 1) {
      char text[32];
      std::snprintf(text, sizeof text, "@%dx", static_cast<int>(scale));
      candidate = stem + text + ext;
    }
    const ResourceLocation location = FindResourceLocation(candidate.c_str(), extension, locationText);
    if (location != ResourceLocation::NotFound) {
      foundScale = scale;
      return location;
    }
  }
  return ResourceLocation::NotFound;
}

bool IGraphics::ReadResource(ResourceLocation location, const char* type, const std::string& locationText,
                             std::vector<std::uint8_t>& out) const {
  out.clear();
  if (location == ResourceLocation::ModuleResource) {
    if (!type) return false;
    const std::span<const std::uint8_t> bytes =
        store_->Data(moduleInstance_, Upper(type).c_str(), locationText.c_str());
    out.assign(bytes.begin(), bytes.end());
    return !out.empty();
  }
  if (location == ResourceLocation::FilePath) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(locationText), error);
    if (error || size == 0 || size > kMaxFileBytes) return false;
    std::ifstream file(locationText, std::ios::binary);
    if (!file) return false;
    out.resize(static_cast<std::size_t>(size));
    file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(file.gcount()) != size) {
      out.clear();
      return false;
    }
    return true;
  }
  return false;
}

BitmapCache& IGraphics::StripCache() { return SharedBitmapCache(); }

IBitmapStrip IGraphics::LoadBitmapStrip(const char* name, std::int32_t nFrames, bool framesAreHorizontal,
                                        std::int32_t targetScale) {
  if (!name || !*name) return {};
  targetScale = TargetScale(targetScale, screenScale_);
  if (targetScale < 1) return {};
  BitmapCache& cache = StripCache();
  std::lock_guard<std::mutex> lock(cache.Lock());
  APIBitmap* bitmap = cache.Find(name, targetScale);
  if (!bitmap) {
    const std::string ext = ExtensionOf(name);
    std::string locationText;
    std::int32_t foundScale = targetScale;
    const ResourceLocation location = SearchScaledImage(name, ext.c_str(), targetScale, locationText, foundScale);
    if (location == ResourceLocation::NotFound) return {};
    if (foundScale != targetScale) bitmap = cache.Find(name, foundScale);
    if (!bitmap) {
      if (!BitmapExtSupported(name)) return {};
      std::unique_ptr<APIBitmap> decoded = LoadAPIBitmap(name, foundScale, location, locationText);
      if (!decoded || decoded->width <= 0 || decoded->height <= 0) return {};  // corrupt data
      decoded->scale = foundScale;
      bitmap = cache.Add(name, foundScale, std::move(decoded));
    }
  }
  IBitmapStrip strip;
  strip.bitmap = bitmap;
  const std::int32_t scale = std::max<std::int32_t>(bitmap->scale, 1);
  strip.width = bitmap->width / scale;
  strip.height = bitmap->height / scale;
  strip.nFrames = std::max<std::int32_t>(nFrames, 1);
  strip.framesAreHorizontal = framesAreHorizontal;
  strip.resourceName = name;
  return strip;
}

void IGraphics::PrefetchBitmaps(std::span<const BitmapToLoad> bitmaps) {
  std::vector<ImageSource> sources;
  sources.reserve(bitmaps.size());
  for (const BitmapToLoad& b : bitmaps) {
    if (!b.name || !*b.name || !BitmapExtSupported(b.name)) continue;
    const std::int32_t targetScale = TargetScale(b.targetScale, screenScale_);
    if (targetScale < 1) continue;
    ImageSource source;
    source.name = b.name;
    source.scale = targetScale;
    const std::string ext = ExtensionOf(b.name);
    source.location = SearchScaledImage(b.name, ext.c_str(), targetScale, source.locationText, source.scale);
    if (source.location != ResourceLocation::NotFound) sources.push_back(std::move(source));
  }
  if (!sources.empty()) PrefetchAPIBitmaps(sources);
}

void IGraphics::PrefetchAPIBitmaps(std::span<const ImageSource> /*images*/) {}

std::unique_ptr<PlatformFont> IGraphics::LoadPlatformFont(const char* /*fontId*/, const char* fileName) {
  std::string locationText;
  const ResourceLocation location = FindResourceLocation(fileName, "ttf", locationText);
  if (location == ResourceLocation::NotFound) return nullptr;
  std::vector<std::uint8_t> data;
  if (!ReadResource(location, "ttf", locationText, data) || !LooksLikeFont(data)) return nullptr;
  return std::make_unique<MemoryFont>(std::move(data));
}

bool IGraphics::LoadFontResource(const char* fontId, const char* fileName) {
  if (!fontId || !*fontId) return false;
  std::unique_ptr<PlatformFont> font = LoadPlatformFont(fontId, fileName);
  // The backend keeps the font's data; the platform font has served.
  return font && LoadAPIFont(fontId, *font);
}

bool IGraphics::LoadFontResource(const char* fontId, const char* fontName, std::int32_t style) {
  if (!fontId || !*fontId) return false;
  std::unique_ptr<PlatformFont> font = LoadPlatformFont(fontId, fontName, style);
  // The backend keeps the font's data; the platform font has served.
  return font && LoadAPIFont(fontId, *font);
}

ISvg IGraphics::LoadSvg(const char* name) {
  if (!name || !*name) return {};
  SvgCache& cache = SharedSvgCache();
  std::lock_guard<std::mutex> lock(cache.Lock());
  if (SvgDocument* document = cache.Find(name, 1.0)) return {document};
  std::string locationText;
  std::int32_t foundScale = 1;
  const ResourceLocation location = SearchScaledImage(name, "svg", 1, locationText, foundScale);
  if (location == ResourceLocation::NotFound) return {};
  std::vector<std::uint8_t> source;
  if (!ReadResource(location, "svg", locationText, source)) return {};
  // Read once here, so drawing never parses. A document that cannot be read
  // is not cached: the next load tries again (the file may have been fixed).
  svg::SvgImage image;
  const std::string_view text(reinterpret_cast<const char*>(source.data()), source.size());
  std::string reason;
  if (!svg::ReadSvg(text, image, &reason)) {
    FX_TRACE("IGraphics::LoadSvg", "%s: %s", name, reason.c_str());
    return {};
  }
  return {cache.Add(name, 1.0, std::make_unique<SvgDocument>(name, std::move(image)))};
}

}  // namespace fx::igraphics
