#include "core/Trace.h"

#include <cstdarg>
#include <cstdio>

namespace fx {
namespace {

struct SinkSlot {
  TraceSink sink;
  void* context;
};

// The slot pair is published as one pointer so a reader never sees a sink
// with another sink's context. Slots come from a small ring that is reused
// only after many later installs, so a reader still holding an older slot
// reads valid memory; installing sinks is a test and tool affair.
constexpr unsigned kSlots = 64;
SinkSlot gSlots[kSlots];
std::atomic<unsigned> gNextSlot{0};
std::atomic<const SinkSlot*> gSlot{nullptr};

}  // namespace

void SetTraceSink(TraceSink sink, void* context) {
  SinkSlot* slot = nullptr;
  if (sink) {
    slot = &gSlots[gNextSlot.fetch_add(1, std::memory_order_relaxed) % kSlots];
    slot->sink = sink;
    slot->context = context;
  }
  gSlot.store(slot, std::memory_order_release);
}

bool TraceEnabled() { return gSlot.load(std::memory_order_relaxed) != nullptr; }

void TraceLine(const char* qualifiedName, int line, const char* format, ...) {
  const SinkSlot* slot = gSlot.load(std::memory_order_acquire);
  if (!slot) return;
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  slot->sink(slot->context, qualifiedName, line, format, text);
}

}  // namespace fx
