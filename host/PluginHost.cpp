#include "host/PluginHost.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace ombrisk::host {
namespace {

constexpr const char* kHostVendor = "Ombrisk";
constexpr const char* kHostProduct = "ombrisk-host";
constexpr std::intptr_t kHostVersion = 1000;

// The instance whose entry point is running on this thread: plug-ins call the
// host before the record exists, so the record cannot lead back to us yet.
thread_local PluginInstance* tConstructing = nullptr;

void CopyText(void* destination, const char* text, std::size_t capacity) {
  if (destination == nullptr || capacity == 0) return;
  auto* out = static_cast<char*>(destination);
  const std::size_t n = std::min(std::strlen(text), capacity - 1);
  std::memcpy(out, text, n);
  out[n] = '\0';
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::shared_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string& error) {
  auto library = SharedLibrary::Open(path, error);
  if (!library) return nullptr;
  void* entry = library->FindSymbol("VSTPluginMain");
  if (entry == nullptr) entry = library->FindSymbol("main");
  if (entry == nullptr) {
    error = path + " is not a VST2 plug-in (it exports neither VSTPluginMain nor main)";
    return nullptr;
  }
  auto module = std::make_shared<PluginModule>();
  module->library_ = std::move(library);
  module->entry_ = reinterpret_cast<vst2::VstPluginMainProc>(entry);
  module->path_ = path;
  return module;
}

std::unique_ptr<PluginInstance> PluginInstance::Open(const std::string& path, std::string& error) {
  auto module = PluginModule::Load(path, error);
  if (!module) return nullptr;
  return Create(std::move(module), error);
}

std::unique_ptr<PluginInstance> PluginInstance::Create(std::shared_ptr<PluginModule> module, std::string& error) {
  std::unique_ptr<PluginInstance> instance(new PluginInstance());
  instance->module_ = std::move(module);
  instance->timeInfo_.sampleRate = instance->sampleRate_;
  instance->timeInfo_.tempo = 120.0;
  instance->timeInfo_.timeSigNumerator = 4;
  instance->timeInfo_.timeSigDenominator = 4;
  instance->timeInfo_.flags = vst2::kVstTempoValid | vst2::kVstTimeSigValid | vst2::kVstPpqPosValid;

  tConstructing = instance.get();
  vst2::AEffect* effect = instance->module_->Entry()(&PluginInstance::HostCallback);
  tConstructing = nullptr;
  const std::string& path = instance->module_->Path();
  if (effect == nullptr) {
    error = path + ": the plug-in failed to open (its entry point returned no effect)";
    return nullptr;
  }
  if (effect->magic != vst2::kEffectMagic) {
    error = path + " is not a VST2 plug-in (its effect record has the wrong magic number)";
    return nullptr;
  }
  if (effect->dispatcher == nullptr) {
    error = path + ": the plug-in failed to open (its effect record has no dispatcher)";
    return nullptr;
  }
  if (effect->numInputs < 0 || effect->numOutputs < 0 || effect->numParams < 0 || effect->numPrograms < 0 ||
      effect->numInputs > 1024 || effect->numOutputs > 1024) {
    error = path + ": the plug-in failed to open (implausible channel, parameter or program counts)";
    effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0F);
    return nullptr;
  }
  instance->effect_ = effect;
  // resvd1 belongs to the host: it leads callbacks back to this instance.
  effect->resvd1 = reinterpret_cast<std::intptr_t>(instance.get());
  instance->Dispatch(vst2::effOpen);
  instance->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(instance->sampleRate_));
  instance->Dispatch(vst2::effSetBlockSize, 0, instance->blockSize_);
  return instance;
}

PluginInstance::~PluginInstance() {
  if (effect_ == nullptr) return;
  if (active_) Suspend();
  Dispatch(vst2::effClose);
  effect_ = nullptr;
}

std::intptr_t PluginInstance::Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                       float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(std::int32_t opcode, std::int32_t index) {
  // Plug-ins overrun the interface's named lengths; give them room and cut at the end.
  std::vector<char> buffer(1024, '\0');
  Dispatch(opcode, index, 0, buffer.data());
  buffer.back() = '\0';
  return buffer.data();
}

float PluginInstance::GetParameter(std::int32_t index) { return effect_->getParameter(effect_, index); }

void PluginInstance::SetParameter(std::int32_t index, float value) { effect_->setParameter(effect_, index, value); }

std::int32_t PluginInstance::FindParameter(const std::string& nameOrIndex) {
  const std::string wanted = Lower(TrimBlanks(nameOrIndex));
  if (wanted.empty()) return -1;
  for (std::int32_t i = 0; i < NumParams(); ++i) {
    if (Lower(TrimBlanks(ParamName(i))) == wanted) return i;
  }
  std::int32_t index = -1;
  const auto [end, ec] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
  if (ec == std::errc() && end == wanted.data() + wanted.size() && index >= 0 && index < NumParams()) return index;
  return -1;
}

void PluginInstance::Configure(double sampleRate, std::int32_t blockSize) {
  if (active_) Suspend();
  sampleRate_ = sampleRate;
  blockSize_ = blockSize;
  timeInfo_.sampleRate = sampleRate;
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(vst2::effSetBlockSize, 0, blockSize);
  Resume();
}

void PluginInstance::Resume() {
  Dispatch(vst2::effMainsChanged, 0, 1);
  active_ = true;
}

void PluginInstance::Suspend() {
  Dispatch(vst2::effMainsChanged, 0, 0);
  active_ = false;
}

void PluginInstance::AdvanceTime(std::int32_t frames) {
  timeInfo_.samplePos += frames;
  timeInfo_.ppqPos = timeInfo_.samplePos / sampleRate_ * timeInfo_.tempo / 60.0;
  timeInfo_.barStartPos = std::floor(timeInfo_.ppqPos / 4.0) * 4.0;
}

void PluginInstance::ProcessReplacing(float** inputs, float** outputs, std::int32_t frames) {
  effect_->processReplacing(effect_, inputs, outputs, frames);
  AdvanceTime(frames);
}

void PluginInstance::ProcessDouble(double** inputs, double** outputs, std::int32_t frames) {
  effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
  AdvanceTime(frames);
}

void PluginInstance::ProcessAccumulating(float** inputs, float** outputs, std::int32_t frames) {
  effect_->process(effect_, inputs, outputs, frames);
  AdvanceTime(frames);
}

std::intptr_t OMBRISK_VSTCALL PluginInstance::HostCallback(vst2::AEffect* effect, std::int32_t opcode,
                                                           std::int32_t index, std::intptr_t value, void* ptr,
                                                           float opt) {
  PluginInstance* self = nullptr;
  if (effect != nullptr && effect->resvd1 != 0) self = reinterpret_cast<PluginInstance*>(effect->resvd1);
  if (self == nullptr) self = tConstructing;
  if (self != nullptr) return self->Answer(opcode, index, value, ptr, opt);
  // A call we cannot place: answer what needs no instance.
  switch (opcode) {
    case vst2::audioMasterVersion: return vst2::kVstVersion;
    case vst2::audioMasterGetVendorString: CopyText(ptr, kHostVendor, vst2::kVstMaxVendorStrLen); return 1;
    case vst2::audioMasterGetProductString: CopyText(ptr, kHostProduct, vst2::kVstMaxProductStrLen); return 1;
    case vst2::audioMasterGetVendorVersion: return kHostVersion;
    default: return 0;
  }
}

std::intptr_t PluginInstance::Answer(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                     float opt) {
  switch (opcode) {
    case vst2::audioMasterAutomate:
      ++counters_.automate;
      if (effect_ != nullptr && (index < 0 || index >= effect_->numParams)) ++counters_.automateBadIndex;
      if (!std::isfinite(opt) || opt < 0.0F || opt > 1.0F) ++counters_.automateBadValue;
      if (listener_ != nullptr) listener_->Automate(index, opt);
      return 0;
    case vst2::audioMasterVersion: return vst2::kVstVersion;
    case vst2::audioMasterCurrentId: return 0;
    case vst2::audioMasterIdle: return 0;
    case vst2::audioMasterWantMidi: return 1;
    case vst2::audioMasterGetTime: return reinterpret_cast<std::intptr_t>(&timeInfo_);
    case vst2::audioMasterProcessEvents: return 1;
    case vst2::audioMasterIOChanged: ++counters_.ioChanged; return 1;
    case vst2::audioMasterSizeWindow: {
      // Sizes beyond 32 bits are nonsense; the listener refuses them as such.
      const auto clamp = [](std::intptr_t v) {
        return static_cast<std::int32_t>(std::clamp<std::intptr_t>(v, -1, 0x7FFFFFFF));
      };
      return listener_ != nullptr && listener_->SizeWindow(clamp(index), clamp(value)) ? 1 : 0;
    }
    case vst2::audioMasterGetSampleRate: return static_cast<std::intptr_t>(sampleRate_);
    case vst2::audioMasterGetBlockSize: return blockSize_;
    case vst2::audioMasterGetInputLatency: return 0;
    case vst2::audioMasterGetOutputLatency: return 0;
    case vst2::audioMasterGetCurrentProcessLevel:
      return offline_ ? vst2::kVstProcessLevelOffline : vst2::kVstProcessLevelRealtime;
    case vst2::audioMasterGetAutomationState: return 1;  // automation off
    case vst2::audioMasterGetVendorString: CopyText(ptr, kHostVendor, vst2::kVstMaxVendorStrLen); return 1;
    case vst2::audioMasterGetProductString: CopyText(ptr, kHostProduct, vst2::kVstMaxProductStrLen); return 1;
    case vst2::audioMasterGetVendorVersion: return kHostVersion;
    case vst2::audioMasterCanDo: {
      if (ptr == nullptr) return 0;
      const char* text = static_cast<const char*>(ptr);
      // Only a host that shows the editor can size its window.
      if (std::strcmp(text, "sizeWindow") == 0) return listener_ != nullptr ? 1 : 0;
      for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                              "receiveVstMidiEvent", "startStopProcess", "supportShell"}) {
        if (std::strcmp(text, yes) == 0) return 1;
      }
      return 0;
    }
    case vst2::audioMasterGetLanguage: return 1;  // English
    case vst2::audioMasterUpdateDisplay: return 1;
    case vst2::audioMasterBeginEdit:
      ++counters_.beginEdit;
      if (listener_ != nullptr) listener_->BeginEdit(index);
      return 1;
    case vst2::audioMasterEndEdit:
      ++counters_.endEdit;
      if (listener_ != nullptr) listener_->EndEdit(index);
      return 1;
    default: (void)value; return 0;
  }
}

}  // namespace ombrisk::host
