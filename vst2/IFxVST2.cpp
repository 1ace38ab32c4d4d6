#include "vst2/IFxVST2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/KeyCodes.h"
#include "core/Trace.h"
#include "platform/KeyScan.h"

namespace fx {
namespace {

std::int32_t DecimalVersion(std::int32_t packed) {
  const std::int32_t major = (packed >> 16) & 0xFFFF;
  const std::int32_t minor = (packed >> 8) & 0xFF;
  const std::int32_t bugfix = packed & 0xFF;
  return major * 10000 + minor * 100 + bugfix;
}

std::int32_t ArrangementType(std::int32_t channels) {
  if (channels <= 0) return vst2::kSpeakerArrEmpty;
  if (channels == 1) return vst2::kSpeakerArrMono;
  if (channels == 2) return vst2::kSpeakerArrStereo;
  return vst2::kSpeakerArrUserDefined;
}

void Copy(void* ptr, std::size_t bytes, const char* text) { CopyBounded(static_cast<char*>(ptr), bytes, text); }

// A text the host hands in, read into a terminated local copy: at most
// N - 1 characters, since the host's text may be unterminated.
template <std::size_t N>
void ReadHostText(const void* ptr, char (&out)[N]) {
  const std::size_t n = strnlen(static_cast<const char*>(ptr), N - 1);
  std::memcpy(out, ptr, n);
  out[n] = '\0';
}

// One code point as UTF-8 into a zero-filled 5-byte field; nothing for
// values that are not characters.
void EncodeUtf8(std::int32_t c, char (&out)[5]) {
  const auto u = static_cast<std::uint32_t>(c);
  if (c <= 0 || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return;
  if (u < 0x80) {
    out[0] = static_cast<char>(u);
  } else if (u < 0x800) {
    out[0] = static_cast<char>(0xC0 | (u >> 6));
    out[1] = static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (u >> 12));
    out[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out[0] = static_cast<char>(0xF0 | (u >> 18));
    out[1] = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

IFxVST2::IFxVST2(const HostLaunchInfo& info, const IFxConfig& config)
    : IFxAPIBase(config), IFxProcessor(config), hostCallback_(info.hostCallback) {
  programChunk_.Clear();
  bankChunk_.Clear();
  hostExtensions_ = 0;

  std::memset(&effect_, 0, sizeof effect_);
  effect_.magic = vst2::kEffectMagic;
  effect_.dispatcher = &IFxVST2::VSTDispatcher;
  effect_.process = &IFxVST2::VSTAccumulateCallback;
  effect_.setParameter = &IFxVST2::VSTSetParamCallback;
  effect_.getParameter = &IFxVST2::VSTGetParamCallback;
  effect_.numPrograms = config.nPresets;
  effect_.numParams = config.nParams;
  effect_.numInputs = NChannels(kInput);
  effect_.numOutputs = NChannels(kOutput);
  effect_.initialDelay = config.latency;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = config.uniqueId;
  effect_.version = DecimalVersion(config.version);
  effect_.processReplacing = &IFxVST2::VSTReplaceCallback;
  effect_.processDoubleReplacing = &IFxVST2::VSTReplaceDoubleCallback;
  std::int32_t flags = vst2::effFlagsCanReplacing | vst2::effFlagsCanDoubleReplacing;
  if (config.stateChunks) flags |= vst2::effFlagsProgramChunks;
  if (LegalIO(1, -1)) flags |= vst2::effFlagsCanMono;
  if (config.pluginKind == 1) flags |= vst2::effFlagsIsSynth;
  if (config.hasEditor) flags |= vst2::effFlagsHasEditor;
  effect_.flags = flags;

  editorRect_ = {};
  inputArrangement_.numChannels = NChannels(kInput);
  inputArrangement_.type = ArrangementType(NChannels(kInput));
  outputArrangement_.numChannels = NChannels(kOutput);
  outputArrangement_.type = ArrangementType(NChannels(kOutput));
  MarkChannelsConnected(kInput, 0, NChannels(kInput), true);
  MarkChannelsConnected(kOutput, 0, NChannels(kOutput), true);
  sliceInputs_.assign(static_cast<std::size_t>(NChannels(kInput)), nullptr);
  sliceOutputs_.assign(static_cast<std::size_t>(NChannels(kOutput)), nullptr);

  ChangeBlockSize(512);

  if (config.hasEditor) {
    effect_.flags |= vst2::effFlagsHasEditor;
    editorRect_ = EditorRectFor(GetEditorWidth(), GetEditorHeight());
  }
  StartEditorTimer();
}

IFxVST2::~IFxVST2() {
  // A host that still holds the record after effClose finds no object in it.
  effect_.object = nullptr;
}

std::intptr_t IFxVST2::CallHost(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                float opt) const {
  if (!hostCallback_) return 0;
  return hostCallback_(const_cast<vst2::AEffect*>(&effect_), opcode, index, value, ptr, opt);
}

// Host-facing operations.

void IFxVST2::BeginParamGesture(std::int32_t index) { CallHost(vst2::audioMasterBeginEdit, index, 0, nullptr, 0.0f); }

void IFxVST2::SendParamValueToHost(std::int32_t index, double normalized) {
  CallHost(vst2::audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IFxVST2::EndParamGesture(std::int32_t index) { CallHost(vst2::audioMasterEndEdit, index, 0, nullptr, 0.0f); }

void IFxVST2::TellHostPresetsChanged() { CallHost(vst2::audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f); }

bool IFxVST2::ResizeEditorWindow(std::int32_t width, std::int32_t height) {
  if (!HasEditor() || (width == GetEditorWidth() && height == GetEditorHeight())) return false;
  SetEditorSize(width, height);
  editorRect_ = EditorRectFor(width, height);
  return CallHost(vst2::audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

void IFxVST2::ApplyHostQuirks() {
  const std::int32_t host = GetHostId();
  if (host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSawStudio) {
    // These hosts only cope with stereo. Inputs 2 and up are disconnected,
    // so they read silence; outputs 2 and up stay connected, so the effect
    // still writes them (into the frame's own buffers when the host gives none).
    if (NChannels(kInput) > 2) MarkChannelsConnected(kInput, 2, NChannels(kInput) - 2, false);
    if (NChannels(kOutput) > 2) MarkChannelsConnected(kOutput, 2, NChannels(kOutput) - 2, true);
  }
  effect_.numInputs = inputArrangement_.numChannels = NChannels(kInput);
  effect_.numOutputs = outputArrangement_.numChannels = NChannels(kOutput);
}

std::intptr_t IFxVST2::VendorSpecificHook(std::int32_t, std::intptr_t, void*, float) { return 0; }

std::intptr_t IFxVST2::CanDoHook(const char*) { return 0; }

// The dispatcher.

std::intptr_t OMBRISK_VSTCALL IFxVST2::VSTDispatcher(vst2::AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                    std::intptr_t value, void* ptr, float opt) {
  if (!effect || !effect->object) return 0;
  auto* self = static_cast<IFxVST2*>(effect->object);
  if (opcode == vst2::effClose) {
    delete self;
    return 0;
  }
  return self->Dispatch(opcode, HostRequest{index, value, ptr, opt});
}

// Every opcode not listed answers 0 and does nothing.
std::intptr_t IFxVST2::Dispatch(std::int32_t opcode, const HostRequest& r) {
  using namespace vst2;
  switch (opcode) {
    case effOpen:                    return HandleOpen(r);
    case effSetProgram:              return HandleSetProgram(r);
    case effGetProgram:              return HandleGetProgram(r);
    case effSetProgramName:          return HandleSetProgramName(r);
    case effGetProgramName:          return HandleGetProgramName(r);
    case effGetParamLabel:           return HandleGetParamLabel(r);
    case effGetParamDisplay:         return HandleGetParamDisplay(r);
    case effGetParamName:            return HandleGetParamName(r);
    case effSetSampleRate:           return HandleSetSampleRate(r);
    case effSetBlockSize:            return HandleSetBlockSize(r);
    case effMainsChanged:            return HandleMainsChanged(r);
    case effEditGetRect:             return HandleEditGetRect(r);
    case effEditOpen:                return HandleEditOpen(r);
    case effEditClose:               return HandleEditClose(r);
    case effEditIdle:                return HandleEditIdle(r);
    case effIdentify:                return HandleIdentify(r);
    case effGetChunk:                return HandleGetChunk(r);
    case effSetChunk:                return HandleSetChunk(r);
    case effProcessEvents:           return HandleProcessEvents(r);
    case effCanBeAutomated:          return HandleCanBeAutomated(r);
    case effString2Parameter:        return HandleString2Parameter(r);
    case effGetProgramNameIndexed:   return HandleGetProgramNameIndexed(r);
    case effGetInputProperties:      return HandleGetInputProperties(r);
    case effGetOutputProperties:     return HandleGetOutputProperties(r);
    case effGetPlugCategory:         return HandleGetPlugCategory(r);
    case effSetSpeakerArrangement:   return HandleSetSpeakerArrangement(r);
    case effGetEffectName:           return HandleGetEffectName(r);
    case effGetVendorString:         return HandleGetVendorString(r);
    case effGetProductString:        return HandleGetProductString(r);
    case effGetVendorVersion:        return HandleGetVendorVersion(r);
    case effVendorSpecific:          return HandleVendorSpecific(r);
    case effCanDo:                   return HandleCanDo(r);
    case effGetTailSize:             return HandleGetTailSize(r);
    case effGetParameterProperties:  return HandleGetParameterProperties(r);
    case effGetVstVersion:           return HandleGetVstVersion(r);
    case effEditKeyDown:             return HandleEditKeyDown(r);
    case effEditKeyUp:               return HandleEditKeyUp(r);
    case effGetMidiKeyName:          return HandleGetMidiKeyName(r);
    case effGetSpeakerArrangement:   return HandleGetSpeakerArrangement(r);
    default:                         return 0;
  }
}

vst2::ERect IFxVST2::EditorRectFor(std::int32_t width, std::int32_t height) {
  return {0, 0, static_cast<std::int16_t>(height), static_cast<std::int16_t>(width)};
}

// Identifies the host once, then tells the editor side that every value may
// have changed (also on a repeated open).
std::intptr_t IFxVST2::HandleOpen(const HostRequest&) {
  if (GetHostId() == kHostNotYetIdentified) {
    char product[256] = "";
    CallHost(vst2::audioMasterGetProductString, 0, 0, product, 0.0f);
    product[sizeof product - 1] = '\0';  // a host that fills the whole buffer
    std::int32_t version = 0;
    if (product[0] != '\0') {
      const std::intptr_t d = CallHost(vst2::audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
      const std::int64_t v = std::clamp<std::int64_t>(static_cast<std::int64_t>(d), 0, 0x7FFFFFFF);
      version = static_cast<std::int32_t>(((v / 10000) << 16) | (((v % 10000) / 100) << 8) | (v % 100));
    }
    SetHost(product, version);
    ApplyHostQuirks();
    AfterHostIdentified();
  }
  OnAllParamsChanged(ChangeSource::Reset);
  return 0;
}

std::intptr_t IFxVST2::HandleSetProgram(const HostRequest& r) {
  // Without chunks the host keeps no state of its own: the outgoing preset
  // keeps what was played with before the switch.
  if (!DoesStateChunks()) ModifyCurrentPreset();
  LoadPreset(static_cast<std::int32_t>(std::clamp<std::intptr_t>(r.value, -1, 0x7FFFFFFF)));
  return 0;
}

std::intptr_t IFxVST2::HandleGetProgram(const HostRequest&) { return GetCurrentPresetIdx(); }

std::intptr_t IFxVST2::HandleSetProgramName(const HostRequest& r) {
  if (!r.ptr) return 0;
  char name[PresetSlot::kNameSize];
  ReadHostText(r.ptr, name);
  ModifyCurrentPreset(name);
  OnPresetsChanged();
  return 0;
}

std::intptr_t IFxVST2::HandleGetProgramName(const HostRequest& r) {
  if (r.ptr) Copy(r.ptr, kProgramNameBytes, GetPresetName(GetCurrentPresetIdx()));
  return 0;
}

std::intptr_t IFxVST2::HandleGetParamLabel(const HostRequest& r) {
  if (ValidParam(r.index) && r.ptr) Copy(r.ptr, kParamTextBytes, GetParam(r.index)->GetUnitLabel());
  return 0;
}

std::intptr_t IFxVST2::HandleGetParamDisplay(const HostRequest& r) {
  if (!ValidParam(r.index) || !r.ptr) return 0;
  const IParam* param = GetParam(r.index);
  param->FormatValueText(param->GetValue(), false, GetParamDisplayText(), true);
  Copy(r.ptr, kParamTextBytes, GetParamDisplayText().Get());
  return 0;
}

std::intptr_t IFxVST2::HandleGetParamName(const HostRequest& r) {
  if (ValidParam(r.index) && r.ptr) Copy(r.ptr, kParamTextBytes, GetParam(r.index)->GetName());
  return 0;
}

std::intptr_t IFxVST2::HandleSetSampleRate(const HostRequest& r) {
  // A NaN, infinite or negative rate is no rate: the last one stays.
  const double rate = static_cast<double>(r.opt);
  if (std::isfinite(rate) && rate >= 0.0) SetSampleRate(rate);
  OnProcessorReset();
  return 0;
}

std::intptr_t IFxVST2::HandleSetBlockSize(const HostRequest& r) {
  // Zero or negative sizes would leave no room to process in; absurd ones
  // are processed in slices of the largest size kept.
  if (r.value > 0) ChangeBlockSize(static_cast<std::int32_t>(std::min<std::intptr_t>(r.value, kMaxBlockSize)));
  OnProcessorReset();
  return 0;
}

std::intptr_t IFxVST2::HandleMainsChanged(const HostRequest& r) {
  OnActivationChanged(r.value != 0);
  // Switching off is where the effect forgets its history, so that the next
  // resume starts from silence.
  if (r.value == 0) OnProcessorReset();
  return 0;
}

std::intptr_t IFxVST2::HandleEditGetRect(const HostRequest& r) {
  if (!r.ptr || !HasEditor()) return 0;
  editorRect_ = EditorRectFor(GetEditorWidth(), GetEditorHeight());
  *static_cast<vst2::ERect**>(r.ptr) = &editorRect_;
  return 1;
}

std::intptr_t IFxVST2::HandleEditOpen(const HostRequest& r) { return OpenEditor(r.ptr) ? 1 : 0; }

std::intptr_t IFxVST2::HandleEditClose(const HostRequest&) {
  if (!HasEditor()) return 0;
  CloseEditor();
  return 1;
}

// The host's user-interface thread calls this many times a second while the
// editor is open. On Linux it is what runs the editor timer (the plug-in has
// no message loop there); on Windows the timer runs from the thread's
// message loop and this does nothing. The answer is 0 either way.
std::intptr_t IFxVST2::HandleEditIdle(const HostRequest&) {
  Timer::ServiceIdleTimers();
  return 0;
}

std::intptr_t IFxVST2::HandleIdentify(const HostRequest&) { return vst2::kEffectIdentifyAnswer; }

std::intptr_t IFxVST2::HandleGetChunk(const HostRequest& r) {
  if (!r.ptr) return 0;
  const bool bank = r.index == 0;
  StateChunk& chunk = bank ? bankChunk_ : programChunk_;
  chunk.Clear();
  bool ok = WriteChunkHeader(chunk);
  if (ok && bank) {
    // The bank must carry what is playing now, not what the preset held
    // when it was last loaded.
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  } else if (ok) {
    ok = WriteState(chunk);
  }
  if (!ok || chunk.Size() == 0) return 0;
  *static_cast<void**>(r.ptr) = chunk.Data();
  return chunk.Size();
}

std::intptr_t IFxVST2::HandleSetChunk(const HostRequest& r) {
  const std::intptr_t size = r.value;
  if (!r.ptr || size < 0 || size > 0x7FFFFFFF) return 0;
  StateChunk& chunk = r.index == 0 ? bankChunk_ : programChunk_;
  if (!chunk.Resize(static_cast<std::int32_t>(size))) return 0;
  if (size > 0) std::memcpy(chunk.Data(), r.ptr, static_cast<std::size_t>(size));
  std::int32_t position = 0;
  const std::int32_t version = ReadChunkVersion(chunk, position);
  // Banks began with format version 0x10000; anything older, or sent as a
  // single program, is one program's state.
  if (r.index == 0 && version >= 0x10000) {
    position = UnserializePresets(chunk, position);
  } else {
    position = ReadState(chunk, position);
    ModifyCurrentPreset();
  }
  if (position < 0) return 0;
  OnStateRestored();
  return 1;
}

std::intptr_t IFxVST2::HandleProcessEvents(const HostRequest& r) {
  if (!r.ptr) return 0;
  const auto* events = static_cast<const vst2::VstEvents*>(r.ptr);
  for (std::int32_t i = 0; i < events->numEvents; ++i) {
    const vst2::VstEvent* event = events->events[i];
    if (!event) continue;
    if (event->type == vst2::kVstMidiType) {
      const auto* midi = reinterpret_cast<const vst2::VstMidiEvent*>(event);
      const MidiMessage message{midi->deltaFrames, static_cast<std::uint8_t>(midi->midiData[0]),
                                static_cast<std::uint8_t>(midi->midiData[1]),
                                static_cast<std::uint8_t>(midi->midiData[2])};
      ProcessMidiMessage(message);
      QueueMidiForEditor(message);
    } else if (event->type == vst2::kVstSysExType) {
      const auto* sysex = reinterpret_cast<const vst2::VstMidiSysexEvent*>(event);
      ProcessSysExMessage({sysex->deltaFrames, sysex->dumpBytes, reinterpret_cast<const std::uint8_t*>(sysex->sysexDump)});
    }
  }
  return 1;
}

std::intptr_t IFxVST2::HandleCanBeAutomated(const HostRequest& r) {
  if (!ValidParam(r.index)) return 0;
  return (GetParam(r.index)->GetFlags() & kParamNotAutomatable) ? 0 : 1;
}

std::intptr_t IFxVST2::HandleString2Parameter(const HostRequest& r) {
  if (!ValidParam(r.index)) return 0;
  if (!r.ptr) return 1;
  IParam* param = GetParam(r.index);
  char text[256];
  ReadHostText(r.ptr, text);
  const double v = param->ClampToRange(param->ParseValueText(text));
  param->SetValue(v);
  QueueParamValueForEditor(r.index, v, false);
  // The base notification by its qualified name: this runs on the host's
  // thread, and the base version touches no editor state, whatever an
  // effect's override of OnParamChange does.
  IEditorDelegate::OnParamChange(r.index, ChangeSource::Host, -1);
  return 1;
}

std::intptr_t IFxVST2::HandleGetProgramNameIndexed(const HostRequest& r) {
  if (!r.ptr) return 0;
  Copy(r.ptr, kProgramNameBytes, GetPresetName(r.index));
  return static_cast<char*>(r.ptr)[0] != '\0' ? 1 : 0;
}

std::intptr_t IFxVST2::HandleGetInputProperties(const HostRequest& r) { return PinProperties(kInput, r.index, r.ptr); }

std::intptr_t IFxVST2::HandleGetOutputProperties(const HostRequest& r) { return PinProperties(kOutput, r.index, r.ptr); }

std::intptr_t IFxVST2::HandleGetPlugCategory(const HostRequest&) {
  return GetPluginKind() == 1 ? vst2::kPlugCategSynth : vst2::kPlugCategEffect;
}

std::intptr_t IFxVST2::HandleSetSpeakerArrangement(const HostRequest& r) {
  const auto* in = reinterpret_cast<const vst2::VstSpeakerArrangement*>(r.value);
  const auto* out = static_cast<const vst2::VstSpeakerArrangement*>(r.ptr);
  // A negative channel count is refused like one above the plug-in's own
  // (answer 0, nothing changed): taken as given it would connect nothing
  // and then mark channels below the first one, which do not exist.
  if (in) {
    const std::int32_t n = in->numChannels;
    if (n < 0 || n > effect_.numInputs) return 0;
    MarkChannelsConnected(kInput, 0, n, true);
    MarkChannelsConnected(kInput, n, NChannels(kInput) - n, false);
  }
  if (out) {
    const std::int32_t n = out->numChannels;
    if (n < 0 || n > effect_.numOutputs) return 0;
    MarkChannelsConnected(kOutput, 0, n, true);
    MarkChannelsConnected(kOutput, n, NChannels(kOutput) - n, false);
  }
  return 1;
}

std::intptr_t IFxVST2::HandleGetEffectName(const HostRequest& r) {
  if (!r.ptr) return 0;
  Copy(r.ptr, kEffectNameBytes, GetPluginName());
  return 1;
}

std::intptr_t IFxVST2::HandleGetVendorString(const HostRequest& r) {
  if (!r.ptr) return 0;
  Copy(r.ptr, kVendorProductBytes, GetMakerName());
  return 1;
}

std::intptr_t IFxVST2::HandleGetProductString(const HostRequest& r) {
  if (!r.ptr) return 0;
  Copy(r.ptr, kVendorProductBytes, GetProductName());
  return 1;
}

std::intptr_t IFxVST2::HandleGetVendorVersion(const HostRequest&) { return effect_.version; }

std::intptr_t IFxVST2::HandleVendorSpecific(const HostRequest& r) {
  const bool validParam = r.value >= 0 && r.value < NParams();
  const std::int32_t paramIndex = validParam ? static_cast<std::int32_t>(r.value) : -1;
  if (r.index == kVendorFormatNormalized && r.ptr) {
    if (validParam) {
      GetParam(paramIndex)->FormatValueText(static_cast<double>(r.opt), true, GetParamDisplayText(), true);
      Copy(r.ptr, kParamTextBytes, GetParamDisplayText().Get());
    }
    return kVendorUnderstood;
  }
  if (r.index == kVendorIsTwoState && validParam) {
    const IParam* p = GetParam(paramIndex);
    const ParamKind kind = p->GetKind();
    if (kind == ParamKind::Boolean ||
        ((kind == ParamKind::Integer || kind == ParamKind::Enumerated) && std::fabs(p->GetMax() - p->GetMin()) < 1.5))
      return kVendorUnderstood;
  }
  if (r.index == kVendorParseNormalized && r.ptr && validParam) {
    char* text = static_cast<char*>(r.ptr);
    if (text[0] != '\0') {
      const IParam* p = GetParam(paramIndex);
      char input[256];
      ReadHostText(text, input);
      const double normalized = p->NormalizedFromReal(p->ClampToRange(p->ParseValueText(input)));
      // "0." and 17 decimals fit the parameter text bound. Written in the
      // process locale: the host reads it back with its own C library in
      // this same process, and ParseValueText reads either separator.
      std::snprintf(text, kParamTextBytes, "%.17f", normalized);
    }
    return kVendorUnderstood;
  }
  return VendorSpecificHook(r.index, r.value, r.ptr, r.opt);
}

std::intptr_t IFxVST2::HandleCanDo(const HostRequest& r) {
  if (!r.ptr) return 0;
  char capability[128];
  ReadHostText(r.ptr, capability);
  FX_TRACE("fx::IFxVST2::VSTDispatcher", "VSTCanDo(%s)", capability);
  const auto is = [&](const char* s) { return std::strcmp(capability, s) == 0; };
  if (is("receiveVstTimeInfo")) return 1;
  if ((is("receiveVstEvents") || is("receiveVstMidiEvent")) && DoesMidiIn()) return 1;
  if ((is("sendVstEvents") || is("sendVstMidiEvent")) && DoesMidiOut()) return 1;
  if (is("hasCockosExtensions")) {
    hostExtensions_ |= kHostHasCockosExtensions;
    return kHostExtensionAcknowledged;
  }
  if (is("hasCockosViewAsConfig")) {
    hostExtensions_ |= kHostHasCockosViewAsConfig;
    return kHostExtensionAcknowledged;
  }
  if (is("wantsChannelCountNotifications")) return 1;
  if (is("MPE")) return DoesMPE() ? 1 : 0;
  return CanDoHook(capability);
}

std::intptr_t IFxVST2::HandleGetTailSize(const HostRequest&) { return GetTailSize(); }

std::intptr_t IFxVST2::HandleGetParameterProperties(const HostRequest& r) {
  if (!ValidParam(r.index) || !r.ptr) return 0;
  auto* props = static_cast<vst2::VstParameterProperties*>(r.ptr);
  const IParam* param = GetParam(r.index);
  const ParamKind kind = param->GetKind();
  if (kind == ParamKind::Boolean) {
    props->flags = vst2::kVstParameterIsSwitch;
  } else if (kind == ParamKind::Integer || kind == ParamKind::Enumerated) {
    props->flags = vst2::kVstParameterUsesIntegerMinMax | vst2::kVstParameterUsesIntStep;
    const auto toInt = [](double v) {
      return static_cast<std::int32_t>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
    };
    props->minInteger = toInt(param->GetMin());
    props->maxInteger = toInt(param->GetMax());
    props->stepInteger = 1;
    props->largeStepInteger = 1;
  } else {
    props->flags = vst2::kVstParameterUsesFloatStep;
    props->stepFloat = props->smallStepFloat = props->largeStepFloat = static_cast<float>(param->GetStep());
  }
  Copy(props->label, kParamTextBytes, param->GetUnitLabel());
  return 1;
}

std::intptr_t IFxVST2::HandleGetVstVersion(const HostRequest&) { return vst2::kVstVersion; }

std::intptr_t IFxVST2::HandleEditKeyDown(const HostRequest& r) { return KeyEvent(true, r.index, r.value, r.opt); }

std::intptr_t IFxVST2::HandleEditKeyUp(const HostRequest& r) { return KeyEvent(false, r.index, r.value, r.opt); }

std::intptr_t IFxVST2::HandleGetMidiKeyName(const HostRequest& r) {
  if (!r.ptr) return 0;
  auto* key = static_cast<vst2::MidiKeyName*>(r.ptr);
  key->keyName[0] = '\0';
  TextBuffer name;
  const bool answered = GetMidiNoteName(key->thisKeyNumber, name);
  name.CopyTo(key->keyName, kMidiKeyNameBytes);
  return answered ? 1 : 0;
}

std::intptr_t IFxVST2::HandleGetSpeakerArrangement(const HostRequest& r) {
  if (r.value) *reinterpret_cast<vst2::VstSpeakerArrangement**>(r.value) = &inputArrangement_;
  if (r.ptr) *static_cast<vst2::VstSpeakerArrangement**>(r.ptr) = &outputArrangement_;
  return 1;
}

std::intptr_t IFxVST2::PinProperties(BusDirection direction, std::int32_t index, void* ptr) {
  const std::int32_t channels = NChannels(direction);
  if (!ptr || index < 0 || index >= channels) return 0;
  auto* pin = static_cast<vst2::VstPinProperties*>(ptr);
  pin->flags = vst2::kVstPinIsActive;
  if (index % 2 == 0 && index < channels - 1) pin->flags |= vst2::kVstPinIsStereo;
  const ChannelSlot* slot = GetChannelSlot(direction, index);
  if (slot && !slot->label.empty()) {
    Copy(pin->label, kPinLabelBytes, slot->label.c_str());
  } else {
    std::snprintf(pin->label, kPinLabelBytes, direction == kInput ? "Input %d" : "Output %d", index + 1);
  }
  return 1;
}

std::int32_t IFxVST2::MapVirtualKey(std::intptr_t value, std::int32_t character) {
  if (value == 0 || value == vst2::VKEY_EQUALS) {
    return static_cast<std::int32_t>(platform::KeyScanForCharacter(static_cast<char>(character)));
  }
  // By the VST2 key index (1 back, 2 tab, ... 56 alt).
  using namespace keys;
  static constexpr std::int32_t kCodes[57] = {
      kNone,      kBackspace, kTab,       kClear,     kReturn,    kPause,     kEscape,    kSpace,
      kPageDown,  kEnd,       kHome,      kLeft,      kUp,        kRight,     kDown,      kPageUp,
      kPageDown,  kSelect,    kPrint,     kReturn,    kSnapshot,  kInsert,    kDelete,    kHelp,
      Numpad(0),  Numpad(1),  Numpad(2),  Numpad(3),  Numpad(4),  Numpad(5),  Numpad(6),  Numpad(7),
      Numpad(8),  Numpad(9),  kMultiply,  kAdd,       kSeparator, kSubtract,  kDecimal,   kDivide,
      Function(1), Function(2), Function(3), Function(4), Function(5), Function(6), Function(7), Function(8),
      Function(9), Function(10), Function(11), Function(12), kNumLock, kScrollLock, kShift, kControl,
      kAlt};
  if (value >= 1 && value <= 56) return kCodes[value];
  return 0;
}

std::intptr_t IFxVST2::KeyEvent(bool down, std::int32_t index, std::intptr_t value, float opt) {
  IKeyPress key;
  key.vk = MapVirtualKey(value, index);
  EncodeUtf8(index, key.utf8);
  const double bits = static_cast<double>(opt);
  const std::int32_t modifiers =
      std::isfinite(bits) && std::fabs(bits) < 2147483647.0 ? static_cast<std::int32_t>(bits) : 0;
  key.shift = (modifiers & vst2::MODIFIER_SHIFT) != 0;
  key.alt = (modifiers & vst2::MODIFIER_ALTERNATE) != 0;
  key.ctrl = (modifiers & vst2::MODIFIER_CONTROL) != 0;
  return (down ? KeyDownFromHost(key) : KeyUpFromHost(key)) ? 1 : 0;
}

}  // namespace fx
