// Fixed-layout records exchanged through the dispatcher and the host callback.
// None of them holds a pointer, so they have one size on 32-bit and 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vst2 {

// Editor rectangle (effEditGetRect).
struct ERect {
  std::int16_t top;
  std::int16_t left;
  std::int16_t bottom;
  std::int16_t right;
};

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  std::int32_t type;
  char future[28];
};

enum VstSpeakerArrangementType : std::int32_t {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
};

// The record declares room for eight speakers; hosts with more channels allocate
// a longer one, so never index past numChannels of a foreign record.
struct VstSpeakerArrangement {
  std::int32_t type;
  std::int32_t numChannels;
  VstSpeakerProperties speakers[8];
};

// effGetInputProperties / effGetOutputProperties.
struct VstPinProperties {
  char label[64];
  std::int32_t flags;
  std::int32_t arrangementType;
  char shortLabel[8];
  char future[48];
};

inline constexpr std::int32_t kVstPinIsActive = 1 << 0;
inline constexpr std::int32_t kVstPinIsStereo = 1 << 1;
inline constexpr std::int32_t kVstPinUseSpeaker = 1 << 2;

// effGetParameterProperties.
struct VstParameterProperties {
  float stepFloat;
  float smallStepFloat;
  float largeStepFloat;
  char label[64];
  std::int32_t flags;
  std::int32_t minInteger;
  std::int32_t maxInteger;
  std::int32_t stepInteger;
  std::int32_t largeStepInteger;
  char shortLabel[8];
  std::int16_t displayIndex;
  std::int16_t category;
  std::int16_t numParametersInCategory;
  std::int16_t reserved;
  char categoryLabel[24];
  char future[16];
};

inline constexpr std::int32_t kVstParameterIsSwitch = 1 << 0;
inline constexpr std::int32_t kVstParameterUsesIntegerMinMax = 1 << 1;
inline constexpr std::int32_t kVstParameterUsesFloatStep = 1 << 2;
inline constexpr std::int32_t kVstParameterUsesIntStep = 1 << 3;
inline constexpr std::int32_t kVstParameterSupportsDisplayIndex = 1 << 4;
inline constexpr std::int32_t kVstParameterSupportsDisplayCategory = 1 << 5;
inline constexpr std::int32_t kVstParameterCanRamp = 1 << 6;

// audioMasterGetTime answer.
struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  std::int32_t timeSigNumerator;
  std::int32_t timeSigDenominator;
  std::int32_t smpteOffset;
  std::int32_t smpteFrameRate;
  std::int32_t samplesToNextClock;
  std::int32_t flags;
};

inline constexpr std::int32_t kVstTransportChanged = 1 << 0;
inline constexpr std::int32_t kVstTransportPlaying = 1 << 1;
inline constexpr std::int32_t kVstTransportCycleActive = 1 << 2;
inline constexpr std::int32_t kVstTransportRecording = 1 << 3;
inline constexpr std::int32_t kVstAutomationWriting = 1 << 6;
inline constexpr std::int32_t kVstAutomationReading = 1 << 7;
inline constexpr std::int32_t kVstNanosValid = 1 << 8;
inline constexpr std::int32_t kVstPpqPosValid = 1 << 9;
inline constexpr std::int32_t kVstTempoValid = 1 << 10;
inline constexpr std::int32_t kVstBarsValid = 1 << 11;
inline constexpr std::int32_t kVstCyclePosValid = 1 << 12;
inline constexpr std::int32_t kVstTimeSigValid = 1 << 13;
inline constexpr std::int32_t kVstSmpteValid = 1 << 14;
inline constexpr std::int32_t kVstClockValid = 1 << 15;

// effGetMidiKeyName.
struct MidiKeyName {
  std::int32_t thisProgramIndex;
  std::int32_t thisKeyNumber;
  char keyName[64];
  std::int32_t reserved;
  std::int32_t flags;
};

static_assert(std::is_standard_layout_v<ERect> && std::is_trivially_copyable_v<ERect>);
static_assert(sizeof(ERect) == 8);
static_assert(offsetof(ERect, left) == 2 && offsetof(ERect, bottom) == 4 && offsetof(ERect, right) == 6);

static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(offsetof(VstSpeakerProperties, name) == 16);
static_assert(offsetof(VstSpeakerProperties, type) == 80);
static_assert(sizeof(VstSpeakerArrangement) == 8 + 8 * 112);
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4);
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8);

static_assert(sizeof(VstPinProperties) == 128);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);

static_assert(sizeof(VstParameterProperties) == 152);
static_assert(offsetof(VstParameterProperties, label) == 12);
static_assert(offsetof(VstParameterProperties, flags) == 76);
static_assert(offsetof(VstParameterProperties, minInteger) == 80);
static_assert(offsetof(VstParameterProperties, largeStepInteger) == 92);
static_assert(offsetof(VstParameterProperties, shortLabel) == 96);
static_assert(offsetof(VstParameterProperties, displayIndex) == 104);
static_assert(offsetof(VstParameterProperties, categoryLabel) == 112);
static_assert(offsetof(VstParameterProperties, future) == 136);

static_assert(sizeof(VstTimeInfo) == 88);
static_assert(offsetof(VstTimeInfo, tempo) == 32);
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, flags) == 84);

static_assert(sizeof(MidiKeyName) == 80);
static_assert(offsetof(MidiKeyName, keyName) == 8);
static_assert(offsetof(MidiKeyName, reserved) == 72);

}  // namespace vst2
