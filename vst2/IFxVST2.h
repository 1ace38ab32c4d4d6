#pragma once
// The plug-in's face towards a VST2 host: owns the AEffect record the host
// holds, answers the dispatcher's opcodes through the host-neutral bases, and
// runs the five audio and parameter callbacks.

#include <cstdint>
#include <vector>

#include "core/IFxAPIBase.h"
#include "core/IFxConfig.h"
#include "core/IFxProcessor.h"
#include "core/StateChunk.h"
#include "core/SysExRecord.h"
#include "vst2/HostLaunchInfo.h"
#include "vst2/VstInterface.h"

namespace fx {

class IFxVST2 : public IFxAPIBase, public IFxProcessor {
 public:
  // Bounds, terminator included, of every text written into a host's buffer.
  // The interface documents 8 bytes for parameter texts, which would cut
  // "Input Gain"; hosts in practice provide more, so 32 are used.
  static constexpr std::size_t kParamTextBytes = 32;
  static constexpr std::size_t kProgramNameBytes = 24;
  static constexpr std::size_t kEffectNameBytes = 32;
  static constexpr std::size_t kVendorProductBytes = 64;
  static constexpr std::size_t kPinLabelBytes = 64;
  static constexpr std::size_t kMidiKeyNameBytes = 64;
  // Larger announced block sizes are processed in slices of this size, so a
  // host's absurd request never asks for gigabytes of channel buffers.
  static constexpr std::int32_t kMaxBlockSize = 65536;

  // Bits of GetHostExtensions().
  static constexpr std::int32_t kHostHasCockosExtensions = 1;
  static constexpr std::int32_t kHostHasCockosViewAsConfig = 2;

  IFxVST2(const HostLaunchInfo& info, const IFxConfig& config);
  ~IFxVST2() override;

  vst2::AEffect* GetAEffect() { return &effect_; }
  std::int32_t GetHostExtensions() const { return hostExtensions_; }
  const vst2::ERect& GetEditorRect() const { return editorRect_; }

  // Host-facing operations.
  void BeginParamGesture(std::int32_t index) override;
  void SendParamValueToHost(std::int32_t index, double normalized) override;
  void EndParamGesture(std::int32_t index) override;
  void TellHostPresetsChanged() override;
  bool ResizeEditorWindow(std::int32_t width, std::int32_t height) override;
  void ApplyHostQuirks() override;

  // Processor-side operations (audio thread).
  bool SendMidiMessage(const MidiMessage& message) override;
  bool SendSysExMessage(const SysExMessage& message) override;
  void ChangeLatency(std::int32_t samples) override;

  // Hooks added here, in slot order.
  virtual std::intptr_t VendorSpecificHook(std::int32_t index, std::intptr_t value, void* ptr, float opt);
  virtual std::intptr_t CanDoHook(const char* text);

  // The functions the AEffect record points to.
  static std::intptr_t OMBRISK_VSTCALL VSTDispatcher(vst2::AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                     std::intptr_t value, void* ptr, float opt);
  static void OMBRISK_VSTCALL VSTAccumulateCallback(vst2::AEffect* effect, float** inputs, float** outputs,
                                                    std::int32_t sampleFrames);
  static void OMBRISK_VSTCALL VSTReplaceCallback(vst2::AEffect* effect, float** inputs, float** outputs,
                                                 std::int32_t sampleFrames);
  static void OMBRISK_VSTCALL VSTReplaceDoubleCallback(vst2::AEffect* effect, double** inputs, double** outputs,
                                                       std::int32_t sampleFrames);
  static void OMBRISK_VSTCALL VSTSetParamCallback(vst2::AEffect* effect, std::int32_t index, float value);
  static float OMBRISK_VSTCALL VSTGetParamCallback(vst2::AEffect* effect, std::int32_t index);

  // The Windows virtual-key code for a host key event (value = VstVirtualKey).
  static std::int32_t MapVirtualKey(std::intptr_t value, std::int32_t character);

 private:
  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt);
  std::intptr_t CallHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) const;
  void OnOpen();
  std::intptr_t GetChunk(std::int32_t index, void* ptr);
  std::intptr_t SetChunk(std::int32_t index, std::intptr_t size, const void* ptr);
  std::intptr_t PinProperties(BusDirection direction, std::int32_t index, void* ptr);
  std::intptr_t ParameterProperties(std::int32_t index, void* ptr);
  std::intptr_t SetSpeakerArrangement(std::intptr_t inputs, void* outputs);
  std::intptr_t VendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt);
  std::intptr_t CanDo(const char* text);
  std::intptr_t KeyEvent(bool down, std::int32_t index, std::intptr_t value, float opt);
  void SetBlockSize(std::intptr_t value);
  bool ValidParam(std::int32_t index) const { return index >= 0 && index < NParams(); }

  enum class BlockKind { kAccumulate, kReplace, kReplaceDouble };
  // Host queries and editor MIDI, once per host block.
  void PrepareBlock();
  // Runs a host block in slices no longer than the block size.
  void ProcessHostBlock(BlockKind kind, void** inputs, void** outputs, std::int32_t sampleFrames);
  void SendEditorSysEx();

  vst2::ERect editorRect_{};
  vst2::VstSpeakerArrangement inputArrangement_{};
  vst2::VstSpeakerArrangement outputArrangement_{};
  std::int32_t hostExtensions_ = 0;
  StateChunk programChunk_;
  StateChunk bankChunk_;
  vst2::AEffect effect_{};
  vst2::audioMasterCallback hostCallback_ = nullptr;
  SysExRecord sysExScratch_{};
  // Per-slice host pointers, sized at construction so blocks never allocate.
  std::vector<void*> sliceInputs_;
  std::vector<void*> sliceOutputs_;
};

}  // namespace fx
