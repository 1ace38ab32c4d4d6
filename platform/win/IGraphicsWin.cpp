#include "platform/win/IGraphicsWin.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "graphics/controls/IControl.h"
#include "graphics/drawing/GlViewContext.h"
#include "platform/win/FontNameTable.h"
#include "platform/win/PopupMenuBuilder.h"
#include "platform/win/TextConversion.h"
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

// The platform font registry (memory-font handles by font id) and the font
// descriptor cache (font requests by font id). The registry lock is always
// taken before the cache lock.
struct FontRegistry {
  std::mutex lock;
  std::int32_t users = 0;
  std::map<std::string, Handle> memoryFonts;
  Win32Api* api = nullptr;
};
struct FontCache {
  std::mutex lock;
  std::int32_t users = 0;
  std::map<std::string, FontRequest> requests;
};
FontRegistry& Registry() {
  static FontRegistry r;
  return r;
}
FontCache& Cache() {
  static FontCache c;
  return c;
}

// The colour chooser's custom colours, kept for the process.
std::uint32_t gCustomColours[16] = {};

float SafeScale(float s) { return (std::isfinite(s) && s > 0.0f) ? s : 1.0f; }

}  // namespace

// ---------------------------------------------------------------- fonts

IGraphicsWin::Font::~Font() {
  if (font_) api_.DeleteObject(font_);
}

bool IGraphicsWin::Font::GetFontData(std::vector<std::uint8_t>& data, std::string& styleName) const {
  data.clear();
  if (!font_) return false;
  const std::int64_t size = api_.FontData(font_, 0, nullptr);
  if (size <= 0) return false;
  constexpr std::uint32_t kCollection = 0x66637474;  // "ttcf" as GetFontData reads table tags
  std::vector<std::uint8_t> bytes;
  std::int64_t read = api_.FontData(font_, kCollection, &bytes);
  if (read <= 0) read = api_.FontData(font_, 0, &bytes);
  if (read != size || bytes.size() != static_cast<std::size_t>(size)) return false;
  data = std::move(bytes);
  styleName = styleName_;
  return true;
}

// ---------------------------------------------------------------- life

#if defined(_WIN32)
IGraphicsWin::IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                           float scale)
    : IGraphicsWin(delegate, width, height, fps, scale, RealWin32Api()) {}
#endif

IGraphicsWin::IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                           float scale, Win32Api& api)
    : IGraphicsVector(delegate, width, height, fps, scale), api_(api) {
  defaultEditStyle_.SetFontId("Roboto-Regular");
  defaultEditStyle_.size = 14.0f;
  {
    std::scoped_lock locks(Registry().lock, Cache().lock);
    ++Registry().users;
    ++Cache().users;
    Registry().api = &api_;
  }
  vblankMode_ = api_.IsWindows8OrLater();
}

IGraphicsWin::~IGraphicsWin() {
  {
    std::scoped_lock locks(Registry().lock, Cache().lock);
    if (--Cache().users == 0) Cache().requests.clear();
    if (--Registry().users == 0) {
      for (auto& entry : Registry().memoryFonts) api_.RemoveFontMemResource(entry.second);
      Registry().memoryFonts.clear();
    }
  }
  DestroyTextEntry();
  CloseWindow();
}

std::int32_t IGraphicsWin::OpenWindowCount() {
  std::lock_guard lock(ClassLock());
  return gOpenWindows;
}

float IGraphicsWin::ScreenScaleOf(Handle window) const { return ScreenScaleForDpi(api_.GetDpiForWindow(window)); }

float IGraphicsWin::GetPlatformMonitorScale() const { return window_ ? ScreenScaleOf(window_) : 1.0f; }

// ---------------------------------------------------------------- GL context

bool IGraphicsWin::MakeContextCurrent() {
  if (contextDepth_++ == 0) {
    savedDC_ = api_.GetCurrentDC();
    savedContext_ = api_.GetCurrentContext();
  }
  return glContext_ && dc_ && api_.MakeCurrent(dc_, glContext_);
}

void IGraphicsWin::RestoreSavedContext() {
  if (contextDepth_ == 0) return;
  if (--contextDepth_ > 0) return;
  api_.MakeCurrent(savedDC_, savedContext_);
  savedDC_ = nullptr;
  savedContext_ = nullptr;
}

void IGraphicsWin::ActivateGLContext() { MakeContextCurrent(); }

void IGraphicsWin::DeactivateGLContext() { RestoreSavedContext(); }

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
    const PixelSize size = OpeningSize(Width(), Height(), GetDrawScale(), screenScale);
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
  savedDC_ = api_.GetCurrentDC();
  savedContext_ = api_.GetCurrentContext();
  bool haveContext = false;
  if (dc_ && api_.ChoosePixelFormat(dc_, kPixelFormatFlags, 32, 24, 8)) {
    glContext_ = api_.CreateGLContext(dc_);
    haveContext = glContext_ && api_.MakeCurrent(dc_, glContext_);
  }
  if (haveContext && api_.OpenGlLoader()) {
    GlViewContext view;
    view.loader = api_.GlLoader();
    view.loaderUser = &api_;
    OnViewInitialized(&view);
    api_.CloseGlLoader();
  }

  ApplyScreenScale(static_cast<float>(screenScale < 1 ? 1 : screenScale));
  GetDelegate().RunEditorLayout(this);
  if (multiTouchEnabled_ && (api_.GetDigitizerStatus() & kNidReady) != 0) api_.RegisterTouch(window_);
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  if (TooltipsEnabled() && !SetupTooltip()) SetTooltipsEnabled(false);
  api_.MakeCurrent(savedDC_, savedContext_);
  savedDC_ = nullptr;
  savedContext_ = nullptr;

  GetDelegate().OnEditorOpened();
  return window_;
}

bool IGraphicsWin::SetupTooltip() {
  tooltip_ = api_.CreateTooltip(window_, GetModuleInstance());
  return tooltip_ != nullptr;
}

void IGraphicsWin::CloseWindow() {
  if (!window_) return;
  StopPacing();
  if (MakeContextCurrent()) OnViewDestroyed();
  if (dc_) api_.ReleaseDC(window_, dc_);
  dc_ = nullptr;
  RestoreSavedContext();
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

void IGraphicsWin::PlatformResize(bool parentAlreadyResized) {
  if (!window_) return;
  const std::int32_t w = WindowWidth(), h = WindowHeight();
  Rect current;
  api_.GetWindowRect(window_, current);
  const std::int32_t dw = w - current.W(), dh = h - current.H();
  if (dw == 0 && dh == 0) return;
  const auto isChild = [this](Handle wnd) {
    return wnd && (api_.GetStyle(wnd) & kWsChild) != 0 && (api_.GetExStyle(wnd) & kWsExMdiChild) == 0;
  };
  Handle parent = isChild(window_) ? api_.GetParent(window_) : nullptr;
  Handle grand = (parent && isChild(parent)) ? api_.GetParent(parent) : nullptr;
  Rect parentRect, grandRect;
  if (parent) api_.GetWindowRect(parent, parentRect);
  if (grand) api_.GetWindowRect(grand, grandRect);
  const std::uint32_t flags = kSwpNoActivate | kSwpNoZOrder | kSwpNoMove;
  api_.SetWindowPos(window_, nullptr, {0, 0, w, h}, flags);
  if (parentAlreadyResized || !parent) return;
  const bool parentDone =
      api_.SetWindowPos(parent, nullptr, {0, 0, parentRect.W() + dw, parentRect.H() + dh}, flags);
  if (!parentDone && grand) api_.SetWindowPos(grand, nullptr, {0, 0, grandRect.W() + dw, grandRect.H() + dh}, flags);
}

// ---------------------------------------------------------------- pacing

void IGraphicsWin::StartPacing() {
  if (vblankMode_) {
    target_.store(window_);
    stop_.store(false);
    pacer_.Reset();
    thread_ = api_.StartThread(&IGraphicsWin::PacingThreadMain, this, true);
    if (thread_) return;
    vblankMode_ = false;  // no thread: the timer paces instead
  }
  api_.SetTimer(window_, kFrameTimerId, FrameTimerInterval(FPS()));
}

void IGraphicsWin::StopPacing() {
  if (thread_) {
    stop_.store(true);
    api_.JoinThread(thread_, 10000);
    thread_ = nullptr;
    target_.store(nullptr);
  } else if (window_) {
    api_.KillTimer(window_, kFrameTimerId);
  }
}

void IGraphicsWin::PacingThreadMain(void* self) { static_cast<IGraphicsWin*>(self)->PacingLoop(); }

void IGraphicsWin::PacingLoop() {
  const auto post = [this]() {
    const std::uint32_t serial = pacer_.NextSerial();
    api_.Post(target_.load(), kWmFrame, serial, 0);
  };
  if (!api_.LoadVblank()) {
    while (!stop_.load()) {
      api_.SleepFor(16);
      post();
    }
    return;
  }
  VblankAdapter adapter;
  bool open = false;
  bool failedOnce = false;
  std::uint32_t failedAt = 0;
  while (!stop_.load()) {
    if (!open && failedOnce && api_.TickCount() - failedAt < 1000) {
      api_.SleepFor(16);
    } else if (!open) {
      open = api_.OpenAdapter(target_.load(), adapter);
      if (!open) {
        failedOnce = true;
        failedAt = api_.TickCount();
        api_.SleepFor(16);
      }
    } else if (!api_.WaitForVblank(adapter)) {
      api_.CloseAdapter(adapter);
      open = false;
      api_.SleepFor(16);
    }
    post();
  }
  if (open) api_.CloseAdapter(adapter);
  api_.UnloadVblank();
}

// ---------------------------------------------------------------- frame and paint

void IGraphicsWin::FrameTick(std::uint32_t serial) {
  const std::uint32_t startSerial = pacer_.CurrentSerial();
  if (vblankMode_ && !pacer_.BeginTick(serial)) return;

  if (edit_ && textEntryState_ == TextEntryState::Discard) {
    CloseTextEntry(false);
  } else if (edit_ && textEntryState_ == TextEntryState::Apply) {
    CloseTextEntry(true);
  }

  if (!api_.GetCapture()) {
    const float scale = ScreenScaleOf(window_);
    if (scale != GetScreenScale()) ApplyScreenScale(scale);
  }

  std::vector<IBounds> areas;
  if (CollectDirtyAreas(areas)) {
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
  if (vblankMode_) pacer_.EndTick(startSerial);
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
  Handle token = api_.BeginPaint(window_);
  if (MakeContextCurrent()) {
    if (!areas.empty()) {
      PaintAreas(areas);
      ++nPaints_;
    }
    api_.Swap(dc_);
  }
  RestoreSavedContext();
  api_.EndPaint(window_, token);
  api_.ValidateRect(window_, nullptr);
  if (region) api_.DeleteObject(region);
}

// ---------------------------------------------------------------- messages

IMouseMod IGraphicsWin::ModifiersOf(std::uintptr_t wParam) {
  IMouseMod mod;
  mod.L = (wParam & kMkLButton) != 0;
  mod.R = (wParam & kMkRButton) != 0;
  mod.S = (wParam & kMkShift) != 0;
  mod.C = (wParam & kMkControl) != 0;
  mod.A = api_.KeyState(kVkMenu) < 0;
  return mod;
}

IMouseInfo IGraphicsWin::MouseInfoOf(std::uintptr_t wParam, std::intptr_t lParam) {
  const float s = GetTotalScale();
  IMouseInfo info;
  info.x = static_cast<float>(static_cast<std::int16_t>(lParam & 0xFFFF)) / s;
  info.y = static_cast<float>(static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)) / s;
  info.ms = ModifiersOf(wParam);
  lastX_ = info.x;
  lastY_ = info.y;
  return info;
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
      touch_ = true;
      cursorLock_ = false;
      if (msg == kWmLButtonDown || msg == kWmRButtonDown || msg == kWmMButtonDown || msg == kWmMouseMove ||
          msg == kWmLButtonDblClk || msg == kWmRButtonDblClk || msg == kWmMButtonDblClk) {
        return 0;
      }
    } else {
      touch_ = false;
    }
  }

  switch (msg) {
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
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown: {
      HideTooltipIfShown();
      if (edit_) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      api_.SetFocus(window_);
      api_.SetCapture(window_);
      DispatchMouseDown({MouseInfoOf(wParam, lParam)});
      return 0;
    }
    case kWmLButtonUp:
    case kWmRButtonUp: {
      api_.ReleaseCapture();
      const IMouseInfo info = MouseInfoOf(wParam, lParam);
      DispatchMouseUp({info});
      return 0;
    }
    case kWmLButtonDblClk: {
      DispatchMouseDoubleClick(MouseInfoOf(wParam, lParam));
      api_.SetCapture(window_);
      return 0;
    }
    case kWmMouseWheel: {
      if (edit_) {
        textEntryState_ = TextEntryState::Discard;
        return 0;
      }
      Rect windowRect;
      api_.GetWindowRect(window_, windowRect);
      const float s = GetTotalScale();
      IMouseInfo info;
      info.x = static_cast<float>(static_cast<std::int16_t>(lParam & 0xFFFF) - windowRect.left) / s;
      info.y = static_cast<float>(static_cast<std::int16_t>((lParam >> 16) & 0xFFFF) - windowRect.top) / s;
      info.ms = ModifiersOf(wParam & 0xFFFF);
      DispatchMouseWheel(info, static_cast<std::int16_t>((wParam >> 16) & 0xFFFF));
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
      SetMouseCursor(kArrowCursor);
      DispatchMouseLeave();
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
  if ((wParam & (kMkLButton | kMkRButton)) != 0) {
    if (api_.GetCapture() != window_) return 0;
    const float oldX = lastX_, oldY = lastY_;
    IMouseInfo info = MouseInfoOf(wParam, lParam);
    if (info.x != oldX || info.y != oldY) {
      info.dx = info.x - oldX;
      info.dy = info.y - oldY;
      DispatchMouseDrag({info});
      if (cursorHiddenHere_ && cursorLock_) MoveMouseCursor(hiddenX_, hiddenY_);
    }
    return 0;
  }
  const IMouseInfo info = MouseInfoOf(wParam, lParam);
  if (DispatchMouseHover(info.x, info.y, info.ms) && TooltipsEnabled()) {
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
    const float s = GetTotalScale();
    const float x = static_cast<float>(cursor.x) / s, y = static_cast<float>(cursor.y) / s;
    const bool handled = msg == kWmKeyDown ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
    if (handled) return 0;
  }
  if (Handle root = api_.GetRootAncestor(window)) {
    if (root != window) api_.Send(root, msg, wParam, lParam);
  }
  return api_.DefaultProc(window, msg, wParam, lParam);
}

// ---------------------------------------------------------------- text entry

void IGraphicsWin::CreatePlatformTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                                           std::int32_t length, const char* text) {
  if (edit_ || !window_) return;
  const float s = GetTotalScale();
  const std::int32_t left = static_cast<std::int32_t>(bounds.left * s), top = static_cast<std::int32_t>(bounds.top * s);
  const std::int32_t w = static_cast<std::int32_t>(bounds.right * s) - left + 1;
  const std::int32_t h = static_cast<std::int32_t>(bounds.bottom * s) - top + 1;
  std::u16string wide = Utf8ToUtf16(text ? text : "");
  if (wide.size() + 1 > 32) wide.clear();
  edit_ = api_.MakeWindowW(0, "EDIT", wide, TextEntryStyle(style.hAlign), {left, top, left + w, top + h}, window_,
                           kTextEntryId, GetModuleInstance());
  if (!edit_) return;
  {
    std::lock_guard lock(Cache().lock);
    FontRequest request;
    auto it = Cache().requests.find(style.fontId);
    if (it != Cache().requests.end()) request = it->second;
    request.height = static_cast<std::int32_t>(style.size * s);
    editFont_ = api_.MakeFont(request);
  }
  editParam_ = GetDelegate().GetParam(paramIdx) ? paramIdx : -1;
  editStyle_ = style;
  editBounds_ = bounds;
  api_.Send(edit_, kEmLimitText, static_cast<std::uintptr_t>(length < 0 ? 0 : length), 0);
  if (editFont_) api_.Send(edit_, kWmSetFont, reinterpret_cast<std::uintptr_t>(editFont_), 0);
  api_.Send(edit_, kEmSetSel, 0, -1);
  if (style.vAlign == ITextStyle::kMiddle) {
    const std::int32_t top2 = static_cast<std::int32_t>((static_cast<float>(h) - style.size * s) * 0.5f);
    api_.SetEditRect(edit_, {0, top2, w, h});
  }
  api_.SetFocus(edit_);
  api_.SubclassEdit(edit_, this);
}

void IGraphicsWin::DestroyTextEntry() {
  if (!edit_) return;
  api_.UnsubclassEdit(edit_);
  api_.DestroyWindow(edit_);
  edit_ = nullptr;
  if (editFont_) api_.DeleteObject(editFont_);
  editFont_ = nullptr;
  editParam_ = -1;
}

void IGraphicsWin::CloseTextEntry(bool apply) {
  if (apply) {
    const std::string text = Utf16ToUtf8(api_.GetEditText(edit_, 256));
    DestroyTextEntry();
    FinishTextEntry(text.c_str());
  } else {
    DestroyTextEntry();
    CancelTextEntry();
  }
  textEntryState_ = TextEntryState::None;
}

std::intptr_t IGraphicsWin::EditMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  HideTooltipIfShown();
  switch (msg) {
    case kWmSetFocus:
      textEntryState_ = TextEntryState::Focused;
      break;
    case kWmKillFocus:
      textEntryState_ = TextEntryState::Apply;
      break;
    case kWmGetDlgCode: {
      std::intptr_t code = api_.CallPreviousEditProc(window, msg, wParam, lParam);
      // lParam: the queried message; let Return reach the edit box.
      if (api_.QueriedKeyDown(lParam) == kVkReturn) code |= kDlgcWantAllKeys;
      return code;
    }
    case kWmKeyDown:
      if (wParam == kVkReturn) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      if (wParam == kVkEscape) {
        textEntryState_ = TextEntryState::Discard;
        return 0;
      }
      break;
    case kWmChar:
      if (editParam_ >= 0 && !TextEntryAccepts(GetDelegate().GetParam(editParam_), static_cast<std::uint32_t>(wParam)))
        return 0;
      break;
    case kWmCommand:
      if (((wParam >> 16) & 0xFFFF) == 1) {
        textEntryState_ = TextEntryState::Apply;
        return 0;
      }
      break;
    default:
      break;
  }
  return api_.CallPreviousEditProc(window, msg, wParam, lParam);
}

// ---------------------------------------------------------------- menus

IPopupMenu* IGraphicsWin::CreatePlatformPopupMenu(IPopupMenu& menu, const IBounds& area) {
  if (!window_) return nullptr;
  std::int32_t offset = 0;
  Handle native = BuildNativeMenu(api_, menu, offset);
  if (!native) return nullptr;
  const float s = GetTotalScale();
  Point p{static_cast<std::int32_t>(area.left * s), static_cast<std::int32_t>(area.bottom * s)};
  api_.ClientToScreen(window_, p);
  IPopupMenu* chosen = nullptr;
  if (api_.TrackPopupMenu(native, kTpmLeftButton, p, window_)) {
    const std::intptr_t command = api_.PeekCommand(window_);
    const std::intptr_t id = command & 0xFFFF;
    if (command >= 0 && ((command >> 16) & 0xFFFF) == 0 && id < 0x10000) {
      std::int32_t index = -1;
      chosen = MenuForCommand(menu, static_cast<std::int32_t>(id), index);
      if (chosen) {
        chosen->SetChosenItemIdx(index);
        chosen->ExecFunction();
      }
    }
  }
  api_.DestroyMenu(native);
  const Rect whole{0, 0, WindowWidth(), WindowHeight()};
  api_.InvalidateRect(window_, &whole, false);
  return chosen;
}

// ---------------------------------------------------------------- cursor

void IGraphicsWin::HideMouseCursor(bool hide, bool lock) {
  if (cursorHiddenHere_ == hide) return;
  if (hide) {
    hiddenX_ = lastX_;
    hiddenY_ = lastY_;
    api_.ShowCursorCount(false);
    cursorHiddenHere_ = true;
    cursorLock_ = lock && !touch_;
  } else {
    if (cursorLock_) MoveMouseCursor(hiddenX_, hiddenY_);
    api_.ShowCursorCount(true);
    cursorHiddenHere_ = false;
    cursorLock_ = false;
  }
}

void IGraphicsWin::MoveMouseCursor(float x, float y) {
  if (touch_ || !window_) return;
  const float s = GetTotalScale();
  Point p{static_cast<std::int32_t>(std::lround(x * s)), static_cast<std::int32_t>(std::lround(y * s))};
  api_.ClientToScreen(window_, p);
  api_.MoveCursorTo(p);
  Point back;
  if (api_.CursorPos(back)) {
    api_.ScreenToClient(window_, back);
    lastX_ = hiddenX_ = static_cast<float>(back.x) / s;
    lastY_ = hiddenY_ = static_cast<float>(back.y) / s;
  }
}

void IGraphicsWin::SetPlatformCursor(std::int32_t kind) { api_.SetCursorShape(SystemCursorForKind(kind)); }

void IGraphicsWin::GetMouseLocation(float& x, float& y) const {
  Point p;
  if (!window_ || !api_.CursorPos(p)) {
    x = lastX_;
    y = lastY_;
    return;
  }
  api_.ScreenToClient(window_, p);
  const float s = SafeScale(GetTotalScale());
  x = static_cast<float>(p.x) / s;
  y = static_cast<float>(p.y) / s;
}

bool IGraphicsWin::MultiTouchAvailable() const { return (api_.GetDigitizerStatus() & kNidReady) != 0; }

// ---------------------------------------------------------------- tooltips

void IGraphicsWin::ShowTooltip(const char* text) {
  if (!tooltip_) return;
  api_.SetTooltipText(tooltip_, window_, text);
  tooltipShown_ = text != nullptr;
}

// ---------------------------------------------------------------- dialogs and shell

Handle IGraphicsWin::HostMainWindow() {
  if (mainWindow_) return mainWindow_;
  if (parent_) {
    Handle w = parent_;
    while (Handle up = api_.GetParent(w)) w = up;
    mainWindow_ = w;
  } else if (!mainWindowClass_.empty()) {
    mainWindow_ = api_.FindProcessWindowByClass(mainWindowClass_.c_str());
  }
  return mainWindow_;
}

void IGraphicsWin::ShowMessageBox(const char* text, const char* caption, std::int32_t type,
                                  MessageBoxCompletion completion) {
  ReleaseCaptures();
  HideCursor(false);
  const std::int32_t result =
      api_.ShowMessageBox(HostMainWindow(), text ? text : "", caption ? caption : "", static_cast<std::uint32_t>(type));
  if (completion) completion(result);
}

void IGraphicsWin::PromptForFile(std::string& fileName, std::string& directory, std::int32_t action,
                                 const char* extensions) {
  std::u16string file = Utf8ToUtf16(fileName);
  std::u16string dir = Utf8ToUtf16(directory);
  if (file.size() > 259) file.clear();
  if (dir.size() > 259) dir.clear();
  const FileFilter filter = MakeFileFilter(extensions ? extensions : "");
  if (!api_.FileDialog(window_, action == 1, Utf8ToUtf16(filter.filter), Utf8ToUtf16(filter.defaultExtension), dir,
                       file)) {
    fileName.clear();
    return;
  }
  fileName = Utf16ToUtf8(file);
  const std::size_t slash = fileName.find_last_of("\\/");
  directory = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

void IGraphicsWin::PromptForDirectory(std::string& directory) {
  ReleaseCaptures();
  HideCursor(false);
  std::string path;
  directory = api_.BrowseForFolder(window_, path) ? path + "\\" : std::string();
}

bool IGraphicsWin::PromptForColour(IArgb& colour, const char* caption, ColourCompletion completion) {
  if (!window_) return false;
  ReleaseCaptures();
  HideCursor(false);
  std::uint32_t rgb = ColourRef(colour.r, colour.g, colour.b);
  if (!api_.ChooseColour(window_, rgb, gCustomColours, caption ? caption : "")) return false;
  colour.r = static_cast<std::int32_t>(rgb & 0xFF);
  colour.g = static_cast<std::int32_t>((rgb >> 8) & 0xFF);
  colour.b = static_cast<std::int32_t>((rgb >> 16) & 0xFF);
  if (completion) completion(colour);
  return true;
}

bool IGraphicsWin::OpenURL(const char* url, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText && api_.ShowMessageBox(window_, confirmText, caption ? caption : "", 4 /* MB_YESNO */) != 6)
    return false;
  if (api_.InternetConnected()) {
    std::u16string address = Utf8ToUtf16(url ? url : "");
    if (address.size() > 4096) address.clear();
    return api_.ShellOpen(window_, address, u"", u"") > 32;
  }
  if (errorText) api_.ShowMessageBox(window_, errorText, caption ? caption : "", 0 /* MB_OK */);
  return false;
}

bool IGraphicsWin::RevealPathInExplorerOrFinder(const char* path, bool select) {
  if (!path || !*path) return false;
  std::u16string dir = api_.SystemDirectory();
  dir += u"\\";
  // Appended piece by piece: GCC 12's 32-bit -Wrestrict misreads a chain of
  // operator+ on a literal.
  std::u16string args = select ? u"/select," : u"";
  args.push_back(u'"');
  args.append(Utf8ToUtf16(path));
  args.push_back(u'"');
  return api_.ShellOpen(nullptr, u"explorer.exe", args, dir) > 32;
}

bool IGraphicsWin::GetTextFromClipboard(std::string& text) {
  text.clear();
  if (!api_.ClipboardHasUnicode() || !api_.ClipboardOpen(nullptr)) return false;
  std::u16string wide;
  const bool read = api_.GetClipboardUnicode(wide);
  api_.ClipboardClose();
  if (!read) return false;
  text = Utf16ToUtf8(wide);
  return true;
}

bool IGraphicsWin::SetTextInClipboard(const char* text) {
  if (!api_.ClipboardOpen(HostMainWindow())) return false;
  api_.ClipboardEmpty();
  const bool nonEmpty = text && *text;
  if (nonEmpty) api_.SetClipboardUnicode(Utf8ToUtf16(text));
  api_.ClipboardClose();
  return nonEmpty;
}

// ---------------------------------------------------------------- platform fonts

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const char* fontName,
                                                             std::int32_t style) {
  if (!fontId || !fontName) return nullptr;
  FontRequest request;
  request.face = std::string(fontName).substr(0, 31);
  std::string styleName = "Regular";
  if (style == 1) {
    request.weight = 700;
    styleName = "Bold";
  } else if (style == 2) {
    request.italic = true;
    styleName = "Italic";
  }
  if (!api_.FontFamilyExists(request.face.c_str())) return nullptr;
  Handle font = api_.MakeFont(request);
  if (!font) return nullptr;
  if (api_.FaceOfFont(font) != request.face) {
    api_.DeleteObject(font);
    return nullptr;
  }
  {
    std::lock_guard lock(Cache().lock);
    Cache().requests[fontId] = request;
  }
  return std::make_unique<Font>(api_, font, true, styleName);
}

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const std::uint8_t* data,
                                                             std::size_t size) {
  if (!fontId || !data || size == 0 || size > 0x7FFFFFFF) return nullptr;
  std::scoped_lock locks(Registry().lock, Cache().lock);
  Handle memory = api_.AddFontMemResource(data, static_cast<std::uint32_t>(size));
  if (!memory) return nullptr;
  FontNaming naming;
  Handle font = nullptr;
  FontRequest request;
  if (ReadFontNaming(data, size, naming)) {
    request.face = naming.family.substr(0, 31);
    request.weight = naming.bold ? 700 : 400;
    request.italic = naming.italic;
    request.underline = naming.underline;
    font = api_.MakeFont(request);
    if (font && api_.FaceOfFont(font) != request.face) {
      api_.DeleteObject(font);
      font = nullptr;
    }
  }
  if (!font) {
    api_.RemoveFontMemResource(memory);
    return nullptr;
  }
  Handle& slot = Registry().memoryFonts[fontId];
  if (slot) api_.RemoveFontMemResource(slot);
  slot = memory;
  Cache().requests[fontId] = request;
  return std::make_unique<Font>(api_, font, false, std::string());
}

std::unique_ptr<PlatformFont> IGraphicsWin::LoadPlatformFont(const char* fontId, const char* fileName) {
  if (!fontId || !fileName) return nullptr;
  std::vector<std::uint8_t> bytes;
  std::string location;
  const ResourceLocation where = FindResourceLocation(fileName, "ttf", location);
  if (where == ResourceLocation::FilePath) {
    if (!api_.ReadWholeFile(location.c_str(), bytes)) return nullptr;
  } else if (!ReadResource(where, "ttf", location, bytes)) {
    return nullptr;
  }
  return LoadPlatformFont(fontId, bytes.data(), bytes.size());
}

}  // namespace fx::igraphics
