#include "platform/PlatformGraphics.h"

#include "platform/ModuleHandle.h"
#include "platform/ModuleResourceStore.h"
#include "platform/win/IGraphicsWin.h"

namespace fx::platform {

std::unique_ptr<igraphics::IGraphics> MakePlatformGraphics(IGEditorDelegate& delegate, std::int32_t width,
                                                           std::int32_t height, std::int32_t fps, float scale) {
  auto graphics = std::make_unique<igraphics::IGraphicsWin>(delegate, width, height, fps, scale);
  graphics->SetModuleInstance(GetModuleInstance());
  graphics->SetResourceStore(&ModuleResourceStore());
  return graphics;
}

}  // namespace fx::platform
