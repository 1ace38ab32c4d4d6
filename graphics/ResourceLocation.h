#pragma once
// Where a named resource was found.

#include <cstdint>

namespace fx::igraphics {

enum class ResourceLocation : std::int32_t { NotFound = 0, FilePath = 1, ModuleResource = 2 };

}  // namespace fx::igraphics
