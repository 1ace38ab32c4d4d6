#include "host/Render.h"

#include <algorithm>

namespace ombrisk::host {

bool ParseProcessMode(const std::string& text, ProcessMode& mode) {
  if (text == "replacing") mode = ProcessMode::Replacing;
  else if (text == "double") mode = ProcessMode::Double;
  else if (text == "accumulating") mode = ProcessMode::Accumulating;
  else return false;
  return true;
}

const char* ProcessModeName(ProcessMode mode) {
  switch (mode) {
    case ProcessMode::Double: return "double";
    case ProcessMode::Accumulating: return "accumulating";
    default: return "replacing";
  }
}

bool ModeSupported(const PluginInstance& plugin, ProcessMode mode, std::string& error) {
  const bool ok = mode == ProcessMode::Replacing   ? plugin.CanReplacing()
                  : mode == ProcessMode::Double    ? plugin.CanDouble()
                                                   : plugin.CanAccumulate();
  if (!ok) error = std::string("the plug-in does not offer ") + ProcessModeName(mode) + " processing";
  return ok;
}

BlockBuffers::BlockBuffers(std::int32_t inputs, std::int32_t outputs, std::int32_t frames)
    : frames_(std::max(frames, 1)) {
  const auto n = static_cast<std::size_t>(frames_);
  in_.assign(static_cast<std::size_t>(std::max(inputs, 0)), std::vector<float>(n, 0.0F));
  out_.assign(static_cast<std::size_t>(std::max(outputs, 0)), std::vector<float>(n, 0.0F));
  inD_.assign(in_.size(), std::vector<double>(n, 0.0));
  outD_.assign(out_.size(), std::vector<double>(n, 0.0));
  // Never hand a plug-in a null array, even for zero channels.
  inPtr_.assign(std::max<std::size_t>(in_.size(), 1), nullptr);
  outPtr_.assign(std::max<std::size_t>(out_.size(), 1), nullptr);
  inPtrD_.assign(inPtr_.size(), nullptr);
  outPtrD_.assign(outPtr_.size(), nullptr);
  for (std::size_t c = 0; c < in_.size(); ++c) {
    inPtr_[c] = in_[c].data();
    inPtrD_[c] = inD_[c].data();
  }
  for (std::size_t c = 0; c < out_.size(); ++c) {
    outPtr_[c] = out_[c].data();
    outPtrD_[c] = outD_[c].data();
  }
}

void BlockBuffers::FillOutputs(float value) {
  for (auto& channel : out_) std::fill(channel.begin(), channel.end(), value);
}

void BlockBuffers::Run(PluginInstance& plugin, ProcessMode mode, std::int32_t frames) {
  frames = std::clamp(frames, 0, frames_);
  const auto n = static_cast<std::size_t>(frames);
  switch (mode) {
    case ProcessMode::Replacing: plugin.ProcessReplacing(inPtr_.data(), outPtr_.data(), frames); break;
    case ProcessMode::Accumulating: plugin.ProcessAccumulating(inPtr_.data(), outPtr_.data(), frames); break;
    case ProcessMode::Double:
      for (std::size_t c = 0; c < in_.size(); ++c) {
        std::transform(in_[c].begin(), in_[c].begin() + static_cast<std::ptrdiff_t>(n), inD_[c].begin(),
                       [](float s) { return static_cast<double>(s); });
      }
      plugin.ProcessDouble(inPtrD_.data(), outPtrD_.data(), frames);
      for (std::size_t c = 0; c < out_.size(); ++c) {
        std::transform(outD_[c].begin(), outD_[c].begin() + static_cast<std::ptrdiff_t>(n), out_[c].begin(),
                       [](double s) { return static_cast<float>(s); });
      }
      break;
  }
}

void BlockBuffers::RunInPlace(PluginInstance& plugin, std::int32_t frames) {
  frames = std::clamp(frames, 0, frames_);
  std::vector<float*> outputs(outPtr_);
  for (std::size_t c = 0; c < out_.size() && c < in_.size(); ++c) outputs[c] = inPtr_[c];
  plugin.ProcessReplacing(inPtr_.data(), outputs.data(), frames);
  // Hand the results back in the usual place so that callers read Out().
  for (std::size_t c = 0; c < out_.size() && c < in_.size(); ++c) out_[c] = in_[c];
}

bool Render(PluginInstance& plugin, const AudioData& in, AudioData& out, const RenderOptions& options,
            RenderReport& report, std::string& error) {
  if (!ModeSupported(plugin, options.mode, error)) return false;
  if (plugin.NumOutputs() <= 0) {
    error = "the plug-in has no audio outputs";
    return false;
  }
  if (options.blockSize <= 0) {
    error = "the block size must be positive";
    return false;
  }
  const std::int32_t fileChannels = static_cast<std::int32_t>(in.NumChannels());
  const std::int32_t outChannels = std::min(std::max(fileChannels, 1), plugin.NumOutputs());
  const double rate = in.sampleRate;

  plugin.SetOffline(options.offline);
  plugin.Configure(rate, options.blockSize);
  if (options.mode == ProcessMode::Double) {
    plugin.Dispatch(vst2::effSetProcessPrecision, 0, vst2::kVstProcessPrecision64);
  }
  plugin.Dispatch(vst2::effStartProcess);

  // Latency is read once resumed: plug-ins settle it in their resume.
  const auto maxExtra = static_cast<std::int64_t>(rate * 60.0);
  report.latency = static_cast<std::int32_t>(std::clamp<std::int64_t>(plugin.Effect().initialDelay, 0, maxExtra));
  const std::intptr_t tail = options.includeTail ? plugin.Dispatch(vst2::effGetTailSize) : 0;
  report.tailFrames = tail > 1 ? static_cast<std::size_t>(std::min<std::int64_t>(tail, maxExtra)) : 0;
  report.outputChannels = outChannels;

  const std::size_t inFrames = in.Frames();
  const std::size_t outFrames = inFrames + report.tailFrames;
  const std::size_t total = outFrames + static_cast<std::size_t>(report.latency);
  out.sampleRate = rate;
  out.format = in.format;
  out.channels.assign(static_cast<std::size_t>(outChannels), std::vector<float>(outFrames, 0.0F));

  BlockBuffers buffers(plugin.NumInputs(), plugin.NumOutputs(), options.blockSize);
  std::size_t pos = 0;
  std::size_t lastReport = 0;
  while (pos < total) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(options.blockSize), total - pos);
    for (std::size_t c = 0; c < buffers.In().size(); ++c) {
      auto& channel = buffers.In()[c];
      if (fileChannels == 0) {
        std::fill(channel.begin(), channel.end(), 0.0F);
        continue;
      }
      const auto& source = in.channels[c % static_cast<std::size_t>(fileChannels)];
      for (std::size_t i = 0; i < n; ++i) channel[i] = pos + i < inFrames ? source[pos + i] : 0.0F;
    }
    if (options.mode == ProcessMode::Accumulating) buffers.FillOutputs(0.0F);
    buffers.Run(plugin, options.mode, static_cast<std::int32_t>(n));
    for (std::size_t c = 0; c < out.channels.size(); ++c) {
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = pos + i;
        if (at >= static_cast<std::size_t>(report.latency) && at - static_cast<std::size_t>(report.latency) < outFrames) {
          out.channels[c][at - static_cast<std::size_t>(report.latency)] = buffers.Out()[c][i];
        }
      }
    }
    pos += n;
    if (options.progress && (pos - lastReport >= static_cast<std::size_t>(rate) || pos == total)) {
      lastReport = pos;
      options.progress(static_cast<double>(pos) / static_cast<double>(total));
    }
  }
  plugin.Dispatch(vst2::effStopProcess);
  plugin.Suspend();
  return true;
}

}  // namespace ombrisk::host
