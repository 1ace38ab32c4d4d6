#pragma once
// The innermost base of the plug-in object: owns the parameters and defines
// how parameter changes, values, messages and keys travel between the host
// side and the editor. Everything here runs on the user-interface thread
// except OnParamChange and OnAllParamsChanged, which a binding may call from
// the host's thread and which touch no editor state by default.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ChangeSource.h"
#include "core/IKeyPress.h"
#include "core/IParam.h"
#include "core/MidiMessage.h"
#include "core/StateChunk.h"
#include "core/SysExMessage.h"

namespace fx {

class IEditorDelegate {
 public:
  static constexpr std::int32_t kNoControlTag = -1;

  explicit IEditorDelegate(std::int32_t nParams);
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // Virtual operations. Hooks nothing in the framework calls yet are gathered
  // as extension points in IFxAPIBase.
  virtual ~IEditorDelegate();
  virtual void* OpenEditor(void* parent);
  virtual void CloseEditor();
  virtual void OnEditorOpened();
  virtual void OnEditorClosed();
  virtual void OnParamChanged(std::int32_t index);
  virtual void OnParamChange(std::int32_t index, ChangeSource source, std::int32_t sampleOffset);
  virtual void OnParamChangeInEditor(std::int32_t index, ChangeSource source);
  virtual void OnAllParamsChanged(ChangeSource source);
  virtual void OnMidiForEditor(const MidiMessage& message);
  virtual void OnSysExForEditor(const SysExMessage& message);
  virtual bool OnEditorMessage(std::int32_t messageTag, std::int32_t controlTag, std::int32_t dataSize,
                               const void* data);
  virtual void OnStateRestored();
  virtual bool KeyDownFromHost(const IKeyPress& key);
  virtual bool KeyUpFromHost(const IKeyPress& key);
  virtual void PushControlValue(std::int32_t controlTag, double normalized);
  virtual void PushControlMessage(std::int32_t controlTag, std::int32_t messageTag, std::int32_t dataSize,
                                  const void* data);
  virtual void PushEditorMessage(std::int32_t messageTag, std::int32_t dataSize, const void* data);
  virtual void PushMidiToEditor(const MidiMessage& message);
  virtual void PushSysExToEditor(const SysExMessage& message);
  virtual void PushParamValueToEditor(std::int32_t index, double value, bool isNormalized);
  virtual void PushAllParamsToHost();
  virtual void BeginParamGestureFromEditor(std::int32_t index) = 0;
  virtual void SetParamFromEditor(std::int32_t index, double normalized);
  virtual void EndParamGestureFromEditor(std::int32_t index) = 0;
  virtual bool ResizeFromEditor(std::int32_t width, std::int32_t height, bool needsPlatformResize);
  virtual void SendMidiFromEditor(const MidiMessage& message);
  virtual void SendSysExFromEditor(const SysExMessage& message);
  virtual void SendMessageFromEditor(std::int32_t messageTag, std::int32_t controlTag, std::int32_t dataSize,
                                     const void* data);
  virtual void QueueEditorMidi(const MidiMessage& message);
  virtual void QueueEditorSysEx(const SysExMessage& message);
  virtual bool WriteEditorState(StateChunk& chunk);
  virtual std::int32_t ReadEditorState(const StateChunk& chunk, std::int32_t position);
  virtual void SetEditorScreenScale(float scale);

  // Sends every parameter's normalised value to the editor, in index order.
  void SendAllParamValuesToEditor();

  std::int32_t NParams() const { return static_cast<std::int32_t>(params_.size()); }
  // Null outside 0 .. NParams() - 1.
  IParam* GetParam(std::int32_t index);
  const IParam* GetParam(std::int32_t index) const;

  std::int32_t GetEditorWidth() const { return editorWidth_; }
  std::int32_t GetEditorHeight() const { return editorHeight_; }
  std::int32_t GetMinWidth() const { return minWidth_; }
  std::int32_t GetMaxWidth() const { return maxWidth_; }
  std::int32_t GetMinHeight() const { return minHeight_; }
  std::int32_t GetMaxHeight() const { return maxHeight_; }
  void SetEditorSize(std::int32_t width, std::int32_t height);
  // Each pair is stored ordered, the smaller value as the minimum.
  void SetEditorSizeLimits(std::int32_t minWidth, std::int32_t maxWidth, std::int32_t minHeight,
                           std::int32_t maxHeight);

 private:
  std::vector<std::unique_ptr<IParam>> params_;
  std::int32_t editorWidth_ = 0;
  std::int32_t editorHeight_ = 0;
  std::int32_t minWidth_ = 10;
  std::int32_t maxWidth_ = 100000;
  std::int32_t minHeight_ = 10;
  std::int32_t maxHeight_ = 100000;
};

}  // namespace fx
