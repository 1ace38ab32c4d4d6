#pragma once
// The plug-in module's embedded resources (artwork and font), by type and
// name. On Windows these are the module's own resources; on Linux a table
// compiled into the module from resources/ at build time. Either way a type
// is an upper-case extension ("PNG", "JPG", "TTF", "SVG") and a name is
// stored as the upper-case file name with a double quote at each end
// ("\"NUPPI.PNG\""). Editor thread; the data stays valid while the module is
// loaded.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace fx::platform {

// Calls `visit` with each string name of the given type, in store order,
// until it returns false. Numeric resource ids are not names and are skipped.
// Returns false when the module has no resources of that type (also for a
// null type or an empty visitor). A visitor that throws stops the walk.
bool ForEachResourceName(void* module, const char* type, const std::function<bool(std::string_view name)>& visit);

// The bytes of one resource, looked up by its stored name (quotes included,
// letter case ignored as the Windows loader ignores it); empty when there is
// none, for a null type or name, and for "#n" (a numeric id is not a name).
std::span<const std::uint8_t> LoadResourceData(void* module, const char* type, const char* storedName);

}  // namespace fx::platform
