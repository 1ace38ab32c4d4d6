#pragma once
// How a text is drawn: font (by the id it was registered under, at most 63
// characters), size in layout units, colours, angle and alignment.

#include <cstdint>
#include <cstring>

#include "graphics/IArgb.h"

namespace fx::igraphics {

struct ITextStyle {
  static constexpr std::size_t kFontIdSize = 64;
  enum HAlign : std::int32_t { kLeft = 0, kCentre = 1, kRight = 2 };
  enum VAlign : std::int32_t { kTop = 0, kMiddle = 1, kBottom = 2 };

  char fontId[kFontIdSize] = "Roboto-Regular";
  float size = 14.0f;
  IArgb colour{255, 0, 0, 0};
  IArgb entryBackground{255, 255, 255, 255};
  IArgb entryText{255, 0, 0, 0};
  float angle = 0.0f;
  std::int32_t hAlign = kCentre;
  std::int32_t vAlign = kMiddle;

  // Copies at most 63 characters; null gives the empty id.
  void SetFontId(const char* id) {
    std::memset(fontId, 0, sizeof fontId);
    if (id) std::strncpy(fontId, id, kFontIdSize - 1);
  }
};

}  // namespace fx::igraphics
