#pragma once
// The editor window's policy, one copy for every window system. The
// Windows face (IGraphicsWin) and the X11 face (IGraphicsLinux) turn their
// native events into PointerEvent records and implement the narrow hooks
// below with OS calls; everything that decides is here:
//
// - pointer input: which buttons the page takes (left and right; any other
//   press, and its release, is ignored, so every press the page sees has
//   its release), modifiers, double clicks (ClickTracker, on both systems),
//   pointer capture while a button is held, drags measured by the pointer's
//   own movement, hover and leave;
// - the cursor during drags: hidden where the control asks, and put back
//   where it was hidden when it shows again (never warped while dragging,
//   so absolute and relative pointers turn a control the same per pixel);
// - the opening sequence: view, screen scale, layout, all dirty, opened;
// - resizing, and growing a parent that did not take our resize by as
//   much as we grew;
// - what a frame repaints: a new screen scale first (not while a button is
//   held), then the dirty areas, or the whole page after an expose;
// - GL: every GL touch inside a GlContextGuard (GlContextGuard.h), including
//   the page resizes that the graphics core starts from input.
//
// Keys: the OS face builds the key record; HandleKey gives it to the page
// at the pointer, and the face passes on what the page leaves.
//
// Editor thread only. No OS header is included.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/drawing/GlViewContext.h"
#include "graphics/drawing/IGraphicsVector.h"
#include "platform/EditorWindowRules.h"
#include "platform/GlContextGuard.h"

namespace fx::igraphics {

class IGraphicsWindow : public IGraphicsVector, protected GlContextSwitch {
 public:
  enum class Button : std::int32_t { None = 0, Left = 1, Middle = 2, Right = 3, Other = 4 };

  // A native pointer event, in client pixels of the editor window.
  struct PointerEvent {
    enum class Kind : std::int32_t { Press, Release, Move, Wheel, Leave };
    Kind kind = Kind::Move;
    Button button = Button::None;  // Press and Release
    float px = 0.0f, py = 0.0f;
    // Buttons held and modifier keys, as the event reports them (for a
    // press or release, from before it).
    bool left = false, right = false, shift = false, control = false, alt = false;
    std::uint32_t timeMs = 0;      // for double clicks; may wrap
    std::int32_t wheelDelta = 0;   // 120 per notch, positive away from the user
  };

  IGraphicsWindow(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                  float scale);
  ~IGraphicsWindow() override;

  // ---- Pointer and keys (the OS face calls these) ----
  // For a move without buttons: whether a control is under the pointer.
  bool HandlePointer(const PointerEvent& event);
  // The page's answer to a key at the pointer; false: pass it on to the host.
  bool HandleKey(const fx::IKeyPress& key, bool down, float px, float py);
  bool IsDragging() const { return buttonsDown_ != 0; }
  // The pointer's last position (layout units).
  float LastX() const { return lastX_; }
  float LastY() const { return lastY_; }
  // Touch input drives the controls: the cursor is neither hidden-locked nor warped.
  void SetTouchInput(bool touch) {
    touch_ = touch;
    if (touch) cursorLock_ = false;
  }
  bool IsTouchInput() const { return touch_; }

  // ---- Cursor ----
  void HideMouseCursor(bool hide, bool lock) override;
  void MoveMouseCursor(float x, float y) override;

  // ---- Size ----
  void PlatformResize(bool parentAlreadyResized) override;

  // ---- GL: every touch inside a guard ----
  void DrawResize() override;
  std::unique_ptr<APIBitmap> LoadAPIBitmap(const char* name, std::int32_t scale, ResourceLocation location,
                                           const std::string& locationText) override;
  std::unique_ptr<APIBitmap> CreateAPIBitmap(std::int32_t width, std::int32_t height, std::int32_t scale,
                                             float drawScale) override;
  bool LoadAPIFont(const char* fontId, const PlatformFont& font) override;

  // Frame ticks that painted, for tests and diagnostics.
  std::int32_t NPaints() const { return nPaints_; }

  // Window rectangles to present: two that overlap or touch become their
  // bounding box where it holds no more pixels than the two together, until
  // no pair does. A control drawn in layers (shadow, body, highlight) is
  // then presented as one rectangle, each pixel once, rather than one per
  // layer. The result covers every pixel of the rectangles given.
  static void MergeForPresent(std::vector<PixelRect>& rects);

 protected:
  // ---- Hooks a window system implements with OS calls ----
  virtual bool HasOpenWindow() const = 0;
  // Captures the pointer to our window (Windows) or nothing (X11 grabs on press).
  virtual void CapturePointer(bool capture) = 0;
  // A pressed window takes the keyboard focus.
  virtual void TakeKeyboardFocus() = 0;
  virtual void ShowPlatformCursor(bool show) = 0;
  // Moves the pointer to a client pixel; the pixel it really went to.
  virtual void WarpPointer(std::int32_t px, std::int32_t py, std::int32_t& atX, std::int32_t& atY) = 0;
  // Our window's client size in pixels; false when unknown.
  virtual bool ReadWindowSize(PixelSize& size) = 0;
  virtual void ResizeOwnWindow(std::int32_t width, std::int32_t height) = 0;
  // The host did not size its window for us: grow (or shrink) it by as much.
  virtual void GrowParentWindow(std::int32_t dw, std::int32_t dh) = 0;

  // ---- The shared sequences ----
  // Opening, with the window made: inside a guard, the view (the renderer
  // on the GL entry points of view; skipped without a loader), the screen
  // scale, the layout and a whole-page repaint. True when a renderer exists.
  bool InitialiseView(const GlViewContext& view, float screenScale);
  // The end of a successful open: the delegate sends every value.
  void FinishOpening();
  // Closing: the view's GL objects go inside a guard; pointer state is
  // forgotten. The OS face then destroys its context and window.
  void ReleaseView();
  // The areas this frame repaints (layout units); false when nothing
  // changed. A new screen scale is applied first unless a button is held.
  // The caller presents what it gets (an expose is then consumed).
  // wholePage: the areas are the whole page (after an expose or a resize).
  bool CollectFrameAreas(std::vector<IBounds>& areas, bool& wholePage);
  // The window pixels the areas cover, in whole pixels inside the page,
  // merged for presenting (MergeForPresent).
  std::vector<PixelRect> PixelRectsOf(const std::vector<IBounds>& areas) const;
  // The window's pixels were lost (exposed, resized): the next frame
  // repaints the whole page.
  void MarkExposed() { exposed_ = true; }
  // Paints the areas and presents (present: the OS's buffer swap), inside a guard.
  template <class Present>
  bool PaintAndPresent(const std::vector<IBounds>& areas, Present present) {
    GlContextGuard gl(*this);
    if (!gl) return false;
    if (!areas.empty()) {
      PaintAreas(areas);
      ++nPaints_;
    }
    present();
    return true;
  }

 private:
  IMouseInfo InfoAt(const PointerEvent& event) const;

  ClickTracker clicks_;
  std::uint32_t buttonsDown_ = 0;  // bit 1 left, bit 3 right
  float lastX_ = 0.0f, lastY_ = 0.0f;
  bool cursorHiddenHere_ = false;
  bool cursorLock_ = false;
  float hiddenX_ = 0.0f, hiddenY_ = 0.0f;
  bool touch_ = false;
  bool exposed_ = true;
  std::int32_t nPaints_ = 0;
};

}  // namespace fx::igraphics
