#pragma once
// The GL share group of a thread's editors on Windows: the first editor's
// context starts it, and each later editor's context joins it through
// wglShareLists while it is fresh (before it has made any GL object), so the
// artwork's textures and the shader programs (SharedTextures) exist once for
// all of them. A context the system will not let share keeps objects of its
// own (Join gives null). The group lives while a context of it does: the
// last to leave frees it, and the next editor starts a new one.
//
// Threads: Join and Leave on the editor's thread; each thread has its own
// group (an editor on another thread never shares with this one's).

#include <cstdint>
#include <thread>
#include <vector>

#include "graphics/drawing/SharedTextures.h"
#include "platform/win/Win32Api.h"

namespace fx::win {

class WglShareGroup {
 public:
  // The calling thread's group, joined by `context`; null (nothing
  // recorded) where the context is null or the system refuses to share.
  static WglShareGroup* Join(Win32Api& api, Handle context);
  // `context` leaves, before it is deleted; the last one frees the group.
  void Leave(Handle context);
  fx::igraphics::SharedTextures& Textures() { return textures_; }
  // Groups alive in the process.
  static std::int32_t Count();

 private:
  WglShareGroup() : thread_(std::this_thread::get_id()) {}

  std::thread::id thread_;
  std::vector<Handle> contexts_;
  fx::igraphics::SharedTextures textures_;
};

}  // namespace fx::win
