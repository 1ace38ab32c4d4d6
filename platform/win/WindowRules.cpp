#include "platform/win/WindowRules.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "platform/win/WinConstants.h"

namespace fx::win {

float ScreenScaleForDpi(std::uint32_t dpi) {
  if (dpi == 0 || dpi == 96) return 1.0f;
  return static_cast<float>(dpi) / 96.0f;
}

PixelSize OpeningSize(std::int32_t layoutWidth, std::int32_t layoutHeight, float drawScale, std::int32_t screenScale) {
  if (!std::isfinite(drawScale) || drawScale <= 0.0f) drawScale = 1.0f;
  if (screenScale < 1) screenScale = 1;
  PixelSize size;
  size.width = static_cast<std::int32_t>(static_cast<float>(layoutWidth) * drawScale) * screenScale;
  size.height = static_cast<std::int32_t>(static_cast<float>(layoutHeight) * drawScale) * screenScale;
  return size;
}

std::uint32_t SystemCursorForKind(std::int32_t kind) {
  static constexpr std::uint32_t kIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                           32644, 32645, 32646, 32648, 32649, 32650, 32651};
  if (kind < 0 || kind >= static_cast<std::int32_t>(std::size(kIds))) return 32512;
  return kIds[kind];
}

std::uint32_t TextEntryStyle(std::int32_t hAlign) {
  switch (hAlign) {
    case 0: return 0x56000084u;
    case 2: return 0x56000086u;
    default: return 0x56000085u;
  }
}

std::uint32_t ColourRef(std::int32_t r, std::int32_t g, std::int32_t b) {
  const auto c = [](std::int32_t v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
  return c(r) | (c(g) << 8) | (c(b) << 16);
}

bool SwapsByCopying(const PixelFormatInfo& format) {
  if ((format.flags & kPfdSwapCopy) != 0) return true;
  return (format.flags & kPfdSwapExchange) == 0 && format.swapMethod == kWglSwapCopyArb;
}

std::int32_t PixelFormatToSet(const std::vector<PixelFormatInfo>& formats, std::int32_t chosen) {
  const auto count = static_cast<std::int32_t>(formats.size());
  if (chosen < 1 || chosen > count) return chosen;
  const PixelFormatInfo& choice = formats[static_cast<std::size_t>(chosen - 1)];
  if (SwapsByCopying(choice)) return chosen;
  constexpr std::uint32_t kSwapMethod = kPfdSwapExchange | kPfdSwapCopy;
  for (std::int32_t i = 1; i <= count; ++i) {
    PixelFormatInfo f = formats[static_cast<std::size_t>(i - 1)];
    if (!SwapsByCopying(f)) continue;
    f.flags = (f.flags & ~kSwapMethod) | (choice.flags & kSwapMethod);
    f.swapMethod = choice.swapMethod;
    if (f == choice) return i;
  }
  return chosen;
}

}  // namespace fx::win
