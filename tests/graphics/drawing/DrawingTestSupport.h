#pragma once
// Shared by the drawing-backend tests: a delegate with no host behind it, a
// resource store held in memory, PNG encoding of test images and one
// off-screen GL context for the whole program.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/IGEditorDelegate.h"
#include "graphics/IResourceStore.h"
#include "platform/OffscreenGlContext.h"

namespace fx::igraphics::test {

class TestDelegate : public fx::IGEditorDelegate {
 public:
  explicit TestDelegate(std::int32_t nParams = 1) : fx::IGEditorDelegate(nParams) {}
  void BeginParamGestureFromEditor(std::int32_t) override {}
  void EndParamGestureFromEditor(std::int32_t) override {}
};

// Resources by type (upper case) and stored name ("\"NAME.PNG\"").
class MemoryStore : public IResourceStore {
 public:
  // Adds a file under its upper-cased, quoted name; the type is its extension.
  void Add(const std::string& fileName, std::vector<std::uint8_t> bytes);
  bool ForEachName(void* module, const char* type,
                   const std::function<bool(std::string_view name)>& visit) const override;
  std::span<const std::uint8_t> Data(void* module, const char* type, const char* storedName) const override;

 private:
  std::map<std::string, std::map<std::string, std::vector<std::uint8_t>>> byType_;
};

// w x h RGBA pixels (rows top first) as PNG bytes.
// PNG bytes of w x h pixels of `channels` bytes each (4: RGBA, 3: RGB).
std::vector<std::uint8_t> EncodePng(std::int32_t w, std::int32_t h, const std::vector<std::uint8_t>& rgba,
                                    int channels = 4);
std::vector<std::uint8_t> ReadFile(const std::string& path);

// The program's GL context (made once); null when none can be made.
fx::platform::OffscreenGlContext* SharedGl();

}  // namespace fx::igraphics::test
