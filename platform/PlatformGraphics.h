#pragma once
// The editor window of the window system the plug-in is built for, made in
// one place: the effect asks here and never names a window class, as the
// host asks host/EditWindow.h. platform/win and platform/linux implement it
// once each. The context comes with the module's instance and its embedded
// resources as its store.

#include <cstdint>
#include <memory>

#include "core/IGEditorDelegate.h"

namespace fx::igraphics {
class IGraphics;
}

namespace fx::platform {

// A context of width x height layout units at fps frames per second and
// the given draw scale, its window not yet open.
std::unique_ptr<igraphics::IGraphics> MakePlatformGraphics(IGEditorDelegate& delegate, std::int32_t width,
                                                           std::int32_t height, std::int32_t fps, float scale);

}  // namespace fx::platform
