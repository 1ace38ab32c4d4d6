// The library's load entry: records the module's own instance handle for
// resource lookup and window-class registration.

#include <windows.h>

#include "platform/ModuleHandle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  fx::platform::SetModuleInstance(instance);
  return TRUE;
}
