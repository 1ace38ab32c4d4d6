// Everything of the VST2 interface in one include.
#pragma once

#include "AEffect.h"
#include "VstEvents.h"
#include "VstOpcodes.h"
#include "VstRecords.h"
#include "VstTypes.h"
