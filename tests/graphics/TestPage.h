#pragma once
// The editor's page rebuilt on the recording backend: a 1630 x 1010 page at
// draw scale 0.5 with a background, a version label and the sixteen knob,
// switch and lamp controls in the editor's order, its artwork served by a
// fake store at the editor's image sizes.

#include <memory>

#include "graphics/controls/IBKnobControl.h"
#include "graphics/controls/IBKnobRotaterControl.h"
#include "graphics/controls/IBSwitchControl.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/ITextControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

namespace testing_support {

inline void AddEditorArtwork(FakeResourceStore& store) {
  store.Add("PNG", "ledOn.png", "IMG 806 1870");
  store.Add("PNG", "LiukuAnim.png", "IMG 254 308");
  store.Add("PNG", "FlipperAnim.png", "IMG 66 302");
  store.Add("PNG", "Nuppi.png", "IMG 246 246");
  store.Add("JPG", "Ombriskbackground.jpg", "IMG 1630 1012");
  store.Add("PNG", "NupikkaVarjo.png", "IMG 252 247");
  store.Add("PNG", "NuppiOverlay.png", "IMG 268 294");
  store.Add("PNG", "BIASNUPPI.png", "IMG 58 58");
}

struct EditorPage {
  FakeEditorDelegate delegate;
  FakeResourceStore store;
  std::unique_ptr<RecordingGraphics> graphics;

  EditorPage() {
    AddEditorArtwork(store);
    graphics = std::make_unique<RecordingGraphics>(delegate, 1630, 1010, 0.5f);
    graphics->SetResourceStore(&store);
    Layout(*graphics);
  }
  ~EditorPage() { graphics.reset(); }  // before the store it reads

  static void Layout(RecordingGraphics& g) {
    using namespace fx::igraphics;
    if (g.NControls() > 0) return;
    g.SetMouseOverEnabled(true);
    g.SetTooltipsEnabled(true);
    g.AddCornerResizer(std::make_unique<ICornerResizerControl>(IBounds{0, 0, 1630, 1010}, 20.0f), ResizeMode::Scale,
                       true);
    g.AddTextEntryControl();
    ITextStyle label;
    label.size = 20.0f;
    label.colour = {255, 255, 255, 255};
    const float w = static_cast<float>(g.Width()), h = static_cast<float>(g.Height());
    g.AddControl(std::make_unique<ITextControl>(IBounds{w - 150, h - 30, w, h}, "v1.0.0 x86-32 VST2", label));
    const IBitmapStrip led = g.LoadBitmapStrip("ledOn.png", 2, false, 2);
    const IBitmapStrip slide = g.LoadBitmapStrip("LiukuAnim.png", 2, false, 2);
    const IBitmapStrip flip = g.LoadBitmapStrip("FlipperAnim.png", 2, false, 2);
    const IBitmapStrip body = g.LoadBitmapStrip("Nuppi.png", 1, false, 2);
    const IBitmapStrip shadow = g.LoadBitmapStrip("NupikkaVarjo.png", 1, false, 2);
    const IBitmapStrip overlay = g.LoadBitmapStrip("NuppiOverlay.png", 1, false, 2);
    const IBitmapStrip bias = g.LoadBitmapStrip("BIASNUPPI.png", 1, false, 2);
    auto at = [](const IBitmapStrip& s, float x, float y) {
      return IBounds{x, y, x + static_cast<float>(s.FrameWidth()), y + static_cast<float>(s.FrameHeight())};
    };
    g.AddControl(std::make_unique<IBKnobControl>(at(led, 824, 0), led, 4));
    g.AddControl(std::make_unique<IBKnobRotaterControl>(at(bias, 558, 630), bias, 6));
    g.AddControl(std::make_unique<IBSwitchControl>(at(slide, 516, 752), slide, 3));
    g.AddControl(std::make_unique<IBSwitchControl>(at(flip, 1339, 354), flip, 4));
    const float knobX[4] = {137, 137, 891, 1246}, knobY[4] = {206, 603, 603, 603};
    const float overlayX[4] = {126, 126, 882, 1237}, overlayY[4] = {192, 590, 590, 590};
    const int params[4] = {0, 2, 5, 1};
    for (int i = 0; i < 4; ++i)
      g.AddControl(std::make_unique<IBKnobRotaterControl>(at(shadow, knobX[i], knobY[i] + 80), shadow, params[i]));
    for (int i = 0; i < 4; ++i)
      g.AddControl(std::make_unique<IBKnobRotaterControl>(at(body, knobX[i], knobY[i]), body, params[i]));
    for (int i = 0; i < 4; ++i)
      g.AddControl(std::make_unique<IBKnobControl>(at(overlay, overlayX[i], overlayY[i]), overlay, params[i]));
    const IBitmapStrip background = g.LoadBitmapStrip("Ombriskbackground.jpg", 1, false, 0);
    g.AddBackground(std::make_unique<IBitmapControl>(0.0f, 0.0f, background));
  }
};

}  // namespace testing_support
