// The exported entry points "VSTPluginMain" and "main".

#include <mutex>
#include <new>

#include "vst2/IFxVST2.h"
#include "vst2/PluginFactory.h"

#if defined(_WIN32)
#define OMBRISK_EXPORT __declspec(dllexport)
#else
#define OMBRISK_EXPORT __attribute__((visibility("default")))
#endif

namespace {

vst2::AEffect* CreateEffect(vst2::audioMasterCallback host) {
  fx::IFxVST2* plugin = nullptr;
  {
    // Hosts may create instances from several threads at once.
    static std::mutex creationLock;
    std::lock_guard<std::mutex> lock(creationLock);
    plugin = fx::MakeVstPlugin(fx::HostLaunchInfo{host});
  }
  if (!plugin) return nullptr;
  // After the effect's constructor, so that the presets hold its defaults.
  plugin->SeedUninitializedPresets();
  vst2::AEffect* effect = plugin->GetAEffect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

}  // namespace

extern "C" OMBRISK_EXPORT vst2::AEffect* OMBRISK_VSTCALL VSTPluginMain(vst2::audioMasterCallback host) {
  return CreateEffect(host);
}

// The older entry point, "main" to the host. C++ reserves that name, so the
// function has another one and the export is renamed: by the module
// definition file on Windows, by an assembler name elsewhere.
#if defined(_WIN32)
extern "C" vst2::AEffect* OMBRISK_VSTCALL OmbriskLegacyMain(vst2::audioMasterCallback host) {
  return CreateEffect(host);
}
#else
extern "C" OMBRISK_EXPORT vst2::AEffect* OmbriskLegacyMain(vst2::audioMasterCallback host) __asm__("main");
extern "C" vst2::AEffect* OmbriskLegacyMain(vst2::audioMasterCallback host) { return CreateEffect(host); }
#endif
