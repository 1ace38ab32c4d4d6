#pragma once
// One GLSL 1.10 program of the renderer, specialised at compile time for a
// paint kind (solid, image, glyph mask, gradient), with or without the
// transformed scissor and the discard of partly covered fragments: on a
// software rasteriser every instruction per fragment counts.
#include <string>

#include "renderer/GlApi.h"
#include "renderer/SharedPrograms.h"

namespace fx::vg {

class ShaderProgram {
 public:
  static constexpr int kUniformVectors = 7;
  enum Attribute : GLuint { Position = 0, PaintCoord = 1, Cover = 2, Tint = 3 };

  explicit ShaderProgram(const GlApi& gl) : gl_(gl) {}
  // A program of the share group: used here, never deleted here.
  ShaderProgram(const GlApi& gl, const SharedPrograms::Program& lent);
  ~ShaderProgram();
  ShaderProgram(const ShaderProgram&) = delete;
  ShaderProgram& operator=(const ShaderProgram&) = delete;

  enum class PaintVariant { Solid = 0, Image = 1, Glyph = 2, Gradient = 3 };
  struct Variant {
    PaintVariant paint = PaintVariant::Solid;
    bool scissor = false;
    bool coreOnly = false;
    int index() const { return static_cast<int>(paint) * 4 + (scissor ? 2 : 0) + (coreOnly ? 1 : 0); }
  };
  static constexpr int kVariantCount = 16;

  // False, with the compiler's or linker's log in error(), on failure.
  bool build(Variant variant);
  GLuint name() const { return program_; }
  GLint viewSizeLocation() const { return viewSize_; }
  GLint fragLocation() const { return frag_; }
  // What another renderer of the group needs to use this program.
  SharedPrograms::Program Names() const { return {program_, vertex_, fragment_, viewSize_, frag_}; }
  // Hands the GL objects over (to the group): this object no longer deletes them.
  void Disown() { owned_ = false; }
  const std::string& error() const { return error_; }

 private:
  GLuint compile(GLenum type, const char* source, const std::string& defines);
  const GlApi& gl_;
  GLuint program_ = 0, vertex_ = 0, fragment_ = 0;
  GLint viewSize_ = -1, frag_ = -1;
  bool owned_ = true;
  std::string error_;
};

}  // namespace fx::vg
