#pragma once
// The editor's artwork, drawn with the vector renderer. Each painter draws
// one whole image into a renderer frame of exactly the image's size (frames
// stacked top to bottom); the generator reads the pixels back and writes the
// files. `font` is a renderer font id of Roboto Regular.
#include "renderer/Renderer.h"

namespace fx::artwork {

struct ArtworkImage {
  const char* file;
  int width, height, frames;
};

// The eight images of the page, at the pixel sizes and frame counts the
// editor's layout expects.
inline constexpr ArtworkImage kLampImage{"ledOn.png", 806, 1870, 2};
inline constexpr ArtworkImage kSlideSwitchImage{"LiukuAnim.png", 254, 308, 2};
inline constexpr ArtworkImage kFlipSwitchImage{"FlipperAnim.png", 66, 302, 2};
inline constexpr ArtworkImage kKnobImage{"Nuppi.png", 246, 246, 1};
inline constexpr ArtworkImage kBackgroundImage{"Ombriskbackground.jpg", 1630, 1012, 1};
inline constexpr ArtworkImage kKnobShadowImage{"NupikkaVarjo.png", 252, 247, 1};
inline constexpr ArtworkImage kKnobHighlightImage{"NuppiOverlay.png", 268, 294, 1};
inline constexpr ArtworkImage kSmallKnobImage{"BIASNUPPI.png", 58, 58, 1};

void PaintBackground(vg::Renderer& r, int font);
void PaintKnobBody(vg::Renderer& r);
void PaintKnobShadow(vg::Renderer& r);
void PaintKnobHighlight(vg::Renderer& r);
void PaintSmallKnob(vg::Renderer& r);
void PaintSlideSwitch(vg::Renderer& r);
void PaintFlipSwitch(vg::Renderer& r);
void PaintLamp(vg::Renderer& r, int font);
// A square application icon of `size` pixels: a knob on a dark tile.
void PaintIcon(vg::Renderer& r, int size);

}  // namespace fx::artwork
