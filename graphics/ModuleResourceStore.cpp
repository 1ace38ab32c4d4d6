#include "graphics/IResourceStore.h"

#if !defined(OMBRISK_NO_MODULE_RESOURCES)
#include "platform/ModuleResources.h"
#endif

namespace fx::igraphics {
namespace {

// The module's resources through the platform layer.
class ModuleStore final : public IResourceStore {
 public:
  bool ForEachName(void* module, const char* type,
                   const std::function<bool(std::string_view name)>& visit) const override {
#if defined(OMBRISK_NO_MODULE_RESOURCES)
    (void)module, (void)type, (void)visit;
    return false;
#else
    if (!type) return false;
    return fx::platform::ForEachResourceName(module, type, visit);
#endif
  }
  std::span<const std::uint8_t> Data(void* module, const char* type, const char* storedName) const override {
#if defined(OMBRISK_NO_MODULE_RESOURCES)
    (void)module, (void)type, (void)storedName;
    return {};
#else
    if (!type || !storedName) return {};
    return fx::platform::LoadResourceData(module, type, storedName);
#endif
  }
};

}  // namespace

IResourceStore& ModuleResourceStore() {
  static ModuleStore store;
  return store;
}

}  // namespace fx::igraphics
