#include "vst2/IFxVST2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

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
    editorRect_ = {0, 0, static_cast<std::int16_t>(GetEditorHeight()), static_cast<std::int16_t>(GetEditorWidth())};
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
  editorRect_ = {0, 0, static_cast<std::int16_t>(height), static_cast<std::int16_t>(width)};
  return CallHost(vst2::audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

void IFxVST2::ApplyHostQuirks() {
  const std::int32_t host = GetHostId();
  if (host == 15 || host == 17 || host == 18 || host == 20) {
    // These hosts only cope with stereo.
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
  return self->Dispatch(opcode, index, value, ptr, opt);
}

void IFxVST2::OnOpen() {
  if (GetHostId() == -1) {
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
}

void IFxVST2::SetBlockSize(std::intptr_t value) {
  // Zero or negative sizes would leave no room to process in; absurd ones
  // are processed in slices of the largest size kept.
  if (value <= 0) return;
  ChangeBlockSize(static_cast<std::int32_t>(std::min<std::intptr_t>(value, kMaxBlockSize)));
}

std::intptr_t IFxVST2::Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) {
  using namespace vst2;
  switch (opcode) {
    case effOpen:
      OnOpen();
      return 0;
    case effSetProgram:
      if (!DoesStateChunks()) ModifyCurrentPreset();
      LoadPreset(static_cast<std::int32_t>(std::clamp<std::intptr_t>(value, -1, 0x7FFFFFFF)));
      return 0;
    case effGetProgram:
      return GetCurrentPresetIdx();
    case effSetProgramName:
      if (ptr) {
        // Read at most a preset name's worth: the host's text may be unterminated.
        char name[PresetSlot::kNameSize];
        const std::size_t n = strnlen(static_cast<const char*>(ptr), sizeof name - 1);
        std::memcpy(name, ptr, n);
        name[n] = '\0';
        ModifyCurrentPreset(name);
        OnPresetsChanged();
      }
      return 0;
    case effGetProgramName:
      if (ptr) Copy(ptr, kProgramNameBytes, GetPresetName(GetCurrentPresetIdx()));
      return 0;
    case effGetParamLabel:
      if (ValidParam(index) && ptr) Copy(ptr, kParamTextBytes, GetParam(index)->GetUnitLabel());
      return 0;
    case effGetParamDisplay:
      if (ValidParam(index) && ptr) {
        const IParam* param = GetParam(index);
        param->FormatValueText(param->GetValue(), false, GetParamDisplayText(), true);
        Copy(ptr, kParamTextBytes, GetParamDisplayText().Get());
      }
      return 0;
    case effGetParamName:
      if (ValidParam(index) && ptr) Copy(ptr, kParamTextBytes, GetParam(index)->GetName());
      return 0;
    case effSetSampleRate: {
      // A NaN, infinite or negative rate is no rate: the last one stays.
      const double rate = static_cast<double>(opt);
      if (std::isfinite(rate) && rate >= 0.0) SetSampleRate(rate);
      OnProcessorReset();
      return 0;
    }
    case effSetBlockSize:
      SetBlockSize(value);
      OnProcessorReset();
      return 0;
    case effMainsChanged:
      if (value != 0) {
        OnActivationChanged(true);
      } else {
        OnActivationChanged(false);
        OnProcessorReset();
      }
      return 0;
    case effEditGetRect:
      if (!ptr || !HasEditor()) return 0;
      editorRect_ = {0, 0, static_cast<std::int16_t>(GetEditorHeight()), static_cast<std::int16_t>(GetEditorWidth())};
      *static_cast<ERect**>(ptr) = &editorRect_;
      return 1;
    case effEditOpen:
      return OpenEditor(ptr) ? 1 : 0;
    case effEditClose:
      if (!HasEditor()) return 0;
      CloseEditor();
      return 1;
    case effIdentify:
      return kEffectIdentifyAnswer;
    case effGetChunk:
      return GetChunk(index, ptr);
    case effSetChunk:
      return SetChunk(index, value, ptr);
    case effProcessEvents: {
      if (!ptr) return 0;
      const auto* events = static_cast<const VstEvents*>(ptr);
      for (std::int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType) {
          const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
          const MidiMessage message{midi->deltaFrames, static_cast<std::uint8_t>(midi->midiData[0]),
                                    static_cast<std::uint8_t>(midi->midiData[1]),
                                    static_cast<std::uint8_t>(midi->midiData[2])};
          ProcessMidiMessage(message);
          QueueMidiForEditor(message);
        } else if (event->type == kVstSysExType) {
          const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
          ProcessSysExMessage({sysex->deltaFrames, sysex->dumpBytes, reinterpret_cast<const std::uint8_t*>(sysex->sysexDump)});
        }
      }
      return 1;
    }
    case effCanBeAutomated:
      if (!ValidParam(index)) return 0;
      return (GetParam(index)->GetFlags() & kParamNotAutomatable) ? 0 : 1;
    case effString2Parameter: {
      if (!ValidParam(index)) return 0;
      if (!ptr) return 1;
      IParam* param = GetParam(index);
      char text[256];
      const std::size_t n = strnlen(static_cast<const char*>(ptr), sizeof text - 1);
      std::memcpy(text, ptr, n);
      text[n] = '\0';
      const double v = param->ClampToRange(param->ParseValueText(text));
      param->SetValue(v);
      QueueParamValueForEditor(index, v, false);
      IEditorDelegate::OnParamChange(index, ChangeSource::Host, -1);
      return 1;
    }
    case effGetProgramNameIndexed:
      if (!ptr) return 0;
      Copy(ptr, kProgramNameBytes, GetPresetName(index));
      return static_cast<char*>(ptr)[0] != '\0' ? 1 : 0;
    case effGetInputProperties:
      return PinProperties(kInput, index, ptr);
    case effGetOutputProperties:
      return PinProperties(kOutput, index, ptr);
    case effGetPlugCategory:
      return GetPluginKind() == 1 ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(value, ptr);
    case effGetEffectName:
      if (!ptr) return 0;
      Copy(ptr, kEffectNameBytes, GetPluginName());
      return 1;
    case effGetVendorString:
      if (!ptr) return 0;
      Copy(ptr, kVendorProductBytes, GetMakerName());
      return 1;
    case effGetProductString:
      if (!ptr) return 0;
      Copy(ptr, kVendorProductBytes, GetProductName());
      return 1;
    case effGetVendorVersion:
      return effect_.version;
    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize:
      return GetTailSize();
    case effGetParameterProperties:
      return ParameterProperties(index, ptr);
    case effGetVstVersion:
      return kVstVersion;
    case effEditKeyDown:
      return KeyEvent(true, index, value, opt);
    case effEditKeyUp:
      return KeyEvent(false, index, value, opt);
    case effGetMidiKeyName: {
      if (!ptr) return 0;
      auto* key = static_cast<MidiKeyName*>(ptr);
      key->keyName[0] = '\0';
      TextBuffer name;
      const bool answered = GetMidiNoteName(key->thisKeyNumber, name);
      name.CopyTo(key->keyName, kMidiKeyNameBytes);
      return answered ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default:
      return 0;
  }
}

std::intptr_t IFxVST2::GetChunk(std::int32_t index, void* ptr) {
  if (!ptr) return 0;
  StateChunk& chunk = index != 0 ? programChunk_ : bankChunk_;
  chunk.Clear();
  bool ok = WriteChunkHeader(chunk);
  if (ok) {
    if (index == 0) {
      ModifyCurrentPreset();
      ok = SerializePresets(chunk);
    } else {
      ok = WriteState(chunk);
    }
  }
  if (!ok || chunk.Size() == 0) return 0;
  *static_cast<void**>(ptr) = chunk.Data();
  return chunk.Size();
}

std::intptr_t IFxVST2::SetChunk(std::int32_t index, std::intptr_t size, const void* ptr) {
  if (!ptr || size < 0 || size > 0x7FFFFFFF) return 0;
  StateChunk& chunk = index != 0 ? programChunk_ : bankChunk_;
  if (!chunk.Resize(static_cast<std::int32_t>(size))) return 0;
  if (size > 0) std::memcpy(chunk.Data(), ptr, static_cast<std::size_t>(size));
  std::int32_t position = 0;
  const std::int32_t version = ReadChunkVersion(chunk, position);
  if (index == 0 && version >= 0x10000) {
    position = UnserializePresets(chunk, position);
  } else {
    position = ReadState(chunk, position);
    ModifyCurrentPreset();
  }
  if (position < 0) return 0;
  OnStateRestored();
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

std::intptr_t IFxVST2::ParameterProperties(std::int32_t index, void* ptr) {
  if (!ValidParam(index) || !ptr) return 0;
  auto* props = static_cast<vst2::VstParameterProperties*>(ptr);
  const IParam* param = GetParam(index);
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

std::intptr_t IFxVST2::SetSpeakerArrangement(std::intptr_t inputs, void* outputs) {
  const auto* in = reinterpret_cast<const vst2::VstSpeakerArrangement*>(inputs);
  const auto* out = static_cast<const vst2::VstSpeakerArrangement*>(outputs);
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

std::intptr_t IFxVST2::VendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt) {
  constexpr std::intptr_t kHandled = 0xBEEF;
  const bool validValue = value >= 0 && value < NParams();
  const std::int32_t param = validValue ? static_cast<std::int32_t>(value) : -1;
  if (index == 7 && ptr) {
    if (validValue) {
      GetParam(param)->FormatValueText(static_cast<double>(opt), true, GetParamDisplayText(), true);
      Copy(ptr, kParamTextBytes, GetParamDisplayText().Get());
    }
    return kHandled;
  }
  if (index == 8 && validValue) {
    const IParam* p = GetParam(param);
    const ParamKind kind = p->GetKind();
    if (kind == ParamKind::Boolean ||
        ((kind == ParamKind::Integer || kind == ParamKind::Enumerated) && std::fabs(p->GetMax() - p->GetMin()) < 1.5))
      return kHandled;
  }
  if (index == 27 && ptr && validValue) {
    char* text = static_cast<char*>(ptr);
    if (text[0] != '\0') {
      const IParam* p = GetParam(param);
      char input[256];
      const std::size_t n = strnlen(text, sizeof input - 1);
      std::memcpy(input, text, n);
      input[n] = '\0';
      const double normalized = p->NormalizedFromReal(p->ClampToRange(p->ParseValueText(input)));
      // "0." and 17 decimals fit the parameter text bound.
      std::snprintf(text, kParamTextBytes, "%.17f", normalized);
    }
    return kHandled;
  }
  return VendorSpecificHook(index, value, ptr, opt);
}

std::intptr_t IFxVST2::CanDo(const char* text) {
  if (!text) return 0;
  char capability[128];
  const std::size_t n = strnlen(text, sizeof capability - 1);
  std::memcpy(capability, text, n);
  capability[n] = '\0';
  FX_TRACE("fx::IFxVST2::VSTDispatcher", "VSTCanDo(%s)", capability);
  const auto is = [&](const char* s) { return std::strcmp(capability, s) == 0; };
  if (is("receiveVstTimeInfo")) return 1;
  if ((is("receiveVstEvents") || is("receiveVstMidiEvent")) && DoesMidiIn()) return 1;
  if ((is("sendVstEvents") || is("sendVstMidiEvent")) && DoesMidiOut()) return 1;
  if (is("hasCockosExtensions")) {
    hostExtensions_ |= kHostHasCockosExtensions;
    return static_cast<std::intptr_t>(0xBEEF0000);
  }
  if (is("hasCockosViewAsConfig")) {
    hostExtensions_ |= kHostHasCockosViewAsConfig;
    return static_cast<std::intptr_t>(0xBEEF0000);
  }
  if (is("wantsChannelCountNotifications")) return 1;
  if (is("MPE")) return DoesMPE() ? 1 : 0;
  return CanDoHook(capability);
}

std::int32_t IFxVST2::MapVirtualKey(std::intptr_t value, std::int32_t character) {
  if (value == 0 || value == vst2::VKEY_EQUALS) {
    return static_cast<std::int32_t>(platform::KeyScanForCharacter(static_cast<char>(character)));
  }
  static constexpr std::uint8_t kCodes[57] = {
      0,    0x08, 0x09, 0x0C, 0x0D, 0x13, 0x1B, 0x20, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
      0x21, 0x22, 0x29, 0x2A, 0x0D, 0x2C, 0x2D, 0x2E, 0x2F, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65,
      0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74,
      0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x90, 0x91, 0x10, 0x11, 0x12};
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
