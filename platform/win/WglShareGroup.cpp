#include "platform/win/WglShareGroup.h"

#include <algorithm>
#include <atomic>

namespace fx::win {
namespace {

// The registry needs no constructor or destructor at exit: a plug-in's
// statics go in whatever order the host unloads it.
constinit std::atomic_flag gLock{};
constinit WglShareGroup* gGroups[64] = {};

struct Guard {
  Guard() {
    while (gLock.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~Guard() { gLock.clear(std::memory_order_release); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
};

}  // namespace

WglShareGroup* WglShareGroup::Join(Win32Api& api, Handle context) {
  if (!context) return nullptr;
  const std::thread::id self = std::this_thread::get_id();
  Guard guard;
  WglShareGroup** vacant = nullptr;
  for (WglShareGroup*& g : gGroups) {
    if (!g) {
      if (!vacant) vacant = &g;
      continue;
    }
    if (g->thread_ != self) continue;
    // The fresh context takes the group's names; the system refuses where
    // the two cannot share (another device or pixel type).
    if (!api.ShareLists(g->contexts_.front(), context)) return nullptr;
    g->contexts_.push_back(context);
    return g;
  }
  if (!vacant) return nullptr;  // more threads with editors than slots: unshared
  *vacant = new WglShareGroup();
  (*vacant)->contexts_.push_back(context);
  return *vacant;
}

void WglShareGroup::Leave(Handle context) {
  bool last = false;
  {
    Guard guard;
    contexts_.erase(std::remove(contexts_.begin(), contexts_.end(), context), contexts_.end());
    last = contexts_.empty();
    if (last)
      for (WglShareGroup*& g : gGroups)
        if (g == this) g = nullptr;
  }
  if (last) delete this;
}

std::int32_t WglShareGroup::Count() {
  Guard guard;
  return static_cast<std::int32_t>(std::count_if(std::begin(gGroups), std::end(gGroups), [](auto* g) { return g; }));
}

}  // namespace fx::win
