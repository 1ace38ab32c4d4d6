#include "platform/linux/IGraphicsLinux.h"

#include <chrono>
#include <cmath>
#include <mutex>

#include "platform/linux/X11WindowRules.h"

namespace fx::igraphics {

using fx::x11::Event;

namespace {

std::mutex gCountLock;
std::int32_t gOpenWindows = 0;

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

IGraphicsWindow::Button ButtonOf(std::uint32_t xButton) {
  switch (xButton) {
    case 1:
      return IGraphicsWindow::Button::Left;
    case 2:
      return IGraphicsWindow::Button::Middle;
    case 3:
      return IGraphicsWindow::Button::Right;
    default:
      return IGraphicsWindow::Button::Other;
  }
}

}  // namespace

IGraphicsLinux::IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height,
                               std::int32_t fps, float scale)
    : IGraphicsLinux(delegate, width, height, fps, scale, fx::x11::MakeRealX11Api()) {}

IGraphicsLinux::IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height,
                               std::int32_t fps, float scale, std::unique_ptr<fx::x11::X11Api> x)
    : IGraphicsWindow(delegate, width, height, fps, scale), x_(std::move(x)) {}

IGraphicsLinux::~IGraphicsLinux() { CloseWindow(); }

std::int32_t IGraphicsLinux::OpenWindowCount() {
  std::lock_guard lock(gCountLock);
  return gOpenWindows;
}

// ---------------------------------------------------------------- OS hooks

bool IGraphicsLinux::MakeEditorContextCurrent() {
  if (!gone_ && x_->MakeCurrent()) return true;
  // The host destroyed its window (and ours) before closing the editor: a
  // window of our own lets the context delete its objects.
  if (closing_ && x_->MakeCurrentOnStandIn()) return true;
  x_->ReleaseCurrent();
  return false;
}

void IGraphicsLinux::ShowPlatformCursor(bool show) {
  cursorShown_ = show;
  if (!show)
    x_->DefineBlankCursor();
  else if (shownCursor_)
    x_->DefineCursor(shownCursor_);
  else
    x_->DefineCursor(fx::x11::FontCursorShapeForKind(kArrowCursor));
}

void IGraphicsLinux::WarpPointer(std::int32_t px, std::int32_t py, std::int32_t& atX, std::int32_t& atY) {
  x_->WarpPointer(px, py);
  atX = px;
  atY = py;
}

void IGraphicsLinux::GrowParentWindow(std::int32_t dw, std::int32_t dh) {
  PixelSize parent;
  if (!x_->GetWindowSize(true, parent)) return;
  const std::int32_t w = parent.width + dw, h = parent.height + dh;
  if (w > 0 && h > 0 && (dw != 0 || dh != 0)) x_->ResizeWindow(true, w, h);
}

// ---------------------------------------------------------------- open / close

void* IGraphicsLinux::OpenWindow(void* parent) {
  // A second open without a close moves the editor to the new parent.
  if (x_->WindowId()) CloseWindow();
  const auto parentId = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(parent));
  if (parentId == 0 || !x_->OpenDisplay()) return nullptr;
  parent_ = parentId;
  thread_ = std::this_thread::get_id();
  screenScale_ = x_->ScreenScale();
  const PixelSize size = OpeningSize(Width(), Height(), GetDrawScale(), screenScale_);
  if (!x_->CreateWindow(parentId, size.width, size.height)) {
    ReleaseWindow();
    return nullptr;
  }
  {
    GlContextGuard gl(*this);
    if (gl) x_->SetSwapIntervalZero();
  }
  // Without GL 2 the editor opens blank, as on Windows, rather than failing the host.
  GlViewContext view;
  view.loader = x_->GlLoader();
  view.textures = x_->ShareGroupTextures();
  InitialiseView(view, screenScale_);
  // No tooltip window on X11.
  SetTooltipsEnabled(false);
  clock_ = FrameClock(FPS());
  clock_.Reset(NowMs());
  {
    std::lock_guard lock(gCountLock);
    ++gOpenWindows;
    counted_ = true;
  }
  // Serviced on every effEditIdle of the process's editors.
  idleTimer_ = fx::Timer::Create([this](fx::Timer&) { Idle(); }, 1);
  FinishOpening();
  // A window the server already exposed (mapped in a viewable parent)
  // shows its first frame now, not a host idle call later; the expose is
  // consumed with it. Elsewhere the frame waits for the expose.
  exposedOnce_ = false;
  Event event;
  while (x_->WindowId() && x_->NextEvent(event)) HandleEvent(event);
  if (exposedOnce_ && HasOpenWindow()) FrameTick();
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(x_->WindowId()));
}

void IGraphicsLinux::CloseWindow() {
  if (!x_->DisplayOpen()) return;
  ReleaseWindow();
}

void IGraphicsLinux::ReleaseWindow() {
  idleTimer_.reset();
  if (counted_) {
    std::lock_guard lock(gCountLock);
    --gOpenWindows;
    counted_ = false;
  }
  if (x_->DisplayOpen()) {
    closing_ = true;
    ReleaseView();
    closing_ = false;
    x_->DestroyWindow();
    x_->CloseDisplay();
  }
  parent_ = 0;
  gone_ = false;
  shownCursor_ = 0;
  cursorShown_ = true;
  clipboardText_.clear();
}

// ---------------------------------------------------------------- idle and paint

void IGraphicsLinux::Idle() {
  if (!x_->WindowId() || std::this_thread::get_id() != thread_) return;
  Event event;
  while (x_->WindowId() && x_->NextEvent(event)) HandleEvent(event);
  // An event may have closed the editor.
  if (!HasOpenWindow()) return;
  if (clock_.Tick(NowMs())) FrameTick();
}

void IGraphicsLinux::FrameTick() {
  std::vector<IBounds> areas;
  bool wholePage = false;
  if (!CollectFrameAreas(areas, wholePage)) return;
  // Presenting only what changed is most of a small frame's saving on
  // software GL; a whole page (after an expose or resize) is swapped.
  const bool partial = !wholePage && x_->CanCopySubBuffer();
  std::vector<PixelRect> rects;
  if (partial) {
    rects = PixelRectsOf(areas);
    PresentOnly(rects);
  } else {
    PresentWhole();
  }
  PaintAndPresent(areas, [&]() {
    if (!partial) return x_->SwapBuffers();
    const std::int32_t height = WindowHeight();
    for (const PixelRect& r : rects) x_->CopySubBuffer(r.x, height - r.y - r.h, r.w, r.h);
    x_->Flush();
  });
}

// ---------------------------------------------------------------- events

void IGraphicsLinux::HandleEvent(const Event& e) {
  using fx::x11::kButton1Mask;
  using fx::x11::kButton3Mask;
  using Type = Event::Type;
  PointerEvent p;
  p.px = static_cast<float>(e.x);
  p.py = static_cast<float>(e.y);
  p.left = (e.state & kButton1Mask) != 0;
  p.right = (e.state & kButton3Mask) != 0;
  p.shift = (e.state & fx::x11::kShiftMask) != 0;
  p.control = (e.state & fx::x11::kControlMask) != 0;
  p.alt = (e.state & fx::x11::kMod1Mask) != 0;
  p.timeMs = e.time;
  switch (e.type) {
    case Type::Exposed:
      exposedOnce_ = true;
      if (e.lastExpose) MarkExposed();
      break;
    case Type::Reconfigured:
      MarkExposed();
      break;
    case Type::Pressed:
    case Type::Released:
      eventTime_ = e.time;
      if (e.button == 4 || e.button == 5) {
        if (e.type == Type::Pressed) {
          p.kind = PointerEvent::Kind::Wheel;
          p.wheelDelta = e.button == 4 ? 120 : -120;
          HandlePointer(p);
        }
        break;
      }
      p.kind = e.type == Type::Pressed ? PointerEvent::Kind::Press : PointerEvent::Kind::Release;
      p.button = ButtonOf(e.button);
      HandlePointer(p);
      break;
    case Type::Moved:
      p.kind = PointerEvent::Kind::Move;
      HandlePointer(p);
      break;
    case Type::KeyDown:
    case Type::KeyUp: {
      const fx::IKeyPress key = fx::x11::KeyPressFromLookup(e.keysym, e.text, e.textLength, e.state);
      if (!HandleKey(key, e.type == Type::KeyDown, p.px, p.py)) x_->PassKeyToParent(e);
      break;
    }
    case Type::PointerLeft:
      if (e.plainLeave) {
        p.kind = PointerEvent::Kind::Leave;
        HandlePointer(p);
      }
      break;
    case Type::SelectionAsked:
      x_->AnswerSelectionRequest(e, clipboardText_);
      break;
    case Type::SelectionLost:
      if (e.clipboard) clipboardText_.clear();
      break;
    case Type::Destroyed:
      // Our window went with the host's: nothing is drawn until the close.
      gone_ = true;
      break;
    case Type::Other:
      break;
  }
}

// ---------------------------------------------------------------- cursor and pointer

void IGraphicsLinux::SetPlatformCursor(std::int32_t kind) {
  if (!HasOpenWindow()) return;
  shownCursor_ = fx::x11::FontCursorShapeForKind(kind);
  if (cursorShown_) x_->DefineCursor(shownCursor_);
}

void IGraphicsLinux::GetMouseLocation(float& x, float& y) const {
  x = LastX();
  y = LastY();
  std::int32_t px = 0, py = 0;
  if (!HasOpenWindow() || !x_->QueryPointer(px, py)) return;
  const float s = GetTotalScale();
  x = static_cast<float>(px) / s;
  y = static_cast<float>(py) / s;
}

// ---------------------------------------------------------------- clipboard

bool IGraphicsLinux::SetTextInClipboard(const char* text) {
  if (!HasOpenWindow() || !text || !*text) return false;
  clipboardText_ = text;
  if (!x_->TakeClipboard()) clipboardText_.clear();
  return !clipboardText_.empty();
}

bool IGraphicsLinux::GetTextFromClipboard(std::string& text) {
  text.clear();
  if (!HasOpenWindow()) return false;
  if (x_->ClipboardIsOurs()) {
    text = clipboardText_;
    return !text.empty();
  }
  return x_->ReadClipboard(text, kClipboardWaitMs);
}

// ---------------------------------------------------------------- services X11 does not offer

void IGraphicsLinux::ShowMessageBox(const char*, const char*, std::int32_t, MessageBoxCompletion completion) {
  if (completion) completion(0);
}

}  // namespace fx::igraphics
