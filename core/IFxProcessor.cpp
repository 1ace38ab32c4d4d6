#include "core/IFxProcessor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Trace.h"

namespace fx {
namespace {

// Splits at any run of `separator`, never yielding empty tokens.
std::vector<std::string> SplitTokens(const std::string& text, char separator) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == separator) ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != separator) ++j;
    if (j > i) tokens.push_back(text.substr(i, j - i));
    i = j;
  }
  return tokens;
}

// "%d" at the start of a token: 0 without a number; clamped instead of
// overflowing.
std::int32_t LeadingInt(const std::string& token) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(token.c_str(), &end, 10);
  if (end == token.c_str()) return 0;
  return static_cast<std::int32_t>(std::clamp<long>(v, -IFxProcessor::kMaxChannels, IFxProcessor::kMaxChannels));
}

}  // namespace

IFxProcessor::IFxProcessor(const IFxConfig& config)
    : pluginKind_(config.pluginKind),
      midiIn_(config.midiIn),
      midiOut_(config.midiOut),
      mpe_(config.mpe),
      latency_(config.latency) {
  std::int32_t totalIn = 0, totalOut = 0;
  ParseIOLayouts(config.channelIOString, layouts_, totalIn, totalOut, maxBuses_[kInput], maxBuses_[kOutput]);
  const std::int32_t totals[2] = {std::clamp(totalIn, 0, kMaxChannels), std::clamp(totalOut, 0, kMaxChannels)};
  for (int d = 0; d < 2; ++d) {
    blockPointers_[d].assign(static_cast<std::size_t>(totals[d]), nullptr);
    for (std::int32_t i = 0; i < totals[d]; ++i) {
      auto slot = std::make_unique<ChannelSlot>();
      slot->published = &blockPointers_[d][static_cast<std::size_t>(i)];
      channels_[d].push_back(std::move(slot));
    }
  }
}

IFxProcessor::~IFxProcessor() = default;

std::int32_t IFxProcessor::ParseIOLayouts(const char* text, std::vector<std::unique_ptr<IOLayout>>& layouts,
                                          std::int32_t& totalIn, std::int32_t& totalOut,
                                          std::int32_t& totalInBuses, std::int32_t& totalOutBuses) {
  const std::string copy = text ? text : "";
  std::vector<std::string> seen;  // kept for the parse only; repeats are allowed
  bool wildcard = false;
  std::int32_t count = 0;
  for (const std::string& token : SplitTokens(copy, ' ')) {
    auto layout = std::make_unique<IOLayout>();
    const std::size_t dash = token.find('-');
    const std::string inPart = token.substr(0, dash);
    std::string outPart;
    if (dash != std::string::npos) {
      const std::size_t next = token.find('-', dash + 1);
      outPart = token.substr(dash + 1, next == std::string::npos ? std::string::npos : next - dash - 1);
    }
    TextBuffer layoutText;
    layoutText.SetFormatted(256, "%s-%s", inPart.c_str(), outPart.c_str());
    seen.emplace_back(layoutText.View());

    std::int32_t sums[2] = {0, 0};
    const std::string* parts[2] = {&inPart, &outPart};
    for (int d = 0; d < 2; ++d) {
      for (const std::string& busToken : SplitTokens(*parts[d], '.')) {
        std::int32_t channels;
        if (busToken == "*") {
          wildcard = true;
          channels = -64;
        } else {
          channels = LeadingInt(busToken);
        }
        sums[d] = std::clamp(sums[d] + channels, -kMaxChannels, kMaxChannels);
        if (channels != 0) layout->AddBus(static_cast<BusDirection>(d), channels);
      }
    }
    totalIn = std::max(totalIn, sums[kInput]);
    totalOut = std::max(totalOut, sums[kOutput]);
    totalInBuses = std::max(totalInBuses, layout->NBuses(kInput));
    totalOutBuses = std::max(totalOutBuses, layout->NBuses(kOutput));
    layouts.push_back(std::move(layout));
    ++count;
  }
  (void)wildcard;
  return count;
}

void IFxProcessor::ProcessAudioBlock(double** inputs, double** outputs, std::int32_t nFrames) {
  if (!outputs || nFrames <= 0) return;
  const std::int32_t nIn = NChannels(kInput);
  const std::size_t bytes = static_cast<std::size_t>(nFrames) * sizeof(double);
  for (std::int32_t j = 0; j < NChannels(kOutput); ++j) {
    double* out = outputs[j];
    if (!out) continue;
    const double* in = (inputs && j < nIn) ? inputs[j] : nullptr;
    if (in) {
      if (in != out) std::memmove(out, in, bytes);
    } else {
      std::memset(out, 0, bytes);
    }
  }
}

void IFxProcessor::ProcessMidiMessage(const MidiMessage& message) { SendMidiMessage(message); }

void IFxProcessor::ProcessSysExMessage(const SysExMessage&) {}

void IFxProcessor::OnProcessorReset() {}

void IFxProcessor::OnActivationChanged(bool) {}

bool IFxProcessor::SendMidiMessages(const std::vector<MidiMessage>& messages) {
  bool all = true;
  for (const MidiMessage& message : messages) all = SendMidiMessage(message) && all;
  return all;
}

bool IFxProcessor::SendSysExMessage(const SysExMessage&) { return false; }

void IFxProcessor::FormatBusName(BusDirection direction, std::int32_t busIndex, std::int32_t busCount,
                                 TextBuffer& out) const {
  if (direction == kInput) {
    if (busCount == 1)
      out.Set("Input", 32);
    else if (busCount == 2)
      out.Set(busIndex == 0 ? "Main" : "Aux", 32);
    else
      out.SetFormatted(32, "Input %i", busIndex);
  } else {
    if (busCount == 1)
      out.Set("Output", 32);
    else
      out.SetFormatted(32, "Output %i", busIndex);
  }
}

void IFxProcessor::ChangeLatency(std::int32_t samples) { latency_ = samples; }

bool IFxProcessor::LegalIO(std::int32_t nInputs, std::int32_t nOutputs) const {
  bool legal = false;
  for (const auto& layout : layouts_) {
    if ((nInputs < 0 || nInputs == layout->TotalChannels(kInput)) &&
        (nOutputs < 0 || nOutputs == layout->TotalChannels(kOutput))) {
      legal = true;
      break;
    }
  }
  FX_TRACE("fx::IFxProcessor::LegalIO", "%d:%d:%s", nInputs, nOutputs, legal ? "legal" : "illegal");
  return legal;
}

void IFxProcessor::PublishScratch(ChannelSlot& slot) { *slot.published = slot.scratch.data(); }

void IFxProcessor::MarkChannelsConnected(BusDirection direction, std::int32_t first, std::int32_t count,
                                         bool connected) {
  if (direction != kInput && direction != kOutput) return;
  auto& slots = channels_[direction];
  const std::int64_t begin = std::max<std::int64_t>(first, 0);
  const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(first) + count,
                                                  static_cast<std::int64_t>(slots.size()));
  for (std::int64_t i = begin; i < end; ++i) {
    ChannelSlot& slot = *slots[static_cast<std::size_t>(i)];
    slot.connected = connected;
    if (!connected) PublishScratch(slot);
  }
}

void IFxProcessor::AttachHostBuffers(BusDirection direction, std::int32_t count, double** buffers) {
  if (direction != kInput && direction != kOutput) return;
  auto& slots = channels_[direction];
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), slots.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ChannelSlot& slot = *slots[i];
    if (!slot.connected) continue;
    double* host = buffers ? buffers[next] : nullptr;
    ++next;
    if (host)
      *slot.published = host;
    else
      PublishScratch(slot);
  }
}

void IFxProcessor::AttachHostFloatBuffers(BusDirection direction, std::int32_t count, float** buffers,
                                          std::int32_t nFrames) {
  if (direction != kInput && direction != kOutput) return;
  auto& slots = channels_[direction];
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), slots.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ChannelSlot& slot = *slots[i];
    if (!slot.connected) continue;
    float* host = buffers ? buffers[next] : nullptr;
    ++next;
    PublishScratch(slot);
    const std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(std::max(nFrames, 0)), slot.scratch.size());
    if (direction == kInput) {
      double* dst = slot.scratch.data();
      if (host) {
        for (std::size_t k = 0; k < frames; ++k) dst[k] = static_cast<double>(host[k]);
      } else {
        std::fill_n(dst, frames, 0.0);
      }
    } else {
      slot.hostFloatBuffer = host;
    }
  }
}

void IFxProcessor::ProcessFloatBlockAccumulating(std::int32_t nFrames) {
  const std::int32_t frames = std::clamp(nFrames, 0, blockSize_);
  ProcessAudioBlock(blockPointers_[kInput].data(), blockPointers_[kOutput].data(), frames);
  for (const auto& slot : channels_[kOutput]) {
    if (!slot->connected || !slot->hostFloatBuffer) continue;
    const double* src = *slot->published;
    float* dst = slot->hostFloatBuffer;
    for (std::int32_t k = 0; k < frames; ++k) dst[k] += static_cast<float>(src[k]);
  }
}

void IFxProcessor::ProcessFloatBlockReplacing(std::int32_t nFrames) {
  const std::int32_t frames = std::clamp(nFrames, 0, blockSize_);
  ProcessAudioBlock(blockPointers_[kInput].data(), blockPointers_[kOutput].data(), frames);
  for (const auto& slot : channels_[kOutput]) {
    if (slot->connected && slot->hostFloatBuffer) ConvertToFloat(*slot->published, slot->hostFloatBuffer, frames);
  }
}

void IFxProcessor::ProcessDoubleBlock(std::int32_t nFrames) {
  const std::int32_t frames = std::max(nFrames, 0);
  // A channel still on its own buffer after the attach got no host buffer:
  // it must read silence, not what the last block left there.
  for (const auto& slot : channels_[kInput]) {
    if (*slot->published == slot->scratch.data())
      std::fill_n(slot->scratch.data(), std::min<std::size_t>(static_cast<std::size_t>(frames), slot->scratch.size()), 0.0);
  }
  ProcessAudioBlock(blockPointers_[kInput].data(), blockPointers_[kOutput].data(), frames);
}

void IFxProcessor::ConvertToFloat(const double* source, float* destination, std::int32_t n) {
  if (!source || !destination) return;
  for (std::int32_t k = 0; k < n; ++k) destination[k] = static_cast<float>(source[k]);
}

void IFxProcessor::ChangeBlockSize(std::int32_t n) {
  if (n < 0 || n == blockSize_) return;
  for (auto& slots : channels_) {
    for (auto& slot : slots) {
      const double* old = slot->scratch.data();
      slot->scratch.assign(static_cast<std::size_t>(n), 0.0);
      // The old scratch storage is gone: re-point every slot that used it.
      if (!slot->connected || *slot->published == old) PublishScratch(*slot);
    }
  }
  blockSize_ = n;
}

const IOLayout* IFxProcessor::GetIOLayout(std::int32_t index) const {
  if (index < 0 || index >= NIOLayouts()) return nullptr;
  return layouts_[static_cast<std::size_t>(index)].get();
}

std::int32_t IFxProcessor::NChannelsConnected(BusDirection direction) const {
  std::int32_t n = 0;
  for (const auto& slot : channels_[direction]) n += slot->connected ? 1 : 0;
  return n;
}

bool IFxProcessor::IsChannelConnected(BusDirection direction, std::int32_t channel) const {
  const ChannelSlot* slot = GetChannelSlot(direction, channel);
  return slot && slot->connected;
}

const ChannelSlot* IFxProcessor::GetChannelSlot(BusDirection direction, std::int32_t channel) const {
  if ((direction != kInput && direction != kOutput) || channel < 0 || channel >= NChannels(direction))
    return nullptr;
  return channels_[direction][static_cast<std::size_t>(channel)].get();
}

}  // namespace fx
