#pragma once
// The one function a plug-in module supplies to the VST2 entry point: build
// its effect object for a host.

#include "vst2/HostLaunchInfo.h"

namespace fx {

class IFxVST2;

// Returns null when the object cannot be built.
IFxVST2* MakeVstPlugin(const HostLaunchInfo& info);

}  // namespace fx
