#pragma once
// What the entry point hands to the effect's constructor.

#include "vst2/AEffect.h"

namespace fx {

struct HostLaunchInfo {
  vst2::audioMasterCallback hostCallback = nullptr;
};

}  // namespace fx
