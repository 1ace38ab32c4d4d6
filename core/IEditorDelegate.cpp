#include "core/IEditorDelegate.h"

#include <algorithm>

#include "core/Trace.h"

namespace fx {

IEditorDelegate::IEditorDelegate(std::int32_t nParams) {
  const std::int32_t n = std::max(nParams, 0);
  params_.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) params_.push_back(std::make_unique<IParam>());
}

IEditorDelegate::~IEditorDelegate() {
  // Parameters go in reverse index order.
  while (!params_.empty()) params_.pop_back();
}

void* IEditorDelegate::OpenEditor(void* /*parent*/) {
  OnEditorOpened();
  return nullptr;
}

void IEditorDelegate::CloseEditor() { OnEditorClosed(); }

void IEditorDelegate::OnEditorOpened() { SendAllParamValuesToEditor(); }

void IEditorDelegate::OnEditorClosed() {}

void IEditorDelegate::OnParamChanged(std::int32_t /*index*/) {}

void IEditorDelegate::OnParamChange(std::int32_t index, ChangeSource source, std::int32_t /*sampleOffset*/) {
  FX_TRACE("fx::IEditorDelegate::OnParamChange", "idx:%i src:%s", index, ChangeSourceText(source));
  OnParamChanged(index);
}

void IEditorDelegate::OnParamChangeInEditor(std::int32_t /*index*/, ChangeSource /*source*/) {}

void IEditorDelegate::OnAllParamsChanged(ChangeSource source) {
  for (std::int32_t i = 0; i < NParams(); ++i) {
    IEditorDelegate::OnParamChange(i, source, -1);
    OnParamChangeInEditor(i, source);
  }
}

void IEditorDelegate::OnMidiForEditor(const MidiMessage& /*message*/) {}

void IEditorDelegate::OnSysExForEditor(const SysExMessage& /*message*/) {}

bool IEditorDelegate::OnEditorMessage(std::int32_t /*messageTag*/, std::int32_t /*controlTag*/,
                                      std::int32_t /*dataSize*/, const void* /*data*/) {
  return false;
}

void IEditorDelegate::OnStateRestored() { SendAllParamValuesToEditor(); }

bool IEditorDelegate::KeyDownFromHost(const IKeyPress& /*key*/) { return false; }

bool IEditorDelegate::KeyUpFromHost(const IKeyPress& /*key*/) { return false; }

void IEditorDelegate::PushControlValue(std::int32_t /*controlTag*/, double /*normalized*/) {}

void IEditorDelegate::PushControlMessage(std::int32_t controlTag, std::int32_t messageTag, std::int32_t dataSize,
                                         const void* data) {
  OnEditorMessage(messageTag, controlTag, dataSize, data);
}

void IEditorDelegate::PushEditorMessage(std::int32_t messageTag, std::int32_t dataSize, const void* data) {
  OnEditorMessage(messageTag, kNoControlTag, dataSize, data);
}

void IEditorDelegate::PushMidiToEditor(const MidiMessage& message) { OnMidiForEditor(message); }

void IEditorDelegate::PushSysExToEditor(const SysExMessage& message) { OnSysExForEditor(message); }

void IEditorDelegate::PushParamValueToEditor(std::int32_t index, double /*value*/, bool /*isNormalized*/) {
  OnParamChangeInEditor(index, ChangeSource::Delegate);
}

void IEditorDelegate::PushAllParamsToHost() {}

void IEditorDelegate::SetParamFromEditor(std::int32_t index, double normalized) {
  IParam* param = GetParam(index);
  if (!param) return;
  param->SetNormalizedValue(normalized);
  OnParamChangeInEditor(index, ChangeSource::UI);
}

bool IEditorDelegate::ResizeFromEditor(std::int32_t /*width*/, std::int32_t /*height*/,
                                       bool /*needsPlatformResize*/) {
  return false;
}

void IEditorDelegate::SendMidiFromEditor(const MidiMessage& /*message*/) {}

void IEditorDelegate::SendSysExFromEditor(const SysExMessage& /*message*/) {}

void IEditorDelegate::SendMessageFromEditor(std::int32_t /*messageTag*/, std::int32_t /*controlTag*/,
                                            std::int32_t /*dataSize*/, const void* /*data*/) {}

void IEditorDelegate::QueueEditorMidi(const MidiMessage& /*message*/) {}

void IEditorDelegate::QueueEditorSysEx(const SysExMessage& /*message*/) {}

bool IEditorDelegate::WriteEditorState(StateChunk& /*chunk*/) { return true; }

std::int32_t IEditorDelegate::ReadEditorState(const StateChunk& /*chunk*/, std::int32_t position) {
  return position;
}

void IEditorDelegate::SetEditorScreenScale(float /*scale*/) {}

void IEditorDelegate::SendAllParamValuesToEditor() {
  for (std::int32_t i = 0; i < NParams(); ++i) PushParamValueToEditor(i, params_[static_cast<std::size_t>(i)]->GetNormalizedValue(), true);
}

IParam* IEditorDelegate::GetParam(std::int32_t index) {
  return index >= 0 && index < NParams() ? params_[static_cast<std::size_t>(index)].get() : nullptr;
}

const IParam* IEditorDelegate::GetParam(std::int32_t index) const {
  return index >= 0 && index < NParams() ? params_[static_cast<std::size_t>(index)].get() : nullptr;
}

void IEditorDelegate::SetEditorSize(std::int32_t width, std::int32_t height) {
  editorWidth_ = width;
  editorHeight_ = height;
}

void IEditorDelegate::SetEditorSizeLimits(std::int32_t minWidth, std::int32_t maxWidth, std::int32_t minHeight,
                                          std::int32_t maxHeight) {
  minWidth_ = std::min(minWidth, maxWidth);
  maxWidth_ = std::max(minWidth, maxWidth);
  minHeight_ = std::min(minHeight, maxHeight);
  maxHeight_ = std::max(minHeight, maxHeight);
}

}  // namespace fx
