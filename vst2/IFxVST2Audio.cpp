// The audio and parameter callbacks of the AEffect record and the host calls
// made on the processor frame's behalf. Block callbacks run on the host's
// audio thread: nothing here allocates or locks.

#include <algorithm>
#include <cstring>

#include "vst2/IFxVST2.h"

namespace fx {
namespace {

IFxVST2* Object(vst2::AEffect* effect) { return effect ? static_cast<IFxVST2*>(effect->object) : nullptr; }

}  // namespace

void IFxVST2::PrepareBlock() {
  if (DoesMidiIn()) CallHost(vst2::audioMasterWantMidi, 0, 0, nullptr, 0.0f);

  TransportState transport;
  constexpr std::intptr_t kWanted = vst2::kVstPpqPosValid | vst2::kVstTempoValid | vst2::kVstBarsValid |
                                    vst2::kVstCyclePosValid | vst2::kVstTimeSigValid;
  const auto* info = reinterpret_cast<const vst2::VstTimeInfo*>(CallHost(vst2::audioMasterGetTime, 0, kWanted, nullptr, 0.0f));
  if (info) {
    const std::int32_t flags = info->flags;
    transport.samplePosition = info->samplePos;
    if ((flags & vst2::kVstPpqPosValid) && info->ppqPos >= 0.0) transport.ppqPosition = info->ppqPos;
    if ((flags & vst2::kVstTempoValid) && info->tempo > 0.0) transport.tempo = info->tempo;
    if ((flags & vst2::kVstBarsValid) && info->barStartPos >= 0.0) transport.lastBarPosition = info->barStartPos;
    if ((flags & vst2::kVstCyclePosValid) && info->cycleStartPos >= 0.0 && info->cycleEndPos >= 0.0) {
      transport.cycleStart = info->cycleStartPos;
      transport.cycleEnd = info->cycleEndPos;
    }
    if ((flags & vst2::kVstTimeSigValid) && info->timeSigNumerator > 0 && info->timeSigDenominator > 0) {
      transport.numerator = info->timeSigNumerator;
      transport.denominator = info->timeSigDenominator;
    }
    transport.isPlaying = (flags & vst2::kVstTransportPlaying) != 0;
    transport.isLooping = (flags & vst2::kVstTransportCycleActive) != 0;
  }
  const bool offline = CallHost(vst2::audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f) == vst2::kVstProcessLevelOffline;
  GetTransport() = transport;
  SetRenderingOffline(offline);

  MidiMessage message;
  while (PopMidiFromEditor(message)) ProcessMidiMessage(message);
}

void IFxVST2::ProcessHostBlock(BlockKind kind, void** inputs, void** outputs, std::int32_t sampleFrames) {
  PrepareBlock();
  // Longer blocks than announced are processed in slices of the announced
  // size, so the channel buffers are never overrun.
  const std::int32_t slice = std::max(GetBlockSize(), 1);
  // The host's lists hold one pointer per connected channel, no more; the
  // frame walks all its channels and takes the next pointer for each
  // connected one.
  const std::size_t nIn = sliceInputs_.size();
  const std::size_t nOut = sliceOutputs_.size();
  const std::size_t hostIn = std::min<std::size_t>(nIn, static_cast<std::size_t>(NChannelsConnected(kInput)));
  const std::size_t hostOut = std::min<std::size_t>(nOut, static_cast<std::size_t>(NChannelsConnected(kOutput)));
  const std::size_t sampleBytes = kind == BlockKind::kReplaceDouble ? sizeof(double) : sizeof(float);
  std::int32_t done = 0;
  do {
    const std::int32_t frames = std::min(slice, std::max(sampleFrames - done, 0));
    const std::size_t offset = static_cast<std::size_t>(done) * sampleBytes;
    for (std::size_t c = 0; c < nIn; ++c)
      sliceInputs_[c] = (c < hostIn && inputs && inputs[c]) ? static_cast<char*>(inputs[c]) + offset : nullptr;
    for (std::size_t c = 0; c < nOut; ++c)
      sliceOutputs_[c] = (c < hostOut && outputs && outputs[c]) ? static_cast<char*>(outputs[c]) + offset : nullptr;

    if (kind == BlockKind::kReplaceDouble) {
      auto** in = reinterpret_cast<double**>(sliceInputs_.data());
      auto** out = reinterpret_cast<double**>(sliceOutputs_.data());
      AttachHostBuffers(kInput, static_cast<std::int32_t>(nIn), in);
      AttachHostBuffers(kOutput, static_cast<std::int32_t>(nOut), out);
      ProcessDoubleBlock(frames);
    } else {
      auto** in = reinterpret_cast<float**>(sliceInputs_.data());
      auto** out = reinterpret_cast<float**>(sliceOutputs_.data());
      AttachHostFloatBuffers(kInput, static_cast<std::int32_t>(nIn), in, frames);
      AttachHostFloatBuffers(kOutput, static_cast<std::int32_t>(nOut), out, frames);
      if (kind == BlockKind::kAccumulate)
        ProcessFloatBlockAccumulating(frames);
      else
        ProcessFloatBlockReplacing(frames);
    }
    done += frames;
  } while (done < sampleFrames);
  SendEditorSysEx();
}

void IFxVST2::SendEditorSysEx() {
  SysExMessage message;
  while (PopSysExFromEditor(message)) {
    sysExScratch_.offset = message.offset;
    sysExScratch_.size = std::clamp(message.size, 0, SysExRecord::kMaxBytes);
    if (message.data && sysExScratch_.size > 0)
      std::memcpy(sysExScratch_.data, message.data, static_cast<std::size_t>(sysExScratch_.size));
    SendSysExMessage({sysExScratch_.offset, sysExScratch_.size, sysExScratch_.data});
  }
}

void OMBRISK_VSTCALL IFxVST2::VSTAccumulateCallback(vst2::AEffect* effect, float** inputs, float** outputs,
                                                   std::int32_t sampleFrames) {
  if (IFxVST2* self = Object(effect))
    self->ProcessHostBlock(BlockKind::kAccumulate, reinterpret_cast<void**>(inputs), reinterpret_cast<void**>(outputs),
                           sampleFrames);
}

void OMBRISK_VSTCALL IFxVST2::VSTReplaceCallback(vst2::AEffect* effect, float** inputs, float** outputs,
                                                std::int32_t sampleFrames) {
  if (IFxVST2* self = Object(effect))
    self->ProcessHostBlock(BlockKind::kReplace, reinterpret_cast<void**>(inputs), reinterpret_cast<void**>(outputs),
                           sampleFrames);
}

void OMBRISK_VSTCALL IFxVST2::VSTReplaceDoubleCallback(vst2::AEffect* effect, double** inputs, double** outputs,
                                                      std::int32_t sampleFrames) {
  if (IFxVST2* self = Object(effect))
    self->ProcessHostBlock(BlockKind::kReplaceDouble, reinterpret_cast<void**>(inputs),
                           reinterpret_cast<void**>(outputs), sampleFrames);
}

void OMBRISK_VSTCALL IFxVST2::VSTSetParamCallback(vst2::AEffect* effect, std::int32_t index, float value) {
  IFxVST2* self = Object(effect);
  if (!self || !self->ValidParam(index)) return;
  self->GetParam(index)->SetNormalizedValue(static_cast<double>(value));
  self->QueueParamValueForEditor(index, static_cast<double>(value), true);
  // The base notification (no editor state): this may be the audio thread.
  self->IEditorDelegate::OnParamChange(index, ChangeSource::Host, -1);
}

float OMBRISK_VSTCALL IFxVST2::VSTGetParamCallback(vst2::AEffect* effect, std::int32_t index) {
  IFxVST2* self = Object(effect);
  if (!self || !self->ValidParam(index)) return 0.0f;
  return static_cast<float>(self->GetParam(index)->GetNormalizedValue());
}

bool IFxVST2::SendMidiMessage(const MidiMessage& message) {
  vst2::VstMidiEvent event{};
  event.type = vst2::kVstMidiType;
  event.byteSize = vst2::kVstEventByteSize;
  event.deltaFrames = message.offset;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  vst2::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst2::VstEvent*>(&event);
  return CallHost(vst2::audioMasterProcessEvents, 0, 0, &events, 0.0f) == 1;
}

bool IFxVST2::SendSysExMessage(const SysExMessage& message) {
  vst2::VstMidiSysexEvent event{};
  event.type = vst2::kVstSysExType;
  event.byteSize = vst2::kVstEventByteSize;
  event.deltaFrames = message.offset;
  event.dumpBytes = message.size;
  event.sysexDump = reinterpret_cast<char*>(const_cast<std::uint8_t*>(message.data));
  vst2::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst2::VstEvent*>(&event);
  return CallHost(vst2::audioMasterProcessEvents, 0, 0, &events, 0.0f) == 1;
}

void IFxVST2::ChangeLatency(std::int32_t samples) {
  effect_.initialDelay = samples;
  IFxProcessor::ChangeLatency(samples);
  CallHost(vst2::audioMasterIOChanged, 0, 0, nullptr, 0.0f);
}

}  // namespace fx
