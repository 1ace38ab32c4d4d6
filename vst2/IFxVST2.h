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

  // Queries a host sends through effVendorSpecific, by their index argument
  // (the number of the plain request each one extends), and the answer that
  // says a query was understood.
  static constexpr std::int32_t kVendorFormatNormalized = 7;  // display text of normalised opt for parameter value
  static constexpr std::int32_t kVendorIsTwoState = 8;        // is parameter value a switch of two states
  static constexpr std::int32_t kVendorParseNormalized = 27;  // text at ptr -> normalised value, written back
  static constexpr std::intptr_t kVendorUnderstood = 0xBEEF;
  // effCanDo's answer to the host-extension announcements.
  static constexpr std::intptr_t kHostExtensionAcknowledged = static_cast<std::intptr_t>(0xBEEF0000u);

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

  // Hooks an effect may override; the defaults answer 0 (not understood).
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
  // One dispatcher call's arguments after the opcode, as the host gave them.
  struct HostRequest {
    std::int32_t index;
    std::intptr_t value;
    void* ptr;
    float opt;
  };

  std::intptr_t Dispatch(std::int32_t opcode, const HostRequest& request);
  std::intptr_t CallHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) const;

  // Dispatcher handlers, one per answered opcode (the opcode in the name).
  std::intptr_t HandleOpen(const HostRequest& request);
  std::intptr_t HandleSetProgram(const HostRequest& request);
  std::intptr_t HandleGetProgram(const HostRequest& request);
  std::intptr_t HandleSetProgramName(const HostRequest& request);
  std::intptr_t HandleGetProgramName(const HostRequest& request);
  std::intptr_t HandleGetParamLabel(const HostRequest& request);
  std::intptr_t HandleGetParamDisplay(const HostRequest& request);
  std::intptr_t HandleGetParamName(const HostRequest& request);
  std::intptr_t HandleSetSampleRate(const HostRequest& request);
  std::intptr_t HandleSetBlockSize(const HostRequest& request);
  std::intptr_t HandleMainsChanged(const HostRequest& request);
  std::intptr_t HandleEditGetRect(const HostRequest& request);
  std::intptr_t HandleEditOpen(const HostRequest& request);
  std::intptr_t HandleEditClose(const HostRequest& request);
  std::intptr_t HandleEditIdle(const HostRequest& request);
  std::intptr_t HandleIdentify(const HostRequest& request);
  std::intptr_t HandleGetChunk(const HostRequest& request);
  std::intptr_t HandleSetChunk(const HostRequest& request);
  std::intptr_t HandleProcessEvents(const HostRequest& request);
  std::intptr_t HandleCanBeAutomated(const HostRequest& request);
  std::intptr_t HandleString2Parameter(const HostRequest& request);
  std::intptr_t HandleGetProgramNameIndexed(const HostRequest& request);
  std::intptr_t HandleGetInputProperties(const HostRequest& request);
  std::intptr_t HandleGetOutputProperties(const HostRequest& request);
  std::intptr_t HandleGetPlugCategory(const HostRequest& request);
  std::intptr_t HandleSetSpeakerArrangement(const HostRequest& request);
  std::intptr_t HandleGetEffectName(const HostRequest& request);
  std::intptr_t HandleGetVendorString(const HostRequest& request);
  std::intptr_t HandleGetProductString(const HostRequest& request);
  std::intptr_t HandleGetVendorVersion(const HostRequest& request);
  std::intptr_t HandleVendorSpecific(const HostRequest& request);
  std::intptr_t HandleCanDo(const HostRequest& request);
  std::intptr_t HandleGetTailSize(const HostRequest& request);
  std::intptr_t HandleGetParameterProperties(const HostRequest& request);
  std::intptr_t HandleGetVstVersion(const HostRequest& request);
  std::intptr_t HandleEditKeyDown(const HostRequest& request);
  std::intptr_t HandleEditKeyUp(const HostRequest& request);
  std::intptr_t HandleGetMidiKeyName(const HostRequest& request);
  std::intptr_t HandleGetSpeakerArrangement(const HostRequest& request);

  std::intptr_t PinProperties(BusDirection direction, std::int32_t index, void* ptr);
  std::intptr_t KeyEvent(bool down, std::int32_t index, std::intptr_t value, float opt);
  bool ValidParam(std::int32_t index) const { return index >= 0 && index < NParams(); }
  // The rectangle the host is given for an editor of this size.
  static vst2::ERect EditorRectFor(std::int32_t width, std::int32_t height);

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
