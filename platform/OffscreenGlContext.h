#pragma once
// A headless OpenGL context for tools, tests and benchmarks: EGL (surfaceless
// Mesa, or a small pbuffer) on Linux, a hidden window with WGL on Windows.
// It has no visible surface: draw into frame-buffer objects and read the
// pixels back. The context is current on the creating thread after create();
// makeCurrent() makes it current again after another context was used.
#include <memory>
#include <string>

#include "renderer/GlApi.h"

namespace fx::platform {

class OffscreenGlContext {
 public:
  // Null when no OpenGL context can be made; why in lastError().
  static std::unique_ptr<OffscreenGlContext> create();
  static const std::string& lastError();
  virtual ~OffscreenGlContext() = default;
  // Looks up GL entry points for fx::vg::Renderer::create.
  virtual vg::GlProcLoader loader() const = 0;
  virtual void* loaderUser() const { return nullptr; }
  virtual void makeCurrent() = 0;
  // Which kind of context was made ("EGL surfaceless", "WGL hidden window").
  virtual std::string description() const = 0;
};

}  // namespace fx::platform
