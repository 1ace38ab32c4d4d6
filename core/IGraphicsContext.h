#pragma once
// What the editor delegate needs from an editor's graphics context: its page
// size and scale, its window, its controls (in control order) with their
// parameter-bound values, and key handling. The graphics core implements it;
// the delegate owns the context while the editor is open.
//
// Controls are addressed by their position in the context's control list, so
// that controls need no base of their own from this side.

#include <cstdint>
#include <memory>

#include "core/IKeyPress.h"
#include "core/MidiMessage.h"

namespace fx {

class IGraphicsContext {
 public:
  virtual ~IGraphicsContext() = default;

  // Page size in layout units and the editor's zoom.
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;
  virtual float GetDrawScale() const = 0;
  virtual void ResizeEditor(std::int32_t width, std::int32_t height, float scale) = 0;
  virtual void ApplyScreenScale(float scale) = 0;

  // Opens the editor window inside the host's parent window; returns the
  // window handle or null.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // Ends every press in progress: the gestures the presses opened end and a
  // cursor hidden for a drag shows again. The delegate calls it before a
  // close, while it can still hear the ends.
  virtual void ReleaseInput() = 0;
  // A handle on what the window system loaded for the window that a reopen
  // would otherwise load again (on X11 the display connection, and with it
  // the GL driver: tens of milliseconds). The delegate takes it before a
  // close and drops it with the plug-in, as a host closes and reopens an
  // instance's editor many times. Null where nothing is worth keeping.
  virtual std::shared_ptr<void> RetainWindowSystem() { return nullptr; }

  // Control walk.
  virtual std::int32_t NControls() const = 0;
  virtual std::int32_t NControlValues(std::int32_t control) const = 0;
  // Parameter bound to value slot valueIndex of a control, or -1.
  virtual std::int32_t GetControlParamIdx(std::int32_t control, std::int32_t valueIndex) const = 0;
  virtual void ApplyHostValue(std::int32_t control, double normalized, std::int32_t valueIndex) = 0;
  // Position of the control registered under tag, or -1.
  virtual std::int32_t FindControlWithTag(std::int32_t tag) const = 0;
  virtual void SendControlMessage(std::int32_t control, std::int32_t messageTag, std::int32_t dataSize,
                                  const void* data) = 0;
  virtual bool ControlWantsMidi(std::int32_t control) const = 0;
  virtual void SendMidiToControl(std::int32_t control, const MidiMessage& message) = 0;

  // Keys, with the mouse position in layout units.
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  virtual bool OnKeyDown(float x, float y, const IKeyPress& key) = 0;
  virtual bool OnKeyUp(float x, float y, const IKeyPress& key) = 0;
};

}  // namespace fx
