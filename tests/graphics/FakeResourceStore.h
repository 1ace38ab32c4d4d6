#pragma once
// A resource store held in memory: types map stored names (quoted,
// upper-case, as the module keeps them) to bytes. Counts lookups so tests
// can see which candidates a search tried.

#include <atomic>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "graphics/IResourceStore.h"

namespace testing_support {

class FakeResourceStore : public fx::igraphics::IResourceStore {
 public:
  // Adds a resource under its file name, stored the module's way.
  void Add(const std::string& type, const std::string& fileName, const std::string& bytes) {
    std::string upper = fileName;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    AddStored(type, "\"" + upper + "\"", bytes);
  }
  void AddStored(const std::string& type, const std::string& storedName, const std::string& bytes) {
    types_[type].push_back({storedName, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
  }

  bool ForEachName(void* /*module*/, const char* type,
                   const std::function<bool(std::string_view name)>& visit) const override {
    ++enumerations;
    const auto it = types_.find(type ? type : "");
    if (it == types_.end()) return false;
    for (const auto& entry : it->second)
      if (!visit(entry.first)) break;
    return true;
  }
  std::span<const std::uint8_t> Data(void* /*module*/, const char* type, const char* storedName) const override {
    ++reads;
    const auto it = types_.find(type ? type : "");
    if (it == types_.end() || !storedName) return {};
    for (const auto& entry : it->second)
      if (entry.first == storedName) return {entry.second.data(), entry.second.size()};
    return {};
  }

  // Atomic: several editor threads may read one store.
  mutable std::atomic<int> enumerations{0};
  mutable std::atomic<int> reads{0};

 private:
  std::map<std::string, std::vector<std::pair<std::string, std::vector<std::uint8_t>>>> types_;
};

}  // namespace testing_support
