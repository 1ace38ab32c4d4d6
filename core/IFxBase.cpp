#include "core/IFxBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/Trace.h"

namespace fx {

IFxBase::IFxBase(const IFxConfig& config)
    : IGEditorDelegate(config.nParams),
      uniqueId_(config.uniqueId),
      makerId_(config.makerId),
      version_(config.version),
      stateChunks_(config.stateChunks),
      hasEditor_(config.hasEditor),
      hostResize_(config.hostResize) {
  pluginName_.Set(config.pluginName ? config.pluginName : "", kMaxNameChars);
  productName_.Set(config.productName ? config.productName : "", kMaxNameChars);
  makerName_.Set(config.makerName ? config.makerName : "", kMaxNameChars);
  bundleId_.Set(config.bundleId ? config.bundleId : "");
  const std::int32_t n = std::max(config.nPresets, 0);
  presets_.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) presets_.push_back(std::make_unique<PresetSlot>());
}

IFxBase::~IFxBase() = default;

bool IFxBase::WriteState(StateChunk& chunk) { return SerializeParams(chunk); }

std::int32_t IFxBase::ReadState(const StateChunk& chunk, std::int32_t position) {
  return UnserializeParams(chunk, position);
}

void IFxBase::TellHostPresetsChanged() {}

void IFxBase::OnPresetsChanged() {}

bool IFxBase::SerializeParams(StateChunk& chunk) {
  bool ok = true;
  for (std::int32_t i = 0; i < NParams() && ok; ++i) {
    const IParam* param = GetParam(i);
    const double v = param->GetValue();
    ok = chunk.PutDouble(v);
    FX_TRACE("fx::IFxBase::SerializeParams", "%d %s %f", i, param->GetName(), v);
    ok = ok && chunk.Size() > 0;
  }
  return ok;
}

std::int32_t IFxBase::UnserializeParams(const StateChunk& chunk, std::int32_t position) {
  for (std::int32_t i = 0; i < NParams() && position >= 0; ++i) {
    IParam* param = GetParam(i);
    double v = 0.0;
    position = chunk.GetDouble(v, position);
    if (position < 0) v = 0.0;
    param->SetValue(v);
    FX_TRACE("fx::IFxBase::UnserializeParams", "%d %s %f", i, param->GetName(), param->GetValue());
  }
  OnAllParamsChanged(ChangeSource::Preset);
  return position;
}

bool IFxBase::WriteChunkHeader(StateChunk& chunk) {
  return chunk.PutInt32(ChunkMagic) && chunk.PutInt32(ChunkFormatVersion);
}

std::int32_t IFxBase::ReadChunkVersion(const StateChunk& chunk, std::int32_t& position) {
  std::int32_t magic = 0;
  const std::int32_t afterMagic = chunk.GetInt32(magic, position);
  if (afterMagic < 0 || magic != ChunkMagic) return 0;
  std::int32_t version = 0;
  position = chunk.GetInt32(version, afterMagic);
  return version;
}

void IFxBase::SeedUninitializedPresets() {
  for (const auto& preset : presets_) {
    if (preset->initialized) continue;
    preset->initialized = true;
    preset->SetName(PresetSlot::kSeededName);
    preset->chunk.Clear();
    WriteState(preset->chunk);
  }
}

bool IFxBase::LoadPreset(std::int32_t index) {
  PresetSlot* preset = GetPreset(index);
  if (!preset) return false;
  bool ok;
  if (!preset->initialized) {
    preset->initialized = true;
    std::int32_t userPresets = 0;
    for (const auto& p : presets_)
      if (std::strstr(p->name, "user preset")) ++userPresets;
    TextBuffer name;
    name.SetFormatted(PresetSlot::kNameSize - 1, "%s %d", "user preset", userPresets + 1);
    preset->SetName(name.Get());
    ok = WriteState(preset->chunk);
  } else {
    ok = ReadState(preset->chunk, 0) > 0;
  }
  if (ok) {
    currentPreset_ = index;
    OnPresetsChanged();
    OnStateRestored();
  }
  return ok;
}

void IFxBase::ModifyCurrentPreset(const char* name) {
  PresetSlot* preset = GetPreset(currentPreset_);
  if (!preset) return;
  preset->chunk.Clear();
  FX_TRACE("fx::IFxBase::ModifyCurrentPreset", "%d %s", currentPreset_, preset->name);
  WriteState(preset->chunk);
  if (name && name[0] != '\0') preset->SetName(name);
}

bool IFxBase::SerializePresets(StateChunk& chunk) {
  bool ok = true;
  for (std::int32_t i = 0; i < NPresets() && ok; ++i) {
    const PresetSlot& preset = *presets_[static_cast<std::size_t>(i)];
    ok = chunk.PutText(preset.name);
    FX_TRACE("fx::IFxBase::SerializePresets", "%d %s", i, preset.name);
    ok = ok && chunk.PutByte(preset.initialized ? 1 : 0);
    if (ok && preset.initialized) ok = chunk.PutChunk(preset.chunk) && chunk.Size() > 0;
  }
  return ok;
}

std::int32_t IFxBase::UnserializePresets(const StateChunk& chunk, std::int32_t position) {
  // Keeps the previous preset's name when a name cannot be read.
  std::string name;
  for (std::int32_t i = 0; i < NPresets() && position >= 0; ++i) {
    PresetSlot& preset = *presets_[static_cast<std::size_t>(i)];
    position = chunk.GetText(name, position);
    preset.SetName(name.c_str());
    FX_TRACE("fx::IFxBase::UnserializePresets", "%d %s", i, preset.name);
    std::uint8_t mark = 0;
    position = chunk.GetByte(mark, position);
    if (position >= 0) preset.initialized = mark != 0;
    if (preset.initialized && position >= 0) {
      position = ReadState(chunk, position);
      if (position > 0) {
        preset.chunk.Clear();
        WriteState(preset.chunk);
      }
    }
  }
  LoadPreset(currentPreset_);
  return position;
}

const char* IFxBase::GetPresetName(std::int32_t index) const {
  const PresetSlot* preset = GetPreset(index);
  return preset ? preset->name : "";
}

PresetSlot* IFxBase::GetPreset(std::int32_t index) {
  return index >= 0 && index < NPresets() ? presets_[static_cast<std::size_t>(index)].get() : nullptr;
}

const PresetSlot* IFxBase::GetPreset(std::int32_t index) const {
  return index >= 0 && index < NPresets() ? presets_[static_cast<std::size_t>(index)].get() : nullptr;
}

}  // namespace fx
