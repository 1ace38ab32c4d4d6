#include "GlCallCounter.h"

#include <atomic>
#include <cstring>

namespace ombrisk::page {

namespace {

using namespace fx::vg;

std::atomic<std::uint64_t> calls{0};
fx::igraphics::GlViewContext inner;

#define FX_GL_REAL(ret, name, args) ret(FX_GLAPI* real##name) args = nullptr;
FX_GL_FUNCTIONS(FX_GL_REAL)
FX_GL_FBO_FUNCTIONS(FX_GL_REAL)
#undef FX_GL_REAL

template <auto* Slot, class R, class... A>
R FX_GLAPI Counted(A... a) {
  calls.fetch_add(1, std::memory_order_relaxed);
  return (*Slot)(a...);
}

template <auto* Slot, class R, class... A>
fx::vg::GlProc CountedFor(R(FX_GLAPI*)(A...)) {
  return reinterpret_cast<fx::vg::GlProc>(&Counted<Slot, R, A...>);
}

fx::vg::GlProc Load(const char* name, void*) {
  fx::vg::GlProc proc = inner.loader(name, inner.loaderUser);
  if (!proc) return nullptr;
  // Both spellings of the frame-buffer entry points ("...EXT") map to one slot.
#define FX_GL_WRAP(ret, fn, args)                                                 \
  if (std::strncmp(name, "gl" #fn, std::strlen("gl" #fn)) == 0 &&                 \
      (name[std::strlen("gl" #fn)] == '\0' || std::strcmp(name + std::strlen("gl" #fn), "EXT") == 0)) { \
    real##fn = reinterpret_cast<decltype(real##fn)>(proc);                        \
    return CountedFor<&real##fn>(real##fn);                                       \
  }
  FX_GL_FUNCTIONS(FX_GL_WRAP)
  FX_GL_FBO_FUNCTIONS(FX_GL_WRAP)
#undef FX_GL_WRAP
  return proc;
}

}  // namespace

fx::igraphics::GlViewContext GlCallCounter::Wrap(const fx::igraphics::GlViewContext& wrapped) {
  inner = wrapped;
  return {&Load, nullptr};
}

std::uint64_t GlCallCounter::Calls() { return calls.load(); }

}  // namespace ombrisk::page
