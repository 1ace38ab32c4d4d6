#include "platform/ModuleResourceStore.h"

#include "platform/ModuleResources.h"

namespace fx::platform {
namespace {

class ModuleStore final : public igraphics::IResourceStore {
 public:
  bool ForEachName(void* module, const char* type,
                   const std::function<bool(std::string_view name)>& visit) const override {
    if (!type) return false;
    return ForEachResourceName(module, type, visit);
  }
  std::span<const std::uint8_t> Data(void* module, const char* type, const char* storedName) const override {
    if (!type || !storedName) return {};
    return LoadResourceData(module, type, storedName);
  }
};

}  // namespace

igraphics::IResourceStore& ModuleResourceStore() {
  static ModuleStore store;
  return store;
}

}  // namespace fx::platform
