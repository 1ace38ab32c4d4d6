#pragma once
// What the platform hands IGraphicsVector::OnViewInitialized: the loader of
// the OpenGL entry points of the context it has just made current. The
// backend links no GL library; the platform's context decides which
// implementation answers. Where the context is one of a GL share group,
// the group's texture store comes with it, so that the artwork is uploaded
// once for every context of the group (null: the context shares nothing).

#include "renderer/GlApi.h"

namespace fx::igraphics {
class SharedTextures;
}

namespace fx::igraphics {

struct GlViewContext {
  fx::vg::GlProcLoader loader = nullptr;
  void* loaderUser = nullptr;
  SharedTextures* textures = nullptr;
};

}  // namespace fx::igraphics
