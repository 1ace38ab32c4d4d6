#include "platform/win/PacingThread.h"

#include <atomic>

#include "platform/win/WinConstants.h"

namespace fx::win {

struct PacingThread::Shared {
  explicit Shared(Win32Api& a) : api(a) {}
  Win32Api& api;
  std::atomic<bool> stop{false};
  std::atomic<Handle> target{nullptr};
  FramePacer pacer;
};

PacingThread::PacingThread(Win32Api& api) : api_(api), shared_(std::make_shared<Shared>(api)) {}

FramePacer& PacingThread::Pacer() { return shared_->pacer; }

bool PacingThread::Start(Handle window) {
  Stop();
  shared_->stop.store(false, std::memory_order_release);
  shared_->target.store(window, std::memory_order_release);
  shared_->pacer.Reset();
  // The thread's own reference to the block, freed by the thread.
  auto* ref = new std::shared_ptr<Shared>(shared_);
  thread_ = api_.StartThread(&PacingThread::Main, ref, true);
  if (!thread_) delete ref;
  return thread_ != nullptr;
}

bool PacingThread::Stop() {
  if (!thread_) return true;
  shared_->target.store(nullptr, std::memory_order_release);
  shared_->stop.store(true, std::memory_order_release);
  const bool joined = api_.JoinThread(thread_, kJoinMs);
  thread_ = nullptr;
  if (!joined) {
    // The old thread keeps the old block; the next start gets a fresh one.
    auto fresh = std::make_shared<Shared>(api_);
    shared_ = std::move(fresh);
  }
  return joined;
}

void PacingThread::Main(void* argument) {
  const std::unique_ptr<std::shared_ptr<Shared>> ref(static_cast<std::shared_ptr<Shared>*>(argument));
  Shared& s = **ref;
  Win32Api& api = s.api;
  const auto post = [&s, &api]() {
    const Handle target = s.target.load(std::memory_order_acquire);
    if (!target) return;
    api.Post(target, kWmFrame, s.pacer.NextSerial(), 0);
  };
  const auto stopped = [&s]() { return s.stop.load(std::memory_order_acquire); };
  if (!api.LoadVblank()) {
    while (!stopped()) {
      api.SleepFor(16);
      post();
    }
    return;
  }
  VblankAdapter adapter;
  bool open = false;
  bool failedOnce = false;
  std::uint32_t failedAt = 0;
  while (!stopped()) {
    if (!open && failedOnce && api.TickCount() - failedAt < 1000) {
      api.SleepFor(16);
    } else if (!open) {
      open = api.OpenAdapter(s.target.load(std::memory_order_acquire), adapter);
      if (!open) {
        failedOnce = true;
        failedAt = api.TickCount();
        api.SleepFor(16);
      }
    } else if (!api.WaitForVblank(adapter)) {
      api.CloseAdapter(adapter);
      open = false;
      api.SleepFor(16);
    }
    post();
  }
  if (open) api.CloseAdapter(adapter);
  api.UnloadVblank();
}

}  // namespace fx::win
