#pragma once
// Adds the plug-in's persistent state to the editor delegate: the
// configuration fields, the state body of all parameter values, a fixed
// number of presets and the bank of all presets. Runs on the host's thread;
// parameter values are read and written atomically, nothing is locked.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/IFxConfig.h"
#include "core/IGEditorDelegate.h"
#include "core/PresetSlot.h"
#include "core/StateChunk.h"
#include "core/TextBuffer.h"

namespace fx {

class IFxBase : public IGEditorDelegate {
 public:
  static constexpr std::size_t kMaxNameChars = 128;

  explicit IFxBase(const IFxConfig& config);
  ~IFxBase() override;

  // Virtual operations added here.
  virtual bool WriteState(StateChunk& chunk);
  virtual std::int32_t ReadState(const StateChunk& chunk, std::int32_t position);
  virtual void TellHostPresetsChanged();
  virtual void OnPresetsChanged();

  // State body: every parameter's value as a double, in index order.
  bool SerializeParams(StateChunk& chunk);
  // Returns the position after the body, or -1 when the chunk is too short;
  // a parameter whose bytes are missing becomes ClampToRange(0.0) and those
  // after it keep their values.
  std::int32_t UnserializeParams(const StateChunk& chunk, std::int32_t position);

  static bool WriteChunkHeader(StateChunk& chunk);
  // The header's version, moving position past the header; 0 and position
  // unchanged when the chunk has no header there.
  static std::int32_t ReadChunkVersion(const StateChunk& chunk, std::int32_t& position);

  bool LoadPreset(std::int32_t index);
  // Every preset the effect left uninitialised gets the current state (the
  // effect's defaults, when called right after construction) under
  // PresetSlot::kSeededName, in index order.
  void SeedUninitializedPresets();
  // Stores the current state in the current preset; a non-empty name renames it.
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(StateChunk& chunk);
  std::int32_t UnserializePresets(const StateChunk& chunk, std::int32_t position);

  std::int32_t NPresets() const { return static_cast<std::int32_t>(presets_.size()); }
  std::int32_t GetCurrentPresetIdx() const { return currentPreset_; }
  // "" outside 0 .. NPresets() - 1.
  const char* GetPresetName(std::int32_t index) const;
  // Null outside 0 .. NPresets() - 1.
  PresetSlot* GetPreset(std::int32_t index);
  const PresetSlot* GetPreset(std::int32_t index) const;

  const char* GetPluginName() const { return pluginName_.Get(); }
  const char* GetProductName() const { return productName_.Get(); }
  const char* GetMakerName() const { return makerName_.Get(); }
  std::int32_t GetUniqueId() const { return uniqueId_; }
  std::int32_t GetMakerId() const { return makerId_; }
  std::int32_t GetPluginVersion() const { return version_; }
  std::int32_t GetHostVersion() const { return hostVersion_; }
  std::int32_t GetHostId() const { return hostId_; }
  std::int32_t GetAPIKind() const { return apiKind_; }
  const char* GetBundleId() const { return bundleId_.Get(); }
  bool DoesStateChunks() const { return stateChunks_; }
  bool HasEditor() const { return hasEditor_; }
  bool HostCanResize() const { return hostResize_; }

 protected:
  void SetHostIdentity(std::int32_t hostId, std::int32_t hostVersion) {
    hostId_ = hostId;
    hostVersion_ = hostVersion;
  }

 private:
  TextBuffer pluginName_;
  TextBuffer productName_;
  TextBuffer makerName_;
  std::int32_t uniqueId_;
  std::int32_t makerId_;
  std::int32_t version_;
  std::int32_t hostVersion_ = 0;
  std::int32_t hostId_ = -1;
  std::int32_t apiKind_ = 0;
  TextBuffer bundleId_;
  bool stateChunks_;
  bool hasEditor_;
  bool hostResize_;
  std::vector<std::unique_ptr<PresetSlot>> presets_;
  std::int32_t currentPreset_ = 0;
};

}  // namespace fx
