// Processing must not touch the heap: a replaced global operator new counts
// every allocation made while blocks run.

// GCC pairs the replaced operators with malloc and free by name and warns.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "EffectTestSupport.h"
#include "effect/SignalPath.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(Allocation, ProcessingAllocatesNothing) {
  effect_test::Params params;
  params.p[ombrisk::kInputGain].SetValue(200.0);
  params.p[ombrisk::kTame].SetValue(1.0);
  ombrisk::SignalPath path(2);
  path.OnProcessorReset(48000.0);
  std::vector<double> in(4096), out0(4096), out1(4096);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = (i % 300 < 150) ? 0.9 : -0.9;
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  double values[ombrisk::kNumParams];

  const long before = gAllocations.load();
  for (int block = 0; block < 50; ++block) {  // operating-system seeds, as in a host
    params.Values(values);
    path.ProcessAudioBlock(values, 48000.0, 2, ins, outs, 4096);
    path.OnProcessorReset(block % 2 ? 44100.0 : 48000.0);
  }
  const long during = gAllocations.load() - before;
  EXPECT_EQ(during, 0);
  // The counter itself works: a vector allocates.
  std::vector<int> probe(10);
  EXPECT_GT(gAllocations.load() - before, 0);
  EXPECT_NE(out0[4095], 0.0);
}

}  // namespace
