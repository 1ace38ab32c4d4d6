#include "graphics/IResourceStore.h"

namespace fx::igraphics {
namespace {

// What a context looks in before it is handed a store: nothing is found.
class EmptyStore final : public IResourceStore {
 public:
  bool ForEachName(void*, const char*, const std::function<bool(std::string_view name)>&) const override {
    return false;
  }
  std::span<const std::uint8_t> Data(void*, const char*, const char*) const override { return {}; }
};

}  // namespace

IResourceStore& EmptyResourceStore() {
  static EmptyStore store;
  return store;
}

}  // namespace fx::igraphics
