#include "graphics/IResourceStore.h"

#include "platform/ModuleResources.h"

namespace fx::igraphics {
namespace {

// The module's resources through the platform layer.
class ModuleStore final : public IResourceStore {
 public:
  bool ForEachName(void* module, const char* type,
                   const std::function<bool(std::string_view name)>& visit) const override {
    if (!type) return false;
    return fx::platform::ForEachResourceName(module, type, visit);
  }
  std::span<const std::uint8_t> Data(void* module, const char* type, const char* storedName) const override {
    if (!type || !storedName) return {};
    return fx::platform::LoadResourceData(module, type, storedName);
  }
};

}  // namespace

IResourceStore& ModuleResourceStore() {
  static ModuleStore store;
  return store;
}

}  // namespace fx::igraphics
