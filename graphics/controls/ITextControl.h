#pragma once
// A text label. It ignores the mouse and, when fitting is on, shrinks (or
// grows) its bounds to the measured text, centred where it was.

#include <cstdint>
#include <string>

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class ITextControl : public IControl {
 public:
  ITextControl(const IBounds& bounds, const char* text = "", const ITextStyle& style = {},
               const IArgb& background = {0, 0, 0, 0});

  void Paint(IGraphics& graphics) override;
  void OnSetUp() override;
  virtual void SetLabel(const char* text);
#if defined(__GNUC__)
  __attribute__((format(printf, 3, 4)))
#endif
  virtual void SetLabelFormatted(std::int32_t maxLength, const char* format, ...);
  virtual void ClearLabel() { SetLabel(""); }

  const std::string& GetLabel() const { return text_; }
  void SetFitToText(bool fit) { fitToText_ = fit; }

 private:
  void FitBoundsToText();

  std::string text_;
  IArgb background_;
  bool fitToText_ = true;
};

}  // namespace fx::igraphics
