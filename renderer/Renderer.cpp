#include "renderer/Renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "renderer/FillTessellator.h"
#include "renderer/FontFace.h"
#include "renderer/GlBackend.h"
#include "renderer/GlyphAtlas.h"
#include "renderer/PathBuilder.h"
#include "renderer/RendererState.h"
#include "renderer/StrokeTessellator.h"
#include "renderer/Utf8Decoder.h"

namespace fx::vg {

namespace {
constexpr float kTolerance = 0.25f;  // device pixels
constexpr std::size_t kMaxStates = 64;
constexpr float kPi = std::numbers::pi_v<float>;

std::string& createError() {
  static std::string error;
  return error;
}

bool finite(std::initializer_list<float> values) {
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void setVector(FragUniforms& u, int index, float a, float b, float c, float d) {
  const auto i = static_cast<std::size_t>(index) * 4;
  u.v[i] = a;
  u.v[i + 1] = b;
  u.v[i + 2] = c;
  u.v[i + 3] = d;
}

void setColor(FragUniforms& u, int index, Color c) {
  const Color p = c.premultiplied();
  setVector(u, index, p.r, p.g, p.b, p.a);
}
}  // namespace

const std::string& Renderer::lastCreateError() { return createError(); }

Renderer::Renderer() : path_(std::make_unique<PathBuilder>()) { states_.emplace_back(); }

Renderer::~Renderer() = default;

std::unique_ptr<Renderer> Renderer::create(GlProcLoader loader, void* user, SharedPrograms* programs) {
  std::unique_ptr<Renderer> r(new Renderer());
  if (!r->gl_.load(loader, user)) {
    createError() = std::string("missing GL entry point ") + (r->gl_.missing ? r->gl_.missing : "?");
    return nullptr;
  }
  r->backend_ = std::make_unique<GlBackend>(r->gl_, programs);
  if (!r->backend_->init()) {
    createError() = "shader program: " + r->backend_->error();
    return nullptr;
  }
  GLint maxTexture = 0;
  r->gl_.GetIntegerv(gl::kMaxTextureSize, &maxTexture);
  // Small at first (each renderer has one, in memory twice: its pixels and
  // the texture); it doubles when glyphs fill it.
  r->atlas_ = std::make_unique<GlyphAtlas>(256, 256, std::clamp(maxTexture, 256, 4096));
  createError().clear();
  return r;
}

RendererState& Renderer::state() { return states_.back(); }
const RendererState& Renderer::state() const { return states_.back(); }

Transform Renderer::deviceTransform() const { return Transform::scaling(pixelRatio_, pixelRatio_) * state().transform; }

Point Renderer::toDevice(float x, float y) const { return deviceTransform().apply(x, y); }

// ---- frames

void Renderer::beginFrame(float width, float height, float pixelRatio) {
  if (!finite({width, height, pixelRatio}) || width <= 0 || height <= 0 || pixelRatio <= 0) {
    width = height = pixelRatio = 1.0f;
  }
  pixelRatio_ = pixelRatio;
  states_.clear();
  states_.emplace_back();
  path_->clear();
  backend_->beginFrame(width * pixelRatio, height * pixelRatio);
  inFrame_ = true;
}

void Renderer::endFrame() {
  if (!inFrame_) return;
  inFrame_ = false;
  if (atlasImage_ && atlas_->dirty()) {
    int w = 0, h = 0;
    backend_->textureSize(atlasImage_, w, h);
    if (w != atlas_->width() || h != atlas_->height())
      backend_->resizeTexture(atlasImage_, atlas_->width(), atlas_->height(), atlas_->pixels().data());
    else
      backend_->updateTexture(atlasImage_, atlas_->pixels().data());
    atlas_->markClean();
  }
  backend_->endFrame(atlasImage_);
}

void Renderer::cancelFrame() {
  inFrame_ = false;
  backend_->cancelFrame();
}

const FrameStats& Renderer::lastFrameStats() const { return backend_->stats(); }

// ---- state

void Renderer::save() {
  if (states_.size() < kMaxStates) states_.push_back(states_.back());
}

void Renderer::restore() {
  if (states_.size() > 1) states_.pop_back();
}

void Renderer::reset() { state() = RendererState{}; }

void Renderer::globalCompositeOperation(CompositeOperation op) {
  const int v = static_cast<int>(op);
  if (v < 0 || v >= kCompositeOperationCount) return;
  state().composite = CompositeState::forOperation(op);
}

void Renderer::globalCompositeBlendFunc(BlendFactor src, BlendFactor dst) {
  globalCompositeBlendFuncSeparate(src, dst, src, dst);
}

void Renderer::globalCompositeBlendFuncSeparate(BlendFactor srcRgb, BlendFactor dstRgb, BlendFactor srcAlpha,
                                                BlendFactor dstAlpha) {
  state().composite = {srcRgb, dstRgb, srcAlpha, dstAlpha};
}

void Renderer::globalAlpha(float alpha) {
  if (std::isfinite(alpha)) state().alpha = std::clamp(alpha, 0.0f, 1.0f);
}

void Renderer::fillColor(Color c) {
  if (finite({c.r, c.g, c.b, c.a})) state().fill = Paint::solid(c);
}

bool Renderer::paintIsFinite(const Paint& p) {
  return p.transform.isFinite() &&
         finite({p.extent[0], p.extent[1], p.radius, p.feather, p.inner.r, p.inner.g, p.inner.b, p.inner.a, p.outer.r,
                 p.outer.g, p.outer.b, p.outer.a});
}

void Renderer::fillPaint(const Paint& p) {
  if (!paintIsFinite(p)) return;
  state().fill = p;
  state().fill.transform = state().transform * p.transform;
}

void Renderer::strokeColor(Color c) {
  if (finite({c.r, c.g, c.b, c.a})) state().stroke = Paint::solid(c);
}

void Renderer::strokePaint(const Paint& p) {
  if (!paintIsFinite(p)) return;
  state().stroke = p;
  state().stroke.transform = state().transform * p.transform;
}

void Renderer::strokeWidth(float width) {
  if (std::isfinite(width) && width >= 0) state().strokeStyle.width = width;
}

void Renderer::lineCap(LineCap cap) {
  if (cap == LineCap::Butt || cap == LineCap::Round || cap == LineCap::Square) state().strokeStyle.cap = cap;
}

void Renderer::lineJoin(LineJoin join) {
  if (join == LineJoin::Miter || join == LineJoin::Round || join == LineJoin::Bevel) state().strokeStyle.join = join;
}

void Renderer::miterLimit(float limit) {
  if (std::isfinite(limit) && limit >= 0) state().strokeStyle.miterLimit = limit;
}

// ---- transform

void Renderer::resetTransform() { state().transform = Transform{}; }

void Renderer::transform(float a, float b, float c, float d, float e, float f) {
  const Transform t = Transform::of(a, b, c, d, e, f);
  if (t.isFinite()) state().transform = state().transform * t;
}

void Renderer::translate(float x, float y) { transform(1, 0, 0, 1, x, y); }

void Renderer::rotate(float radians) {
  if (!std::isfinite(radians)) return;
  const Transform r = Transform::rotation(radians);
  transform(r.m[0], r.m[1], r.m[2], r.m[3], 0, 0);
}

void Renderer::scale(float x, float y) { transform(x, 0, 0, y, 0, 0); }

Transform Renderer::currentTransform() const { return state().transform; }

// ---- scissor

void Renderer::scissor(float x, float y, float w, float h) {
  if (!finite({x, y, w, h})) return;
  w = std::max(w, 0.0f);
  h = std::max(h, 0.0f);
  state().scissorTransform = state().transform * Transform::translation(x + w * 0.5f, y + h * 0.5f);
  state().scissorExtent[0] = w * 0.5f;
  state().scissorExtent[1] = h * 0.5f;
}

void Renderer::intersectScissor(float x, float y, float w, float h) {
  if (!finite({x, y, w, h})) return;
  if (state().scissorExtent[0] < 0) {
    scissor(x, y, w, h);
    return;
  }
  // The current scissor seen from the current user space, as a bounding box.
  Transform inv;
  if (!state().transform.inverse(inv)) return;
  const Transform t = inv * state().scissorTransform;
  const float ex = state().scissorExtent[0], ey = state().scissorExtent[1];
  const float tex = std::fabs(t.m[0]) * ex + std::fabs(t.m[2]) * ey;
  const float tey = std::fabs(t.m[1]) * ex + std::fabs(t.m[3]) * ey;
  const float minX = std::max(t.m[4] - tex, x), minY = std::max(t.m[5] - tey, y);
  const float maxX = std::min(t.m[4] + tex, x + std::max(w, 0.0f)), maxY = std::min(t.m[5] + tey, y + std::max(h, 0.0f));
  scissor(minX, minY, std::max(0.0f, maxX - minX), std::max(0.0f, maxY - minY));
}

void Renderer::resetScissor() {
  state().scissorTransform = Transform{};
  state().scissorExtent[0] = state().scissorExtent[1] = -1.0f;
}

// ---- paths

void Renderer::beginPath() { path_->clear(); }

void Renderer::moveTo(float x, float y) {
  if (finite({x, y})) path_->moveTo(toDevice(x, y));
}

void Renderer::lineTo(float x, float y) {
  if (finite({x, y})) path_->lineTo(toDevice(x, y));
}

void Renderer::bezierTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
  if (finite({c1x, c1y, c2x, c2y, x, y})) path_->bezierTo(toDevice(c1x, c1y), toDevice(c2x, c2y), toDevice(x, y));
}

void Renderer::quadTo(float cx, float cy, float x, float y) {
  if (!finite({cx, cy, x, y})) return;
  const Point c = toDevice(cx, cy), p = toDevice(x, y);
  if (!path_->hasCurrentPoint()) {
    path_->moveTo(p);
    return;
  }
  // The cubic with the same curve: control points two thirds towards c.
  const Point p0 = path_->currentPoint();
  path_->bezierTo({p0.x + 2.0f / 3.0f * (c.x - p0.x), p0.y + 2.0f / 3.0f * (c.y - p0.y)},
                  {p.x + 2.0f / 3.0f * (c.x - p.x), p.y + 2.0f / 3.0f * (c.y - p.y)}, p);
}

void Renderer::arc(float cx, float cy, float r, float a0, float a1, ArcDirection dir) {
  if (!finite({cx, cy, r, a0, a1}) || r < 0) return;
  if (dir != ArcDirection::Clockwise && dir != ArcDirection::CounterClockwise) return;
  const float full = 2.0f * kPi;
  float da = a1 - a0;
  if (!std::isfinite(da)) return;
  // Huge angles keep their meaning but not their float precision: start
  // within one turn.
  a0 = std::fmod(a0, full);
  if (dir == ArcDirection::Clockwise) {
    if (std::fabs(da) >= full) da = full;
    else if (da < 0) da = std::fmod(da, full) + full;
  } else {
    if (std::fabs(da) >= full) da = -full;
    else if (da > 0) da = std::fmod(da, full) - full;
  }
  const bool connect = path_->hasCurrentPoint();
  if (r == 0.0f) {
    connect ? lineTo(cx, cy) : moveTo(cx, cy);
    return;
  }
  addArcSegment(cx, cy, r, a0, da, connect);
}

void Renderer::addArcSegment(float cx, float cy, float r, float a0, float da, bool connect) {
  // Cubic pieces of at most a quarter turn each.
  const int pieces = std::clamp(static_cast<int>(std::ceil(std::fabs(da) / (kPi * 0.5f) - 1e-4f)), 1, 4);
  const float step = da / static_cast<float>(pieces);
  const float k = 4.0f / 3.0f * std::tan(step / 4.0f) * r;
  float px = cx + std::cos(a0) * r, py = cy + std::sin(a0) * r;
  connect ? lineTo(px, py) : moveTo(px, py);
  for (int i = 1; i <= pieces; ++i) {
    const float a = a0 + step * static_cast<float>(i - 1), b = a0 + step * static_cast<float>(i);
    const float qx = cx + std::cos(b) * r, qy = cy + std::sin(b) * r;
    bezierTo(px - std::sin(a) * k, py + std::cos(a) * k, qx + std::sin(b) * k, qy - std::cos(b) * k, qx, qy);
    px = qx;
    py = qy;
  }
}

void Renderer::rect(float x, float y, float w, float h) {
  if (!finite({x, y, w, h})) return;
  moveTo(x, y);
  lineTo(x, y + h);
  lineTo(x + w, y + h);
  lineTo(x + w, y);
  closePath();
}

void Renderer::circle(float cx, float cy, float r) {
  if (!finite({cx, cy, r}) || r <= 0) return;
  moveTo(cx + r, cy);
  addArcSegment(cx, cy, r, 0.0f, 2.0f * kPi, true);
  closePath();
}

void Renderer::closePath() { path_->close(); }

void Renderer::pathWinding(Winding w) { path_->setWinding(w); }

// ---- paints into uniforms and vertices

void Renderer::scissorUniforms(FragUniforms& u) const {
  const RendererState& s = state();
  if (s.scissorExtent[0] < 0) {
    setVector(u, 0, 0, 0, 0, 0);
    setVector(u, 1, 0, 0, 0, 0);
    setVector(u, 2, 1, 1, 1, 1);
    return;
  }
  const Transform device = Transform::scaling(pixelRatio_, pixelRatio_) * s.scissorTransform;
  Transform inv;
  device.inverse(inv);
  setVector(u, 0, inv.m[0], inv.m[2], inv.m[4], 0);
  setVector(u, 1, inv.m[1], inv.m[3], inv.m[5], 0);
  setVector(u, 2, s.scissorExtent[0], s.scissorExtent[1], std::hypot(device.m[0], device.m[1]),
            std::hypot(device.m[2], device.m[3]));
}

bool Renderer::paintUniforms(const Paint& paint, FragUniforms& u) const {
  u = FragUniforms{};
  scissorUniforms(u);
  float type = 0.0f;
  switch (paint.kind) {
    case PaintKind::Solid:
      break;
    case PaintKind::Image: {
      int w = 0, h = 0;
      if (!backend_->textureSize(paint.image, w, h) || paint.image == atlasImage_) return false;
      if (!(std::fabs(paint.extent[0]) > 1e-6f && std::fabs(paint.extent[1]) > 1e-6f)) return false;
      type = 1.0f;
      break;
    }
    case PaintKind::Linear:
      type = 3.0f;
      setVector(u, 5, paint.extent[0], 0, 0, 0);
      break;
    case PaintKind::Radial:
      type = 4.0f;
      setVector(u, 5, paint.extent[0], paint.extent[1], 0, 0);
      break;
    case PaintKind::Box: {
      const float r = std::clamp(paint.radius, 0.0f, std::min(std::fabs(paint.extent[0]), std::fabs(paint.extent[1])));
      type = 5.0f;
      setVector(u, 5, std::fabs(paint.extent[0]), std::fabs(paint.extent[1]), r, paint.feather);
      break;
    }
  }
  if (type >= 3.0f) {
    setColor(u, 3, paint.inner);
    setColor(u, 4, paint.outer);
  }
  setVector(u, 6, type, 0, 0, 0);
  return true;
}

void Renderer::prepareVertices(std::vector<Vertex>& verts, const Paint& paint, float alphaScale) const {
  const float alpha = state().alpha * alphaScale;
  std::uint8_t tint[4];
  if (paint.kind == PaintKind::Solid || paint.kind == PaintKind::Image) {
    const Color c = paint.inner.withAlpha(paint.inner.a * alpha).premultiplied();
    tint[0] = toByte(c.r); tint[1] = toByte(c.g); tint[2] = toByte(c.b); tint[3] = toByte(c.a);
  } else {
    tint[0] = tint[1] = tint[2] = tint[3] = toByte(alpha);
  }
  Transform inv;
  const bool mapped = paint.kind != PaintKind::Solid;
  if (mapped) (Transform::scaling(pixelRatio_, pixelRatio_) * paint.transform).inverse(inv);
  const bool flip = paint.kind == PaintKind::Image && (backend_->textureFlags(paint.image) & ImageFlipY);
  for (Vertex& v : verts) {
    std::copy(std::begin(tint), std::end(tint), v.tint);
    if (!mapped) continue;
    const Point p = inv.apply(v.x, v.y);
    if (paint.kind == PaintKind::Image) {
      v.u = p.x / paint.extent[0];
      v.v = p.y / paint.extent[1];
      if (flip) v.v = 1.0f - v.v;
    } else {
      v.u = p.x;
      v.v = p.y;
    }
  }
}

// ---- fill and stroke

void Renderer::fill() {
  if (!inFrame_ || path_->empty()) return;
  const RendererState& s = state();
  if (s.scissorExtent[0] == 0.0f || s.scissorExtent[1] == 0.0f) return;
  FragUniforms u;
  if (!paintUniforms(s.fill, u)) return;
  std::vector<Contour> contours = path_->flatten(kTolerance);
  FillGeometry g = FillTessellator::tessellate(contours, true);
  if (g.empty()) return;
  const int image = s.fill.kind == PaintKind::Image ? s.fill.image : 0;
  prepareVertices(g.interior, s.fill, 1.0f);
  prepareVertices(g.fringe, s.fill, 1.0f);
  if (g.convex) {
    g.interior.insert(g.interior.end(), g.fringe.begin(), g.fringe.end());
    backend_->addTriangles(g.interior, u, image, s.composite);
  } else {
    prepareVertices(g.cover, s.fill, 1.0f);
    backend_->addStencilFill(g.interior, g.fringe, g.cover, u, image, s.composite);
  }
}

void Renderer::stroke() {
  if (!inFrame_ || path_->empty()) return;
  const RendererState& s = state();
  if (s.scissorExtent[0] == 0.0f || s.scissorExtent[1] == 0.0f) return;
  FragUniforms u;
  if (!paintUniforms(s.stroke, u)) return;
  StrokeStyle style = s.strokeStyle;
  style.width = std::min(style.width * deviceTransform().averageScale(), 1.0e5f);
  if (!(style.width > 0.0f)) return;
  // Hairlines are drawn a pixel wide and faded by their width.
  const float alphaScale = std::min(style.width, 1.0f);
  const std::vector<Contour> contours = path_->flatten(kTolerance);
  std::vector<Vertex> verts = StrokeTessellator::tessellate(contours, style, kTolerance);
  if (verts.empty()) return;
  prepareVertices(verts, s.stroke, alphaScale);
  const int image = s.stroke.kind == PaintKind::Image ? s.stroke.image : 0;
  // Opaque solid strokes may overlap themselves harmlessly; anything else
  // must touch each pixel once.
  const bool opaque = s.stroke.kind == PaintKind::Solid && verts[0].tint[3] == 255 &&
                      s.composite == CompositeState::forOperation(CompositeOperation::SourceOver);
  if (opaque)
    backend_->addTriangles(verts, u, image, s.composite);
  else
    backend_->addStencilStroke(verts, u, image, s.composite);
}

// ---- images

int Renderer::createImageRGBA(int width, int height, int flags, std::span<const std::uint8_t> pixels) {
  if (width <= 0 || height <= 0) return 0;
  const unsigned long long need = 4ull * static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height);
  if (pixels.size() < need) return 0;
  return backend_->createTexture(width, height, flags & 0xffff, pixels.data());
}

int Renderer::createImageEmpty(int width, int height, int flags) {
  if (width <= 0 || height <= 0) return 0;
  return backend_->createTexture(width, height, flags & 0xffff, nullptr);
}

bool Renderer::updateImage(int image, std::span<const std::uint8_t> pixels) {
  int w = 0, h = 0;
  if (image == atlasImage_ || !backend_->textureSize(image, w, h)) return false;
  if (pixels.size() < 4ull * static_cast<unsigned long long>(w) * static_cast<unsigned long long>(h)) return false;
  return backend_->updateTexture(image, pixels.data());
}

bool Renderer::imageSize(int image, int& width, int& height) const {
  if (image == atlasImage_) return false;
  return backend_->textureSize(image, width, height);
}

bool Renderer::deleteImage(int image) {
  if (image == atlasImage_) return false;
  return backend_->deleteTexture(image);
}

int Renderer::createImageFromTexture(GLuint texture, int width, int height, int flags) {
  return backend_->adoptTexture(texture, width, height, flags & 0xffff);
}

GLuint Renderer::disownImage(int image) {
  if (image == atlasImage_) return 0;
  return backend_->disownTexture(image);
}

GLuint Renderer::textureName(int image) const { return backend_->textureName(image); }
GLuint Renderer::programName() const { return backend_->programName(); }
GLuint Renderer::bufferName() const { return backend_->bufferName(); }
GLuint Renderer::atlasTextureName() const { return backend_->textureName(atlasImage_); }
bool Renderer::atlasSize(int& width, int& height) const { return backend_->textureSize(atlasImage_, width, height); }

// ---- text

int Renderer::createFontMem(std::string_view name, std::span<const std::uint8_t> data) {
  std::unique_ptr<FontFace> face = FontFace::fromMemory(data);
  if (!face) return -1;
  fonts_.push_back({std::string(name), std::move(face)});
  return static_cast<int>(fonts_.size()) - 1;
}

int Renderer::createFontShared(std::string_view name, std::shared_ptr<const std::vector<std::uint8_t>> data) {
  std::unique_ptr<FontFace> face = FontFace::fromShared(std::move(data));
  if (!face) return -1;
  fonts_.push_back({std::string(name), std::move(face)});
  return static_cast<int>(fonts_.size()) - 1;
}

int Renderer::findFont(std::string_view name) const {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].face && fonts_[i].name == name) return static_cast<int>(i);
  return -1;
}

bool Renderer::deleteFont(int font) {
  if (font < 0 || static_cast<std::size_t>(font) >= fonts_.size() || !fonts_[static_cast<std::size_t>(font)].face)
    return false;
  fonts_[static_cast<std::size_t>(font)].face.reset();
  atlas_->forgetFont(font);
  return true;
}

void Renderer::fontFace(int font) { state().font = font; }

void Renderer::fontSize(float size) {
  if (std::isfinite(size) && size >= 0) state().fontSize = size;
}

void Renderer::textAlign(int align) { state().textAlign = align; }

bool Renderer::textMetrics(float* ascender, float* descender, float* lineHeight) const {
  const int font = state().font;
  if (font < 0 || static_cast<std::size_t>(font) >= fonts_.size() || !fonts_[static_cast<std::size_t>(font)].face)
    return false;
  const FontFace& face = *fonts_[static_cast<std::size_t>(font)].face;
  const float k = state().fontSize / face.unitsPerEm();
  if (ascender) *ascender = face.ascent() * k;
  if (descender) *descender = face.descent() * k;
  if (lineHeight) *lineHeight = (face.ascent() - face.descent() + face.lineGap()) * k;
  return true;
}

float Renderer::layoutText(float x, float y, std::string_view utf8, std::vector<Vertex>* out, TextBounds* bounds) {
  if (bounds) *bounds = TextBounds{x, y, x, y};
  const RendererState& s = state();
  if (s.font < 0 || static_cast<std::size_t>(s.font) >= fonts_.size() || !finite({x, y})) return 0.0f;
  const FontFace* face = fonts_[static_cast<std::size_t>(s.font)].face.get();
  if (!face || !(s.fontSize > 0.0f)) return 0.0f;
  const float unit = s.fontSize / face->unitsPerEm();

  std::vector<int> glyphs;
  {
    Utf8Decoder decoder(utf8);
    char32_t cp = 0;
    while (decoder.next(cp)) glyphs.push_back(face->glyphIndex(cp));
  }
  float width = 0.0f;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    width += face->advance(glyphs[i]) * unit;
    if (i + 1 < glyphs.size()) width += face->kerning(glyphs[i], glyphs[i + 1]) * unit;
  }
  if (s.textAlign & AlignCenter) x -= width * 0.5f;
  else if (s.textAlign & AlignRight) x -= width;
  const float ascent = face->ascent() * unit, descent = face->descent() * unit;
  float baseline = y;
  if (s.textAlign & AlignTop) baseline = y + ascent;
  else if (s.textAlign & AlignMiddle) baseline = y + (ascent + descent) * 0.5f;
  else if (s.textAlign & AlignBottom) baseline = y + descent;
  if (bounds) *bounds = TextBounds{x, baseline - ascent, x + width, baseline - descent};
  if (!out) return width;

  const Transform device = deviceTransform();
  const float pixels = s.fontSize * device.averageScale();
  if (!(pixels >= 0.5f) || !std::isfinite(pixels)) return width;
  // Rasterised at a quarter-pixel size step; larger sizes are scaled up.
  const int quarter = std::clamp(static_cast<int>(std::lround(pixels * 4.0f)), 2, 256 * 4);
  const float raster = static_cast<float>(quarter) / 4.0f;
  const float k = s.fontSize / raster;  // user units per raster pixel
  float pen = x;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphAtlas::Key key{s.font, glyphs[i], quarter};
    const AtlasGlyph* g = atlas_->find(key);
    if (!g) g = atlas_->insert(key, face->rasterize(glyphs[i], raster));
    if (g && g->width > 0) {
      const float x0 = pen + static_cast<float>(g->offsetX) * k, y0 = baseline + static_cast<float>(g->offsetY) * k;
      const float x1 = x0 + static_cast<float>(g->width) * k, y1 = y0 + static_cast<float>(g->height) * k;
      const float u0 = static_cast<float>(g->x), v0 = static_cast<float>(g->y);
      const float u1 = u0 + static_cast<float>(g->width), v1 = v0 + static_cast<float>(g->height);
      const Point p00 = device.apply(x0, y0), p10 = device.apply(x1, y0), p11 = device.apply(x1, y1),
                  p01 = device.apply(x0, y1);
      const Vertex quad[6] = {{p00.x, p00.y, u0, v0}, {p10.x, p10.y, u1, v0}, {p11.x, p11.y, u1, v1},
                              {p00.x, p00.y, u0, v0}, {p11.x, p11.y, u1, v1}, {p01.x, p01.y, u0, v1}};
      out->insert(out->end(), std::begin(quad), std::end(quad));
    }
    pen += face->advance(glyphs[i]) * unit;
    if (i + 1 < glyphs.size()) pen += face->kerning(glyphs[i], glyphs[i + 1]) * unit;
  }
  return width;
}

float Renderer::text(float x, float y, std::string_view utf8) {
  TextBounds b;
  if (!inFrame_) return x;
  std::vector<Vertex> verts;
  const float width = layoutText(x, y, utf8, &verts, &b);
  const RendererState& s = state();
  if (verts.empty() || s.scissorExtent[0] == 0.0f || s.scissorExtent[1] == 0.0f) return b.minX + width;
  if (!atlasImage_) {
    atlasImage_ = backend_->createTexture(atlas_->width(), atlas_->height(), GlBackend::kAlphaTexture,
                                          atlas_->pixels().data());
    atlas_->markClean();
    if (!atlasImage_) return b.minX + width;
  }
  FragUniforms u = FragUniforms{};
  scissorUniforms(u);
  setVector(u, 6, 2.0f, 0, 0, 0);
  const Paint& paint = s.fill;
  const Color c = paint.inner.withAlpha(paint.inner.a * s.alpha).premultiplied();
  for (Vertex& v : verts) {
    v.tint[0] = toByte(c.r);
    v.tint[1] = toByte(c.g);
    v.tint[2] = toByte(c.b);
    v.tint[3] = toByte(c.a);
  }
  backend_->addTriangles(verts, u, atlasImage_, s.composite);
  return b.minX + width;
}

float Renderer::textBounds(float x, float y, std::string_view utf8, TextBounds* bounds) {
  return layoutText(x, y, utf8, nullptr, bounds);
}

}  // namespace fx::vg
