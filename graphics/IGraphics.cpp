#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/TextBuffer.h"
#include "core/Trace.h"
#include "graphics/ResourceCaches.h"
#include "graphics/SvgDocument.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "graphics/controls/IValueReadoutControl.h"
#include "graphics/svg/SvgDrawing.h"

namespace fx::igraphics {
namespace {

bool PositiveFinite(float v) { return std::isfinite(v) && v > 0.0f; }

// One prepared shape of a document: its subpaths, each with the winding
// that gives its fill rule, filled and then stroked.
void DrawSvgShape(IGraphics& g, const svg::SvgDrawShape& shape, const IBlendMode* blend) {
  g.PathReset();
  for (std::size_t i = 0; i < shape.subpaths.size(); ++i) {
    for (const svg::SvgPathCommand& c : shape.subpaths[i]) {
      switch (c.kind) {
        case svg::SvgPathCommand::Kind::Move:
          g.PathMove(c.x3, c.y3);
          if (shape.fills) g.PathWinding(shape.holes[i] ? 1 : 0);
          break;
        case svg::SvgPathCommand::Kind::Line: g.PathAddLine(c.x3, c.y3); break;
        case svg::SvgPathCommand::Kind::Cubic: g.PathAddCubic(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3); break;
        case svg::SvgPathCommand::Kind::Close: g.PathCloseShape(); break;
      }
    }
  }
  if (shape.fills) g.PathFillWith(shape.fill, shape.fillOptions, blend);
  if (shape.strokes) g.PathStrokeWith(shape.stroke, shape.strokeWidth, shape.strokeOptions, blend);
}

}  // namespace

IGraphics::IGraphics(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                     float scale)
    : delegate_(delegate),
      width_(std::max<std::int32_t>(width, 1)),
      height_(std::max<std::int32_t>(height, 1)),
      fps_(std::max<std::int32_t>(fps, 1)),
      drawScale_(PositiveFinite(scale) ? scale : 1.0f),
      minScale_(drawScale_ * 0.5f),
      maxScale_(drawScale_ * 2.0f),
      store_(&EmptyResourceStore()) {
  AddCacheUser();
}

IGraphics::~IGraphics() {
  // The delegate may be part-way through its own destruction, so it hears
  // no gesture end from here; a close while a press is held ends it through
  // ReleaseCaptures or ClearControls before the context goes.
  captures_.clear();
  menuGestureParams_.clear();
  ClearControls();
  RemoveCacheUser();
}

// ---------------------------------------------------------------- backend defaults

const char* IGraphics::GetDrawingAPIStr() const { return "none"; }
bool IGraphics::BitmapExtSupported(const char* /*name*/) const { return false; }
void IGraphics::BeginFrame() {}
void IGraphics::EndFrame() {}
void IGraphics::OnViewInitialized(void* /*platformContext*/) {}
void IGraphics::OnViewDestroyed() {}
void IGraphics::DrawResize() {}
void IGraphics::DrawBitmapRegion(const IBitmapStrip&, const IBounds&, std::int32_t, std::int32_t, const IBlendMode*) {}
void IGraphics::PathReset() {}
void IGraphics::PathCloseShape() {}
void IGraphics::PathAddArc(float, float, float, float, float, std::int32_t) {}
void IGraphics::PathMove(float, float) {}
void IGraphics::PathAddLine(float, float) {}
void IGraphics::PathAddCubic(float, float, float, float, float, float) {}
void IGraphics::PathAddQuadratic(float, float, float, float) {}
void IGraphics::PathWinding(std::int32_t) {}
void IGraphics::PathFillWith(const IPattern&, const IFillOptions&, const IBlendMode*) {}
void IGraphics::PathStrokeWith(const IPattern&, float, const IStrokeOptions&, const IBlendMode*) {}
void IGraphics::PathTransform(const IMatrix&) {}
void IGraphics::ClipToArea(const IBounds&) {}
float IGraphics::MeasureString(const ITextStyle&, const char*, IBounds&) const { return 0.0f; }
void IGraphics::DrawString(const ITextStyle&, const char*, const IBounds&, const IBlendMode*) {}
bool IGraphics::LoadAPIFont(const char*, const PlatformFont&) { return false; }
std::unique_ptr<APIBitmap> IGraphics::LoadAPIBitmap(const char*, std::int32_t, ResourceLocation, const std::string&) {
  return nullptr;
}
std::unique_ptr<APIBitmap> IGraphics::CreateAPIBitmap(std::int32_t, std::int32_t, std::int32_t, float) {
  return nullptr;
}
void IGraphics::DrawFastDropShadow(const IBounds&, const IBounds&, float, float, float, const IBlendMode*) {}
void IGraphics::DrawDottedLine(const IArgb&, float, float, float, float, const IBlendMode*, float, float) {}
void IGraphics::DrawDottedRect(const IArgb&, const IBounds&, const IBlendMode*, float, float) {}

// ---------------------------------------------------------------- platform defaults

void* IGraphics::OpenWindow(void* /*parent*/) { return nullptr; }
void IGraphics::CloseWindow() {}
void IGraphics::PlatformResize(bool /*parentAlreadyResized*/) {}
void IGraphics::HideMouseCursor(bool, bool) {}
void IGraphics::MoveMouseCursor(float, float) {}
void IGraphics::SetPlatformCursor(std::int32_t) {}
IPopupMenu* IGraphics::CreatePlatformPopupMenu(IPopupMenu&, const IBounds&) { return nullptr; }
void IGraphics::CreatePlatformTextEntry(std::int32_t, const ITextStyle&, const IBounds&, std::int32_t, const char*) {}
std::unique_ptr<PlatformFont> IGraphics::LoadPlatformFont(const char*, const char*, std::int32_t) { return nullptr; }
void IGraphics::ShowMessageBox(const char*, const char*, std::int32_t, MessageBoxCompletion) {}
void IGraphics::PromptForFile(std::string& fileName, std::string&, std::int32_t, const char*) { fileName.clear(); }
void IGraphics::PromptForDirectory(std::string& directory) { directory.clear(); }
bool IGraphics::PromptForColour(IArgb&, const char*, ColourCompletion) { return false; }
bool IGraphics::OpenURL(const char*, const char*, const char*, const char*) { return false; }
bool IGraphics::RevealPathInExplorerOrFinder(const char*, bool) { return false; }
bool IGraphics::GetTextFromClipboard(std::string& text) {
  text.clear();
  return false;
}
bool IGraphics::SetTextInClipboard(const char*) { return false; }
void IGraphics::ShowTooltip(const char*) {}
bool IGraphics::MultiTouchAvailable() const { return false; }
float IGraphics::GetPlatformMonitorScale() const { return screenScale_; }

// ---------------------------------------------------------------- context seam

std::int32_t IGraphics::NControls() const { return static_cast<std::int32_t>(controls_.size()); }

IControl* IGraphics::GetControl(std::int32_t index) const {
  if (index < 0 || index >= NControls()) return nullptr;
  return controls_[static_cast<std::size_t>(index)].get();
}

std::int32_t IGraphics::GetControlIdx(const IControl* control) const {
  if (!control) return -1;
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].get() == control) return static_cast<std::int32_t>(i);
  return -1;
}

std::int32_t IGraphics::NControlValues(std::int32_t control) const {
  const IControl* c = GetControl(control);
  return c ? c->NValues() : 0;
}

std::int32_t IGraphics::GetControlParamIdx(std::int32_t control, std::int32_t valueIndex) const {
  const IControl* c = GetControl(control);
  return c ? c->GetParamIdx(valueIndex) : -1;
}

void IGraphics::ApplyHostValue(std::int32_t control, double normalized, std::int32_t valueIndex) {
  IControl* c = GetControl(control);
  if (!c) return;
  // One knob on the page is several controls on one parameter (shadow, body,
  // highlight), and only the one under the mouse is captured. While the user
  // holds any of them, host values leave every one of them alone, or the
  // knob's body would turn under the user's hand.
  if (IsParamHeld(c->GetParamIdx(valueIndex))) return;
  c->ApplyHostValue(normalized, valueIndex);
}

bool IGraphics::IsParamHeld(std::int32_t paramIdx) const {
  if (paramIdx < 0) return false;
  for (const auto& entry : captures_) {
    const IControl* held = entry.second.control;
    if (!held) continue;
    for (std::int32_t j = 0; j < held->NValues(); ++j)
      if (held->GetParamIdx(j) == paramIdx) return true;
  }
  return false;
}

std::int32_t IGraphics::FindControlWithTag(std::int32_t tag) const {
  return GetControlIdx(GetControlWithTag(tag));
}

IControl* IGraphics::GetControlWithTag(std::int32_t tag) const {
  const auto it = tagMap_.find(tag);
  return it == tagMap_.end() ? nullptr : it->second;
}

void IGraphics::SendControlMessage(std::int32_t control, std::int32_t messageTag, std::int32_t dataSize,
                                   const void* data) {
  if (IControl* c = GetControl(control)) c->OnDelegateMessage(messageTag, dataSize, data);
}

bool IGraphics::ControlWantsMidi(std::int32_t control) const {
  const IControl* c = GetControl(control);
  return c && c->GetWantsMidi();
}

void IGraphics::SendMidiToControl(std::int32_t control, const fx::MidiMessage& message) {
  if (IControl* c = GetControl(control)) c->OnMidiMessage(message);
}

void IGraphics::GetMouseLocation(float& x, float& y) const {
  x = cursorX_;
  y = cursorY_;
}

// ---------------------------------------------------------------- control tree

void IGraphics::InitialiseControl(IControl& control) {
  control.SetDelegate(&delegate_);
  control.SetGraphics(this);
  control.OnSetUp();
  control.OnBoundsChanged();
  control.OnScaleChanged();
}

IControl* IGraphics::AddControl(std::unique_ptr<IControl> control, std::int32_t tag, const char* /*group*/) {
  if (!control) return nullptr;
  IControl* raw = control.get();
  InitialiseControl(*raw);
  raw->SetGroup("");
  controls_.push_back(std::move(control));
  if (tag != -1) tagMap_[tag] = raw;
  raw->OnAdded();
  return raw;
}

IControl* IGraphics::AddBackground(std::unique_ptr<IControl> control) {
  if (!control) return nullptr;
  IControl* raw = control.get();
  InitialiseControl(*raw);
  controls_.insert(controls_.begin(), std::move(control));
  // Positions moved on by one: the hover index follows its control.
  if (hoverIdx_ >= 0) ++hoverIdx_;
  return raw;
}

void IGraphics::AddCornerResizer(std::unique_ptr<ICornerResizerControl> resizer, ResizeMode mode,
                                 bool layoutOnResize) {
  if (!resizer || cornerResizer_) return;  // the first one stays; the new one is deleted
  cornerResizer_ = std::move(resizer);
  resizeMode_ = mode;
  layoutOnResize_ = layoutOnResize;
  InitialiseControl(*cornerResizer_);
}

void IGraphics::AddTextEntryControl() {
  if (textEntry_) return;
  textEntry_ = std::make_unique<ITextEntryControl>();
  InitialiseControl(*textEntry_);
}

IValueReadoutControl* IGraphics::SetValueReadout(std::unique_ptr<IValueReadoutControl> readout) {
  valueReadout_ = std::move(readout);
  if (valueReadout_) InitialiseControl(*valueReadout_);
  return valueReadout_.get();
}

void IGraphics::NoteUserValueChange(const IControl& control) {
  if (valueReadout_) valueReadout_->NoteUserValueChange(control);
}

IControl* IGraphics::GetCapturedControl(std::int32_t pointerId) const {
  const auto it = captures_.find(pointerId);
  return it == captures_.end() ? nullptr : it->second.control;
}

void IGraphics::ClearControls() {
  ReleaseCaptures();
  HideCursor(false);
  controlBeingEdited_ = nullptr;
  editedValueIdx_ = -1;
  controlWithMenu_ = nullptr;
  menuValueIdx_ = -1;
  hoverControl_ = nullptr;
  hoverIdx_ = -1;
  textEntry_.reset();
  valueReadout_.reset();
  cornerResizer_.reset();
  frameTimes_.reset();
  overlays_.clear();
  tagMap_.clear();
  controls_.clear();
}

void IGraphics::ForgetControl(const IControl* control) {
  // Its presses end without a release (it is going), their gestures with them.
  for (bool found = true; found;) {
    found = false;
    for (const auto& entry : captures_) {
      if (entry.second.control != control) continue;
      EndCapture(entry.first, nullptr);
      found = true;
      break;
    }
  }
  if (hoverControl_ == control) {
    hoverControl_ = nullptr;
    hoverIdx_ = -1;
  }
  if (controlBeingEdited_ == control) {
    controlBeingEdited_ = nullptr;
    editedValueIdx_ = -1;
  }
  if (controlWithMenu_ == control) {
    controlWithMenu_ = nullptr;
    menuValueIdx_ = -1;
  }
  for (auto it = tagMap_.begin(); it != tagMap_.end();) {
    if (it->second == control)
      it = tagMap_.erase(it);
    else
      ++it;
  }
}

bool IGraphics::RemoveControl(IControl* control) {
  const std::int32_t index = GetControlIdx(control);
  if (index < 0) return false;
  if (IsCaptured(control)) HideCursor(false);
  ForgetControl(control);
  if (hoverIdx_ > index) --hoverIdx_;
  controls_.erase(controls_.begin() + index);
  return true;
}

void IGraphics::ForEachControl(const ControlFunction& function) {
  // Index-based: a function may add controls to the list.
  for (std::size_t i = 0; i < controls_.size(); ++i) function(*controls_[i]);
  if (cornerResizer_) function(*cornerResizer_);
  if (textEntry_) function(*textEntry_);
  for (std::size_t i = 0; i < overlays_.size(); ++i) function(*overlays_[i]);
  if (valueReadout_) function(*valueReadout_);
}

void IGraphics::ShowFrameRateDisplay(bool show) {
  if (show && !frameTimes_) {
    frameTimes_ = std::make_unique<FrameTimes>();
    lastFrameTime_ = {};
  } else if (!show) {
    frameTimes_.reset();
  }
}

// ---------------------------------------------------------------- drawing built here

void IGraphics::PushTransform() { transformStack_.push_back(transform_); }

void IGraphics::PopTransform() {
  if (transformStack_.empty()) return;
  transform_ = transformStack_.back();
  transformStack_.pop_back();
  PathTransform(transform_);
}

void IGraphics::SetTransform(const IMatrix& matrix) {
  transform_ = matrix;
  PathTransform(transform_);
}

void IGraphics::DrawBitmapRotated(const IBitmapStrip& strip, float cx, float cy, float degrees,
                                  const IBlendMode* blend) {
  if (!strip.IsValid() || !std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(degrees)) return;
  const float drawScale = PositiveFinite(strip.GetDrawScale()) ? strip.GetDrawScale() : 1.0f;
  const float w = static_cast<float>(strip.width) / drawScale;
  const float h = static_cast<float>(strip.height) / drawScale;
  PushTransform();
  transform_.Translate(cx, cy);
  PathTransform(transform_);
  transform_.Rotate(degrees);
  PathTransform(transform_);
  DrawBitmapRegion(strip, IBounds{-w / 2.0f, -h / 2.0f, w / 2.0f, h / 2.0f}, 0, 0, blend);
  PopTransform();
}

void IGraphics::DrawSvg(const ISvg& svg, const IBounds& dest, const IBlendMode* blend) {
  if (!svg.IsValid()) return;
  const svg::SvgImage& image = svg.document->GetImage();
  IMatrix toDest;
  if (!svg::ViewBoxTransform(image, dest, toDest)) return;
  // The document's viewport is dest: what a sliced box or a shape outside
  // the view box puts beyond it is cut off. The clip is in layout units and
  // replaces the current one, so it is narrowed to that and put back after.
  const IBounds previousClip = currentClip_;
  IBounds clip = svg::TransformedBounds(transform_, dest);
  if (!previousClip.AllZero()) clip = clip.Intersect(previousClip);
  if (clip.Empty()) return;
  ClipToArea(clip);
  PushTransform();
  transform_.Transform(toDest);
  PathTransform(transform_);
  for (const svg::SvgDrawShape& shape : svg.document->GetDrawShapes()) DrawSvgShape(*this, shape, blend);
  PathReset();
  PopTransform();
  ClipToArea(previousClip);
}

void IGraphics::FillRectangle(const IArgb& colour, const IBounds& bounds, const IBlendMode* blend) {
  if (bounds.Empty() || !bounds.IsFinite()) return;
  PathReset();
  PathMove(bounds.left, bounds.top);
  PathAddLine(bounds.right, bounds.top);
  PathAddLine(bounds.right, bounds.bottom);
  PathAddLine(bounds.left, bounds.bottom);
  PathCloseShape();
  PathFillWith(IPattern::Solid(colour), IFillOptions{}, blend);
}

void IGraphics::FillTriangleShape(const IArgb& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                                  const IBlendMode* blend) {
  for (float v : {x1, y1, x2, y2, x3, y3})
    if (!std::isfinite(v)) return;
  PathReset();
  PathMove(x1, y1);
  PathAddLine(x2, y2);
  PathAddLine(x3, y3);
  PathCloseShape();
  PathFillWith(IPattern::Solid(colour), IFillOptions{}, blend);
}

void IGraphics::FillCircleShape(const IArgb& colour, float x, float y, float radius, const IBlendMode* blend) {
  if (!std::isfinite(x) || !std::isfinite(y) || !PositiveFinite(radius)) return;
  PathReset();
  PathAddArc(x, y, radius, 0.0f, 360.0f, 0);
  PathCloseShape();
  PathFillWith(IPattern::Solid(colour), IFillOptions{}, blend);
}

// ---------------------------------------------------------------- frame cycle

void IGraphics::RecordFrameTime() {
  if (!frameTimes_) return;
  const auto now = std::chrono::steady_clock::now();
  if (lastFrameTime_ != std::chrono::steady_clock::time_point{}) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastFrameTime_).count();
    frameTimes_->position = (frameTimes_->position + 1) % kFrameTimeSamples;
    frameTimes_->samples[static_cast<std::size_t>(frameTimes_->position)] =
        static_cast<float>(static_cast<double>(ns) / 1e9);
  }
  lastFrameTime_ = now;
}

bool IGraphics::CollectDirtyAreas(std::vector<IBounds>& areas) {
  RecordFrameTime();
  if (frameFunction_) frameFunction_();
  if (redrawNoted_ || animating_) {
    ForEachControl([](IControl& c) {
      // A copy: the animation may end itself and clear the stored function.
      if (IControl::ActionFunction animation = c.GetAnimationFunction()) animation(c);
    });
  }
  bool any = false;
  // The readout follows the pointer first; the place it leaves is repainted too.
  if (valueReadout_) {
    const IBounds left = valueReadout_->Follow();
    if (!left.Empty() && left.IsFinite()) {
      areas.push_back(left.GetPadded(kDirtyPadding));
      any = true;
    }
  }
  // Nothing marked and nothing animating (the readout above notes its own
  // change): no control can need redrawing.
  if (!redrawNoted_ && !animating_) return any;
  redrawNoted_ = false;
  animating_ = false;
  ForEachControl([&](IControl& c) {
    if (c.GetAnimationFunction()) animating_ = true;
    if (!c.NeedsRedraw()) return;
    const IBounds& b = c.GetBounds();
    // A control that covers nothing has nothing to repaint.
    if (b.Empty() || !b.IsFinite()) return;
    areas.push_back(b.GetPadded(kDirtyPadding));
    any = true;
  });
  if (any) ForEachControl([](IControl& c) { c.MarkClean(); });
  return any;
}

namespace {

// Appends the parts of r outside cut (up to four pieces) to out.
void Subtract(const IBounds& r, const IBounds& cut, std::vector<IBounds>& out) {
  const IBounds common = r.Intersect(cut);
  if (common.Empty()) {
    out.push_back(r);
    return;
  }
  if (r.top < common.top) out.push_back({r.left, r.top, r.right, common.top});
  if (common.bottom < r.bottom) out.push_back({r.left, common.bottom, r.right, r.bottom});
  if (r.left < common.left) out.push_back({r.left, common.top, common.left, common.bottom});
  if (common.right < r.right) out.push_back({common.right, common.top, r.right, common.bottom});
}

bool Mergeable(const IBounds& a, const IBounds& b) {
  if (a.left == b.left && a.right == b.right) return a.top <= b.bottom && b.top <= a.bottom;
  if (a.top == b.top && a.bottom == b.bottom) return a.left <= b.right && b.left <= a.right;
  return false;
}

}  // namespace

std::vector<IBounds> IGraphics::ReduceDirtyAreas(const std::vector<IBounds>& areas, float scale) {
  // Aligned first: cuts then fall on pixel edges, so aligning can never make
  // two reduced areas overlap again. An area that covers nothing must not
  // grow into pixels.
  std::vector<IBounds> aligned;
  for (const IBounds& area : areas) {
    if (area.Empty() || !area.IsFinite()) continue;
    const IBounds a = area.GetPixelAligned(scale);
    if (!a.Empty()) aligned.push_back(a);
  }
  // Of two overlapping areas the smaller gives way: larger areas go first
  // and later ones are cut back to what no earlier one covers. A knob's
  // highlight then keeps its whole rectangle and swallows the body under it.
  std::stable_sort(aligned.begin(), aligned.end(),
                   [](const IBounds& a, const IBounds& b) { return a.W() * a.H() > b.W() * b.H(); });
  std::vector<IBounds> result;
  for (const IBounds& area : aligned) {
    std::vector<IBounds> pieces{area};
    for (const IBounds& earlier : result) {
      std::vector<IBounds> next;
      for (const IBounds& piece : pieces) Subtract(piece, earlier, next);
      pieces.swap(next);
      if (pieces.empty()) break;
    }
    result.insert(result.end(), pieces.begin(), pieces.end());
  }
  // Merging: neighbours sharing a whole edge become one, first pair first.
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < result.size() && !merged; ++i) {
      for (std::size_t j = i + 1; j < result.size(); ++j) {
        if (Mergeable(result[i], result[j])) {
          result[j] = result[i].Union(result[j]);
          result.erase(result.begin() + static_cast<std::ptrdiff_t>(i));
          merged = true;
          break;
        }
      }
    }
  }
  return result;
}

void IGraphics::UniteWhereCheap(std::vector<IBounds>& areas) {
  if (areas.size() < 2) return;
  IBounds box = areas.front();
  double covered = 0.0;
  for (const IBounds& a : areas) {
    box = box.Union(a);
    covered += static_cast<double>(a.W()) * static_cast<double>(a.H());
  }
  if (static_cast<double>(box.W()) * static_cast<double>(box.H()) <= covered * 1.125) areas.assign(1, box);
}

void IGraphics::PaintControl(IControl& control, const IBounds& area, bool isFirst) {
  if (control.IsHidden() && !isFirst) return;
  const IBounds clip = control.GetBounds().GetPadded(kDirtyPadding).GetPixelAligned(GetTotalScale()).Intersect(area);
  if (clip.Empty()) return;
  transform_ = IMatrix{};
  transformStack_.clear();
  PathTransform(transform_);
  PathReset();
  ClipToArea(clip);
  currentClip_ = clip;
  control.Paint(*this);
}

void IGraphics::PaintAreas(const std::vector<IBounds>& areas) {
  if (areas.empty()) return;
  const float s = GetTotalScale();
  std::vector<IBounds> reduced;
  if (paintUnion_) {
    IBounds all;
    for (const IBounds& a : areas)
      if (a.IsFinite()) all = all.Union(a);
    all = all.GetPixelAligned(s);
    if (!all.Empty()) reduced.push_back(all);
  } else {
    reduced = ReduceDirtyAreas(areas, s);
    UniteWhereCheap(reduced);
  }
  BeginFrame();
  for (const IBounds& area : reduced) {
    for (std::size_t i = 0; i < controls_.size(); ++i) PaintControl(*controls_[i], area, i == 0);
    if (cornerResizer_) PaintControl(*cornerResizer_, area, false);
    if (textEntry_) PaintControl(*textEntry_, area, false);
    for (std::size_t i = 0; i < overlays_.size(); ++i) PaintControl(*overlays_[i], area, false);
    if (valueReadout_) PaintControl(*valueReadout_, area, false);
  }
  EndFrame();
}

std::int32_t IGraphics::WindowWidth() const {
  return static_cast<std::int32_t>(static_cast<float>(static_cast<std::int32_t>(static_cast<float>(width_) * drawScale_)) *
                                   screenScale_);
}

std::int32_t IGraphics::WindowHeight() const {
  return static_cast<std::int32_t>(
      static_cast<float>(static_cast<std::int32_t>(static_cast<float>(height_) * drawScale_)) * screenScale_);
}

void IGraphics::ResizeWindow() {
  const bool answer = delegate_.ResizeFromEditor(WindowWidth(), WindowHeight(), true);
  PlatformResize(answer);
}

void IGraphics::ResizeEditor(std::int32_t width, std::int32_t height, float scale) {
  width = std::clamp(width, std::min(delegate_.GetMinWidth(), delegate_.GetMaxWidth()), delegate_.GetMaxWidth());
  height = std::clamp(height, std::min(delegate_.GetMinHeight(), delegate_.GetMaxHeight()), delegate_.GetMaxHeight());
  // A scale that is not a number keeps the current one; infinities clamp.
  if (std::isnan(scale)) scale = drawScale_;
  scale = std::clamp(scale, minScale_, maxScale_);
  if (width == width_ && height == height_ && scale == drawScale_) return;
  ReleaseCaptures();
  HideCursor(false);
  drawScale_ = scale;
  width_ = width;
  height_ = height;
  if (cornerResizer_) cornerResizer_->OnScaleChanged();
  ResizeWindow();
  ForEachControl([](IControl& c) { c.OnBoundsChanged(); });
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  DrawResize();
  if (layoutOnResize_) delegate_.RunEditorLayout(this);
}

void IGraphics::ApplyScreenScale(float scale) {
  if (!PositiveFinite(scale)) return;  // a monitor always has a positive scale
  screenScale_ = scale;
  ResizeWindow();
  ForEachControl([](IControl& c) { c.OnScaleChanged(); });
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  DrawResize();
}

void IGraphics::OnDragResize(float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (resizeMode_ == ResizeMode::Size) {
    const float cx = std::clamp(x, -2.0e9f, 2.0e9f), cy = std::clamp(y, -2.0e9f, 2.0e9f);
    ResizeEditor(static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy), drawScale_);
    return;
  }
  if (!(mouseDownX_ > 0.0f) || !(mouseDownY_ > 0.0f)) return;
  ResizeEditor(width_, height_, drawScale_ * std::min(x / mouseDownX_, y / mouseDownY_));
}

void IGraphics::EndResizeGesture() {
  resizing_ = false;
  if (resizeMode_ != ResizeMode::Scale) return;
  ForEachControl([](IControl& c) { c.OnScaleChanged(); });
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
}

// ---------------------------------------------------------------- value prompts

void IGraphics::CreatePopupMenu(IControl& control, IPopupMenu& menu, const IBounds& area, std::int32_t valueIndex,
                                bool isContext) {
  controlWithMenu_ = &control;
  menuIsContext_ = isContext;
  menuValueIdx_ = valueIndex;
  // A choice is a user edit: the gesture lasts while the menu is open (and
  // joins a press that already holds the parameters).
  menuGestureParams_ = BeginGestures(control);
  IPopupMenu* chosen = CreatePlatformPopupMenu(menu, area);
  FinishPopupMenu(chosen);
}

void IGraphics::PromptForValue(IControl& control, const IBounds& area, std::int32_t valueIndex) {
  const fx::IParam* param = control.GetParam(valueIndex);
  if (!param) return;
  fx::TextBuffer current;
  param->FormatValueText(param->GetValue(), false, current);
  const fx::ParamKind kind = param->GetKind();
  if (kind == fx::ParamKind::Enumerated ||
      (kind == fx::ParamKind::Boolean && param->GetDisplayTextCount() > 0)) {
    promptMenu_.Clear();
    const std::size_t n = param->GetDisplayTextCount();
    for (std::size_t i = 0; i < n; ++i) {
      fx::TextBuffer text;
      param->FormatValueText(static_cast<double>(i), false, text);
      const bool checked = std::strcmp(text.Get(), current.Get()) == 0;
      promptMenu_.AddItem(text.Get(), checked ? IPopupMenu::Item::kChecked : IPopupMenu::Item::kNoFlags, -1);
    }
    promptMenu_.SetRootTitle(param->GetName());
    CreatePopupMenu(control, promptMenu_, area, valueIndex, false);
    return;
  }
  std::string text = current.Get();
  if (control.GetShowUnitInPrompt()) {
    text += ' ';
    text += param->GetUnitLabel();
  }
  controlBeingEdited_ = &control;
  editedValueIdx_ = valueIndex;
  if (textEntry_)
    textEntry_->CreateTextEntry(control.GetParamIdx(valueIndex), control.GetTextStyle(), area,
                                control.GetTextEntryLength(), text.c_str());
  else
    CreatePlatformTextEntry(control.GetParamIdx(valueIndex), control.GetTextStyle(), area,
                            control.GetTextEntryLength(), text.c_str());
  control.MarkDirty(false, -1);
}

void IGraphics::FinishTextEntry(const char* text) {
  IControl* control = controlBeingEdited_;
  if (!control) return;
  const std::int32_t valueIndex = editedValueIdx_;
  controlBeingEdited_ = nullptr;
  editedValueIdx_ = -1;
  if (const fx::IParam* param = control->GetParam(valueIndex)) {
    // A typed value is a user edit: the host hears it inside a gesture.
    const std::vector<std::int32_t> gesture = BeginGestures(*control);
    // NormalizedFromReal snaps to the step, clamps to the range, shapes and clamps to 0..1.
    control->ApplyUserValue(param->NormalizedFromReal(param->ParseValueText(text ? text : "")), valueIndex);
    EndGestures(gesture);
  } else {
    control->OnTextEntered(text ? text : "", valueIndex);
  }
}

void IGraphics::CancelTextEntry() {
  controlBeingEdited_ = nullptr;
  editedValueIdx_ = -1;
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
}

void IGraphics::FinishPopupMenu(IPopupMenu* menu) {
  IControl* control = controlWithMenu_;
  if (!control) return;
  const std::int32_t valueIndex = menuValueIdx_;
  if (menuIsContext_)
    control->OnContextChoice(menu ? menu->GetChosenItemIdx() : -1);
  else
    control->OnMenuChoice(menu && menu->GetChosenItemIdx() >= 0 ? menu : nullptr, valueIndex);
  // Ended from the list taken at the opening: the choice may have removed the control.
  const std::vector<std::int32_t> gesture = std::move(menuGestureParams_);
  menuGestureParams_.clear();
  controlWithMenu_ = nullptr;
  menuValueIdx_ = -1;
  EndGestures(gesture);
}

}  // namespace fx::igraphics
