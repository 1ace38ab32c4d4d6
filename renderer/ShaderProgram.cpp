#include "renderer/ShaderProgram.h"

namespace fx::vg {

namespace {
const char* kVertexSource = R"(
uniform vec2 viewSize;
attribute vec2 aPosition;
attribute vec2 aPaint;
attribute float aCover;
attribute vec4 aTint;
varying vec2 vPosition;
varying vec2 vPaint;
varying float vCover;
varying vec4 vTint;
void main() {
  vPosition = aPosition;
  vPaint = aPaint;
  vCover = aCover;
  vTint = aTint;
  gl_Position = vec4(2.0 * aPosition.x / viewSize.x - 1.0, 1.0 - 2.0 * aPosition.y / viewSize.y, 0.0, 1.0);
}
)";

// frag[0], frag[1]: rows of the inverse scissor transform (device to scissor
// space); frag[2]: scissor half extent, device pixels per scissor unit;
// frag[3], frag[4]: inner and outer colour (premultiplied); frag[5]:
// gradient extent, radius, feather (for glyphs: inverse atlas size);
// frag[6]: paint type (gradients: 3 linear, 4 radial, 5 box).
const char* kFragmentSource = R"(
uniform vec4 frag[7];
uniform sampler2D tex;
varying vec2 vPosition;
varying vec2 vPaint;
varying float vCover;
varying vec4 vTint;

float scissorMask(vec2 p) {
  vec3 h = vec3(p, 1.0);
  vec2 s = abs(vec2(dot(frag[0].xyz, h), dot(frag[1].xyz, h))) - frag[2].xy;
  s = vec2(0.5) - s * frag[2].zw;
  return clamp(s.x, 0.0, 1.0) * clamp(s.y, 0.0, 1.0);
}

float roundedBox(vec2 p, vec2 ext, float r) {
  vec2 d = abs(p) - ext + vec2(r);
  return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - r;
}

void main() {
  float cover = clamp(vCover, 0.0, 1.0);
#if CORE_ONLY
  if (cover < 0.999) discard;
#endif
#if SCISSOR
  cover *= scissorMask(vPosition);
#endif
#if PAINT == 0
  vec4 color = vec4(1.0);
#elif PAINT == 1
  vec4 color = texture2D(tex, vPaint);
#elif PAINT == 2
  vec4 color = vec4(texture2D(tex, vPaint * frag[5].xy).a);
#else
  float type = frag[6].x;
  float t;
  if (type < 3.5) {
    t = vPaint.x / frag[5].x;
  } else if (type < 4.5) {
    t = (length(vPaint) - frag[5].x) / frag[5].y;
  } else {
    t = roundedBox(vPaint, frag[5].xy, frag[5].z) / frag[5].w + 0.5;
  }
  vec4 color = mix(frag[3], frag[4], clamp(t, 0.0, 1.0));
#endif
  gl_FragColor = color * vTint * cover;
}
)";
}  // namespace

ShaderProgram::ShaderProgram(const GlApi& gl, const SharedPrograms::Program& lent)
    : gl_(gl),
      program_(lent.program),
      vertex_(lent.vertex),
      fragment_(lent.fragment),
      viewSize_(lent.viewSize),
      frag_(lent.frag),
      owned_(false) {}

ShaderProgram::~ShaderProgram() {
  if (!owned_) return;
  if (program_) gl_.DeleteProgram(program_);
  if (vertex_) gl_.DeleteShader(vertex_);
  if (fragment_) gl_.DeleteShader(fragment_);
}

GLuint ShaderProgram::compile(GLenum type, const char* source, const std::string& defines) {
  const GLuint shader = gl_.CreateShader(type);
  if (!shader) return 0;
  const std::string header = "#version 110\n" + defines;
  const GLchar* parts[2] = {header.c_str(), source};
  gl_.ShaderSource(shader, 2, parts, nullptr);
  gl_.CompileShader(shader);
  GLint ok = 0;
  gl_.GetShaderiv(shader, gl::kCompileStatus, &ok);
  if (!ok) {
    char log[1024] = {};
    gl_.GetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    error_ = log;
    gl_.DeleteShader(shader);
    return 0;
  }
  return shader;
}

bool ShaderProgram::build(Variant variant) {
  const std::string defines = "#define PAINT " + std::to_string(static_cast<int>(variant.paint)) +
                              "\n#define SCISSOR " + (variant.scissor ? "1" : "0") + "\n#define CORE_ONLY " +
                              (variant.coreOnly ? "1" : "0") + "\n";
  vertex_ = compile(gl::kVertexShader, kVertexSource, "");
  fragment_ = compile(gl::kFragmentShader, kFragmentSource, defines);
  if (!vertex_ || !fragment_) return false;
  program_ = gl_.CreateProgram();
  if (!program_) return false;
  gl_.AttachShader(program_, vertex_);
  gl_.AttachShader(program_, fragment_);
  gl_.BindAttribLocation(program_, Position, "aPosition");
  gl_.BindAttribLocation(program_, PaintCoord, "aPaint");
  gl_.BindAttribLocation(program_, Cover, "aCover");
  gl_.BindAttribLocation(program_, Tint, "aTint");
  gl_.LinkProgram(program_);
  GLint ok = 0;
  gl_.GetProgramiv(program_, gl::kLinkStatus, &ok);
  if (!ok) {
    char log[1024] = {};
    gl_.GetProgramInfoLog(program_, sizeof log - 1, nullptr, log);
    error_ = log;
    return false;
  }
  viewSize_ = gl_.GetUniformLocation(program_, "viewSize");
  frag_ = gl_.GetUniformLocation(program_, "frag");
  const GLint tex = gl_.GetUniformLocation(program_, "tex");
  GLint previous = 0;
  gl_.GetIntegerv(gl::kCurrentProgram, &previous);
  gl_.UseProgram(program_);
  if (tex >= 0) gl_.Uniform1i(tex, 0);
  gl_.UseProgram(static_cast<GLuint>(previous));
  // Unused uniforms are optimised away; only the view size is always there.
  return viewSize_ >= 0;
}

}  // namespace fx::vg
