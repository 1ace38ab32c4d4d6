#include "effect/OmbriskEditor.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "core/IFxAPIBase.h"
#include "effect/OmbriskParameters.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IBKnobControl.h"
#include "graphics/controls/IBKnobRotaterControl.h"
#include "graphics/controls/IBSwitchControl.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IValueReadoutControl.h"
#include "platform/PlatformGraphics.h"

namespace ombrisk {

namespace ig = fx::igraphics;

const char* ArchitectureWord() {
#if defined(__x86_64__) || defined(_M_X64)
  return "x86-64";
#elif defined(__i386__) || defined(_M_IX86)
  return "x86-32";
#elif defined(__aarch64__) || defined(_M_ARM64)
  return "arm64";
#else
  return "unknown";
#endif
}

std::string MakeVersionLabel(std::int32_t packedVersion, const char* apiName) {
  const auto v = static_cast<std::uint32_t>(packedVersion);
  char version[33];
  std::snprintf(version, sizeof version, "v%" PRIu32 ".%" PRIu32 ".%" PRIu32, v >> 16, (v >> 8) & 0xFF, v & 0xFF);
  char label[101];
  std::snprintf(label, sizeof label, "%s %s %s", version, ArchitectureWord(), apiName ? apiName : "");
  return label;
}

namespace {

struct StripEntry {
  const char* name;
  std::int32_t frames;
};

// Step 7's strips, in load order.
enum Strip { kLamp, kSlide, kFlip, kBody, kShadow, kHighlight, kSmallKnob, kNumStrips };
constexpr StripEntry kStrips[kNumStrips] = {
    {"ledOn.png", 2},    {"LiukuAnim.png", 2},     {"FlipperAnim.png", 2},    {"Nuppi.png", 1},
    {"NupikkaVarjo.png", 1}, {"NuppiOverlay.png", 1}, {"BIASNUPPI.png", 1},
};

// The rectangle a control gets: its strip's frame at (x, y).
ig::IBounds At(float x, float y, const ig::IBitmapStrip& strip) {
  return {x, y, x + static_cast<float>(strip.FrameWidth()), y + static_cast<float>(strip.FrameHeight())};
}

enum class Kind { Knob, Rotater, Switch };
struct ControlEntry {
  Kind kind;
  float x, y;
  Strip strip;
  std::int32_t param;
};

// Step 8's controls, in the order they are added (lamp, small knob, two
// switches, then the four large knobs as shadow, body and highlight layers).
constexpr ControlEntry kControls[] = {
    {Kind::Knob, 824, 0, kLamp, kBypass},
    {Kind::Rotater, 558, 630, kSmallKnob, kBias},
    {Kind::Switch, 516, 752, kSlide, kReact},
    {Kind::Switch, 1339, 354, kFlip, kBypass},
    {Kind::Rotater, 137, 286, kShadow, kInputGain},
    {Kind::Rotater, 137, 683, kShadow, kTame},
    {Kind::Rotater, 891, 683, kShadow, kOutputGain},
    {Kind::Rotater, 1246, 683, kShadow, kWet},
    {Kind::Rotater, 137, 206, kBody, kInputGain},
    {Kind::Rotater, 137, 603, kBody, kTame},
    {Kind::Rotater, 891, 603, kBody, kOutputGain},
    {Kind::Rotater, 1246, 603, kBody, kWet},
    {Kind::Knob, 126, 192, kHighlight, kInputGain},
    {Kind::Knob, 126, 590, kHighlight, kTame},
    {Kind::Knob, 882, 590, kHighlight, kOutputGain},
    {Kind::Knob, 1237, 590, kHighlight, kWet},
};

constexpr double kKnobGearing = 4.0;
constexpr float kCornerHandlePixels = 20.0f;
// Space kept between the version label's text and the page's edges and handle.
constexpr float kLabelMargin = 10.0f;

// The readout in the page's lettering: Roboto, the printed captions' light
// grey for the name, white for the value, on a dark panel with a faint rim.
ig::IValueReadoutControl::Look ReadoutLook() {
  ig::IValueReadoutControl::Look look;
  look.name.SetFontId("Roboto-Regular");
  look.name.size = 24.0f;
  look.name.colour = {255, 196, 196, 192};
  look.name.hAlign = ig::ITextStyle::kLeft;
  look.name.vAlign = ig::ITextStyle::kMiddle;
  look.value = look.name;
  look.value.colour = {255, 255, 255, 255};
  look.value.hAlign = ig::ITextStyle::kRight;
  look.fill = {245, 17, 17, 19};
  look.frame = {60, 255, 255, 255};
  look.padding = 15.0f;
  // Tall enough and close enough above a knob or switch to lie over its
  // printed caption, which names the same parameter.
  look.gap = 12.0f;
  return look;
}

constexpr const char* kBackground = "Ombriskbackground.jpg";
constexpr std::int32_t kStripScale = 2;  // the strips are drawn for twice the layout size

}  // namespace

std::unique_ptr<fx::IGraphicsContext> CreateEditorGraphics(fx::IGEditorDelegate& delegate) {
  auto graphics =
      fx::platform::MakePlatformGraphics(delegate, kEditorWidth, kEditorHeight, kEditorFps, kEditorInitialScale);
  // The artwork decodes while the window and its GL context are made.
  if (graphics) {
    ig::IGraphics::BitmapToLoad artwork[kNumStrips + 1];
    for (int i = 0; i < kNumStrips; ++i) artwork[i] = {kStrips[i].name, kStripScale};
    artwork[kNumStrips] = {kBackground, 0};
    graphics->PrefetchBitmaps(artwork);
  }
  return graphics;
}

void LayoutEditor(fx::IGraphicsContext& context) {
  auto* g = dynamic_cast<ig::IGraphics*>(&context);
  if (!g || g->NControls() > 0) return;

  // 1-3: mouse-over and tooltips, the corner handle, the shared text entry.
  g->SetMouseOverEnabled(true);
  g->SetTooltipsEnabled(true);
  g->AddCornerResizer(std::make_unique<ig::ICornerResizerControl>(
                          ig::IBounds(0, 0, static_cast<float>(kEditorWidth), static_cast<float>(kEditorHeight)),
                          kCornerHandlePixels),
                      ig::ResizeMode::Scale, true);
  g->AddTextEntryControl();

  // 4-6: the font and the version label, centred in the bottom-right corner.
  g->LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf");
  const auto* plugin = dynamic_cast<const fx::IFxAPIBase*>(&g->GetDelegate());
  const std::string label = MakeVersionLabel(plugin ? plugin->GetPluginVersion() : 0, plugin ? plugin->GetAPIName() : "");
  ig::ITextStyle style;
  style.SetFontId("Roboto-Regular");
  style.size = 20.0f;
  style.colour = {255, 255, 255, 255};
  style.entryBackground = {255, 255, 255, 255};
  style.entryText = {255, 0, 0, 0};
  style.angle = 0.0f;
  style.hAlign = ig::ITextStyle::kCentre;
  style.vAlign = ig::ITextStyle::kMiddle;
  const auto w = static_cast<float>(g->Width()), h = static_cast<float>(g->Height());
  ig::IControl* text = g->AddControl(std::make_unique<ig::ITextControl>(ig::IBounds(w - 150, h - 30, w, h),
                                                                       label.c_str(), style, ig::IArgb{0, 0, 0, 0}));
  // The label fits itself to its text, centred in that rectangle. The text
  // is wider than the rectangle, so it is moved in until it ends a margin
  // before the corner handle as the handle is at the smallest scale (the
  // handle keeps its size in pixels, so it is widest there in layout units):
  // the whole text stays clear of the page's edge and of the handle at
  // every size.
  if (text) {
    const float handle = kCornerHandlePixels / g->GetMinScale();
    const float right = w - std::max(handle, 0.0f) - kLabelMargin;
    if (text->GetBounds().right > right) text->MoveTo(right - text->GetBounds().W(), text->GetBounds().top);
  }

  // 7: the strips, vertical, at target scale 2.
  ig::IBitmapStrip strips[kNumStrips];
  for (int i = 0; i < kNumStrips; ++i) strips[i] = g->LoadBitmapStrip(kStrips[i].name, kStrips[i].frames, false, kStripScale);

  // 8: the sixteen controls.
  for (const ControlEntry& c : kControls) {
    const ig::IBitmapStrip& strip = strips[c.strip];
    const ig::IBounds bounds = At(c.x, c.y, strip);
    switch (c.kind) {
      case Kind::Knob:
        g->AddControl(std::make_unique<ig::IBKnobControl>(bounds, strip, c.param, 0, kKnobGearing));
        break;
      case Kind::Rotater:
        g->AddControl(std::make_unique<ig::IBKnobRotaterControl>(bounds, strip, c.param));
        break;
      case Kind::Switch:
        g->AddControl(std::make_unique<ig::IBSwitchControl>(bounds, strip, c.param));
        break;
    }
  }

  // 9: the background, at the front of the list so that it is drawn first.
  const ig::IBitmapStrip background = g->LoadBitmapStrip(kBackground, 1, false, 0);
  g->AddBackground(std::make_unique<ig::IBitmapControl>(0.0f, 0.0f, background, -1, ig::IBlendMode{}));

  // The value readout over everything: what the control under the pointer is set to.
  g->SetValueReadout(std::make_unique<ig::IValueReadoutControl>(ReadoutLook()));
}

}  // namespace ombrisk
