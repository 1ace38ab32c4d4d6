#pragma once
// Counts the OpenGL calls a renderer makes: a loader that hands out, for
// every entry point the renderer loads, a stand-in that counts the call and
// forwards it. For tests and benchmarks that must show that a frame did no
// GL work at all. One counter per process (the stand-ins are global).

#include <cstdint>

#include "graphics/drawing/GlViewContext.h"

namespace ombrisk::page {

class GlCallCounter {
 public:
  // Wraps `inner`; the returned view context loads through the counter.
  static fx::igraphics::GlViewContext Wrap(const fx::igraphics::GlViewContext& inner);
  static std::uint64_t Calls();
};

}  // namespace ombrisk::page
