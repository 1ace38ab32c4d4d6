// The record a VST2 plug-in hands to its host, the function types it carries,
// and the entry point's signature.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "VstTypes.h"

namespace vst2 {

struct AEffect;

// host -> plug-in (dispatcher) and plug-in -> host (audioMaster) share one shape:
// opcode, index, pointer-sized value, pointer, float.
using AEffectDispatcherProc = std::intptr_t(OMBRISK_VSTCALL*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                              std::intptr_t value, void* ptr, float opt);
using audioMasterCallback = std::intptr_t(OMBRISK_VSTCALL*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                            std::intptr_t value, void* ptr, float opt);
using AEffectProcessProc = void(OMBRISK_VSTCALL*)(AEffect* effect, float** inputs, float** outputs,
                                                  std::int32_t sampleFrames);
using AEffectProcessDoubleProc = void(OMBRISK_VSTCALL*)(AEffect* effect, double** inputs, double** outputs,
                                                        std::int32_t sampleFrames);
using AEffectSetParameterProc = void(OMBRISK_VSTCALL*)(AEffect* effect, std::int32_t index, float value);
using AEffectGetParameterProc = float(OMBRISK_VSTCALL*)(AEffect* effect, std::int32_t index);

// Signature of the exported "VSTPluginMain" and "main".
using VstPluginMainProc = AEffect*(OMBRISK_VSTCALL*)(audioMasterCallback host);

struct AEffect {
  std::int32_t magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  std::int32_t numPrograms;
  std::int32_t numParams;
  std::int32_t numInputs;
  std::int32_t numOutputs;
  std::int32_t flags;
  std::intptr_t resvd1;
  std::intptr_t resvd2;
  std::int32_t initialDelay;
  std::int32_t realQualities;
  std::int32_t offQualities;
  float ioRatio;
  void* object;
  void* user;
  std::int32_t uniqueID;
  std::int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// AEffect::flags
inline constexpr std::int32_t effFlagsHasEditor = 1 << 0;
inline constexpr std::int32_t effFlagsCanMono = 1 << 3;
inline constexpr std::int32_t effFlagsCanReplacing = 1 << 4;
inline constexpr std::int32_t effFlagsProgramChunks = 1 << 5;
inline constexpr std::int32_t effFlagsIsSynth = 1 << 8;
inline constexpr std::int32_t effFlagsNoSoundInStop = 1 << 9;
inline constexpr std::int32_t effFlagsCanDoubleReplacing = 1 << 12;

// Answers to effGetPlugCategory.
enum VstPlugCategory : std::int32_t {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
};

static_assert(std::is_standard_layout_v<AEffect>);
static_assert(offsetof(AEffect, magic) == 0);
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(AEffect) == 144);
static_assert(offsetof(AEffect, dispatcher) == 4);
static_assert(offsetof(AEffect, process) == 8);
static_assert(offsetof(AEffect, setParameter) == 12);
static_assert(offsetof(AEffect, getParameter) == 16);
static_assert(offsetof(AEffect, numPrograms) == 20);
static_assert(offsetof(AEffect, numParams) == 24);
static_assert(offsetof(AEffect, numInputs) == 28);
static_assert(offsetof(AEffect, numOutputs) == 32);
static_assert(offsetof(AEffect, flags) == 36);
static_assert(offsetof(AEffect, resvd1) == 40);
static_assert(offsetof(AEffect, initialDelay) == 48);
static_assert(offsetof(AEffect, ioRatio) == 60);
static_assert(offsetof(AEffect, object) == 64);
static_assert(offsetof(AEffect, user) == 68);
static_assert(offsetof(AEffect, uniqueID) == 72);
static_assert(offsetof(AEffect, version) == 76);
static_assert(offsetof(AEffect, processReplacing) == 80);
static_assert(offsetof(AEffect, processDoubleReplacing) == 84);
static_assert(offsetof(AEffect, future) == 88);
#elif INTPTR_MAX == INT64_MAX
static_assert(sizeof(AEffect) == 192);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, process) == 16);
static_assert(offsetof(AEffect, setParameter) == 24);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, numParams) == 44);
static_assert(offsetof(AEffect, numInputs) == 48);
static_assert(offsetof(AEffect, numOutputs) == 52);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(offsetof(AEffect, future) == 136);
#else
#error "VST2 records are only laid out for 32-bit and 64-bit pointers"
#endif

}  // namespace vst2
