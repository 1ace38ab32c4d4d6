#pragma once
// The renderer's one GLSL 1.10 program: solid, image, glyph-mask and
// gradient paints, coverage anti-aliasing and the transformed scissor.
#include <string>

#include "renderer/GlApi.h"

namespace fx::vg {

class ShaderProgram {
 public:
  static constexpr int kUniformVectors = 7;
  enum Attribute : GLuint { Position = 0, PaintCoord = 1, Cover = 2, Tint = 3 };

  explicit ShaderProgram(const GlApi& gl) : gl_(gl) {}
  ~ShaderProgram();
  ShaderProgram(const ShaderProgram&) = delete;
  ShaderProgram& operator=(const ShaderProgram&) = delete;

  // False, with the compiler's or linker's log in error(), on failure.
  bool build();
  GLuint name() const { return program_; }
  GLint viewSizeLocation() const { return viewSize_; }
  GLint fragLocation() const { return frag_; }
  const std::string& error() const { return error_; }

 private:
  GLuint compile(GLenum type, const char* source);
  const GlApi& gl_;
  GLuint program_ = 0, vertex_ = 0, fragment_ = 0;
  GLint viewSize_ = -1, frag_ = -1;
  std::string error_;
};

}  // namespace fx::vg
