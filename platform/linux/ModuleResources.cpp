// Module resources on Linux: the table compiled into this module at build
// time. The module argument is not needed: the table found is always the one
// linked into the module that runs this code. Names and types compare
// without regard to ASCII case, as the Windows loader compares them.

#include "platform/ModuleResources.h"

#include "platform/linux/ResourceTable.h"

namespace fx::platform {

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (Upper(*a) != Upper(*b)) return false;
  return *a == *b;
}

std::span<const ResourceTableEntry> Entries() {
  const ResourceTable* table = &ombrisk_module_resource_table;
  if (table == nullptr || table->entries == nullptr) return {};
  return {table->entries, static_cast<std::size_t>(table->count)};
}

}  // namespace

bool ForEachResourceName(void*, const char* type, const std::function<bool(std::string_view name)>& visit) {
  if (type == nullptr || !visit) return false;
  bool sawType = false;
  for (const ResourceTableEntry& entry : Entries()) {
    if (!SameIgnoringCase(entry.type, type)) continue;
    sawType = true;
    try {
      if (!visit(std::string_view(entry.name))) break;
    } catch (...) {
      break;
    }
  }
  return sawType;
}

std::span<const std::uint8_t> LoadResourceData(void*, const char* type, const char* storedName) {
  if (type == nullptr || storedName == nullptr || storedName[0] == '#') return {};
  for (const ResourceTableEntry& entry : Entries())
    if (SameIgnoringCase(entry.type, type) && SameIgnoringCase(entry.name, storedName))
      return {entry.data, static_cast<std::size_t>(entry.size)};
  return {};
}

}  // namespace fx::platform
