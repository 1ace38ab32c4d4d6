#pragma once
// The host-neutral audio side of a plug-in: parses the channel I/O string
// into layouts, keeps one slot per channel, maps host float or double buffers
// onto the 64-bit channel pointers that block processing sees, and carries
// the stream facts (rate, block size, latency, tail, transport).

#include <cstdint>
#include <memory>
#include <vector>

#include "core/BusDirection.h"
#include "core/ChannelSlot.h"
#include "core/IFxConfig.h"
#include "core/IOLayout.h"
#include "core/MidiMessage.h"
#include "core/SysExMessage.h"
#include "core/TextBuffer.h"
#include "core/TransportState.h"

namespace fx {

class IFxProcessor {
 public:
  // More channel slots than this per direction are never created, whatever
  // the I/O string says.
  static constexpr std::int32_t kMaxChannels = 1024;

  explicit IFxProcessor(const IFxConfig& config);
  virtual ~IFxProcessor();
  IFxProcessor(const IFxProcessor&) = delete;
  IFxProcessor& operator=(const IFxProcessor&) = delete;

  // Virtual operations: block processing and the messages that reach it.
  virtual void ProcessAudioBlock(double** inputs, double** outputs, std::int32_t nFrames);
  virtual void ProcessMidiMessage(const MidiMessage& message);
  virtual void ProcessSysExMessage(const SysExMessage& message);
  virtual void OnProcessorReset();
  virtual void OnActivationChanged(bool active);
  virtual bool SendMidiMessage(const MidiMessage& message) = 0;
  virtual bool SendMidiMessages(const std::vector<MidiMessage>& messages);
  virtual bool SendSysExMessage(const SysExMessage& message);
  virtual void FormatBusName(BusDirection direction, std::int32_t busIndex, std::int32_t busCount,
                             TextBuffer& out) const;
  virtual void ChangeLatency(std::int32_t samples);

  bool LegalIO(std::int32_t nInputs, std::int32_t nOutputs) const;
  void MarkChannelsConnected(BusDirection direction, std::int32_t first, std::int32_t count, bool connected);

  // Publishes the host's double buffers; a null host pointer leaves the
  // slot on its own scratch buffer.
  void AttachHostBuffers(BusDirection direction, std::int32_t count, double** buffers);
  // Inputs are converted into the scratch buffers; outputs are produced in
  // the scratch buffers and remembered for the write-back. At most blockSize
  // frames are converted: the caller slices longer host blocks.
  void AttachHostFloatBuffers(BusDirection direction, std::int32_t count, float** buffers, std::int32_t nFrames);
  // The three ways a block's result reaches the host, each running
  // ProcessAudioBlock on the attached buffers:
  // - float, accumulating: adds each connected output, converted to float,
  //   to the host's float buffer (at most blockSize frames);
  // - float, replacing: writes each connected output, converted to float,
  //   over the host's float buffer (at most blockSize frames);
  // - double: the host's own buffers were processed in place, nothing to
  //   write back. An input the host left without a buffer reads silence.
  // Outputs that are not connected, or have no host buffer, are not written.
  void ProcessFloatBlockAccumulating(std::int32_t nFrames);
  void ProcessFloatBlockReplacing(std::int32_t nFrames);
  void ProcessDoubleBlock(std::int32_t nFrames);
  static void ConvertToFloat(const double* source, float* destination, std::int32_t n);

  void ChangeBlockSize(std::int32_t n);

  // Parses an I/O string, appending its layouts. Returns the layout count and
  // raises the four totals to what the layouts need.
  static std::int32_t ParseIOLayouts(const char* text, std::vector<std::unique_ptr<IOLayout>>& layouts,
                                     std::int32_t& totalIn, std::int32_t& totalOut, std::int32_t& totalInBuses,
                                     std::int32_t& totalOutBuses);

  double GetSampleRate() const { return sampleRate_; }
  void SetSampleRate(double rate) { sampleRate_ = rate; }
  std::int32_t GetBlockSize() const { return blockSize_; }
  std::int32_t GetTailSize() const { return tailSize_; }
  void SetTailSize(std::int32_t samples) { tailSize_ = samples; }
  std::int32_t GetLatency() const { return latency_; }
  bool GetRenderingOffline() const { return renderingOffline_; }
  void SetRenderingOffline(bool offline) { renderingOffline_ = offline; }
  bool GetBypassed() const { return bypassed_; }
  void SetBypassed(bool bypassed) { bypassed_ = bypassed; }
  std::int32_t GetPluginKind() const { return pluginKind_; }
  bool DoesMidiIn() const { return midiIn_; }
  bool DoesMidiOut() const { return midiOut_; }
  bool DoesMPE() const { return mpe_; }
  const TransportState& GetTransport() const { return transport_; }
  TransportState& GetTransport() { return transport_; }
  std::int32_t NIOLayouts() const { return static_cast<std::int32_t>(layouts_.size()); }
  const IOLayout* GetIOLayout(std::int32_t index) const;
  std::int32_t NChannels(BusDirection direction) const {
    return static_cast<std::int32_t>(channels_[direction].size());
  }
  std::int32_t NChannelsConnected(BusDirection direction) const;
  bool IsChannelConnected(BusDirection direction, std::int32_t channel) const;
  std::int32_t NBusesMax(BusDirection direction) const { return maxBuses_[direction]; }
  const ChannelSlot* GetChannelSlot(BusDirection direction, std::int32_t channel) const;
  double** GetBlockPointers(BusDirection direction) { return blockPointers_[direction].data(); }

 private:
  void PublishScratch(ChannelSlot& slot);

  std::int32_t pluginKind_;
  bool midiIn_;
  bool midiOut_;
  bool mpe_;
  std::int32_t latency_;
  double sampleRate_ = 44100.0;
  std::int32_t blockSize_ = 0;
  std::int32_t tailSize_ = 0;
  bool bypassed_ = false;
  bool renderingOffline_ = false;
  std::vector<std::unique_ptr<IOLayout>> layouts_;
  std::vector<double*> blockPointers_[2];
  std::vector<std::unique_ptr<ChannelSlot>> channels_[2];
  std::int32_t maxBuses_[2] = {0, 0};
  TransportState transport_;
};

}  // namespace fx
