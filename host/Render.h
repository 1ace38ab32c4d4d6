// Running audio through a plug-in instance block by block, in any of the three
// processing modes a VST2 plug-in may offer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/Audio.h"
#include "host/PluginHost.h"

namespace ombrisk::host {

enum class ProcessMode { Replacing, Double, Accumulating };

bool ParseProcessMode(const std::string& text, ProcessMode& mode);
const char* ProcessModeName(ProcessMode mode);
// False and a reason when the plug-in does not offer the mode.
bool ModeSupported(const PluginInstance& plugin, ProcessMode mode, std::string& error);

// One block's worth of buffers per plug-in channel, and the pointer arrays that
// the process calls take. Float buffers are the reference; double mode
// converts on the way in and out.
class BlockBuffers {
 public:
  BlockBuffers(std::int32_t inputs, std::int32_t outputs, std::int32_t frames);

  std::int32_t Frames() const { return frames_; }
  std::vector<std::vector<float>>& In() { return in_; }
  std::vector<std::vector<float>>& Out() { return out_; }
  void FillOutputs(float value);

  // Runs `frames` (at most Frames()) through the plug-in. Accumulating mode adds
  // to whatever the outputs hold.
  void Run(PluginInstance& plugin, ProcessMode mode, std::int32_t frames);
  // Same, with every output pointer equal to the input pointer of its channel
  // where one exists (in-place processing, as many hosts do).
  void RunInPlace(PluginInstance& plugin, std::int32_t frames);

 private:
  std::int32_t frames_;
  std::vector<std::vector<float>> in_, out_;
  std::vector<std::vector<double>> inD_, outD_;
  std::vector<float*> inPtr_, outPtr_;
  std::vector<double*> inPtrD_, outPtrD_;
};

struct RenderOptions {
  std::int32_t blockSize = 512;
  ProcessMode mode = ProcessMode::Replacing;
  bool offline = false;
  bool includeTail = true;
  std::function<void(double)> progress;  // fraction done, called now and then
};

struct RenderReport {
  std::int32_t latency = 0;  // removed from the start of the output
  std::size_t tailFrames = 0;
  std::int32_t outputChannels = 0;
};

// File channel c feeds plug-in input c (a mono file feeds every input); the
// output has the file's channel count, or the plug-in's if it has fewer.
bool Render(PluginInstance& plugin, const AudioData& in, AudioData& out, const RenderOptions& options,
            RenderReport& report, std::string& error);

}  // namespace ombrisk::host
