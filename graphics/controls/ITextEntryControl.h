#pragma once
// The single in-editor text field the graphics context opens over a control
// when its value is typed in. Text is held as UTF-16 and converted to and
// from UTF-8 at the edges; cursor, selection, insert mode and undo follow
// the stb_textedit model. Enter (or a press outside) commits the text to the
// context, Escape cancels; typed characters are filtered by the kind of the
// edited parameter.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class ITextEntryControl : public IControl {
 public:
  static constexpr double kCaretBlinkMs = 1000.0;

  ITextEntryControl();
  ~ITextEntryControl() override;

  void Paint(IGraphics& graphics) override;
  void OnMousePress(float x, float y, const IMouseMod& mod) override;
  void OnMouseRelease(float x, float y, const IMouseMod& mod) override;
  void OnMouseDragged(float x, float y, float dx, float dy, const IMouseMod& mod) override;
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  bool OnKeyPress(float x, float y, const fx::IKeyPress& key) override;
  void OnContextChoice(std::int32_t itemIndex) override;

  // Opens over an area with a style and a UTF-8 text, all selected.
  void CreateTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                       std::int32_t length, const char* text);
  void CommitEdit();
  void DismissEdit();
  bool EditInProgress() const { return editing_; }
  std::string GetText() const;  // UTF-8
  std::int32_t GetCursor() const;
  std::int32_t GetSelectionStart() const;
  std::int32_t GetSelectionEnd() const;
  bool CaretVisible() const { return drawCursor_; }
  // Whether a typed character passes the filter for the edited parameter.
  bool CharacterAllowed(char32_t c, const fx::IKeyPress& key) const;

  struct Editor;  // stb_textedit's string binding (implementation detail)

 private:
  void OnTextChange();
  void RecomputeGlyphWidths();
  void SelectAll();
  void Copy();
  void Paste();
  void Cut();
  void StartCaretBlink();
  float GlyphXPosition(std::int32_t index) const;

  std::unique_ptr<Editor> editor_;
  std::int32_t paramIdx_ = -1;
  std::int32_t maxLength_ = 0;
  bool editing_ = false;
  bool drawCursor_ = false;
  bool selecting_ = false;  // a left press placed the cursor; its release ends the selection
};

}  // namespace fx::igraphics
