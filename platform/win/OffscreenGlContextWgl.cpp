// The offscreen context on Windows: a hidden window with a WGL context.
#include <windows.h>

#include "platform/OffscreenGlContext.h"

namespace fx::platform {

namespace {
std::string& error() {
  static std::string e;
  return e;
}

// wglGetProcAddress knows only what came after OpenGL 1.1; the rest is
// exported by opengl32 itself.
vg::GlProc loadProc(const char* name, void*) {
  PROC p = wglGetProcAddress(name);
  const auto bad = reinterpret_cast<INT_PTR>(p);
  if (bad == 0 || bad == 1 || bad == 2 || bad == 3 || bad == -1) {
    static HMODULE opengl = LoadLibraryA("opengl32.dll");
    p = opengl ? GetProcAddress(opengl, name) : nullptr;
  }
  return reinterpret_cast<vg::GlProc>(p);
}

class WglContext final : public OffscreenGlContext {
 public:
  ~WglContext() override {
    wglMakeCurrent(nullptr, nullptr);
    if (context_) wglDeleteContext(context_);
    if (dc_) ReleaseDC(window_, dc_);
    if (window_) DestroyWindow(window_);
  }

  bool init() {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OmbriskOffscreenGl";
    RegisterClassA(&wc);
    window_ = CreateWindowA("OmbriskOffscreenGl", "offscreen gl", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                            wc.hInstance, nullptr);
    if (!window_) return fail("CreateWindow failed");
    dc_ = GetDC(window_);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cAlphaBits = 8;
    pfd.cStencilBits = 8;
    const int format = ChoosePixelFormat(dc_, &pfd);
    if (!format || !SetPixelFormat(dc_, format, &pfd)) return fail("no OpenGL pixel format");
    context_ = wglCreateContext(dc_);
    if (!context_) return fail("wglCreateContext failed");
    makeCurrent();
    if (wglGetCurrentContext() != context_) return fail("wglMakeCurrent failed");
    return true;
  }

  vg::GlProcLoader loader() const override { return &loadProc; }
  void makeCurrent() override { wglMakeCurrent(dc_, context_); }
  std::string description() const override { return "WGL hidden window"; }

 private:
  bool fail(const char* why) {
    error() = why;
    return false;
  }
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
};
}  // namespace

const std::string& OffscreenGlContext::lastError() { return error(); }

std::unique_ptr<OffscreenGlContext> OffscreenGlContext::create() {
  auto c = std::make_unique<WglContext>();
  if (!c->init()) return nullptr;
  return c;
}

}  // namespace fx::platform
