#pragma once
// The layout of the resource table that cmake/OmbriskResources.cmake
// assembles into an executable or shared object. Every field is one address
// wide (the assembly writes each with .dc.a), so the layout holds on 32- and
// 64-bit targets alike. Types and names are NUL-terminated and upper-case.

#include <cstdint>

namespace fx::platform {

struct ResourceTableEntry {
  const char* type;           // "PNG"
  const char* name;           // "\"NUPPI.PNG\""
  const std::uint8_t* data;
  std::uintptr_t size;
};

struct ResourceTable {
  std::uintptr_t count;
  const ResourceTableEntry* entries;
};

static_assert(sizeof(ResourceTableEntry) == 4 * sizeof(void*));
static_assert(sizeof(ResourceTable) == 2 * sizeof(void*));

}  // namespace fx::platform

// Defined by the generated assembly, hidden so that each module (the plug-in,
// a test program, a host that links the platform library too) sees its own.
// Weak: a module built without a table links and simply has no resources.
extern "C" const fx::platform::ResourceTable ombrisk_module_resource_table
    __attribute__((weak, visibility("hidden")));
