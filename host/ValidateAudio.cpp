// Validation of audio processing: rates and block sizes, irregular blocks,
// processing modes, special inputs, lifecycle and automation from a thread.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "host/Platform.h"
#include "host/ValidateSuite.h"

namespace ombrisk::host::validate {
void Suite::CheckRatesAndBlocks() {
  std::vector<double> rates = {44100.0, 48000.0, 96000.0};
  if (Strictness() >= kStrictMoreRates) rates = {11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 384000.0};
  if (Strictness() >= kStrictUncommonRates) rates.insert(rates.begin() + 4, {32000.0, 64000.0, 176400.0});
  std::vector<std::int32_t> blocks = {1, 64, 512, 8192};
  if (Strictness() >= kStrictIrregularBlocks) blocks = {1, 2, 3, 7, 32, 64, 100, 128, 441, 512, 1000, 1024, 2048, 4096, 8192};
  std::sort(rates.begin(), rates.end());
  const double seconds = 0.02 * Strictness();
  for (const double rate : rates) {
    Check("process at " + std::to_string(static_cast<int>(rate)) + " Hz, blocks of 1 to 8192", [&]() -> Reason {
      for (const std::int32_t block : blocks) {
        main_->Configure(rate, block);
        const int count = std::max(2, static_cast<int>(seconds * rate / block));
        Reason r = ProcessBlocks(*main_, BestMode(*main_), block, count, nullptr,
                                 "with blocks of " + std::to_string(block));
        if (!r.empty()) return r;
      }
      return {};
    });
  }
}

void Suite::CheckBlockIrregularities() {
  Check("blocks of varying length, of 0 frames and longer than announced", [&]() -> Reason {
    main_->Configure(44100.0, 256);
    std::uniform_int_distribution<std::int32_t> length(0, 256);
    BlockBuffers buffers(main_->NumInputs(), main_->NumOutputs(), 8192);
    const ProcessMode mode = BestMode(*main_);
    for (int b = 0; b < 20 * Strictness(); ++b) {
      const std::int32_t n = length(random_);
      FillNoise(buffers, 0.5F);
      buffers.Run(*main_, mode, n);
      Reason r = NonFiniteReason(ScanOutputs(buffers, n), "with a block of " + std::to_string(n));
      if (!r.empty()) return r;
    }
    for (const std::int32_t n : {0, 0, 257, 1024, 4096, 8192}) {
      FillNoise(buffers, 0.5F);
      buffers.Run(*main_, mode, n);
      Reason r = NonFiniteReason(ScanOutputs(buffers, n), "with a block of " + std::to_string(n) + " (256 announced)");
      if (!r.empty()) return r;
    }
    return {};
  });
  if (main_->CanReplacing()) {
    Check("in-place processing (outputs are the input buffers)", [&]() -> Reason {
      main_->Configure(44100.0, 512);
      BlockBuffers buffers(main_->NumInputs(), main_->NumOutputs(), 512);
      for (int b = 0; b < 8; ++b) {
        FillNoise(buffers, 0.5F);
        buffers.RunInPlace(*main_, 512);
        Reason r = NonFiniteReason(ScanOutputs(buffers, 512), "in place");
        if (!r.empty()) return r;
      }
      return {};
    });
  }
}

void Suite::CheckModes() {
  if (main_->CanDouble()) {
    Check("double-precision processing", [&]() -> Reason {
      main_->Configure(48000.0, 512);
      main_->Dispatch(vst2::effSetProcessPrecision, 0, vst2::kVstProcessPrecision64);
      Reason r = ProcessBlocks(*main_, ProcessMode::Double, 512, 16, nullptr, "in double precision");
      main_->Dispatch(vst2::effSetProcessPrecision, 0, vst2::kVstProcessPrecision32);
      return r;
    });
  }
  if (main_->CanAccumulate() && main_->CanReplacing() && Strictness() >= kStrictAccumulating) {
    Check("accumulating processing adds to the outputs", [&]() -> Reason {
      main_->Configure(48000.0, 512);
      BlockBuffers buffers(main_->NumInputs(), main_->NumOutputs(), 512);
      for (int b = 0; b < 8; ++b) {
        FillNoise(buffers, 0.5F);
        buffers.FillOutputs(0.25F);
        buffers.Run(*main_, ProcessMode::Accumulating, 512);
        Reason r = NonFiniteReason(ScanOutputs(buffers, 512), "when accumulating");
        if (!r.empty()) return r;
      }
      return {};
    });
  }
}

void Suite::CheckSpecialInputs() {
  const ProcessMode mode = BestMode(*main_);
  const auto constant = [](float value) {
    return [value](BlockBuffers& b) {
      for (auto& channel : b.In()) std::fill(channel.begin(), channel.end(), value);
    };
  };
  main_->Configure(44100.0, 512);
  Check("silent input", [&]() -> Reason { return ProcessBlocks(*main_, mode, 512, 40, constant(0.0F), "for silence"); });
  Check("full-scale input (square and noise)", [&]() -> Reason {
    int flip = 0;
    Reason r = ProcessBlocks(*main_, mode, 512, 20, [&](BlockBuffers& b) {
      for (auto& channel : b.In()) {
        for (std::size_t i = 0; i < channel.size(); ++i) channel[i] = ((i + static_cast<std::size_t>(flip)) / 50) % 2 ? 1.0F : -1.0F;
      }
      ++flip;
    }, "for a full-scale square");
    if (r.empty()) r = ProcessBlocks(*main_, mode, 512, 20, [&](BlockBuffers& b) { FillNoise(b, 1.0F); }, "for full-scale noise");
    return r;
  });
  Check("denormal input", [&]() -> Reason {
    return ProcessBlocks(*main_, mode, 512, 20, constant(std::numeric_limits<float>::denorm_min() * 3.0F),
                         "for denormal input");
  });
  Check("no denormal output when silence follows loud input", [&]() -> Reason {
    ProcessBlocks(*main_, mode, 512, 20, [&](BlockBuffers& b) { FillNoise(b, 1.0F); }, "");
    BlockBuffers buffers(main_->NumInputs(), main_->NumOutputs(), 512);
    std::size_t subnormal = 0;
    for (int b = 0; b < 200; ++b) {  // a little over two seconds
      buffers.Run(*main_, mode, 512);
      const Scan scan = ScanOutputs(buffers, 512);
      if (scan.nonFinite > 0) return NonFiniteReason(scan, "in the silence after loud input");
      if (b >= 100) subnormal += scan.subnormal;
    }
    // Subnormals cost CPU; past a second of silence they are a defect at higher strictness.
    if (subnormal > 0 && Strictness() >= kStrictNoSubnormals) return std::to_string(subnormal) + " subnormal output samples after a second of silence";
    return {};
  });
  Check("NaN and Inf input, then recovery after suspend and resume", [&]() -> Reason {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Reason during = ProcessBlocks(*main_, mode, 512, 2, [&](BlockBuffers& b) {
      for (auto& channel : b.In()) {
        for (std::size_t i = 0; i < channel.size(); ++i) channel[i] = i % 3 == 0 ? nan : (i % 3 == 1 ? inf : -inf);
      }
    }, "while the input is NaN/Inf");
    main_->Suspend();
    main_->Resume();
    Reason after = ProcessBlocks(*main_, mode, 512, 20, nullptr, "after NaN/Inf input, suspend and resume");
    if (!after.empty()) return after;
    // Propagating garbage while it arrives is forgivable except at the highest strictness.
    if (!during.empty() && Strictness() >= kStrictCleanDuringBadInput) return during;
    return {};
  });
}

void Suite::CheckLifecycle() {
  Check("processing before the first resume", [&]() -> Reason {
    Reason reason;
    auto instance = NewInstance(reason);
    if (!instance) return reason;
    return ProcessBlocks(*instance, BestMode(*instance), 512, 4, nullptr, "before resume");
  });
  Check("sample rate and block size change while active", [&]() -> Reason {
    main_->Configure(44100.0, 512);
    Reason r = ProcessBlocks(*main_, BestMode(*main_), 512, 4, nullptr, "before the change");
    main_->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 96000.0F);
    main_->Dispatch(vst2::effSetBlockSize, 0, 1024);
    if (r.empty()) r = ProcessBlocks(*main_, BestMode(*main_), 1024, 8, nullptr, "after changing rate while active");
    return r;
  });
  Check("resume twice and suspend twice", [&]() -> Reason {
    main_->Configure(44100.0, 512);
    main_->Resume();
    Reason r = ProcessBlocks(*main_, BestMode(*main_), 512, 4, nullptr, "after a second resume");
    main_->Suspend();
    main_->Suspend();
    main_->Resume();
    if (r.empty()) r = ProcessBlocks(*main_, BestMode(*main_), 512, 4, nullptr, "after a double suspend");
    return r;
  });
}

void Suite::CheckAutomationThread() {
  if (main_->NumParams() == 0) return;
  Check("random parameter automation from a second thread while processing", [&]() -> Reason {
    main_->Configure(44100.0, 256);
    std::atomic<bool> stop{false};
    std::atomic<int> badReads{0};
    PluginInstance& plugin = *main_;
    std::thread automation([&plugin, &stop, &badReads, seed = options_.seed] {
      std::mt19937 rng(seed + 7);
      std::uniform_int_distribution<std::int32_t> index(0, plugin.NumParams() - 1);
      std::uniform_real_distribution<float> value(0.0F, 1.0F);
      int round = 0;
      while (!stop.load(std::memory_order_relaxed)) {
        const std::int32_t i = index(rng);
        plugin.SetParameter(i, value(rng));
        const float back = plugin.GetParameter(i);
        if (!std::isfinite(back) || back < 0.0F || back > 1.0F) badReads.fetch_add(1);
        if (++round % 64 == 0) std::this_thread::yield();
      }
    });
    Reason r = ProcessBlocks(plugin, BestMode(plugin), 256, 100 * Strictness(), nullptr, "during automation");
    stop = true;
    automation.join();
    if (r.empty() && badReads.load() > 0) r = std::to_string(badReads.load()) + " parameter reads outside 0..1";
    return r;
  });
}

}  // namespace ombrisk::host::validate
