#include "graphics/drawing/BlendComposite.h"

#include <algorithm>
#include <cmath>

#include "renderer/Renderer.h"

namespace fx::igraphics {

BlendComposite CompositeForBlend(const IBlendMode* blend) {
  BlendComposite c;
  if (!blend) return c;
  if (blend->type >= 0 && blend->type <= 7) {
    c.operation = static_cast<fx::vg::CompositeOperation>(blend->type);
  } else if (blend->type == 8) {
    c.kind = BlendComposite::Kind::Factors;
    c.source = fx::vg::BlendFactor::SrcAlpha;
    c.destination = fx::vg::BlendFactor::DstAlpha;
  } else if (blend->type == 9) {
    c.operation = fx::vg::CompositeOperation::Xor;
  } else {
    c.kind = BlendComposite::Kind::Unchanged;
  }
  return c;
}

void ApplyBlend(fx::vg::Renderer& renderer, const IBlendMode* blend) {
  const BlendComposite c = CompositeForBlend(blend);
  switch (c.kind) {
    case BlendComposite::Kind::Operation:
      renderer.globalCompositeOperation(c.operation);
      break;
    case BlendComposite::Kind::Factors:
      renderer.globalCompositeBlendFunc(c.source, c.destination);
      break;
    case BlendComposite::Kind::Unchanged:
      break;
  }
}

bool KeepsDestinationUnderClear(const IBlendMode* blend) {
  const BlendComposite c = CompositeForBlend(blend);
  if (c.kind != BlendComposite::Kind::Operation) return false;
  using Op = fx::vg::CompositeOperation;
  switch (c.operation) {
    case Op::SourceOver:
    case Op::Atop:
    case Op::DestinationOver:
    case Op::DestinationOut:
    case Op::Lighter:
    case Op::Xor:
      return true;
    default:
      return false;
  }
}

float BlendWeight(const IBlendMode* blend) {
  if (!blend || !std::isfinite(blend->weight)) return 1.0f;
  return std::clamp(blend->weight, 0.0f, 1.0f);
}

fx::vg::Color RendererColour(const IArgb& colour, const IBlendMode* blend) {
  auto unit = [](std::int32_t v) { return static_cast<float>(std::clamp(v, 0, 255)) / 255.0f; };
  return fx::vg::Color::rgba(unit(colour.r), unit(colour.g), unit(colour.b), unit(colour.a) * BlendWeight(blend));
}

}  // namespace fx::igraphics
