#pragma once
// The plug-in module's embedded resources (platform/ModuleResources.h) as a
// resource store for the editor's graphics context. The window factory
// (platform/PlatformGraphics.h) hands it to every editor it makes; the
// graphics core itself knows only the store interface.

#include "graphics/IResourceStore.h"

namespace fx::platform {

// One shared instance, alive for the whole program.
igraphics::IResourceStore& ModuleResourceStore();

}  // namespace fx::platform
