#pragma once
// A host callback for tests: answers the product and version queries, hands
// out a configurable transport record and process level, and records the
// calls it receives.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "vst2/VstInterface.h"

namespace vst2_test {

struct HostCall {
  std::int32_t opcode;
  std::int32_t index;
  std::intptr_t value;
  float opt;
};

class FakeHost {
 public:
  static FakeHost& Instance() {
    static FakeHost host;
    return host;
  }

  static std::intptr_t OMBRISK_VSTCALL Callback(vst2::AEffect*, std::int32_t opcode, std::int32_t index,
                                                std::intptr_t value, void* ptr, float opt) {
    return Instance().Answer(opcode, index, value, ptr, opt);
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    product = "Cubase VST";
    vendorVersion = 10203;
    timeInfo = nullptr;
    processLevel = 2;
    processEventsAnswer = 1;
    sizeWindowAnswer = 1;
    lastMidi.clear();
    lastSysExSize = -1;
  }

  std::vector<HostCall> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  int Count(std::int32_t opcode) {
    int n = 0;
    for (const HostCall& c : Calls()) n += c.opcode == opcode;
    return n;
  }

  const char* product = "Cubase VST";
  std::intptr_t vendorVersion = 10203;
  vst2::VstTimeInfo* timeInfo = nullptr;
  std::intptr_t processLevel = 2;
  std::intptr_t processEventsAnswer = 1;
  std::intptr_t sizeWindowAnswer = 1;
  std::vector<std::uint8_t> lastMidi;
  std::int32_t lastSysExSize = -1;
  // Counting only: block callbacks ask for time and level every block, from
  // the audio thread, and must not be slowed by the log.
  bool logAudioQueries = false;

 private:
  FakeHost() { Reset(); }

  std::intptr_t Answer(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    const bool audioQuery = opcode == vst2::audioMasterGetTime || opcode == vst2::audioMasterGetCurrentProcessLevel;
    if (!audioQuery || logAudioQueries) {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back({opcode, index, value, opt});
    }
    switch (opcode) {
      case vst2::audioMasterGetProductString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), product);
        return 1;
      case vst2::audioMasterGetVendorVersion:
        return vendorVersion;
      case vst2::audioMasterGetTime:
        return reinterpret_cast<std::intptr_t>(timeInfo);
      case vst2::audioMasterGetCurrentProcessLevel:
        return processLevel;
      case vst2::audioMasterSizeWindow:
        return sizeWindowAnswer;
      case vst2::audioMasterProcessEvents: {
        const auto* events = static_cast<const vst2::VstEvents*>(ptr);
        if (events && events->numEvents == 1 && events->events[0]) {
          const vst2::VstEvent* e = events->events[0];
          if (e->type == vst2::kVstMidiType) {
            const auto* m = reinterpret_cast<const vst2::VstMidiEvent*>(e);
            lastMidi.assign(m->midiData, m->midiData + 4);
          } else if (e->type == vst2::kVstSysExType) {
            lastSysExSize = reinterpret_cast<const vst2::VstMidiSysexEvent*>(e)->dumpBytes;
          }
        }
        return processEventsAnswer;
      }
      default:
        return 0;
    }
  }

  std::mutex mutex_;
  std::vector<HostCall> calls_;
};

}  // namespace vst2_test
