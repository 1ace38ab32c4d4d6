#include "renderer/GlApi.h"

#include <string>

namespace fx::vg {

namespace {
template <typename Fn>
bool resolve(Fn& out, GlProcLoader loader, void* user, const char* name, const char* suffix) {
  std::string full = std::string("gl") + name + suffix;
  GlProc proc = loader(full.c_str(), user);
  out = reinterpret_cast<Fn>(proc);
  return proc != nullptr;
}
}  // namespace

bool GlApi::load(GlProcLoader loader, void* user) {
  missing = nullptr;
  if (loader == nullptr) {
    missing = "loader";
    return false;
  }
#define FX_GL_LOAD(ret, name, args)                         \
  if (!resolve(name, loader, user, #name, "") && !missing) \
    missing = "gl" #name;
  FX_GL_FUNCTIONS(FX_GL_LOAD)
#undef FX_GL_LOAD
#define FX_GL_LOAD_FBO(ret, name, args)                                                  \
  if (!resolve(name, loader, user, #name, "") && !resolve(name, loader, user, #name, "EXT") && \
      !missing)                                                                          \
    missing = "gl" #name;
  FX_GL_FBO_FUNCTIONS(FX_GL_LOAD_FBO)
#undef FX_GL_LOAD_FBO
  return missing == nullptr;
}

}  // namespace fx::vg
