#pragma once
// The editor's drawing surface and the owner of its controls, platform
// neutral. It holds the page size in layout units and the two scales that
// map them to pixels (draw scale: the editor's zoom; screen scale: the
// monitor's), decides each frame which areas need repainting, paints the
// controls that meet them, dispatches pointer and key input to controls,
// runs value prompts and loads bitmaps and fonts.
//
// Two families of virtual operations are seams: the drawing backend
// (bitmaps, paths, text, fonts) and the platform (window, cursor, menus,
// text entry, services). Their defaults are safe no-ops or failure values,
// so a context without either draws nothing and opens nothing.
//
// Every operation takes any input: NaN or infinite positions and scales,
// empty or negative rectangles and unknown indices get a defined answer.
// Nothing throws. Editor (user-interface) thread only, apart from the
// process-wide caches, which lock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/IGEditorDelegate.h"
#include "core/IGraphicsContext.h"
#include "core/IKeyPress.h"
#include "graphics/APIBitmap.h"
#include "graphics/IArgb.h"
#include "graphics/IBitmapStrip.h"
#include "graphics/IBlendMode.h"
#include "graphics/IBounds.h"
#include "graphics/IFillOptions.h"
#include "graphics/IMatrix.h"
#include "graphics/IMouseInfo.h"
#include "graphics/IMouseMod.h"
#include "graphics/IPattern.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IResourceStore.h"
#include "graphics/IStrokeOptions.h"
#include "graphics/ITextStyle.h"
#include "graphics/PlatformFont.h"
#include "graphics/ResourceLocation.h"

namespace fx::igraphics {

class BitmapCache;
class IControl;
class ICornerResizerControl;
class ITextEntryControl;
class IValueReadoutControl;
class SvgDocument;

enum class ResizeMode : std::int32_t { Scale = 0, Size = 1 };

// Cursor shapes the platform sets.
enum CursorKind : std::int32_t {
  kArrowCursor = 0,
  kIBeamCursor = 1,
  kWaitCursor = 2,
  kCrossCursor = 3,
  kUpArrowCursor = 4,
  kSizeNWSECursor = 5,
  kSizeNESWCursor = 6,
  kSizeWECursor = 7,
  kSizeNSCursor = 8,
  kSizeAllCursor = 9,
  kNoCursor = 10,
  kHandCursor = 11,
  kAppStartingCursor = 12,
  kHelpCursor = 13,
};

// A handle to a parsed SVG document from the SVG cache; empty when the
// document was not found or could not be read. Does not own.
struct ISvg {
  SvgDocument* document = nullptr;
  bool IsValid() const { return document != nullptr; }
};

class IGraphics : public fx::IGraphicsContext {
 public:
  using KeyFunction = std::function<bool(const fx::IKeyPress& key, bool isUp)>;
  using FrameFunction = std::function<void()>;
  using ControlFunction = std::function<void(IControl& control)>;
  using MessageBoxCompletion = std::function<void(std::int32_t buttonId)>;
  using ColourCompletion = std::function<void(const IArgb& colour)>;

  static constexpr float kDirtyPadding = 0.75f;
  static constexpr std::int32_t kFrameTimeSamples = 100;
  static constexpr std::size_t kMaxLocationText = 260;

  // width, height in layout units (at least 1); fps redraws per second;
  // scale the initial draw scale (a non-finite or non-positive one is 1).
  IGraphics(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
            float scale);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Graphics context seam (core/IGraphicsContext.h) ----
  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  float GetDrawScale() const override { return drawScale_; }
  // Clamps size to the delegate's limits and scale to [min, max] scale.
  void ResizeEditor(std::int32_t width, std::int32_t height, float scale) override;
  void ApplyScreenScale(float scale) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void ReleaseInput() override;
  std::int32_t NControls() const override;
  std::int32_t NControlValues(std::int32_t control) const override;
  std::int32_t GetControlParamIdx(std::int32_t control, std::int32_t valueIndex) const override;
  void ApplyHostValue(std::int32_t control, double normalized, std::int32_t valueIndex) override;
  std::int32_t FindControlWithTag(std::int32_t tag) const override;
  void SendControlMessage(std::int32_t control, std::int32_t messageTag, std::int32_t dataSize,
                          const void* data) override;
  bool ControlWantsMidi(std::int32_t control) const override;
  void SendMidiToControl(std::int32_t control, const fx::MidiMessage& message) override;
  void GetMouseLocation(float& x, float& y) const override;
  bool OnKeyDown(float x, float y, const fx::IKeyPress& key) override;
  bool OnKeyUp(float x, float y, const fx::IKeyPress& key) override;

  // ---- Drawing backend (defaults draw nothing) ----
  virtual const char* GetDrawingAPIStr() const;
  virtual bool BitmapExtSupported(const char* name) const;
  virtual void BeginFrame();
  virtual void EndFrame();
  virtual void OnViewInitialized(void* platformContext);
  virtual void OnViewDestroyed();
  virtual void DrawResize();
  virtual void DrawBitmapRegion(const IBitmapStrip& strip, const IBounds& dest, std::int32_t srcX,
                                std::int32_t srcY, const IBlendMode* blend);
  virtual void PathReset();
  virtual void PathCloseShape();
  virtual void PathAddArc(float cx, float cy, float r, float startDegrees, float endDegrees, std::int32_t winding);
  virtual void PathMove(float x, float y);
  virtual void PathAddLine(float x, float y);
  virtual void PathAddCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2);
  virtual void PathAddQuadratic(float cx, float cy, float x2, float y2);
  virtual void PathWinding(std::int32_t winding);
  virtual void PathFillWith(const IPattern& pattern, const IFillOptions& options, const IBlendMode* blend);
  virtual void PathStrokeWith(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                              const IBlendMode* blend);
  virtual void PathTransform(const IMatrix& matrix);
  virtual void ClipToArea(const IBounds& area);
  // Width of the text; the rectangle receives its extent. 0 and the
  // rectangle untouched for an empty or missing text.
  virtual float MeasureString(const ITextStyle& style, const char* text, IBounds& rect) const;
  virtual void DrawString(const ITextStyle& style, const char* text, const IBounds& rect, const IBlendMode* blend);
  virtual bool LoadAPIFont(const char* fontId, const PlatformFont& font);
  virtual std::unique_ptr<APIBitmap> LoadAPIBitmap(const char* name, std::int32_t scale, ResourceLocation location,
                                                   const std::string& locationText);
  virtual std::unique_ptr<APIBitmap> CreateAPIBitmap(std::int32_t width, std::int32_t height, std::int32_t scale,
                                                     float drawScale);
  // The strip of a named image at a target scale (0: the screen scale
  // rounded up), from the cache StripCache() names, decoding (LoadAPIBitmap)
  // what is not in it yet. The one path for every backend.
  virtual IBitmapStrip LoadBitmapStrip(const char* name, std::int32_t nFrames, bool framesAreHorizontal,
                                       std::int32_t targetScale);
  // Where strips are cached: the process-wide bitmap cache; a drawing
  // backend whose images belong to one GL context keeps its own.
  virtual BitmapCache& StripCache();
  // An image a layout is about to load, found where LoadBitmapStrip would
  // find it.
  struct ImageSource {
    const char* name = nullptr;
    std::int32_t scale = 1;
    ResourceLocation location = ResourceLocation::NotFound;
    std::string locationText;
  };
  // Where the backend may read and decode those images ahead of their
  // LoadBitmapStrip (while the window opens); the default does nothing.
  virtual void PrefetchAPIBitmaps(std::span<const ImageSource> images);
  virtual void DrawFastDropShadow(const IBounds& inner, const IBounds& outer, float xyDrop, float roundness,
                                  float blur, const IBlendMode* blend);
  virtual void DrawDottedLine(const IArgb& colour, float x1, float y1, float x2, float y2, const IBlendMode* blend,
                              float thickness, float dashLength);
  virtual void DrawDottedRect(const IArgb& colour, const IBounds& bounds, const IBlendMode* blend, float thickness,
                              float dashLength);

  // ---- Platform (defaults fail or do nothing) ----
  virtual void PlatformResize(bool parentAlreadyResized);
  virtual void HideMouseCursor(bool hide, bool lock);
  virtual void MoveMouseCursor(float x, float y);
  virtual void SetPlatformCursor(std::int32_t kind);
  // Shows the menu and waits: the chosen menu (chosen index set) or null.
  virtual IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IBounds& area);
  virtual void CreatePlatformTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                                       std::int32_t length, const char* text);
  // Default: the bytes of the "ttf" resource or file as a memory font.
  virtual std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontId, const char* fileName);
  // Default: null (no system fonts).
  virtual std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontId, const char* fontName,
                                                         std::int32_t style);
  virtual void ShowMessageBox(const char* text, const char* caption, std::int32_t type,
                              MessageBoxCompletion completion);
  // fileName and directory in/out; fileName empty when cancelled. action 0 open, 1 save.
  virtual void PromptForFile(std::string& fileName, std::string& directory, std::int32_t action,
                             const char* extensions);
  virtual void PromptForDirectory(std::string& directory);
  virtual bool PromptForColour(IArgb& colour, const char* caption, ColourCompletion completion);
  virtual bool OpenURL(const char* url, const char* caption, const char* confirmText, const char* errorText);
  virtual bool RevealPathInExplorerOrFinder(const char* path, bool select);
  virtual bool GetTextFromClipboard(std::string& text);
  virtual bool SetTextInClipboard(const char* text);
  virtual void ShowTooltip(const char* text);  // null hides it
  virtual bool MultiTouchAvailable() const;
  virtual float GetPlatformMonitorScale() const;

  void SetModuleInstance(void* module) { moduleInstance_ = module; }
  void* GetModuleInstance() const { return moduleInstance_; }
  // The store resources are looked up in (not owned; null: the empty store).
  void SetResourceStore(IResourceStore* store) { store_ = store ? store : &EmptyResourceStore(); }
  IResourceStore& GetResourceStore() const { return *store_; }

  // ---- Control tree ----
  // Takes ownership; returns the control (null for a null one).
  IControl* AddControl(std::unique_ptr<IControl> control, std::int32_t tag = -1, const char* group = "");
  IControl* AddBackground(std::unique_ptr<IControl> control);
  void AddCornerResizer(std::unique_ptr<ICornerResizerControl> resizer, ResizeMode mode,
                        bool layoutOnResize = false);
  void AddTextEntryControl();
  void ClearControls();
  // Deletes one control of the list (its captures, hover and prompt state
  // are forgotten first). False when it is not in the list.
  bool RemoveControl(IControl* control);
  void ForEachControl(const ControlFunction& function);
  // Null outside the list.
  IControl* GetControl(std::int32_t index) const;
  std::int32_t GetControlIdx(const IControl* control) const;
  IControl* GetControlWithTag(std::int32_t tag) const;
  ICornerResizerControl* GetCornerResizer() const { return cornerResizer_.get(); }
  ITextEntryControl* GetTextEntryControl() const { return textEntry_.get(); }
  // The value readout, drawn over everything and never hit; it follows the
  // control under the pointer or held by it at the start of every frame
  // (graphics/controls/IValueReadoutControl.h). A new one replaces the old;
  // null removes it.
  IValueReadoutControl* SetValueReadout(std::unique_ptr<IValueReadoutControl> readout);
  IValueReadoutControl* GetValueReadout() const { return valueReadout_.get(); }
  // A control's value changed by the user (never by the host).
  void NoteUserValueChange(const IControl& control);
  void SetMouseOverEnabled(bool enabled) { mouseOverEnabled_ = enabled; }
  bool MouseOverEnabled() const { return mouseOverEnabled_; }
  void SetTooltipsEnabled(bool enabled) { tooltipsEnabled_ = enabled; }
  bool TooltipsEnabled() const { return tooltipsEnabled_; }
  void SetPaintUnion(bool unite) { paintUnion_ = unite; }
  void SetExclusiveCapture(bool exclusive) { exclusiveCapture_ = exclusive; }
  void SetKeyFunction(KeyFunction function) { keyFunction_ = std::move(function); }
  // Run at the start of every dirty check; framework surface the page does not use.
  void SetFrameFunction(FrameFunction function) { frameFunction_ = std::move(function); }
  // Keeps the last frame times; off until enabled.
  void ShowFrameRateDisplay(bool show);
  const std::vector<float>* GetFrameTimes() const { return frameTimes_ ? &frameTimes_->samples : nullptr; }

  // ---- Drawing built here for controls ----
  void DrawBitmapRotated(const IBitmapStrip& strip, float cx, float cy, float degrees, const IBlendMode* blend);
  // The document fitted into dest by its view box and preserveAspectRatio,
  // clipped to dest (and to the current clip), each shape filled and then
  // stroked through the path operations with the blend. Transform and clip
  // are as before afterwards. An empty handle or dest draws nothing.
  void DrawSvg(const ISvg& svg, const IBounds& dest, const IBlendMode* blend);
  void FillRectangle(const IArgb& colour, const IBounds& bounds, const IBlendMode* blend);
  void FillTriangleShape(const IArgb& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                         const IBlendMode* blend);
  void FillCircleShape(const IArgb& colour, float x, float y, float radius, const IBlendMode* blend);
  // Transform stack (the identity at the start of each control's paint).
  void PushTransform();
  void PopTransform();
  void SetTransform(const IMatrix& matrix);
  const IMatrix& GetTransform() const { return transform_; }
  const IBounds& GetCurrentClip() const { return currentClip_; }

  // ---- Frame cycle ----
  // Runs the frame function and animations, then adds every control that
  // needs redrawing, its bounds grown by 0.75 units; when any was found all
  // controls are marked clean. True when areas were added. The controls
  // are walked only when one was marked dirty or given an animation since
  // the last walk, or an animation ran in it: an idle editor's check costs
  // no walk.
  bool CollectDirtyAreas(std::vector<IBounds>& areas);
  // A control was marked dirty, animated or added (IControl calls this).
  void NoteRedrawNeeded() { redrawNoted_ = true; }
  void PaintAreas(const std::vector<IBounds>& areas);
  // Reduces dirty areas to ones that do not overlap, cover the same pixels
  // and are pixel-aligned at scale pixels per unit.
  static std::vector<IBounds> ReduceDirtyAreas(const std::vector<IBounds>& areas, float scale);
  // Reduced areas (disjoint) become their bounding box where it holds at
  // most an eighth more than they do: every area painted draws each control
  // in it once more, which costs a software rasteriser more than a few
  // pixels. The pixels of the box outside the areas are painted as they are.
  static void UniteWhereCheap(std::vector<IBounds>& areas);
  float GetScreenScale() const { return screenScale_; }
  float GetTotalScale() const { return drawScale_ * screenScale_; }
  float GetMinScale() const { return minScale_; }
  float GetMaxScale() const { return maxScale_; }
  std::int32_t FPS() const { return fps_; }
  // Window client size in pixels.
  std::int32_t WindowWidth() const;
  std::int32_t WindowHeight() const;
  fx::IGEditorDelegate& GetDelegate() const { return delegate_; }

  // ---- Value prompts ----
  void PromptForValue(IControl& control, const IBounds& area, std::int32_t valueIndex);
  void FinishTextEntry(const char* text);
  void FinishPopupMenu(IPopupMenu* menu);
  // Escape in the text entry: forget the edit, send nothing.
  void CancelTextEntry();
  IPopupMenu& GetPromptMenu() { return promptMenu_; }
  IControl* GetControlBeingEdited() const { return controlBeingEdited_; }
  IControl* GetControlWithMenu() const { return controlWithMenu_; }
  // Opens a menu through the platform; context menus report the item to the
  // control, value menus its value.
  void CreatePopupMenu(IControl& control, IPopupMenu& menu, const IBounds& area, std::int32_t valueIndex,
                       bool isContext);

  // ---- Input ----
  IControl* FindControlAt(float x, float y, bool capture, bool hover, std::int32_t pointerId = 0);
  void DispatchMouseDown(const std::vector<IMouseInfo>& pointers);
  void DispatchMouseUp(const std::vector<IMouseInfo>& pointers);
  void DispatchMouseDrag(const std::vector<IMouseInfo>& pointers);
  bool DispatchMouseHover(float x, float y, const IMouseMod& mod);
  void DispatchMouseLeave();
  void DispatchMouseDoubleClick(const IMouseInfo& pointer);
  // delta in the platform's units: 120 per notch.
  void DispatchMouseWheel(const IMouseInfo& pointer, std::int32_t delta);
  // Ends every press: the captures go and the gestures their presses opened
  // close. Every way a capture ends leads here or to EndCapture, so the host
  // hears an end for each begin.
  void ReleaseCaptures();
  bool IsCaptured(const IControl* control) const;
  // The control the pointer's press holds, or null.
  IControl* GetCapturedControl(std::int32_t pointerId = 0) const;
  // True while a captured control has a value bound to this parameter.
  bool IsParamHeld(std::int32_t paramIdx) const;
  std::int32_t NCaptures() const { return static_cast<std::int32_t>(captures_.size()); }
  IControl* GetHoverControl() const { return hoverControl_; }
  std::int32_t GetHoverIdx() const { return hoverIdx_; }
  // Hides or shows the cursor through the platform, remembering the state.
  void HideCursor(bool hide, bool lock = true);
  bool CursorHidden() const { return cursorHidden_; }
  // Stores the kind, tells the platform and returns the previous kind.
  std::int32_t SetMouseCursor(std::int32_t kind);
  std::int32_t GetMouseCursor() const { return cursorKind_; }
  // Corner-resizer drag state.
  void StartResizeGesture() { resizing_ = true; }
  bool IsResizing() const { return resizing_; }
  ResizeMode GetResizeMode() const { return resizeMode_; }

  // ---- Resources ----
  ResourceLocation FindResourceLocation(const char* name, const char* type, std::string& locationText) const;
  ResourceLocation SearchScaledImage(const char* name, const char* extension, std::int32_t targetScale,
                                     std::string& locationText, std::int32_t& foundScale) const;
  // The bytes at a location; false (out empty) when there are none.
  bool ReadResource(ResourceLocation location, const char* type, const std::string& locationText,
                    std::vector<std::uint8_t>& out) const;
  bool LoadFontResource(const char* fontId, const char* fileName);
  bool LoadFontResource(const char* fontId, const char* fontName, std::int32_t style);
  // Names the images (with LoadBitmapStrip's target scales) a layout is
  // about to load, so that the backend can decode them while the window
  // opens; a later LoadBitmapStrip finds them ready. Only a hint: an image
  // it misses is loaded as ever. Call before OpenWindow.
  struct BitmapToLoad {
    const char* name;
    std::int32_t targetScale;
  };
  void PrefetchBitmaps(std::span<const BitmapToLoad> bitmaps);
  ISvg LoadSvg(const char* name);

 protected:
  void SetScreenScaleField(float scale) { screenScale_ = scale; }

 private:
  struct FrameTimes {
    std::vector<float> samples = std::vector<float>(kFrameTimeSamples, 0.0f);
    std::int32_t position = 0;
  };

  void InitialiseControl(IControl& control);
  void PaintControl(IControl& control, const IBounds& area, bool isFirst);
  void ResizeForScale();
  void OnDragResize(float x, float y);
  void EndResizeGesture();
  void OpenContextMenu(IControl& control, float x, float y);
  void RecordFrameTime();
  void ForgetControl(const IControl* control);
  // The parameters of the control's values that no open gesture holds yet;
  // a gesture begins on each and the list is returned for its end.
  std::vector<std::int32_t> BeginGestures(const IControl& control);
  void EndGestures(const std::vector<std::int32_t>& params);
  bool GestureOpen(std::int32_t paramIdx) const;
  // Removes the pointer's capture: the control hears its release when one
  // is given, then the gesture of its press ends.
  void EndCapture(std::int32_t pointerId, const IMouseInfo* release);
  // The resize request to the delegate and then the platform.
  void ResizeWindow();

  fx::IGEditorDelegate& delegate_;
  std::vector<std::unique_ptr<IControl>> controls_;
  std::unordered_map<std::int32_t, IControl*> tagMap_;
  std::unique_ptr<ICornerResizerControl> cornerResizer_;
  // Further overlay controls, drawn and hit like the resizer; framework
  // surface the page does not use (nothing adds one yet).
  std::vector<std::unique_ptr<IControl>> overlays_;
  std::unique_ptr<ITextEntryControl> textEntry_;
  std::unique_ptr<IValueReadoutControl> valueReadout_;
  std::unique_ptr<FrameTimes> frameTimes_;
  IPopupMenu promptMenu_;
  std::int32_t cursorKind_ = kArrowCursor;
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t fps_;
  float screenScale_ = 1.0f;
  float drawScale_;
  // A pointer's press: the control it holds and the parameters whose
  // gesture the press opened (empty until the press reaches the control).
  struct Capture {
    IControl* control = nullptr;
    std::vector<std::int32_t> gestureParams;
  };
  std::unordered_map<std::int32_t, Capture> captures_;
  // The gesture a value or context menu opened, ended when it closes.
  std::vector<std::int32_t> menuGestureParams_;
  IControl* hoverControl_ = nullptr;
  IControl* controlBeingEdited_ = nullptr;
  IControl* controlWithMenu_ = nullptr;
  bool menuIsContext_ = false;
  std::int32_t editedValueIdx_ = -1;
  std::int32_t menuValueIdx_ = -1;
  std::int32_t hoverIdx_ = -1;
  float mouseDownX_ = -1.0f;
  float mouseDownY_ = -1.0f;
  float minScale_;
  float maxScale_;
  bool mouseOverEnabled_ = false;
  bool paintUnion_ = false;
  bool tooltipsEnabled_ = false;
  bool resizing_ = false;
  bool layoutOnResize_ = false;
  bool exclusiveCapture_ = false;
  ResizeMode resizeMode_ = ResizeMode::Scale;
  std::chrono::steady_clock::time_point lastFrameTime_{};
  KeyFunction keyFunction_;
  FrameFunction frameFunction_;
  // Since the last walk of CollectDirtyAreas: a control was noted (a new
  // context walks once), or the walk found an animation.
  bool redrawNoted_ = true;
  bool animating_ = false;
  bool cursorHidden_ = false;
  float cursorX_ = -1.0f;
  float cursorY_ = -1.0f;
  void* moduleInstance_ = nullptr;
  IResourceStore* store_;
  IMatrix transform_;
  std::vector<IMatrix> transformStack_;
  IBounds currentClip_;
};

}  // namespace fx::igraphics
