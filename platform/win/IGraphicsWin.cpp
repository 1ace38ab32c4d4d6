#include "platform/win/IGraphicsWin.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "graphics/controls/IControl.h"
#include "graphics/drawing/GlViewContext.h"
#include "platform/win/WinConstants.h"
#include "platform/win/WindowRules.h"

namespace fx::igraphics {

using namespace fx::win;

namespace {

constexpr const char* kClassName = "IFxWndClass";

// Window class registration, counted over the editors of the process.
std::mutex& ClassLock() {
  static std::mutex m;
  return m;
}
std::int32_t gOpenWindows = 0;

IGraphicsWindow::Button ButtonOf(std::uint32_t msg) {
  switch (msg) {
    case kWmLButtonDown:
    case kWmLButtonUp:
    case kWmLButtonDblClk:
      return IGraphicsWindow::Button::Left;
    case kWmRButtonDown:
    case kWmRButtonUp:
    case kWmRButtonDblClk:
      return IGraphicsWindow::Button::Right;
    default:
      return IGraphicsWindow::Button::Middle;
  }
}

}  // namespace

// ---------------------------------------------------------------- life

#if defined(_WIN32)
IGraphicsWin::IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                           float scale)
    : IGraphicsWin(delegate, width, height, fps, scale, RealWin32Api()) {}
#endif

IGraphicsWin::IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                           float scale, Win32Api& api)
    : IGraphicsWindow(delegate, width, height, fps, scale), api_(api), pacing_(api) {
  defaultEditStyle_.SetFontId("Roboto-Regular");
  defaultEditStyle_.size = 14.0f;
  JoinFontRegistry(api_);
  vblankMode_ = api_.IsWindows8OrLater();
}

IGraphicsWin::~IGraphicsWin() {
  LeaveFontRegistry(api_);
  DestroyTextEntry();
  CloseWindow();
}

std::int32_t IGraphicsWin::OpenWindowCount() {
  std::lock_guard lock(ClassLock());
  return gOpenWindows;
}

float IGraphicsWin::ScreenScaleOf(Handle window) const { return ScreenScaleForDpi(api_.GetDpiForWindow(window)); }

float IGraphicsWin::GetPlatformMonitorScale() const { return window_ ? ScreenScaleOf(window_) : 1.0f; }

// ---------------------------------------------------------------- OS hooks

void IGraphicsWin::SaveThreadContext() {
  savedDC_ = api_.GetCurrentDC();
  savedContext_ = api_.GetCurrentContext();
}

bool IGraphicsWin::MakeEditorContextCurrent() {
  if (glContext_ && dc_ && api_.MakeCurrent(dc_, glContext_)) return true;
  // Nobody's context: GL calls must not reach the host's objects.
  if (api_.GetCurrentContext()) api_.MakeCurrent(nullptr, nullptr);
  return false;
}

void IGraphicsWin::RestoreThreadContext() {
  if (api_.GetCurrentContext() != savedContext_ || api_.GetCurrentDC() != savedDC_)
    api_.MakeCurrent(savedDC_, savedContext_);
  savedDC_ = nullptr;
  savedContext_ = nullptr;
}

void IGraphicsWin::CapturePointer(bool capture) {
  if (capture)
    api_.SetCapture(window_);
  else
    api_.ReleaseCapture();
}

void IGraphicsWin::TakeKeyboardFocus() { api_.SetFocus(window_); }

void IGraphicsWin::ShowPlatformCursor(bool show) { api_.ShowCursorCount(show); }

void IGraphicsWin::WarpPointer(std::int32_t px, std::int32_t py, std::int32_t& atX, std::int32_t& atY) {
  Point p{px, py};
  api_.ClientToScreen(window_, p);
  api_.MoveCursorTo(p);
  Point back;
  if (api_.CursorPos(back)) {
    api_.ScreenToClient(window_, back);
    p = back;
  } else {
    p = {px, py};
  }
  atX = p.x;
  atY = p.y;
}

bool IGraphicsWin::ReadWindowSize(PixelSize& size) {
  Rect r;
  if (!api_.GetWindowRect(window_, r)) return false;
  size = {r.W(), r.H()};
  return true;
}

void IGraphicsWin::ResizeOwnWindow(std::int32_t width, std::int32_t height) {
  api_.SetWindowPos(window_, nullptr, {0, 0, width, height}, kSwpNoActivate | kSwpNoZOrder | kSwpNoMove);
}

void IGraphicsWin::GrowParentWindow(std::int32_t dw, std::int32_t dh) {
  const auto isChild = [this](Handle wnd) {
    return wnd && (api_.GetStyle(wnd) & kWsChild) != 0 && (api_.GetExStyle(wnd) & kWsExMdiChild) == 0;
  };
  Handle parent = isChild(window_) ? api_.GetParent(window_) : nullptr;
  if (!parent) return;
  Handle grand = isChild(parent) ? api_.GetParent(parent) : nullptr;
  const std::uint32_t flags = kSwpNoActivate | kSwpNoZOrder | kSwpNoMove;
  Rect r;
  api_.GetWindowRect(parent, r);
  if (api_.SetWindowPos(parent, nullptr, {0, 0, r.W() + dw, r.H() + dh}, flags) || !grand) return;
  // Some hosts nest the editor one window deeper.
  api_.GetWindowRect(grand, r);
  api_.SetWindowPos(grand, nullptr, {0, 0, r.W() + dw, r.H() + dh}, flags);
}

// ---------------------------------------------------------------- open / close

void* IGraphicsWin::OpenWindow(void* parent) {
  parent_ = parent;
  const std::int32_t screenScale = static_cast<std::int32_t>(ScreenScaleOf(parent));
  Rect rect;
  if (window_) {
    Rect parentRect, oldRect;
    api_.GetWindowRect(parent_, parentRect);
    api_.GetWindowRect(window_, oldRect);
    CloseWindow();
    rect = {oldRect.left - parentRect.left, oldRect.top - parentRect.top, 0, 0};
    rect.right = rect.left + oldRect.W();
    rect.bottom = rect.top + oldRect.H();
  } else {
    const PixelSize size = OpeningSize(Width(), Height(), GetDrawScale(), static_cast<float>(screenScale));
    rect = {0, 0, size.width, size.height};
  }
  {
    std::lock_guard lock(ClassLock());
    if (++gOpenWindows == 1) api_.RegisterWindowClass(kClassName, kEditorClassStyle, GetModuleInstance());
  }
  // Without a parent window there is nothing to open in; some systems would
  // make a top-level window of a null parent.
  if (parent_ && api_.IsWindow(parent_)) {
    window_ = api_.MakeWindow(0, kClassName, "IFx", kEditorWindowStyle, rect, parent_, 0, GetModuleInstance(), this);
  }
  if (!window_) {
    std::lock_guard lock(ClassLock());
    if (--gOpenWindows == 0) api_.UnregisterWindowClass(kClassName, GetModuleInstance());
    return nullptr;
  }

  dc_ = api_.GetDC(window_);
  copySwap_ = false;
  backKept_ = false;
  wholeNext_ = true;
  pixelFormat_ = 0;
  swapNamed_ = false;
  swapHint_ = nullptr;
  presentLooked_ = false;
  if (dc_ && SetPresentingPixelFormat()) glContext_ = api_.CreateGLContext(dc_);
  // Joined while the context is fresh: it may share only before it makes anything.
  shareGroup_ = fx::win::WglShareGroup::Join(api_, glContext_);
  // Without a context or GL 2 the editor opens blank rather than failing the host.
  GlViewContext view;
  if (shareGroup_) view.textures = &shareGroup_->Textures();
  const bool loader = glContext_ && api_.OpenGlLoader();
  if (loader) {
    view.loader = api_.GlLoader();
    view.loaderUser = &api_;
  }
  InitialiseView(view, static_cast<float>(screenScale < 1 ? 1 : screenScale));
  if (loader) api_.CloseGlLoader();
  if (multiTouchEnabled_ && (api_.GetDigitizerStatus() & kNidReady) != 0) api_.RegisterTouch(window_);
  if (TooltipsEnabled() && !SetupTooltip()) SetTooltipsEnabled(false);
  FinishOpening();
  return window_;
}

bool IGraphicsWin::SetPresentingPixelFormat() {
  PixelFormatInfo wanted;
  wanted.flags = kPixelFormatFlags | kPfdSwapCopy;
  wanted.colourBits = 32;
  wanted.depthBits = 24;
  wanted.stencilBits = 8;
  const std::int32_t chosen = api_.ChoosePixelFormat(dc_, wanted);
  if (chosen <= 0) return false;
  // The system's choice may ignore the swap method asked for: a format
  // like it that copies is looked for among those offered.
  std::vector<PixelFormatInfo> formats;
  PixelFormatInfo f;
  const std::int32_t count = api_.DescribePixelFormat(dc_, 1, f);
  for (std::int32_t i = 1; i <= count; ++i) {
    if (i > 1) api_.DescribePixelFormat(dc_, i, f);
    formats.push_back(f);
  }
  // Where the choice's description names no swap method (as under Wine),
  // WGL_ARB_pixel_format may tell each format's.
  const bool choiceNamesSwap = chosen <= count && (formats[static_cast<std::size_t>(chosen - 1)].flags &
                                                   (kPfdSwapCopy | kPfdSwapExchange)) != 0;
  std::vector<std::int32_t> methods;
  if (!choiceNamesSwap && api_.SwapMethods(dc_, methods) && methods.size() == formats.size())
    for (std::size_t i = 0; i < formats.size(); ++i) formats[i].swapMethod = methods[i];
  std::int32_t format = PixelFormatToSet(formats, chosen);
  if (!api_.SetPixelFormat(dc_, format)) {
    if (format == chosen || !api_.SetPixelFormat(dc_, chosen)) return false;
    format = chosen;
  }
  // What was granted, as the system describes the format now set; the
  // first present asks WGL_ARB_pixel_format too where this says nothing.
  PixelFormatInfo granted;
  const bool described = api_.DescribePixelFormat(dc_, format, granted) >= format;
  if (format <= count) granted.swapMethod = formats[static_cast<std::size_t>(format - 1)].swapMethod;
  copySwap_ = described && fx::win::SwapsByCopying(granted);
  swapNamed_ = described && (granted.flags & (kPfdSwapCopy | kPfdSwapExchange)) != 0;
  pixelFormat_ = format;
  return true;
}

bool IGraphicsWin::SetupTooltip() {
  tooltip_ = api_.CreateTooltip(window_, GetModuleInstance());
  return tooltip_ != nullptr;
}

void IGraphicsWin::CloseWindow() {
  if (!window_) return;
  StopPacing();
  ReleaseView();
  if (dc_) api_.ReleaseDC(window_, dc_);
  dc_ = nullptr;
  // After the view let go of the group's textures (the last use deletes them).
  if (shareGroup_) shareGroup_->Leave(glContext_);
  shareGroup_ = nullptr;
  if (glContext_) {
    // Only drop our context from the thread: the host's stays current.
    if (api_.GetCurrentContext() == glContext_) api_.MakeCurrent(nullptr, nullptr);
    api_.DeleteGLContext(glContext_);
  }
  glContext_ = nullptr;
  if (tooltip_) api_.DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  tooltipShown_ = false;
  tooltipIdx_ = -1;
  DestroyTextEntry();
  Handle window = window_;
  window_ = nullptr;
  api_.DestroyWindow(window);
  std::lock_guard lock(ClassLock());
  if (--gOpenWindows == 0) api_.UnregisterWindowClass(kClassName, GetModuleInstance());
}

// ---------------------------------------------------------------- pacing

void IGraphicsWin::StartPacing() {
  if (vblankMode_) {
    if (pacing_.Start(window_)) return;
    vblankMode_ = false;  // no thread: the timer paces instead
  }
  api_.SetTimer(window_, kFrameTimerId, FrameTimerInterval(FPS()));
}

void IGraphicsWin::StopPacing() {
  if (pacing_.Running())
    pacing_.Stop();
  else if (window_)
    api_.KillTimer(window_, kFrameTimerId);
}

// ---------------------------------------------------------------- frame and paint

void IGraphicsWin::FrameTick(std::uint32_t serial) {
  FramePacer& pacer = GetPacer();
  const std::uint32_t startSerial = pacer.CurrentSerial();
  if (vblankMode_ && !pacer.BeginTick(serial)) return;

  if (edit_ && textEntryState_ == TextEntryState::Discard) {
    CloseTextEntry(false);
  } else if (edit_ && textEntryState_ == TextEntryState::Apply) {
    CloseTextEntry(true);
  }

  std::vector<IBounds> areas;
  bool wholePage = false;
  if (CollectFrameAreas(areas, wholePage)) {
    if (wholePage) wholeNext_ = true;
    ForEachControl([](IControl& c) { c.MarkClean(); });
    const float s = GetTotalScale();
    for (const IBounds& a : areas) {
      const Rect r{static_cast<std::int32_t>(std::floor(a.left * s)), static_cast<std::int32_t>(std::floor(a.top * s)),
                   static_cast<std::int32_t>(std::ceil(a.right * s)), static_cast<std::int32_t>(std::ceil(a.bottom * s))};
      api_.InvalidateRect(window_, &r, false);
    }
  }
  if (edit_) {
    const float s = GetTotalScale();
    const Rect r{static_cast<std::int32_t>(std::floor(editBounds_.left * s)),
                 static_cast<std::int32_t>(std::floor(editBounds_.top * s)),
                 static_cast<std::int32_t>(std::ceil(editBounds_.right * s)),
                 static_cast<std::int32_t>(std::ceil(editBounds_.bottom * s))};
    api_.ValidateRect(window_, &r);
    api_.UpdateWindow(window_);
    textEntryState_ = TextEntryState::Shown;
  } else {
    api_.UpdateWindow(window_);
  }
  if (vblankMode_) pacer.EndTick(startSerial);
}

void IGraphicsWin::Paint() {
  Handle region = nullptr;
  const std::int32_t kind = api_.GetUpdateRegion(window_, region);
  std::vector<Rect> rects;
  if (!(kind == 3 && api_.GetRegionRects(region, 1024, rects))) {
    rects.clear();
    Rect box;
    if (kind >= 2 && api_.GetRegionBox(region, box)) rects.push_back(box);
  }
  const float s = GetTotalScale();
  std::vector<IBounds> areas;
  for (const Rect& r : rects) {
    areas.push_back({static_cast<float>(r.left) / s, static_cast<float>(r.top) / s, static_cast<float>(r.right) / s,
                     static_cast<float>(r.bottom) / s});
  }
  // Only what changed is drawn into the back buffer and presented where the
  // swap keeps that buffer and it holds the page as last presented; a
  // region that is the whole page is presented whole.
  const std::vector<PixelRect> part = PixelRectsOf(areas);
  const bool wholeRegion = part.size() == 1 && part[0] == PixelRect{0, 0, PagePixelWidth(), PagePixelHeight()};
  const bool partial = copySwap_ && backKept_ && !wholeNext_ && !part.empty() && !wholeRegion;
  if (partial)
    PresentOnly(part);
  else
    PresentWhole();
  Handle token = api_.BeginPaint(window_);
  const bool presented = PaintAndPresent(areas, [&]() {
    if (!presentLooked_) {
      // Our context is current here, as the WGL and GL queries need.
      presentLooked_ = true;
      if (!swapNamed_) copySwap_ = api_.SwapMethodOf(dc_, pixelFormat_) == kWglSwapCopyArb;
      if (copySwap_) swapHint_ = api_.SwapHintFunction();
    }
    if (partial) {
      Rect client;
      const std::int32_t height = api_.GetClientRect(window_, client) ? client.H() : PagePixelHeight();
      if (swapHint_)
        for (const PixelRect& r : part) api_.AddSwapHint(swapHint_, r.x, height - r.y - r.h, r.w, r.h);
    }
    api_.Swap(dc_);
  });
  if (presented && !partial && !areas.empty()) {
    backKept_ = copySwap_;
    wholeNext_ = false;
  }
  api_.EndPaint(window_, token);
  api_.ValidateRect(window_, nullptr);
  if (region) api_.DeleteObject(region);
}

// ---------------------------------------------------------------- messages

IGraphicsWindow::PointerEvent IGraphicsWin::PointerAt(PointerEvent::Kind kind, Button button, std::uintptr_t wParam,
                                                      std::intptr_t lParam) {
  PointerEvent e;
  e.kind = kind;
  e.button = button;
  e.px = static_cast<float>(static_cast<std::int16_t>(lParam & 0xFFFF));
  e.py = static_cast<float>(static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
  e.left = (wParam & kMkLButton) != 0;
  e.right = (wParam & kMkRButton) != 0;
  e.shift = (wParam & kMkShift) != 0;
  e.control = (wParam & kMkControl) != 0;
  e.alt = api_.KeyState(kVkMenu) < 0;
  e.timeMs = api_.TickCount();
  return e;
}

void IGraphicsWin::HideTooltipIfShown() {
  if (tooltipShown_) ShowTooltip(nullptr);
}

std::intptr_t IGraphicsWin::WindowMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
  if (msg == kWmCreate) {
    api_.SetUserData(window, this);
    window_ = window;
    StartPacing();
    api_.SetFocus(window);
    api_.AcceptFiles(window, true);
    return 0;
  }
  if (window != window_ || !window_) return api_.DefaultProc(window, msg, wParam, lParam);

  if (textEntryState_ == TextEntryState::Focused) {
    if (msg == kWmLButtonDown || msg == kWmRButtonDown) {
      textEntryState_ = TextEntryState::Discard;
      return 0;
    }
    return api_.DefaultProc(window, msg, wParam, lParam);
  }

  const bool mouse = (msg >= kWmMouseFirst && msg <= kWmMButtonDblClk) || msg == kWmMouseHover || msg == kWmMouseLeave;
  if (mouse) {
    if (IsPenOrTouchMessage(api_.MessageExtraInfo())) {
      SetTouchInput(true);
      if (msg == kWmLButtonDown || msg == kWmRButtonDown || msg == kWmMButtonDown || msg == kWmMouseMove ||
          msg == kWmLButtonDblClk || msg == kWmRButtonDblClk || msg == kWmMButtonDblClk) {
        return 0;
      }
    } else {
      SetTouchInput(false);
    }
  }

  switch (msg) {
    case kWmSize:
      // A resized buffer holds nothing to build on.
      backKept_ = false;
      break;
    case kWmSetFocus:
    case kWmKillFocus:
    case kWmEraseBkgnd:
      return 0;
    case kWmClose:
      CloseWindow();
      return 0;
    case kWmSetCursor:
      SetMouseCursor(GetMouseCursor());
      return 0;
    case kWmGetDlgCode:
      return kDlgcWantAllKeys;
    case kWmKeyDown:
    case kWmKeyUp:
      return KeyMessage(window, msg, wParam, lParam);
    case kWmMouseMove:
      return MouseMove(wParam, lParam);
    // The second click of a double click is a press like the first: the
    // window core decides what is a double click, as on X11.
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown:
    case kWmLButtonDblClk:
    case kWmRButtonDblClk:
    case kWmMButtonDblClk: {
      HideTooltipIfShown();
      if (edit_) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      HandlePointer(PointerAt(PointerEvent::Kind::Press, ButtonOf(msg), wParam, lParam));
      return 0;
    }
    case kWmLButtonUp:
    case kWmRButtonUp:
    case kWmMButtonUp:
      HandlePointer(PointerAt(PointerEvent::Kind::Release, ButtonOf(msg), wParam, lParam));
      return 0;
    case kWmMouseWheel: {
      if (edit_) {
        textEntryState_ = TextEntryState::Discard;
        return 0;
      }
      // Screen coordinates: made relative to the window.
      Rect windowRect;
      api_.GetWindowRect(window_, windowRect);
      PointerEvent e = PointerAt(PointerEvent::Kind::Wheel, Button::None, wParam & 0xFFFF, lParam);
      e.px -= static_cast<float>(windowRect.left);
      e.py -= static_cast<float>(windowRect.top);
      e.wheelDelta = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF);
      HandlePointer(e);
      return 0;
    }
    case kWmDropFiles: {
      std::string file;
      Point point;
      if (api_.DragQueryFirst(reinterpret_cast<Handle>(wParam), file, point)) {
        const float s = GetTotalScale();
        if (IControl* control = FindControlAt(static_cast<float>(point.x) / s, static_cast<float>(point.y) / s,
                                              false, false)) {
          control->OnDropped(file.c_str());
        }
      }
      return 0;
    }
    case kWmTouch:
      return Touch(wParam, lParam);
    case kWmMouseHover:
      if (tooltipIdx_ >= 0) {
        IControl* control = GetControl(tooltipIdx_);
        ShowTooltip(control && !control->GetTooltip().empty() ? control->GetTooltip().c_str() : "");
      }
      return 0;
    case kWmMouseLeave:
      HideTooltipIfShown();
      HandlePointer(PointerAt(PointerEvent::Kind::Leave, Button::None, 0, 0));
      tooltipIdx_ = -1;
      return 0;
    case kWmCtlColorEdit:
      if (!edit_) break;
      api_.SetColourBrush(reinterpret_cast<Handle>(wParam),
                          ColourRef(editStyle_.entryBackground.r, editStyle_.entryBackground.g,
                                    editStyle_.entryBackground.b),
                          ColourRef(editStyle_.entryText.r, editStyle_.entryText.g, editStyle_.entryText.b));
      return api_.StockDCBrush();
    case kWmTimer:
      if (wParam == kFrameTimerId) {
        FrameTick(0);
        return 0;
      }
      break;
    case kWmFrame:
      FrameTick(static_cast<std::uint32_t>(wParam));
      return 0;
    case kWmPaint:
      Paint();
      return 0;
    default:
      break;
  }
  return api_.DefaultProc(window, msg, wParam, lParam);
}

std::intptr_t IGraphicsWin::MouseMove(std::uintptr_t wParam, std::intptr_t lParam) {
  const bool overControl = HandlePointer(PointerAt(PointerEvent::Kind::Move, Button::None, wParam, lParam));
  if (overControl && !IsDragging() && TooltipsEnabled()) {
    const std::int32_t idx = GetHoverIdx();
    if (idx != tooltipIdx_) {
      HideTooltipIfShown();
      tooltipIdx_ = idx;
    }
    api_.TrackMouse(window_, kTmeLeave | (idx >= 0 ? kTmeHover : 0));
  }
  return 0;
}

std::intptr_t IGraphicsWin::Touch(std::uintptr_t wParam, std::intptr_t lParam) {
  std::vector<TouchInput> inputs;
  Handle touch = reinterpret_cast<Handle>(lParam);
  if (!api_.GetTouchInputs(touch, static_cast<std::uint32_t>(wParam & 0xFFFF), inputs)) return 0;
  const float s = GetTotalScale();
  std::vector<IMouseInfo> down, up, moved;
  for (const TouchInput& t : inputs) {
    Point p{t.x / 100, t.y / 100};
    api_.ScreenToClient(window_, p);
    IMouseInfo info;
    info.x = static_cast<float>(p.x) / s;
    info.y = static_cast<float>(p.y) / s;
    info.pointerId = static_cast<std::int32_t>(t.id);
    info.touch = true;
    info.ms.L = true;
    if ((t.flags & kTouchEventDown) != 0) {
      activeTouches_[t.id] = info;
      down.push_back(info);
    } else if ((t.flags & kTouchEventUp) != 0) {
      activeTouches_.erase(t.id);
      up.push_back(info);
    } else {
      auto it = activeTouches_.find(t.id);
      if (it != activeTouches_.end()) {
        info.dx = info.x - it->second.x;
        info.dy = info.y - it->second.y;
        it->second = info;
      }
      moved.push_back(info);
    }
  }
  if (!down.empty()) DispatchMouseDown(down);
  if (!up.empty()) DispatchMouseUp(up);
  if (!moved.empty()) DispatchMouseDrag(moved);
  api_.CloseTouchInput(touch);
  return 0;
}

std::intptr_t IGraphicsWin::KeyMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  Point cursor;
  api_.CursorPos(cursor);
  api_.ScreenToClient(window_, cursor);
  char chars[2] = {};
  const std::int32_t n = api_.KeyToAscii(static_cast<std::uint32_t>(wParam),
                                         static_cast<std::uint32_t>((lParam >> 16) & 0xFF), chars);
  if (n == 0 || n == 1) {
    fx::IKeyPress key;
    key.vk = static_cast<std::int32_t>(wParam);
    if (n == 1) key.utf8[0] = chars[0];
    key.shift = api_.KeyState(kVkShift) < 0;
    key.ctrl = api_.KeyState(kVkControl) < 0;
    key.alt = api_.KeyState(kVkMenu) < 0;
    if (HandleKey(key, msg == kWmKeyDown, static_cast<float>(cursor.x), static_cast<float>(cursor.y))) return 0;
  }
  if (Handle root = api_.GetRootAncestor(window)) {
    if (root != window) api_.Send(root, msg, wParam, lParam);
  }
  return api_.DefaultProc(window, msg, wParam, lParam);
}

}  // namespace fx::igraphics
