#pragma once
// The plug-in module's own instance handle, recorded by the library's load
// entry and used for resource lookup and window-class registration.

namespace fx::platform {

void SetModuleInstance(void* instance);
void* GetModuleInstance();

}  // namespace fx::platform
