#pragma once
// The per-draw uniform block of the fragment shader: equal blocks let draws
// share a batch. Layout is documented with the shader source.
#include <array>

#include "renderer/ShaderProgram.h"

namespace fx::vg {

struct FragUniforms {
  std::array<float, ShaderProgram::kUniformVectors * 4> v{};
  bool operator==(const FragUniforms&) const = default;
};

}  // namespace fx::vg
