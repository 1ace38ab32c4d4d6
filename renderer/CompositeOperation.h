#pragma once
// Porter-Duff composite operations and explicit blend factors. The numbering
// is part of the interface: the drawing backend maps blend types onto it.
namespace fx::vg {

enum class CompositeOperation {
  SourceOver = 0,
  SourceIn = 1,
  SourceOut = 2,
  Atop = 3,
  DestinationOver = 4,
  DestinationIn = 5,
  DestinationOut = 6,
  DestinationAtop = 7,
  Lighter = 8,
  Copy = 9,
  Xor = 10,
};
inline constexpr int kCompositeOperationCount = 11;

// Bit values, so that a set of factors fits in one int.
enum class BlendFactor {
  Zero = 1 << 0,
  One = 1 << 1,
  SrcColor = 1 << 2,
  OneMinusSrcColor = 1 << 3,
  DstColor = 1 << 4,
  OneMinusDstColor = 1 << 5,
  SrcAlpha = 1 << 6,
  OneMinusSrcAlpha = 1 << 7,
  DstAlpha = 1 << 8,
  OneMinusDstAlpha = 1 << 9,
  SrcAlphaSaturate = 1 << 10,
};

// Blend factors for colour and alpha, source and destination.
struct CompositeState {
  BlendFactor srcRgb = BlendFactor::One;
  BlendFactor dstRgb = BlendFactor::OneMinusSrcAlpha;
  BlendFactor srcAlpha = BlendFactor::One;
  BlendFactor dstAlpha = BlendFactor::OneMinusSrcAlpha;

  // Out-of-range operations fall back to source-over.
  static CompositeState forOperation(CompositeOperation op);
  static CompositeState forFactors(BlendFactor src, BlendFactor dst);
  bool operator==(const CompositeState&) const = default;
};

// The GL enum of a factor (GL_ONE for anything unknown).
unsigned int glBlendFactor(BlendFactor f);

}  // namespace fx::vg
