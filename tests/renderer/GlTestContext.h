#pragma once
// A headless OpenGL context for tests and benchmarks: EGL (surfaceless Mesa,
// or a pbuffer) on Linux, a hidden window with WGL on Windows. Rendering goes
// into frame-buffer objects, never to a visible surface.
#include <memory>
#include <string>

#include "renderer/GlApi.h"

namespace fx::vg::test {

class GlTestContext {
 public:
  // Null when no OpenGL context can be made; why in lastError().
  static std::unique_ptr<GlTestContext> create();
  static const std::string& lastError();
  virtual ~GlTestContext() = default;
  virtual GlProcLoader loader() const = 0;
  virtual void* loaderUser() const { return nullptr; }
  virtual void makeCurrent() = 0;
  virtual std::string description() const = 0;
};

}  // namespace fx::vg::test
