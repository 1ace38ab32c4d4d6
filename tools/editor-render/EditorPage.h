#pragma once
// The real Ombrisk editor page without a window: an Ombrisk plug-in object
// (no host), a headless drawing context of the page's size at a chosen
// scale on the caller's current GL context, laid out by the effect's own
// layout function. Parameters are set as a host would set them, frames run
// as the editor window would run them, and the page is read back as pixels.
// The render program, the page tests and the benchmark share it.

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/drawing/IGraphicsHeadless.h"

namespace ombrisk {
class Ombrisk;
}

namespace ombrisk::page {

class EditorPage {
 public:
  struct Options {
    // Draw scale of the page (clamped by the editor to 0.25..1.0); the
    // screen scale stays 1.
    float scale = 0.5f;
    // Where artwork and font come from; null: the module's own resources.
    fx::igraphics::IResourceStore* store = nullptr;
  };

  // Null when no renderer or frame buffer can be made on the current context.
  static std::unique_ptr<EditorPage> Create(const fx::igraphics::GlViewContext& gl, const Options& options);
  ~EditorPage();
  EditorPage(const EditorPage&) = delete;
  EditorPage& operator=(const EditorPage&) = delete;

  fx::igraphics::IGraphicsHeadless& Graphics() { return *graphics_; }
  Ombrisk& Plugin() { return *plugin_; }

  // Sets a parameter from its normalised value and hands it to every control
  // bound to it, as the delegate does for host changes.
  void SetParameter(std::int32_t index, double normalized);
  // Rests the pointer on the top-most control bound to the parameter, at the
  // reachable point nearest its centre, as the window reports a mouse move:
  // the control is hovered and the value readout follows it at the next
  // frame. False when no control of the parameter can be reached.
  bool HoverParameter(std::int32_t index);
  // Where HoverParameter would rest the pointer on `control`; false when
  // every point of it is covered by later controls.
  bool ReachablePoint(const fx::igraphics::IControl& control, float& x, float& y);
  // The pointer leaves the page.
  void Unhover() { graphics_->DispatchMouseLeave(); }
  // One frame: the number of dirty areas painted (0: idle).
  std::int32_t RunFrame() { return graphics_->RunFrame(); }
  void RepaintAll() { graphics_->RepaintAll(); }
  fx::igraphics::PageImage ReadPage() const { return graphics_->ReadPage(); }

 private:
  EditorPage() = default;
  std::unique_ptr<Ombrisk> plugin_;
  std::unique_ptr<fx::igraphics::IGraphicsHeadless> graphics_;
};

// Writes RGBA rows as a PNG file; false on failure.
bool WritePng(const std::string& path, const fx::igraphics::PageImage& image);

}  // namespace ombrisk::page
