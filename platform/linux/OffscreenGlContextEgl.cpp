// The offscreen context on Linux: EGL on Mesa, surfaceless when the driver
// offers it, else a 16 x 16 pbuffer that is never drawn to.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "platform/OffscreenGlContext.h"

namespace fx::platform {

namespace {
std::string& error() {
  static std::string e;
  return e;
}

vg::GlProc loadProc(const char* name, void*) { return reinterpret_cast<vg::GlProc>(eglGetProcAddress(name)); }

class EglContext final : public OffscreenGlContext {
 public:
  ~EglContext() override {
    if (display_ != EGL_NO_DISPLAY) {
      eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
      if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
      eglTerminate(display_);
    }
  }

  bool init() {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    bool surfaceless = display_ != EGL_NO_DISPLAY;
    if (!surfaceless) display_ = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display_ == EGL_NO_DISPLAY) return fail("no EGL display");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display_, &major, &minor)) return fail("eglInitialize failed");
    if (!eglBindAPI(EGL_OPENGL_API)) return fail("desktop OpenGL not available through EGL");
    const EGLint attribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, surfaceless ? 0 : EGL_PBUFFER_BIT,
                              EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                              EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display_, attribs, &config, 1, &count) || count < 1) return fail("no EGL config");
    context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) return fail("eglCreateContext failed");
    if (!surfaceless) {
      const EGLint pb[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
      surface_ = eglCreatePbufferSurface(display_, config, pb);
    }
    kind_ = surfaceless ? "EGL surfaceless" : "EGL pbuffer";
    makeCurrent();
    if (eglGetCurrentContext() != context_) return fail("eglMakeCurrent failed");
    return true;
  }

  vg::GlProcLoader loader() const override { return &loadProc; }
  void makeCurrent() override { eglMakeCurrent(display_, surface_, surface_, context_); }
  std::string description() const override { return kind_; }

 private:
  bool fail(const char* why) {
    error() = why;
    return false;
  }
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
  std::string kind_;
};
}  // namespace

const std::string& OffscreenGlContext::lastError() { return error(); }

std::unique_ptr<OffscreenGlContext> OffscreenGlContext::create() {
  auto c = std::make_unique<EglContext>();
  if (!c->init()) return nullptr;
  return c;
}

}  // namespace fx::platform
