// The offscreen context on Linux: EGL on Mesa, surfaceless when the driver
// offers it, else a 16 x 16 pbuffer that is never drawn to.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "graphics/drawing/SharedTextures.h"
#include "platform/OffscreenGlContext.h"

namespace fx::platform {

namespace {
std::string& error() {
  static std::string e;
  return e;
}

vg::GlProc loadProc(const char* name, void*) { return reinterpret_cast<vg::GlProc>(eglGetProcAddress(name)); }

// The share group of the contexts of one thread: their live contexts (the
// next is made with one as share context) and the artwork store. Made by
// the first context, deleted by the last (a pointer and a spin lock, all
// constant-initialised: nothing waits for static destruction). A context
// made on another thread while it lives shares nothing.
class ShareGroup {
 public:
  static ShareGroup* Join() {
    Guard guard;
    if (current_ && current_->thread_ != std::this_thread::get_id()) return nullptr;
    if (!current_) current_ = new ShareGroup;
    ++current_->users_;
    return current_;
  }
  void Leave() {
    bool last = false;
    {
      Guard guard;
      last = --users_ == 0;
      if (last) current_ = nullptr;
    }
    if (last) delete this;
  }
  EGLContext AnyContext(EGLDisplay display) const {
    for (const auto& [d, c] : contexts_)
      if (d == display) return c;
    return EGL_NO_CONTEXT;
  }
  void Add(EGLDisplay display, EGLContext context) { contexts_.emplace_back(display, context); }
  void Remove(EGLContext context) {
    contexts_.erase(std::remove_if(contexts_.begin(), contexts_.end(), [&](const auto& e) { return e.second == context; }),
                    contexts_.end());
  }
  bool Empty() const { return contexts_.empty(); }
  igraphics::SharedTextures& textures() { return textures_; }

 private:
  struct Guard {
    Guard() {
      while (lock_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~Guard() { lock_.clear(std::memory_order_release); }
  };
  std::thread::id thread_ = std::this_thread::get_id();
  std::int32_t users_ = 0;
  std::vector<std::pair<EGLDisplay, EGLContext>> contexts_;
  igraphics::SharedTextures textures_;
  static inline constinit std::atomic_flag lock_{};
  static inline constinit ShareGroup* current_ = nullptr;
};

class EglContext final : public OffscreenGlContext {
 public:
  ~EglContext() override {
    if (display_ != EGL_NO_DISPLAY) {
      eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      if (group_ && sharing_) group_->Remove(context_);
      if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
      if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
      // The display is the process's (EGL hands out one per platform):
      // terminating it with contexts of the group alive would end theirs too.
      if (!group_ || group_->Empty()) eglTerminate(display_);
    }
    if (group_) group_->Leave();
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
    group_ = ShareGroup::Join();
    const EGLContext shareWith = group_ ? group_->AnyContext(display_) : EGL_NO_CONTEXT;
    context_ = eglCreateContext(display_, config, shareWith, nullptr);
    bool shared = context_ != EGL_NO_CONTEXT && shareWith != EGL_NO_CONTEXT;
    if (context_ == EGL_NO_CONTEXT && shareWith != EGL_NO_CONTEXT)
      context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) return fail("eglCreateContext failed");
    // In the group when its first context or made with one as share context.
    sharing_ = group_ && (shared || group_->Empty());
    if (sharing_) group_->Add(display_, context_);
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
  igraphics::SharedTextures* sharedTextures() const override { return sharing_ ? &group_->textures() : nullptr; }

 private:
  bool fail(const char* why) {
    error() = why;
    return false;
  }
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
  ShareGroup* group_ = nullptr;
  bool sharing_ = false;
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
