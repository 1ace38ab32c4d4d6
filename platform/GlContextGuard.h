#pragma once
// The one way the editor's GL context becomes current. Every GL touch of an
// editor window (creating the view, painting, resizing the page's frame
// buffer, loading images and fonts, closing) happens while a GlContextGuard
// lives: the outermost guard remembers what the thread had current (the
// host's context, drawable, display), makes the editor's context current
// and gives the thread back what it had when it goes. Inner guards only
// count. When the editor's context cannot be made current, no context is
// left current inside the guard, so GL calls reach nobody's objects; the
// guard then tests false and callers skip their drawing.
//
// A window system implements the three operations; editor thread only.

namespace fx::igraphics {

class GlContextSwitch {
 public:
  virtual ~GlContextSwitch() = default;

 protected:
  // Remembers what the thread has current.
  virtual void SaveThreadContext() = 0;
  // The editor's context current; false (and no context current) when it cannot be.
  virtual bool MakeEditorContextCurrent() = 0;
  // Puts back what SaveThreadContext remembered.
  virtual void RestoreThreadContext() = 0;

  bool EnterGlContext() {
    if (glDepth_++ == 0) {
      SaveThreadContext();
      glCurrent_ = MakeEditorContextCurrent();
    }
    return glCurrent_;
  }
  void LeaveGlContext() {
    if (glDepth_ == 0 || --glDepth_ > 0) return;
    RestoreThreadContext();
    glCurrent_ = false;
  }
  int GlDepth() const { return glDepth_; }

 private:
  friend class GlContextGuard;
  int glDepth_ = 0;
  bool glCurrent_ = false;
};

class GlContextGuard {
 public:
  explicit GlContextGuard(GlContextSwitch& owner) : owner_(owner), current_(owner.EnterGlContext()) {}
  ~GlContextGuard() { owner_.LeaveGlContext(); }
  GlContextGuard(const GlContextGuard&) = delete;
  GlContextGuard& operator=(const GlContextGuard&) = delete;
  // True when the editor's context is current.
  explicit operator bool() const { return current_; }

 private:
  GlContextSwitch& owner_;
  bool current_;
};

}  // namespace fx::igraphics
