#pragma once
// The shader programs of every renderer of one GL share group: each variant
// compiled and linked once, by the first renderer that needs it, and used
// by the others (a software rasteriser also compiles its code for a
// program once, not per context). Names only, no GL: each renderer joins
// while its backend lives, and the last to leave takes the programs back
// to delete them with its context current. Uniform values belong to a
// program, so a renderer sends its own at every frame (the backend
// forgets what it sent when a frame's replay starts).
//
// Threads: any (one lock); a share group's renderers normally live on one.

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "renderer/GlApi.h"

namespace fx::vg {

class SharedPrograms {
 public:
  static constexpr int kSlots = 16;  // ShaderProgram::kVariantCount
  struct Program {
    GLuint program = 0, vertex = 0, fragment = 0;
    GLint viewSize = -1, frag = -1;
  };

  void Join();
  // The last renderer to leave gets every program back (to delete); the
  // others get none.
  std::vector<Program> Leave();
  bool Find(int slot, Program& program) const;
  // False (nothing recorded: the maker keeps it) where the slot is taken
  // or out of range.
  bool Add(int slot, const Program& program);
  std::int32_t Users() const;
  std::int32_t Size() const;

 private:
  mutable std::mutex lock_;
  std::int32_t users_ = 0;
  std::array<Program, kSlots> programs_{};
};

}  // namespace fx::vg
