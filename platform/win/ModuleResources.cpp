// Module resources on Windows: the PE resource directory through the loader's
// own functions. The resource compiler stores string names upper-case, and
// FindResourceA upper-cases the name it is given, so lookups ignore case.

#include <windows.h>

#include "platform/ModuleResources.h"

namespace fx::platform {

namespace {

struct NameWalk {
  const std::function<bool(std::string_view name)>* visit = nullptr;
  bool sawType = false;
};

// Called by the loader once per entry of the type; never lets an exception
// unwind through the loader's frames.
BOOL CALLBACK VisitName(HMODULE, LPCSTR, LPSTR name, LONG_PTR user) {
  auto& walk = *reinterpret_cast<NameWalk*>(user);
  walk.sawType = true;
  if (IS_INTRESOURCE(name)) return TRUE;
  try {
    return (*walk.visit)(std::string_view(name)) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

// "#7" is the loader's spelling of numeric id 7: not a resource name.
bool IsNumericSpelling(const char* text) { return text[0] == '#'; }

}  // namespace

bool ForEachResourceName(void* module, const char* type, const std::function<bool(std::string_view name)>& visit) {
  if (type == nullptr || IsNumericSpelling(type) || !visit) return false;
  NameWalk walk;
  walk.visit = &visit;
  // The result says nothing reliable about a missing type (a visitor that
  // stops also makes it FALSE); whether the callback ran does.
  EnumResourceNamesA(static_cast<HMODULE>(module), type, &VisitName, reinterpret_cast<LONG_PTR>(&walk));
  return walk.sawType;
}

std::span<const std::uint8_t> LoadResourceData(void* module, const char* type, const char* storedName) {
  if (type == nullptr || storedName == nullptr || IsNumericSpelling(type) || IsNumericSpelling(storedName)) return {};
  const auto handle = static_cast<HMODULE>(module);
  HRSRC info = FindResourceA(handle, storedName, type);
  if (info == nullptr) return {};
  const DWORD size = SizeofResource(handle, info);
  HGLOBAL loaded = LoadResource(handle, info);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

}  // namespace fx::platform
