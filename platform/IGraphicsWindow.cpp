#include "platform/IGraphicsWindow.h"

#include <algorithm>
#include <cmath>

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

namespace {
constexpr std::uint32_t Bit(IGraphicsWindow::Button b) { return 1u << static_cast<std::uint32_t>(b); }
bool PageButton(IGraphicsWindow::Button b) {
  return b == IGraphicsWindow::Button::Left || b == IGraphicsWindow::Button::Right;
}
}  // namespace

IGraphicsWindow::IGraphicsWindow(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height,
                                 std::int32_t fps, float scale)
    : IGraphicsVector(delegate, width, height, fps, scale) {}

IGraphicsWindow::~IGraphicsWindow() = default;

// ---------------------------------------------------------------- pointer

IMouseInfo IGraphicsWindow::InfoAt(const PointerEvent& e) const {
  const float s = GetTotalScale();
  IMouseInfo info;
  info.x = e.px / s;
  info.y = e.py / s;
  info.ms.L = e.left;
  info.ms.R = e.right;
  info.ms.S = e.shift;
  info.ms.C = e.control;
  info.ms.A = e.alt;
  return info;
}

bool IGraphicsWindow::HandlePointer(const PointerEvent& e) {
  if (!std::isfinite(e.px) || !std::isfinite(e.py)) return false;
  IMouseInfo info = InfoAt(e);
  switch (e.kind) {
    case PointerEvent::Kind::Press: {
      // The page uses the left and right buttons; a middle or other press
      // (and so its release) never reaches it.
      if (!PageButton(e.button)) return false;
      info.ms.L = info.ms.L || e.button == Button::Left;
      info.ms.R = info.ms.R || e.button == Button::Right;
      lastX_ = info.x;
      lastY_ = info.y;
      if (buttonsDown_ == 0) CapturePointer(true);
      buttonsDown_ |= Bit(e.button);
      TakeKeyboardFocus();
      const bool twice = clicks_.Press(static_cast<std::uint32_t>(e.button), static_cast<std::int32_t>(e.px),
                                       static_cast<std::int32_t>(e.py), e.timeMs);
      if (twice && e.button == Button::Left)
        DispatchMouseDoubleClick(info);
      else
        DispatchMouseDown({info});
      return true;
    }
    case PointerEvent::Kind::Release: {
      if (!PageButton(e.button)) return false;
      info.ms.L = e.button == Button::Left;
      info.ms.R = e.button == Button::Right;
      lastX_ = info.x;
      lastY_ = info.y;
      buttonsDown_ &= ~Bit(e.button);
      if (buttonsDown_ == 0) CapturePointer(false);
      DispatchMouseUp({info});
      return true;
    }
    case PointerEvent::Kind::Move: {
      if (e.left || e.right) {
        // A drag that began outside the editor is not ours.
        if (buttonsDown_ == 0) return false;
        if (info.x != lastX_ || info.y != lastY_) {
          info.dx = info.x - lastX_;
          info.dy = info.y - lastY_;
          lastX_ = info.x;
          lastY_ = info.y;
          DispatchMouseDrag({info});
        }
        return true;
      }
      if (buttonsDown_ != 0) {
        // The buttons went up outside our sight (another window took the
        // pointer): end the gestures they held.
        buttonsDown_ = 0;
        CapturePointer(false);
        DispatchMouseUp({info});
      }
      lastX_ = info.x;
      lastY_ = info.y;
      return DispatchMouseHover(info.x, info.y, info.ms);
    }
    case PointerEvent::Kind::Wheel:
      DispatchMouseWheel(info, e.wheelDelta);
      return true;
    case PointerEvent::Kind::Leave:
      if (buttonsDown_ == 0) {
        SetMouseCursor(kArrowCursor);
        DispatchMouseLeave();
      }
      return false;
  }
  return false;
}

bool IGraphicsWindow::HandleKey(const fx::IKeyPress& key, bool down, float px, float py) {
  const float s = GetTotalScale();
  const float x = px / s, y = py / s;
  return down ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
}

// ---------------------------------------------------------------- cursor

void IGraphicsWindow::HideMouseCursor(bool hide, bool lock) {
  if (cursorHiddenHere_ == hide || !HasOpenWindow()) return;
  if (hide) {
    hiddenX_ = lastX_;
    hiddenY_ = lastY_;
    ShowPlatformCursor(false);
    cursorHiddenHere_ = true;
    cursorLock_ = lock && !touch_;
  } else {
    // A locked cursor comes back where it was hidden, however far the drag went.
    if (cursorLock_) MoveMouseCursor(hiddenX_, hiddenY_);
    ShowPlatformCursor(true);
    cursorHiddenHere_ = false;
    cursorLock_ = false;
  }
}

void IGraphicsWindow::MoveMouseCursor(float x, float y) {
  if (touch_ || !HasOpenWindow() || !std::isfinite(x) || !std::isfinite(y)) return;
  const float s = GetTotalScale();
  std::int32_t atX = 0, atY = 0;
  WarpPointer(static_cast<std::int32_t>(std::lround(x * s)), static_cast<std::int32_t>(std::lround(y * s)), atX, atY);
  lastX_ = hiddenX_ = static_cast<float>(atX) / s;
  lastY_ = hiddenY_ = static_cast<float>(atY) / s;
}

// ---------------------------------------------------------------- size

void IGraphicsWindow::PlatformResize(bool parentAlreadyResized) {
  if (!HasOpenWindow()) return;
  const std::int32_t w = WindowWidth(), h = WindowHeight();
  if (w <= 0 || h <= 0) return;
  PixelSize current;
  const bool known = ReadWindowSize(current);
  if (known && current == PixelSize{w, h}) return;
  ResizeOwnWindow(w, h);
  MarkExposed();
  if (parentAlreadyResized || !known) return;
  GrowParentWindow(w - current.width, h - current.height);
}

// ---------------------------------------------------------------- GL

void IGraphicsWindow::DrawResize() {
  // Without our context the frame buffer waits: the next frame's
  // BeginFrame makes it at the new size.
  GlContextGuard gl(*this);
  if (gl) IGraphicsVector::DrawResize();
}

std::unique_ptr<APIBitmap> IGraphicsWindow::LoadAPIBitmap(const char* name, std::int32_t scale,
                                                          ResourceLocation location, const std::string& locationText) {
  GlContextGuard gl(*this);
  return IGraphicsVector::LoadAPIBitmap(name, scale, location, locationText);
}

std::unique_ptr<APIBitmap> IGraphicsWindow::CreateAPIBitmap(std::int32_t width, std::int32_t height,
                                                            std::int32_t scale, float drawScale) {
  GlContextGuard gl(*this);
  return IGraphicsVector::CreateAPIBitmap(width, height, scale, drawScale);
}

bool IGraphicsWindow::LoadAPIFont(const char* fontId, const PlatformFont& font) {
  GlContextGuard gl(*this);
  return IGraphicsVector::LoadAPIFont(fontId, font);
}

// ---------------------------------------------------------------- sequences

bool IGraphicsWindow::InitialiseView(const GlViewContext& view, float screenScale) {
  GlContextGuard gl(*this);
  if (gl && view.loader) OnViewInitialized(const_cast<GlViewContext*>(&view));
  ApplyScreenScale(screenScale);
  GetDelegate().RunEditorLayout(this);
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  exposed_ = true;
  return GetRenderer() != nullptr;
}

void IGraphicsWindow::FinishOpening() { GetDelegate().OnEditorOpened(); }

void IGraphicsWindow::ReleaseView() {
  {
    GlContextGuard gl(*this);
    OnViewDestroyed();
  }
  clicks_.Forget();
  buttonsDown_ = 0;
  cursorHiddenHere_ = false;
  cursorLock_ = false;
  exposed_ = true;
}

std::vector<IGraphicsVector::PixelRect> IGraphicsWindow::PixelRectsOf(const std::vector<IBounds>& areas) const {
  const float s = GetTotalScale();
  const std::int32_t pw = PagePixelWidth(), ph = PagePixelHeight();
  std::vector<PixelRect> rects;
  for (const IBounds& a : areas) {
    if (!a.IsFinite()) continue;
    const auto left = static_cast<std::int32_t>(std::clamp(std::floor(a.left * s), 0.0f, static_cast<float>(pw)));
    const auto top = static_cast<std::int32_t>(std::clamp(std::floor(a.top * s), 0.0f, static_cast<float>(ph)));
    const auto right = static_cast<std::int32_t>(std::clamp(std::ceil(a.right * s), 0.0f, static_cast<float>(pw)));
    const auto bottom = static_cast<std::int32_t>(std::clamp(std::ceil(a.bottom * s), 0.0f, static_cast<float>(ph)));
    if (right > left && bottom > top) rects.push_back({left, top, right - left, bottom - top});
  }
  MergeForPresent(rects);
  return rects;
}

void IGraphicsWindow::MergeForPresent(std::vector<PixelRect>& rects) {
  const auto area = [](const PixelRect& r) { return static_cast<std::int64_t>(r.w) * r.h; };
  const auto bounding = [](const PixelRect& a, const PixelRect& b) {
    const std::int32_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const std::int32_t right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
    return PixelRect{left, top, right - left, bottom - top};
  };
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < rects.size() && !merged; ++i) {
      for (std::size_t j = i + 1; j < rects.size(); ++j) {
        const PixelRect box = bounding(rects[i], rects[j]);
        if (area(box) > area(rects[i]) + area(rects[j])) continue;
        rects[i] = box;
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
        merged = true;
        break;
      }
    }
  }
}

bool IGraphicsWindow::CollectFrameAreas(std::vector<IBounds>& areas, bool& wholePage) {
  areas.clear();
  wholePage = false;
  if (buttonsDown_ == 0) {
    const float scale = GetPlatformMonitorScale();
    if (std::isfinite(scale) && scale > 0.0f && scale != GetScreenScale()) ApplyScreenScale(scale);
  }
  const bool dirty = CollectDirtyAreas(areas);
  if (exposed_) {
    exposed_ = false;
    wholePage = true;
    areas.assign(1, IBounds(0, 0, static_cast<float>(Width()), static_cast<float>(Height())));
    return true;
  }
  return dirty;
}

}  // namespace fx::igraphics
