// Loading VST2 plug-ins and driving one instance: the host side of the
// interface, with the host callback that plug-ins call back into.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Platform.h"
#include "vst2/VstInterface.h"

namespace ombrisk::host {

// One loaded plug-in library; instances share it and keep it loaded.
class PluginModule {
 public:
  static std::shared_ptr<PluginModule> Load(const std::string& path, std::string& error);

  vst2::VstPluginMainProc Entry() const { return entry_; }
  const std::string& Path() const { return path_; }

 private:
  std::unique_ptr<SharedLibrary> library_;
  vst2::VstPluginMainProc entry_ = nullptr;
  std::string path_;
};

// What the plug-in told the host through the callback; read by the validator.
struct HostCallbackCounters {
  std::atomic<int> automate{0};
  std::atomic<int> automateBadIndex{0};
  std::atomic<int> automateBadValue{0};
  std::atomic<int> ioChanged{0};
  std::atomic<int> beginEdit{0};
  std::atomic<int> endEdit{0};
};

// What an open editor asks of its host. The host that shows an editor sets
// one while the editor is open; without one the calls are only counted.
class EditorListener {
 public:
  virtual ~EditorListener() = default;
  // audioMasterSizeWindow: true when the host's window now has that size.
  virtual bool SizeWindow(std::int32_t width, std::int32_t height) = 0;
  virtual void Automate(std::int32_t index, float value) = 0;
  virtual void BeginEdit(std::int32_t index) = 0;
  virtual void EndEdit(std::int32_t index) = 0;
};

class PluginInstance {
 public:
  // Calls the entry point and checks the record; null and a one-line reason in
  // `error` when the plug-in does not come up. effOpen is sent here.
  static std::unique_ptr<PluginInstance> Create(std::shared_ptr<PluginModule> module, std::string& error);
  // Convenience: load and create in one step.
  static std::unique_ptr<PluginInstance> Open(const std::string& path, std::string& error);

  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;
  ~PluginInstance();  // suspends if needed, then effClose

  vst2::AEffect& Effect() { return *effect_; }
  const vst2::AEffect& Effect() const { return *effect_; }
  const std::shared_ptr<PluginModule>& Module() const { return module_; }

  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                         float opt = 0.0F);
  // A text answer, read through a generous, zeroed buffer and cut at its end.
  std::string Text(std::int32_t opcode, std::int32_t index = 0);

  std::int32_t NumParams() const { return effect_->numParams; }
  std::int32_t NumPrograms() const { return effect_->numPrograms; }
  std::int32_t NumInputs() const { return effect_->numInputs; }
  std::int32_t NumOutputs() const { return effect_->numOutputs; }
  bool HasFlag(std::int32_t flag) const { return (effect_->flags & flag) != 0; }
  bool CanReplacing() const { return HasFlag(vst2::effFlagsCanReplacing) && effect_->processReplacing != nullptr; }
  bool CanDouble() const {
    return HasFlag(vst2::effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing != nullptr;
  }
  bool CanAccumulate() const { return effect_->process != nullptr; }

  float GetParameter(std::int32_t index);
  void SetParameter(std::int32_t index, float value);
  std::string ParamName(std::int32_t index) { return Text(vst2::effGetParamName, index); }
  std::string ParamLabel(std::int32_t index) { return Text(vst2::effGetParamLabel, index); }
  std::string ParamDisplay(std::int32_t index) { return Text(vst2::effGetParamDisplay, index); }
  // Index of a parameter given by name (case-insensitive) or by number; -1 if none.
  std::int32_t FindParameter(const std::string& nameOrIndex);

  // The usual host sequence: suspend, rate, block size, resume.
  void Configure(double sampleRate, std::int32_t blockSize);
  void Resume();
  void Suspend();
  bool Active() const { return active_; }
  double SampleRate() const { return sampleRate_; }
  std::int32_t BlockSize() const { return blockSize_; }
  void SetOffline(bool offline) { offline_ = offline; }

  void ProcessReplacing(float** inputs, float** outputs, std::int32_t frames);
  void ProcessDouble(double** inputs, double** outputs, std::int32_t frames);
  void ProcessAccumulating(float** inputs, float** outputs, std::int32_t frames);

  HostCallbackCounters& Counters() { return counters_; }
  // Not owned; null to stop listening.
  void SetEditorListener(EditorListener* listener) { listener_ = listener; }

 private:
  PluginInstance() = default;
  static std::intptr_t OMBRISK_VSTCALL HostCallback(vst2::AEffect* effect, std::int32_t opcode, std::int32_t index,
                                                    std::intptr_t value, void* ptr, float opt);
  std::intptr_t Answer(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt);
  void AdvanceTime(std::int32_t frames);

  std::shared_ptr<PluginModule> module_;
  vst2::AEffect* effect_ = nullptr;
  bool active_ = false;
  bool offline_ = false;
  double sampleRate_ = 44100.0;
  std::int32_t blockSize_ = 512;
  vst2::VstTimeInfo timeInfo_{};
  HostCallbackCounters counters_;
  EditorListener* listener_ = nullptr;
};

}  // namespace ombrisk::host
