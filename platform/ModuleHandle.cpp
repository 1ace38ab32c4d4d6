#include "platform/ModuleHandle.h"

#include <atomic>

namespace fx::platform {
namespace {
std::atomic<void*> gModuleInstance{nullptr};
}

void SetModuleInstance(void* instance) { gModuleInstance.store(instance, std::memory_order_release); }

void* GetModuleInstance() { return gModuleInstance.load(std::memory_order_acquire); }

}  // namespace fx::platform
