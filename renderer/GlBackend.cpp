#include "renderer/GlBackend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace fx::vg {

namespace {
constexpr GLenum kInvert = 0x150A;
}

GlBackend::GlBackend(const GlApi& gl, SharedPrograms* programs) : gl_(gl), sharedPrograms_(programs) {
  static_assert(ShaderProgram::kVariantCount == SharedPrograms::kSlots);
  if (sharedPrograms_) sharedPrograms_->Join();
}

GlBackend::~GlBackend() {
  for (auto& [id, t] : textures_)
    if (t.owned) gl_.DeleteTextures(1, &t.name);
  if (buffer_) gl_.DeleteBuffers(1, &buffer_);
  for (auto& p : programs_) p.reset();  // lent and handed-over ones stay
  // The group's last renderer deletes its programs, with its context current.
  if (sharedPrograms_) {
    for (const SharedPrograms::Program& p : sharedPrograms_->Leave()) {
      gl_.DeleteProgram(p.program);
      if (p.vertex) gl_.DeleteShader(p.vertex);
      if (p.fragment) gl_.DeleteShader(p.fragment);
    }
  }
}

ShaderProgram* GlBackend::program(ShaderProgram::Variant v) {
  const auto i = static_cast<std::size_t>(v.index());
  if (!programs_[i] && !failed_[i]) {
    SharedPrograms::Program lent;
    if (sharedPrograms_ && sharedPrograms_->Find(v.index(), lent)) {
      programs_[i] = std::make_unique<ShaderProgram>(gl_, lent);
      return programs_[i].get();
    }
    auto p = std::make_unique<ShaderProgram>(gl_);
    if (p->build(v)) {
      if (sharedPrograms_ && sharedPrograms_->Add(v.index(), p->Names())) p->Disown();
      programs_[i] = std::move(p);
    } else {
      failed_[i] = true;
      error_ = p->error();
    }
  }
  return programs_[i].get();
}

ShaderProgram::Variant GlBackend::variantOf(const FragUniforms& u) {
  ShaderProgram::Variant v;
  const float type = u.v[6 * 4];
  v.paint = type < 0.5f   ? ShaderProgram::PaintVariant::Solid
            : type < 1.5f ? ShaderProgram::PaintVariant::Image
            : type < 2.5f ? ShaderProgram::PaintVariant::Glyph
                          : ShaderProgram::PaintVariant::Gradient;
  // No scissor is stored as an all-zero inverse transform.
  v.scissor = false;
  for (int i = 0; i < 8; ++i)
    if (u.v[static_cast<std::size_t>(i)] != 0.0f) v.scissor = true;
  v.coreOnly = u.v[6 * 4 + 1] > 0.5f;
  return v;
}

GLuint GlBackend::programName() const { return programs_[0] ? programs_[0]->name() : 0; }

bool GlBackend::init() {
  if (!program(ShaderProgram::Variant{})) return false;
  gl_.GenBuffers(1, &buffer_);
  gl_.GetIntegerv(gl::kMaxTextureSize, &maxTextureSize_);
  if (maxTextureSize_ <= 0) maxTextureSize_ = 2048;
  return buffer_ != 0;
}

void GlBackend::upload(const Texture& t, const std::uint8_t* pixels, bool create) {
  const bool alpha = (t.flags & kAlphaTexture) != 0;
  const GLenum format = alpha ? gl::kAlpha : gl::kRgba;
  std::vector<std::uint8_t> converted;
  if (pixels && !alpha && !(t.flags & 16 /* premultiplied */)) {
    // Textures hold premultiplied colour so that filtering and blending agree.
    const std::size_t n = static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height);
    converted.assign(pixels, pixels + n * 4);
    for (std::size_t i = 0; i < n; ++i) {
      std::uint8_t* p = &converted[i * 4];
      const unsigned a = p[3];
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 127) / 255);
    }
    pixels = converted.data();
  }
  GLint previous = 0;
  gl_.GetIntegerv(gl::kTextureBinding2D, &previous);
  gl_.BindTexture(gl::kTexture2D, t.name);
  gl_.PixelStorei(gl::kUnpackAlignment, 1);
  if (create) {
    const bool nearest = (t.flags & 32) != 0;
    const GLint filter = static_cast<GLint>(nearest ? gl::kNearest : gl::kLinear);
    gl_.TexParameteri(gl::kTexture2D, gl::kTextureMinFilter, filter);
    gl_.TexParameteri(gl::kTexture2D, gl::kTextureMagFilter, filter);
    gl_.TexParameteri(gl::kTexture2D, gl::kTextureWrapS,
                      static_cast<GLint>((t.flags & 2) ? gl::kRepeat : gl::kClampToEdge));
    gl_.TexParameteri(gl::kTexture2D, gl::kTextureWrapT,
                      static_cast<GLint>((t.flags & 4) ? gl::kRepeat : gl::kClampToEdge));
    gl_.TexImage2D(gl::kTexture2D, 0, static_cast<GLint>(format), t.width, t.height, 0, format, gl::kUnsignedByte,
                   pixels);
  } else {
    gl_.TexSubImage2D(gl::kTexture2D, 0, 0, 0, t.width, t.height, format, gl::kUnsignedByte, pixels);
  }
  gl_.BindTexture(gl::kTexture2D, static_cast<GLuint>(previous));
  boundTexture_ = static_cast<GLuint>(-1);
}

int GlBackend::createTexture(int width, int height, int flags, const std::uint8_t* pixels) {
  if (width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_) return 0;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return 0;
  Texture t;
  t.width = width;
  t.height = height;
  t.flags = flags;
  gl_.GenTextures(1, &t.name);
  if (!t.name) return 0;
  while (gl_.GetError() != 0) {
  }
  upload(t, pixels, true);
  if (gl_.GetError() != 0) {  // out of memory, most likely
    gl_.DeleteTextures(1, &t.name);
    return 0;
  }
  const int id = nextTexture_++;
  textures_[id] = t;
  return id;
}

bool GlBackend::updateTexture(int id, const std::uint8_t* pixels) {
  auto it = textures_.find(id);
  // A lent texture is the whole group's picture: not ours to change.
  if (it == textures_.end() || !pixels || !it->second.owned) return false;
  upload(it->second, pixels, false);
  return true;
}

bool GlBackend::resizeTexture(int id, int width, int height, const std::uint8_t* pixels) {
  auto it = textures_.find(id);
  if (it == textures_.end() || !it->second.owned || width <= 0 || height <= 0 || width > maxTextureSize_ ||
      height > maxTextureSize_)
    return false;
  it->second.width = width;
  it->second.height = height;
  upload(it->second, pixels, true);
  return true;
}

bool GlBackend::textureSize(int id, int& width, int& height) const {
  auto it = textures_.find(id);
  if (it == textures_.end()) return false;
  width = it->second.width;
  height = it->second.height;
  return true;
}

int GlBackend::textureFlags(int id) const {
  auto it = textures_.find(id);
  return it == textures_.end() ? 0 : it->second.flags;
}

bool GlBackend::deleteTexture(int id) {
  auto it = textures_.find(id);
  if (it == textures_.end()) return false;
  if (it->second.owned) gl_.DeleteTextures(1, &it->second.name);
  textures_.erase(it);
  // A draw queued with this image before it went must not use a stale name.
  for (Call& c : calls_)
    if (c.image == id) c.count = c.fringeCount = c.coverCount = 0;
  return true;
}

int GlBackend::adoptTexture(GLuint name, int width, int height, int flags) {
  if (!name || width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_) return 0;
  Texture t;
  t.name = name;
  t.width = width;
  t.height = height;
  t.flags = flags;
  t.owned = false;
  const int id = nextTexture_++;
  textures_[id] = t;
  return id;
}

GLuint GlBackend::disownTexture(int id) {
  auto it = textures_.find(id);
  if (it == textures_.end() || !it->second.owned) return 0;
  it->second.owned = false;
  return it->second.name;
}

GLuint GlBackend::textureName(int id) const {
  auto it = textures_.find(id);
  return it == textures_.end() ? 0 : it->second.name;
}

void GlBackend::beginFrame(float viewWidth, float viewHeight) {
  viewWidth_ = viewWidth > 0 ? viewWidth : 1.0f;
  viewHeight_ = viewHeight > 0 ? viewHeight : 1.0f;
  cancelFrame();
}

void GlBackend::cancelFrame() {
  vertices_.clear();
  uniforms_.clear();
  calls_.clear();
}

int GlBackend::pushUniform(const FragUniforms& u) {
  if (!uniforms_.empty() && uniforms_.back() == u) return static_cast<int>(uniforms_.size()) - 1;
  uniforms_.push_back(u);
  return static_cast<int>(uniforms_.size()) - 1;
}

int GlBackend::pushVertices(std::span<const Vertex> verts) {
  const int first = static_cast<int>(vertices_.size());
  vertices_.insert(vertices_.end(), verts.begin(), verts.end());
  return first;
}

void GlBackend::addTriangles(std::span<const Vertex> verts, const FragUniforms& u, int image,
                             const CompositeState& blend) {
  if (verts.empty()) return;
  const int uniform = pushUniform(u);
  const int first = pushVertices(verts);
  if (!calls_.empty()) {
    Call& last = calls_.back();
    if (last.kind == Kind::Triangles && last.uniform == uniform && last.image == image && last.blend == blend &&
        last.first + last.count == first) {
      last.count += static_cast<int>(verts.size());
      return;
    }
  }
  calls_.push_back({Kind::Triangles, uniform, image, blend, first, static_cast<int>(verts.size())});
}

void GlBackend::addStencilFill(std::span<const Vertex> interior, std::span<const Vertex> fringe,
                               std::span<const Vertex> cover, const FragUniforms& u, int image,
                               const CompositeState& blend) {
  if (interior.empty()) return;
  Call c{Kind::Fill, pushUniform(u), image, blend};
  c.first = pushVertices(interior);
  c.count = static_cast<int>(interior.size());
  c.fringeFirst = pushVertices(fringe);
  c.fringeCount = static_cast<int>(fringe.size());
  c.coverFirst = pushVertices(cover);
  c.coverCount = static_cast<int>(cover.size());
  calls_.push_back(c);
}

void GlBackend::addStencilStroke(std::span<const Vertex> verts, const FragUniforms& u, int image,
                                 const CompositeState& blend) {
  if (verts.empty()) return;
  // Two uniform blocks: the first pass draws only fully covered pixels.
  FragUniforms solidOnly = u;
  solidOnly.v[6 * 4 + 1] = 1.0f;
  Call c{Kind::Stroke, static_cast<int>(uniforms_.size()), image, blend};
  uniforms_.push_back(solidOnly);
  uniforms_.push_back(u);
  c.first = pushVertices(verts);
  c.count = static_cast<int>(verts.size());
  calls_.push_back(c);
}

GlBackend::Clip GlBackend::scissorBox(const FragUniforms& u, const CompositeState& blend,
                                      std::array<GLint, 4>& box) const {
  // Under a zero source the destination stays only where its factor is one.
  const auto keeps = [](BlendFactor f) {
    return f == BlendFactor::One || f == BlendFactor::OneMinusSrcAlpha || f == BlendFactor::OneMinusSrcColor;
  };
  if (!keeps(blend.dstRgb) || !keeps(blend.dstAlpha)) return Clip::Unboxed;
  // Rows of the inverse scissor transform (device to scissor space), then
  // the half extent; no scissor is an all-zero inverse.
  const double a = u.v[0], c = u.v[1], e = u.v[2];
  const double b = u.v[4], d = u.v[5], f = u.v[6];
  const double ex = u.v[8], ey = u.v[9];
  const double det = a * d - b * c;
  if (det == 0.0 || !std::isfinite(det) || !(ex >= 0.0) || !(ey >= 0.0)) return Clip::Unboxed;
  // The scissor's centre and half size in device pixels.
  const double fa = d / det, fc = -c / det, fb = -b / det, fd = a / det;
  const double cx = -(fa * e + fc * f), cy = -(fb * e + fd * f);
  const double hx = std::fabs(fa) * ex + std::fabs(fc) * ey, hy = std::fabs(fb) * ex + std::fabs(fd) * ey;
  double edges[4] = {cx - hx, cy - hy, cx + hx, cy + hy};
  for (const double edge : edges)
    if (!std::isfinite(edge)) return Clip::Unboxed;
  // Unrotated, scaled as the mask is, with every edge on a pixel edge (near
  // enough that the mask rounds to 0 or 1 on every pixel): the box of
  // exactly the pixels inside is the whole clip.
  bool exact = b == 0.0 && c == 0.0 && std::fabs(static_cast<double>(u.v[10]) * std::fabs(a) - 1.0) <= 1e-6 &&
               std::fabs(static_cast<double>(u.v[11]) * std::fabs(d) - 1.0) <= 1e-6;
  for (const double edge : edges) exact = exact && std::fabs(edge - std::round(edge)) <= 1e-3;
  if (exact) {
    for (double& edge : edges) edge = std::round(edge);
  } else {
    // The mask reaches half a pixel past its edge: a whole pixel to spare.
    edges[0] = std::floor(edges[0]) - 1.0, edges[1] = std::floor(edges[1]) - 1.0;
    edges[2] = std::ceil(edges[2]) + 1.0, edges[3] = std::ceil(edges[3]) + 1.0;
  }
  const double width = std::max(1.0, std::round(static_cast<double>(viewWidth_)));
  const double height = std::max(1.0, std::round(static_cast<double>(viewHeight_)));
  const double left = std::clamp(edges[0], 0.0, width), right = std::clamp(edges[2], left, width);
  const double top = std::clamp(edges[1], 0.0, height), bottom = std::clamp(edges[3], top, height);
  // Device rows run down from the top; GL's from the bottom.
  box = {static_cast<GLint>(left), static_cast<GLint>(height - bottom), static_cast<GLsizei>(right - left),
         static_cast<GLsizei>(bottom - top)};
  return exact ? Clip::Exact : Clip::Soft;
}

void GlBackend::setScissor(bool clip, const std::array<GLint, 4>& box) {
  if (clip != scissorOn_) {
    if (clip)
      gl_.Enable(gl::kScissorTest);
    else
      gl_.Disable(gl::kScissorTest);
    scissorOn_ = clip;
    ++stats_.stateChanges;
  }
  if (clip && box != boundScissor_) {
    gl_.Scissor(box[0], box[1], box[2], box[3]);
    boundScissor_ = box;
    ++stats_.stateChanges;
  }
}

void GlBackend::setBlend(const CompositeState& s) {
  if (blendKnown_ && boundBlend_ == s) return;
  gl_.BlendFuncSeparate(glBlendFactor(s.srcRgb), glBlendFactor(s.dstRgb), glBlendFactor(s.srcAlpha),
                        glBlendFactor(s.dstAlpha));
  boundBlend_ = s;
  blendKnown_ = true;
  ++stats_.stateChanges;
}

bool GlBackend::setUniform(int index, int atlas, bool unclipped) {
  FragUniforms u = uniforms_[static_cast<std::size_t>(index)];
  ShaderProgram::Variant variant = variantOf(u);
  if (unclipped) variant.scissor = false;
  ShaderProgram* p = program(variant);
  if (!p) return false;
  const auto slot = static_cast<std::size_t>(variant.index());
  if (p != boundProgram_) {
    gl_.UseProgram(p->name());
    boundProgram_ = p;
    ++stats_.stateChanges;
    if (!programViewSet_[slot]) {
      gl_.Uniform2f(p->viewSizeLocation(), viewWidth_, viewHeight_);
      programViewSet_[slot] = true;
      ++stats_.stateChanges;
    }
  }
  if (programUniform_[slot] == index) return true;
  if (u.v[6 * 4] > 1.5f && u.v[6 * 4] < 2.5f) {
    int w = 1, h = 1;
    textureSize(atlas, w, h);
    u.v[5 * 4] = 1.0f / static_cast<float>(w);
    u.v[5 * 4 + 1] = 1.0f / static_cast<float>(h);
  }
  programUniform_[slot] = index;
  if (p->fragLocation() < 0) return true;  // the variant reads none of them
  gl_.Uniform4fv(p->fragLocation(), ShaderProgram::kUniformVectors, u.v.data());
  ++stats_.stateChanges;
  return true;
}

void GlBackend::setTexture(int image) {
  const GLuint name = textureName(image);
  if (name == boundTexture_) return;
  gl_.BindTexture(gl::kTexture2D, name);
  boundTexture_ = name;
  ++stats_.stateChanges;
}

void GlBackend::draw(int first, int count) {
  if (count <= 0) return;
  gl_.DrawArrays(gl::kTriangles, first, count);
  ++stats_.drawCalls;
}

void GlBackend::endFrame(int atlas) {
  stats_ = FrameStats{};
  stats_.vertices = static_cast<int>(vertices_.size());
  if (calls_.empty()) return;
  int changes = 0;
  gl_.Enable(gl::kBlend);
  gl_.Disable(gl::kDepthTest);
  gl_.Disable(gl::kCullFace);
  gl_.Disable(gl::kScissorTest);
  gl_.Disable(gl::kStencilTest);
  gl_.ColorMask(1, 1, 1, 1);
  gl_.ActiveTexture(gl::kTexture0);
  gl_.BindBuffer(gl::kArrayBuffer, buffer_);
  gl_.BufferData(gl::kArrayBuffer, static_cast<GLsizeiptr>(vertices_.size() * sizeof(Vertex)), vertices_.data(),
                 gl::kStreamDraw);
  const GLsizei stride = sizeof(Vertex);
  gl_.VertexAttribPointer(ShaderProgram::Position, 2, gl::kFloat, 0, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, x)));
  gl_.VertexAttribPointer(ShaderProgram::PaintCoord, 2, gl::kFloat, 0, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, u)));
  gl_.VertexAttribPointer(ShaderProgram::Cover, 1, gl::kFloat, 0, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, cover)));
  gl_.VertexAttribPointer(ShaderProgram::Tint, 4, gl::kUnsignedByte, 1, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, tint)));
  for (GLuint a = 0; a < 4; ++a) gl_.EnableVertexAttribArray(a);
  changes += 18;
  boundProgram_ = nullptr;
  programUniform_.fill(-1);
  programViewSet_.fill(false);
  boundTexture_ = static_cast<GLuint>(-1);
  blendKnown_ = false;
  scissorOn_ = false;
  boundScissor_ = {-1, -1, -1, -1};
  stats_.stateChanges = changes;

  for (const Call& c : calls_) {
    if (c.count == 0) continue;
    std::array<GLint, 4> box{};
    // An exact box clips alone; otherwise the shader's soft mask does, the
    // box (a pixel wider) only saving the rasteriser the pixels outside.
    const Clip clip = scissorBox(uniforms_[static_cast<std::size_t>(c.uniform)], c.blend, box);
    const bool exact = clip == Clip::Exact;
    setScissor(clip != Clip::Unboxed, box);
    setBlend(c.blend);
    setTexture(c.image);
    switch (c.kind) {
      case Kind::Triangles:
        if (setUniform(c.uniform, atlas, exact)) draw(c.first, c.count);
        break;
      case Kind::Fill:
        if (!setUniform(c.uniform, atlas, exact)) break;
        // Winding counts into the stencil, colour untouched.
        gl_.Enable(gl::kStencilTest);
        gl_.StencilMask(0xff);
        gl_.StencilFunc(gl::kAlways, 0, 0xff);
        gl_.ColorMask(0, 0, 0, 0);
        gl_.StencilOpSeparate(gl::kFront, gl::kKeep, gl::kKeep, gl::kIncrWrap);
        gl_.StencilOpSeparate(gl::kBack, gl::kKeep, gl::kKeep, gl::kDecrWrap);
        draw(c.first, c.count);
        gl_.ColorMask(1, 1, 1, 1);
        stats_.stateChanges += 7;
        if (c.fringeCount > 0) {
          // Edge fringe outside the shape, each pixel once (the top bit marks it).
          gl_.StencilFunc(gl::kEqual, 0, 0xff);
          gl_.StencilMask(0x80);
          gl_.StencilOp(gl::kKeep, gl::kKeep, kInvert);
          draw(c.fringeFirst, c.fringeCount);
          gl_.StencilMask(0xff);
          stats_.stateChanges += 4;
        }
        // Cover what the winding marked, clearing the stencil as it goes.
        gl_.StencilFunc(gl::kNotEqual, 0, 0x7f);
        gl_.StencilOp(gl::kZero, gl::kZero, gl::kZero);
        draw(c.coverFirst, c.coverCount);
        gl_.Disable(gl::kStencilTest);
        stats_.stateChanges += 3;
        break;
      case Kind::Stroke:
        // Each pixel once: solid core first, then the fringe, then clear.
        if (!setUniform(c.uniform, atlas, exact) || !setUniform(c.uniform + 1, atlas, exact)) break;
        gl_.Enable(gl::kStencilTest);
        gl_.StencilMask(0xff);
        gl_.StencilFunc(gl::kEqual, 0, 0xff);
        gl_.StencilOp(gl::kKeep, gl::kKeep, gl::kIncr);
        stats_.stateChanges += 4;
        setUniform(c.uniform, atlas, exact);
        draw(c.first, c.count);
        setUniform(c.uniform + 1, atlas, exact);
        draw(c.first, c.count);
        gl_.ColorMask(0, 0, 0, 0);
        gl_.StencilFunc(gl::kAlways, 0, 0xff);
        gl_.StencilOp(gl::kZero, gl::kZero, gl::kZero);
        draw(c.first, c.count);
        gl_.ColorMask(1, 1, 1, 1);
        gl_.Disable(gl::kStencilTest);
        stats_.stateChanges += 5;
        break;
    }
  }

  // Clears after the frame must reach the whole buffer.
  setScissor(false, boundScissor_);
  for (GLuint a = 0; a < 4; ++a) gl_.DisableVertexAttribArray(a);
  gl_.BindBuffer(gl::kArrayBuffer, 0);
  gl_.BindTexture(gl::kTexture2D, 0);
  gl_.UseProgram(0);
  gl_.BlendFuncSeparate(gl::kOne, gl::kOneMinusSrcAlpha, gl::kOne, gl::kOneMinusSrcAlpha);
  boundTexture_ = static_cast<GLuint>(-1);
  cancelFrame();
}

}  // namespace fx::vg
