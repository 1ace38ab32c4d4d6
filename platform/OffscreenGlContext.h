#pragma once
// A headless OpenGL context for tools, tests and benchmarks: EGL (surfaceless
// Mesa, or a small pbuffer) on Linux, a hidden window with WGL on Windows.
// It has no visible surface: draw into frame-buffer objects and read the
// pixels back. The context is current on the creating thread after create();
// makeCurrent() makes it current again after another context was used.
// On Linux the contexts made on one thread are one GL share group (made
// with the first live one as share context), as the editor windows of a
// thread are, and sharedTextures() is the group's artwork store; a context
// of another thread than the group's shares nothing (null store).
#include <memory>
#include <string>

#include "renderer/GlApi.h"

namespace fx::igraphics {
class SharedTextures;
}

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
  // The texture store of the context's share group; null when it shares nothing.
  virtual igraphics::SharedTextures* sharedTextures() const { return nullptr; }
  // Which kind of context was made ("EGL surfaceless", "WGL hidden window").
  virtual std::string description() const = 0;
};

}  // namespace fx::platform
