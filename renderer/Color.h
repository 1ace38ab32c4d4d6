#pragma once
// A straight (not premultiplied) RGBA colour with components in 0..1.
// Premultiplication happens where colours enter the GPU pipeline.
namespace fx::vg {

struct Color {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;

  static constexpr Color rgba(float r, float g, float b, float a) { return {r, g, b, a}; }
  static constexpr Color rgba8(int r, int g, int b, int a) {
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
            static_cast<float>(b) / 255.0f, static_cast<float>(a) / 255.0f};
  }
  constexpr Color premultiplied() const { return {r * a, g * a, b * a, a}; }
  constexpr Color withAlpha(float alpha) const { return {r, g, b, alpha}; }
  bool operator==(const Color&) const = default;
};

}  // namespace fx::vg
