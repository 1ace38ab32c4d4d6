#pragma once
// What the platform hands IGraphicsVector::OnViewInitialized: the loader of
// the OpenGL entry points of the context it has just made current. The
// backend links no GL library; the platform's context decides which
// implementation answers.

#include "renderer/GlApi.h"

namespace fx::igraphics {

struct GlViewContext {
  fx::vg::GlProcLoader loader = nullptr;
  void* loaderUser = nullptr;
};

}  // namespace fx::igraphics
