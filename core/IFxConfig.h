#pragma once
// The constructor-time description of a plug-in, filled by the effect's
// constructor and read by the framework's bases.

#include <cstdint>

namespace fx {

struct IFxConfig {
  std::int32_t nParams = 0;
  std::int32_t nPresets = 0;
  const char* channelIOString = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* makerName = "";
  std::int32_t version = 0;  // major << 16 | minor << 8 | third number
  std::int32_t uniqueId = 0;
  std::int32_t makerId = 0;
  std::int32_t latency = 0;
  bool midiIn = false;
  bool midiOut = false;
  bool mpe = false;
  bool stateChunks = false;
  std::int32_t pluginKind = 0;  // 0 effect, 1 instrument
  bool hasEditor = false;
  std::int32_t editorWidth = 0;
  std::int32_t editorHeight = 0;
  std::int32_t minWidth = 0;
  std::int32_t maxWidth = 0;
  std::int32_t minHeight = 0;
  std::int32_t maxHeight = 0;
  bool hostResize = false;
  const char* bundleId = "";
};

}  // namespace fx
