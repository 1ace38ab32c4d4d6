#pragma once
// Loads a plug-in module the way a host does and finds its entry point.

#include <string>

#include "vst2/VstInterface.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vst2_test {

class ModuleLoader {
 public:
  explicit ModuleLoader(std::string path) {
#if defined(_WIN32)
    // Under wine the build tree's Unix path is reached through drive Z:.
    if (!path.empty() && path[0] == '/') {
      path = "Z:" + path;
      for (char& c : path)
        if (c == '/') c = '\\';
    }
    handle_ = LoadLibraryA(path.c_str());
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
  }
  ~ModuleLoader() {
#if defined(_WIN32)
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
#else
    if (handle_) dlclose(handle_);
#endif
  }
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  bool Loaded() const { return handle_ != nullptr; }

  vst2::VstPluginMainProc Entry(const char* name) const {
    if (!handle_) return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<vst2::VstPluginMainProc>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)));
#else
    return reinterpret_cast<vst2::VstPluginMainProc>(dlsym(handle_, name));
#endif
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace vst2_test
