#pragma once
// Ties the editor delegate to a graphics context: builds it through the
// effect's editor-creation function, lays it out, opens and closes its
// window, remembers the editor size across closes and forwards values,
// messages and keys to its controls. User-interface thread only.

#include <cstdint>
#include <functional>
#include <memory>

#include "core/IEditorDelegate.h"
#include "core/IGraphicsContext.h"

namespace fx {

class IGEditorDelegate : public IEditorDelegate {
 public:
  using EditorCreateFunction = std::function<std::unique_ptr<IGraphicsContext>()>;
  using LayoutFunction = std::function<void(IGraphicsContext& graphics)>;

  // Size and zoom of the editor at its last close (or from editor state).
  struct EditorSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    float scale = 0.0f;
  };

  explicit IGEditorDelegate(std::int32_t nParams);
  ~IGEditorDelegate() override;

  void* OpenEditor(void* parent) override;
  void CloseEditor() override;
  bool KeyDownFromHost(const IKeyPress& key) override;
  bool KeyUpFromHost(const IKeyPress& key) override;
  void PushControlValue(std::int32_t controlTag, double normalized) override;
  void PushControlMessage(std::int32_t controlTag, std::int32_t messageTag, std::int32_t dataSize,
                          const void* data) override;
  void PushMidiToEditor(const MidiMessage& message) override;
  void PushParamValueToEditor(std::int32_t index, double value, bool isNormalized) override;
  bool WriteEditorState(StateChunk& chunk) override;
  std::int32_t ReadEditorState(const StateChunk& chunk, std::int32_t position) override;
  void SetEditorScreenScale(float scale) override;

  // Virtual operations added here, in slot order.
  virtual std::unique_ptr<IGraphicsContext> BuildGraphicsContext();
  virtual void RunEditorLayout(IGraphicsContext* graphics);

  void SetEditorCreateFunction(EditorCreateFunction function) { createFunction_ = std::move(function); }
  void SetLayoutFunction(LayoutFunction function) { layoutFunction_ = std::move(function); }

  IGraphicsContext* GetGraphics() const { return graphics_.get(); }
  const EditorSize& GetLastEditorSize() const { return lastEditorSize_; }
  bool IsEditorClosing() const { return editorClosing_; }

 private:
  // Destroyed in reverse: an open context goes before the two functions,
  // and before what it kept of the window system.
  std::shared_ptr<void> windowSystem_;
  EditorCreateFunction createFunction_;
  LayoutFunction layoutFunction_;
  std::unique_ptr<IGraphicsContext> graphics_;
  EditorSize lastEditorSize_;
  bool editorClosing_ = false;
};

}  // namespace fx
