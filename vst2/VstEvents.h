// MIDI and system-exclusive events (effProcessEvents, audioMasterProcessEvents).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vst2 {

enum VstEventType : std::int32_t {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// Generic header: every event starts with these fields and is byteSize long.
struct VstEvent {
  std::int32_t type;
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  char data[16];
};

struct VstMidiEvent {
  std::int32_t type;  // kVstMidiType
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  std::int32_t noteLength;
  std::int32_t noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

inline constexpr std::int32_t kVstMidiEventIsRealtime = 1 << 0;

struct VstMidiSysexEvent {
  std::int32_t type;  // kVstSysExType
  std::int32_t byteSize;
  std::int32_t deltaFrames;
  std::int32_t flags;
  std::int32_t dumpBytes;
  std::intptr_t resvd1;
  char* sysexDump;
  std::intptr_t resvd2;
};

// A list of numEvents pointers; the record declares two, senders allocate more.
struct VstEvents {
  std::int32_t numEvents;
  std::intptr_t reserved;
  VstEvent* events[2];
};

// The byteSize that senders put into both declared event kinds.
inline constexpr std::int32_t kVstEventByteSize = 32;

static_assert(sizeof(VstEvent) == 32);
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16);
static_assert(std::is_standard_layout_v<VstEvents> && std::is_standard_layout_v<VstMidiSysexEvent>);
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(VstMidiSysexEvent) == 32);
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 20);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 24);
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 28);
static_assert(sizeof(VstEvents) == 16);
static_assert(offsetof(VstEvents, reserved) == 4);
static_assert(offsetof(VstEvents, events) == 8);
#elif INTPTR_MAX == INT64_MAX
static_assert(sizeof(VstMidiSysexEvent) == 48);
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 24);
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32);
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 40);
static_assert(sizeof(VstEvents) == 32);
static_assert(offsetof(VstEvents, reserved) == 8);
static_assert(offsetof(VstEvents, events) == 16);
#else
#error "VST2 records are only laid out for 32-bit and 64-bit pointers"
#endif

}  // namespace vst2
