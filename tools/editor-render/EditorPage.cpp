#include "EditorPage.h"

#include "effect/Ombrisk.h"
#include "effect/OmbriskEditor.h"
#include "graphics/controls/IControl.h"
#include "platform/ModuleResourceStore.h"

namespace ombrisk::page {

std::unique_ptr<EditorPage> EditorPage::Create(const fx::igraphics::GlViewContext& gl, const Options& options) {
  std::unique_ptr<EditorPage> page(new EditorPage);
  page->plugin_ = std::make_unique<Ombrisk>(fx::HostLaunchInfo{});
  // As the editor opens: the context at its initial size and scale, its view
  // (the GL context), the layout, then every current value.
  page->graphics_ = std::make_unique<fx::igraphics::IGraphicsHeadless>(*page->plugin_, kEditorWidth, kEditorHeight,
                                                                       kEditorFps, kEditorInitialScale);
  page->graphics_->SetResourceStore(options.store ? options.store : &fx::platform::ModuleResourceStore());
  if (!page->graphics_->OpenView(gl)) return nullptr;
  LayoutEditor(*page->graphics_);
  if (options.scale != kEditorInitialScale) page->graphics_->ResizeEditor(kEditorWidth, kEditorHeight, options.scale);
  for (std::int32_t i = 0; i < page->plugin_->NParams(); ++i)
    page->SetParameter(i, page->plugin_->GetParam(i)->GetNormalizedValue());
  return page;
}

EditorPage::~EditorPage() {
  // The controls and the view go before the plug-in object they point at.
  graphics_.reset();
  plugin_.reset();
}

void EditorPage::SetParameter(std::int32_t index, double normalized) {
  fx::IParam* param = plugin_->GetParam(index);
  if (!param) return;
  param->SetNormalizedValue(normalized);
  const double n = param->GetNormalizedValue();
  fx::igraphics::IGraphics& g = *graphics_;
  for (std::int32_t c = 0; c < g.NControls(); ++c)
    for (std::int32_t j = 0; j < g.NControlValues(c); ++j)
      if (g.GetControlParamIdx(c, j) == index) g.ApplyHostValue(c, n, j);
}

bool EditorPage::ReachablePoint(const fx::igraphics::IControl& control, float& x, float& y) {
  // A grid over the control's hit rectangle, every 2 units; of the points
  // where the control is the one found, the one nearest its centre.
  const fx::igraphics::IBounds b = control.GetTargetBounds();
  if (b.Empty() || !b.IsFinite()) return false;
  fx::igraphics::IGraphics& g = *graphics_;
  float best = -1.0f;
  for (float py = b.top + 1.0f; py < b.bottom; py += 2.0f)
    for (float px = b.left + 1.0f; px < b.right; px += 2.0f) {
      if (g.FindControlAt(px, py, false, false) != &control) continue;
      const float d = (px - b.MW()) * (px - b.MW()) + (py - b.MH()) * (py - b.MH());
      if (best < 0.0f || d < best) {
        best = d;
        x = px;
        y = py;
      }
    }
  return best >= 0.0f;
}

bool EditorPage::HoverParameter(std::int32_t index) {
  fx::igraphics::IGraphics& g = *graphics_;
  for (std::int32_t c = g.NControls() - 1; c >= 1; --c) {
    fx::igraphics::IControl* control = g.GetControl(c);
    if (!control || control->GetParamIdx() != index || control->GetIgnoreMouse()) continue;
    float x = 0.0f, y = 0.0f;
    if (!ReachablePoint(*control, x, y)) continue;
    return g.DispatchMouseHover(x, y, fx::igraphics::IMouseMod{});
  }
  return false;
}

}  // namespace ombrisk::page
