#pragma once
// How a blend mode becomes the renderer's composite state. No blend draws
// source-over; types 0-7 are the renderer's Porter-Duff operations in its
// own order; type 8 blends with explicit factors (source alpha, destination
// alpha); type 9 is xor; any other type leaves the renderer's state as it is.

#include "graphics/IArgb.h"
#include "graphics/IBlendMode.h"
#include "renderer/Color.h"
#include "renderer/CompositeOperation.h"

namespace fx::vg {
class Renderer;
}

namespace fx::igraphics {

struct BlendComposite {
  enum class Kind { Operation, Factors, Unchanged };
  Kind kind = Kind::Operation;
  fx::vg::CompositeOperation operation = fx::vg::CompositeOperation::SourceOver;
  fx::vg::BlendFactor source = fx::vg::BlendFactor::One;
  fx::vg::BlendFactor destination = fx::vg::BlendFactor::OneMinusSrcAlpha;

  bool operator==(const BlendComposite&) const = default;
};

BlendComposite CompositeForBlend(const IBlendMode* blend);
// Sets the renderer's composite state for the blend (before every draw).
void ApplyBlend(fx::vg::Renderer& renderer, const IBlendMode* blend);
// Whether drawing a fully transparent source under the blend leaves the
// destination as it is (source-over, atop, destination-over and -out,
// xor); false for the operations that clear or scale it there, for
// explicit factors and for a state left as it was.
bool KeepsDestinationUnderClear(const IBlendMode* blend);
// The blend's weight (1 without a blend; a non-finite weight counts as 1).
float BlendWeight(const IBlendMode* blend);
// A renderer colour: components over 255 (clamped to 0..255), alpha times the blend weight.
fx::vg::Color RendererColour(const IArgb& colour, const IBlendMode* blend);

}  // namespace fx::igraphics
