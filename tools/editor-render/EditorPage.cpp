#include "EditorPage.h"

#include "effect/Ombrisk.h"
#include "effect/OmbriskEditor.h"
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

}  // namespace ombrisk::page
