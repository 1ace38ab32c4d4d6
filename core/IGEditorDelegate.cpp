#include "core/IGEditorDelegate.h"

#include <cmath>

namespace fx {
namespace {

// Editor state comes from host chunks: a negative size or a scale that is
// not a positive finite number is as unusable as zero.
bool UsableSize(std::int32_t width, std::int32_t height, float scale) {
  return width > 0 && height > 0 && std::isfinite(scale) && scale > 0.0f;
}

}  // namespace

IGEditorDelegate::IGEditorDelegate(std::int32_t nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate() = default;

void* IGEditorDelegate::OpenEditor(void* parent) {
  if (!graphics_) {
    graphics_ = BuildGraphicsContext();
    if (graphics_ && UsableSize(lastEditorSize_.width, lastEditorSize_.height, lastEditorSize_.scale))
      graphics_->ResizeEditor(lastEditorSize_.width, lastEditorSize_.height, lastEditorSize_.scale);
  }
  return graphics_ ? graphics_->OpenWindow(parent) : nullptr;
}

void IGEditorDelegate::CloseEditor() {
  if (editorClosing_) return;
  editorClosing_ = true;
  OnEditorClosed();
  if (graphics_) {
    lastEditorSize_ = {graphics_->Width(), graphics_->Height(), graphics_->GetDrawScale()};
    // A close in the middle of a drag: the host must not keep the parameter touched.
    graphics_->ReleaseInput();
    // Kept for the next open (the previous handle goes where this one is null).
    windowSystem_ = graphics_->RetainWindowSystem();
    graphics_->CloseWindow();
    graphics_.reset();
  }
  editorClosing_ = false;
}

bool IGEditorDelegate::KeyDownFromHost(const IKeyPress& key) {
  if (!graphics_) return false;
  float x = 0.0f, y = 0.0f;
  graphics_->GetMouseLocation(x, y);
  return graphics_->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::KeyUpFromHost(const IKeyPress& key) {
  if (!graphics_) return false;
  float x = 0.0f, y = 0.0f;
  graphics_->GetMouseLocation(x, y);
  return graphics_->OnKeyUp(x, y, key);
}

void IGEditorDelegate::PushControlValue(std::int32_t controlTag, double normalized) {
  if (!graphics_) return;
  const std::int32_t control = graphics_->FindControlWithTag(controlTag);
  if (control >= 0) graphics_->ApplyHostValue(control, normalized, 0);
}

void IGEditorDelegate::PushControlMessage(std::int32_t controlTag, std::int32_t messageTag, std::int32_t dataSize,
                                          const void* data) {
  if (!graphics_) return;
  const std::int32_t control = graphics_->FindControlWithTag(controlTag);
  if (control >= 0) graphics_->SendControlMessage(control, messageTag, dataSize, data);
}

void IGEditorDelegate::PushMidiToEditor(const MidiMessage& message) {
  if (graphics_) {
    for (std::int32_t c = 0; c < graphics_->NControls(); ++c)
      if (graphics_->ControlWantsMidi(c)) graphics_->SendMidiToControl(c, message);
  }
  OnMidiForEditor(message);
}

void IGEditorDelegate::PushParamValueToEditor(std::int32_t index, double value, bool isNormalized) {
  const IParam* param = GetParam(index);
  if (!param) return;  // nothing is bound to an index that does not exist
  if (graphics_) {
    const double n = isNormalized ? value : param->NormalizedFromReal(value);
    for (std::int32_t c = 0; c < graphics_->NControls(); ++c) {
      const std::int32_t nValues = graphics_->NControlValues(c);
      for (std::int32_t j = 0; j < nValues; ++j)
        if (graphics_->GetControlParamIdx(c, j) == index) graphics_->ApplyHostValue(c, n, j);
    }
  }
  OnParamChangeInEditor(index, ChangeSource::Delegate);
}

bool IGEditorDelegate::WriteEditorState(StateChunk& chunk) {
  const EditorSize size =
      graphics_ ? EditorSize{graphics_->Width(), graphics_->Height(), graphics_->GetDrawScale()} : lastEditorSize_;
  bool ok = chunk.PutInt32(size.width);
  ok = ok && chunk.PutInt32(size.height);
  ok = ok && chunk.PutFloat(size.scale);
  return ok;
}

std::int32_t IGEditorDelegate::ReadEditorState(const StateChunk& chunk, std::int32_t position) {
  EditorSize size;
  position = chunk.GetInt32(size.width, position);
  position = chunk.GetInt32(size.height, position);
  position = chunk.GetFloat(size.scale, position);
  if (position < 0) return -1;  // a partial record changes nothing
  if (!graphics_)
    lastEditorSize_ = size;
  else if (UsableSize(size.width, size.height, size.scale))
    graphics_->ResizeEditor(size.width, size.height, size.scale);
  return position;
}

void IGEditorDelegate::SetEditorScreenScale(float scale) {
  if (graphics_) graphics_->ApplyScreenScale(scale);
}

std::unique_ptr<IGraphicsContext> IGEditorDelegate::BuildGraphicsContext() {
  return createFunction_ ? createFunction_() : nullptr;
}

void IGEditorDelegate::RunEditorLayout(IGraphicsContext* graphics) {
  if (layoutFunction_ && graphics) layoutFunction_(*graphics);
}

}  // namespace fx
