#include "renderer/SharedPrograms.h"

namespace fx::vg {

void SharedPrograms::Join() {
  std::lock_guard guard(lock_);
  ++users_;
}

std::vector<SharedPrograms::Program> SharedPrograms::Leave() {
  std::lock_guard guard(lock_);
  std::vector<Program> last;
  if (users_ > 0 && --users_ == 0) {
    for (Program& p : programs_)
      if (p.program) last.push_back(p);
    programs_ = {};
  }
  return last;
}

bool SharedPrograms::Find(int slot, Program& program) const {
  if (slot < 0 || slot >= kSlots) return false;
  std::lock_guard guard(lock_);
  const Program& p = programs_[static_cast<std::size_t>(slot)];
  if (!p.program) return false;
  program = p;
  return true;
}

bool SharedPrograms::Add(int slot, const Program& program) {
  if (slot < 0 || slot >= kSlots || !program.program) return false;
  std::lock_guard guard(lock_);
  Program& p = programs_[static_cast<std::size_t>(slot)];
  if (p.program) return false;
  p = program;
  return true;
}

std::int32_t SharedPrograms::Users() const {
  std::lock_guard guard(lock_);
  return users_;
}

std::int32_t SharedPrograms::Size() const {
  std::lock_guard guard(lock_);
  std::int32_t n = 0;
  for (const Program& p : programs_) n += p.program ? 1 : 0;
  return n;
}

}  // namespace fx::vg
