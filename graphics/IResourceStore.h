#pragma once
// The embedded resources the editor's artwork is looked up in, by type (an
// upper-case extension such as "PNG") and stored name (the upper-case file
// name with a double quote at each end). A context starts with an empty
// store; whoever makes it hands in the real one (the platform's window
// factory the module's resources, tests their own).

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace fx::igraphics {

class IResourceStore {
 public:
  virtual ~IResourceStore() = default;
  // Calls visit with each stored name of the type, in store order, until it
  // returns false. False when the store has no resources of that type.
  virtual bool ForEachName(void* module, const char* type,
                           const std::function<bool(std::string_view name)>& visit) const = 0;
  // The bytes stored under a name (quotes included); empty when none. They
  // stay valid while the store lives.
  virtual std::span<const std::uint8_t> Data(void* module, const char* type, const char* storedName) const = 0;
};

// A store with nothing in it; one shared instance.
IResourceStore& EmptyResourceStore();

}  // namespace fx::igraphics
