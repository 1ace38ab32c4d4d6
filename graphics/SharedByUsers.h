#pragma once
// One process-wide object of type T that exists only while it has users:
// the first user to join creates it, the last to leave deletes it. Nothing
// of it waits for static destruction, so there is no destruction order to
// get wrong (a user held by a static and destroyed at exit still finds it
// alive), and a plug-in module unloaded with no editor open leaves nothing
// behind. The registry is a spin lock, a pointer and a count, all constant-
// initialised and trivially destroyed; joining and leaving are rare (an
// editor opening or closing), the object's own lock guards its contents.
//
// Handle is the usual way to be a user: a member that joins when it is
// constructed and leaves when it is destroyed.

#include <atomic>
#include <cstdint>
#include <thread>

namespace fx::igraphics {

template <typename T>
class SharedByUsers {
 public:
  class Handle {
   public:
    Handle() : object_(&Join()) {}
    ~Handle() { Leave(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    T& operator*() const { return *object_; }
    T* operator->() const { return object_; }
    T* get() const { return object_; }

   private:
    T* object_;
  };

  // Becomes a user; the object, created if there was none.
  static T& Join() {
    Guard guard;
    if (!object_) object_ = new T();
    ++users_;
    return *object_;
  }

  // Stops being a user; the last one deletes the object (outside the lock,
  // so that its destructor may take locks of its own).
  static void Leave() {
    T* last = nullptr;
    {
      Guard guard;
      if (users_ > 0 && --users_ == 0) {
        last = object_;
        object_ = nullptr;
      }
    }
    delete last;
  }

  static std::int32_t Users() {
    Guard guard;
    return users_;
  }

  // The live object, null when nobody uses it. Only a user may keep using
  // what it returns.
  static T* Current() {
    Guard guard;
    return object_;
  }

 private:
  struct Guard {
    Guard() {
      while (lock_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~Guard() { lock_.clear(std::memory_order_release); }
  };

  static inline constinit std::atomic_flag lock_{};
  static inline constinit T* object_ = nullptr;
  static inline constinit std::int32_t users_ = 0;
};

}  // namespace fx::igraphics
