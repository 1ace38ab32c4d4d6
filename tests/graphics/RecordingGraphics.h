#pragma once
// A graphics context whose drawing backend and platform record every call
// with its arguments, one text line per call ("PathMove(1,2)"). Bitmaps are
// "decoded" from a tiny text format, "IMG <width> <height>", so tests can
// supply images of any size through a fake store; anything else is corrupt
// data and fails to decode. Text measures 0.5 x size per byte, size high.

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/IGraphics.h"

namespace testing_support {

class RecordingGraphics : public fx::igraphics::IGraphics {
 public:
  using IBounds = fx::igraphics::IBounds;
  using IBitmapStrip = fx::igraphics::IBitmapStrip;
  using IBlendMode = fx::igraphics::IBlendMode;

  RecordingGraphics(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, float scale = 1.0f)
      : IGraphics(delegate, width, height, 60, scale) {}
  // Platform calls made while controls are deleted land in the log.
  ~RecordingGraphics() override { ClearControls(); }

  // ---- backend ----
  const char* GetDrawingAPIStr() const override { return "Recording"; }
  bool BitmapExtSupported(const char* name) const override {
    return name && (std::strstr(name, ".png") || std::strstr(name, ".jpg") || std::strstr(name, ".PNG"));
  }
  void BeginFrame() override { Log("BeginFrame()"); }
  void EndFrame() override { Log("EndFrame()"); }
  void OnViewInitialized(void* context) override { Log("OnViewInitialized(%p)", context); }
  void OnViewDestroyed() override { Log("OnViewDestroyed()"); }
  void DrawResize() override { Log("DrawResize()"); }
  void DrawBitmapRegion(const IBitmapStrip& strip, const IBounds& d, std::int32_t srcX, std::int32_t srcY,
                        const IBlendMode* blend) override {
    Log("DrawBitmapRegion(%s,%g,%g,%g,%g,%d,%d,%g)", strip.resourceName.c_str(), F(d.left), F(d.top), F(d.right),
        F(d.bottom), srcX, srcY, blend ? F(blend->weight) : -1.0);
  }
  void PathReset() override { Log("PathReset()"); }
  void PathCloseShape() override { Log("PathCloseShape()"); }
  void PathAddArc(float cx, float cy, float r, float a1, float a2, std::int32_t winding) override {
    Log("PathAddArc(%g,%g,%g,%g,%g,%d)", F(cx), F(cy), F(r), F(a1), F(a2), winding);
  }
  void PathMove(float x, float y) override { Log("PathMove(%g,%g)", F(x), F(y)); }
  void PathAddLine(float x, float y) override { Log("PathAddLine(%g,%g)", F(x), F(y)); }
  void PathAddCubic(float a, float b, float c, float d, float e, float f) override {
    Log("PathAddCubic(%g,%g,%g,%g,%g,%g)", F(a), F(b), F(c), F(d), F(e), F(f));
  }
  void PathAddQuadratic(float a, float b, float c, float d) override {
    Log("PathAddQuadratic(%g,%g,%g,%g)", F(a), F(b), F(c), F(d));
  }
  void PathWinding(std::int32_t winding) override { Log("PathWinding(%d)", winding); }
  void PathFillWith(const fx::igraphics::IPattern& p, const fx::igraphics::IFillOptions& o,
                    const IBlendMode* blend) override {
    patterns.push_back(p);
    fillOptions.push_back(o);
    Log("PathFillWith(%d,%d,%d,%d,%d,%d,%g)", static_cast<int>(p.kind), p.colour.a, p.colour.r, p.colour.g,
        p.colour.b, o.fillRule, blend ? F(blend->weight) : -1.0);
  }
  void PathStrokeWith(const fx::igraphics::IPattern& p, float thickness, const fx::igraphics::IStrokeOptions& o,
                      const IBlendMode*) override {
    patterns.push_back(p);
    strokeOptions.push_back(o);
    Log("PathStrokeWith(%d,%g)", static_cast<int>(p.kind), F(thickness));
  }
  void PathTransform(const fx::igraphics::IMatrix& m) override {
    transforms.push_back(m);
    Log("PathTransform(%g,%g,%g,%g,%g,%g)", F(m.xx), F(m.yx), F(m.xy), F(m.yy), F(m.tx), F(m.ty));
  }
  void ClipToArea(const IBounds& a) override {
    clips.push_back(a);
    Log("ClipToArea(%g,%g,%g,%g)", F(a.left), F(a.top), F(a.right), F(a.bottom));
  }
  float MeasureString(const fx::igraphics::ITextStyle& style, const char* text, IBounds& rect) const override {
    ++const_cast<RecordingGraphics*>(this)->measures;
    if (!text || !*text) return 0.0f;
    const float w = 0.5f * style.size * static_cast<float>(std::strlen(text));
    rect = {0.0f, 0.0f, w, style.size};
    return w;
  }
  void DrawString(const fx::igraphics::ITextStyle&, const char* text, const IBounds& r, const IBlendMode*) override {
    Log("DrawString(%s,%g,%g,%g,%g)", text ? text : "(null)", F(r.left), F(r.top), F(r.right), F(r.bottom));
  }
  bool LoadAPIFont(const char* fontId, const fx::igraphics::PlatformFont& font) override {
    std::vector<std::uint8_t> data;
    std::string style;
    const bool ok = font.GetFontData(data, style);
    Log("LoadAPIFont(%s,%d)", fontId ? fontId : "(null)", static_cast<int>(data.size()));
    return ok && apiFontAnswer;
  }
  std::unique_ptr<fx::igraphics::APIBitmap> LoadAPIBitmap(const char* name, std::int32_t scale,
                                                          fx::igraphics::ResourceLocation location,
                                                          const std::string& text) override {
    ++decodes;
    Log("LoadAPIBitmap(%s,%d,%d,%s)", name, scale, static_cast<int>(location), text.c_str());
    std::vector<std::uint8_t> bytes;
    const std::string ext = std::string(name).substr(std::string(name).rfind('.') + 1);
    if (!ReadResource(location, ext.c_str(), text, bytes)) return nullptr;
    const std::string content(bytes.begin(), bytes.end());
    int w = 0, h = 0;
    if (std::sscanf(content.c_str(), "IMG %d %d", &w, &h) != 2 || w <= 0 || h <= 0) return nullptr;
    return std::make_unique<fx::igraphics::APIBitmap>(++nextHandle, w, h, scale, 1.0f);
  }
  IBitmapStrip LoadBitmapStrip(const char* name, std::int32_t nFrames, bool horizontal,
                               std::int32_t targetScale) override {
    Log("LoadBitmapStrip(%s,%d,%d,%d)", name ? name : "(null)", nFrames, horizontal ? 1 : 0, targetScale);
    return IGraphics::LoadBitmapStrip(name, nFrames, horizontal, targetScale);
  }
  std::unique_ptr<fx::igraphics::APIBitmap> CreateAPIBitmap(std::int32_t w, std::int32_t h, std::int32_t scale,
                                                            float drawScale) override {
    Log("CreateAPIBitmap(%d,%d,%d,%g)", w, h, scale, F(drawScale));
    return std::make_unique<fx::igraphics::APIBitmap>(++nextHandle, w, h, scale, drawScale);
  }

  // ---- platform ----
  void* OpenWindow(void* parent) override {
    Log("OpenWindow(%p)", parent);
    return nullptr;
  }
  void CloseWindow() override { Log("CloseWindow()"); }
  void PlatformResize(bool parentAlreadyResized) override { Log("PlatformResize(%d)", parentAlreadyResized ? 1 : 0); }
  void HideMouseCursor(bool hide, bool lock) override { Log("HideMouseCursor(%d,%d)", hide ? 1 : 0, lock ? 1 : 0); }
  void MoveMouseCursor(float x, float y) override { Log("MoveMouseCursor(%g,%g)", F(x), F(y)); }
  void SetPlatformCursor(std::int32_t kind) override { Log("SetPlatformCursor(%d)", kind); }
  fx::igraphics::IPopupMenu* CreatePlatformPopupMenu(fx::igraphics::IPopupMenu& menu, const IBounds& a) override {
    Log("CreatePlatformPopupMenu(%d,%g,%g,%g,%g)", menu.NItems(), F(a.left), F(a.top), F(a.right), F(a.bottom));
    if (menuChoice < 0) return nullptr;
    menu.SetChosenItemIdx(menuChoice);
    return &menu;
  }
  void CreatePlatformTextEntry(std::int32_t paramIdx, const fx::igraphics::ITextStyle&, const IBounds& b,
                               std::int32_t length, const char* text) override {
    Log("CreatePlatformTextEntry(%d,%g,%g,%g,%g,%d,%s)", paramIdx, F(b.left), F(b.top), F(b.right), F(b.bottom),
        length, text ? text : "(null)");
  }
  bool GetTextFromClipboard(std::string& text) override {
    Log("GetTextFromClipboard()");
    text = clipboard;
    return !clipboard.empty();
  }
  bool SetTextInClipboard(const char* text) override {
    Log("SetTextInClipboard(%s)", text ? text : "(null)");
    clipboard = text ? text : "";
    return !clipboard.empty();
  }

  // Calls whose text starts with prefix.
  std::vector<std::string> Calls(const std::string& prefix = "") const {
    std::vector<std::string> out;
    for (const std::string& c : log)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
  void ClearLog() {
    log.clear();
    transforms.clear();
    clips.clear();
    patterns.clear();
    fillOptions.clear();
    strokeOptions.clear();
  }

  std::vector<std::string> log;
  std::vector<fx::igraphics::IMatrix> transforms;
  std::vector<IBounds> clips;
  std::vector<fx::igraphics::IPattern> patterns;  // of fills and strokes, in order
  std::vector<fx::igraphics::IFillOptions> fillOptions;
  std::vector<fx::igraphics::IStrokeOptions> strokeOptions;
  int decodes = 0;
  int measures = 0;
  int nextHandle = 0;
  int menuChoice = -1;  // the item the "user" picks; -1 cancels
  bool apiFontAnswer = true;
  std::string clipboard;

 private:
  static double F(float v) { return static_cast<double>(v); }
#if defined(__GNUC__)
  __attribute__((format(printf, 2, 3)))
#endif
  void Log(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    log.emplace_back(text);
  }
};

}  // namespace testing_support
