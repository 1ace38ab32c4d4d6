#include "renderer/CompositeOperation.h"

#include "renderer/GlApi.h"

namespace fx::vg {

CompositeState CompositeState::forOperation(CompositeOperation op) {
  using F = BlendFactor;
  F s = F::One, d = F::OneMinusSrcAlpha;
  // Premultiplied colours: each operation is Fs * src + Fd * dst.
  switch (op) {
    case CompositeOperation::SourceOver: s = F::One; d = F::OneMinusSrcAlpha; break;
    case CompositeOperation::SourceIn: s = F::DstAlpha; d = F::Zero; break;
    case CompositeOperation::SourceOut: s = F::OneMinusDstAlpha; d = F::Zero; break;
    case CompositeOperation::Atop: s = F::DstAlpha; d = F::OneMinusSrcAlpha; break;
    case CompositeOperation::DestinationOver: s = F::OneMinusDstAlpha; d = F::One; break;
    case CompositeOperation::DestinationIn: s = F::Zero; d = F::SrcAlpha; break;
    case CompositeOperation::DestinationOut: s = F::Zero; d = F::OneMinusSrcAlpha; break;
    case CompositeOperation::DestinationAtop: s = F::OneMinusDstAlpha; d = F::SrcAlpha; break;
    case CompositeOperation::Lighter: s = F::One; d = F::One; break;
    case CompositeOperation::Copy: s = F::One; d = F::Zero; break;
    case CompositeOperation::Xor: s = F::OneMinusDstAlpha; d = F::OneMinusSrcAlpha; break;
  }
  return {s, d, s, d};
}

CompositeState CompositeState::forFactors(BlendFactor src, BlendFactor dst) { return {src, dst, src, dst}; }

unsigned int glBlendFactor(BlendFactor f) {
  switch (f) {
    case BlendFactor::Zero: return gl::kZero;
    case BlendFactor::One: return gl::kOne;
    case BlendFactor::SrcColor: return gl::kSrcColor;
    case BlendFactor::OneMinusSrcColor: return gl::kOneMinusSrcColor;
    case BlendFactor::DstColor: return gl::kDstColor;
    case BlendFactor::OneMinusDstColor: return gl::kOneMinusDstColor;
    case BlendFactor::SrcAlpha: return gl::kSrcAlpha;
    case BlendFactor::OneMinusSrcAlpha: return gl::kOneMinusSrcAlpha;
    case BlendFactor::DstAlpha: return gl::kDstAlpha;
    case BlendFactor::OneMinusDstAlpha: return gl::kOneMinusDstAlpha;
    case BlendFactor::SrcAlphaSaturate: return gl::kSrcAlphaSaturate;
  }
  return gl::kOne;
}

}  // namespace fx::vg
