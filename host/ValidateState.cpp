// Validation of state chunks: round trips, damaged and foreign chunks, and
// chunk exchange while processing.

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
static std::vector<std::uint8_t> GetChunk(PluginInstance& plugin, bool bank) {
  void* data = nullptr;
  const std::intptr_t size = plugin.Dispatch(vst2::effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return {bytes, bytes + size};
}

static std::intptr_t SetChunk(PluginInstance& plugin, bool bank, std::vector<std::uint8_t> bytes) {
  // The plug-in gets its own copy each time, as a host reading a project would give it.
  if (bytes.empty()) {
    std::uint8_t dummy = 0;
    return plugin.Dispatch(vst2::effSetChunk, bank ? 0 : 1, 0, &dummy);
  }
  return plugin.Dispatch(vst2::effSetChunk, bank ? 0 : 1, static_cast<std::intptr_t>(bytes.size()), bytes.data());
}

static std::vector<float> ParameterValues(PluginInstance& plugin) {
  std::vector<float> values;
  for (std::int32_t i = 0; i < std::min(plugin.NumParams(), 1024); ++i) values.push_back(plugin.GetParameter(i));
  return values;
}

void Suite::CheckChunks() {
  if (!main_->HasFlag(vst2::effFlagsProgramChunks)) return;
  for (const bool bank : {false, true}) {
    const std::string kind = bank ? "bank" : "program";
    Check(kind + " chunk round trip restores parameters and bytes", [&, bank]() -> Reason {
      std::uniform_real_distribution<float> value(0.0F, 1.0F);
      const auto scramble = [&] {
        for (std::int32_t i = 0; i < main_->NumParams(); ++i) main_->SetParameter(i, value(random_));
      };
      scramble();
      const std::vector<std::uint8_t> saved = GetChunk(*main_, bank);
      if (saved.empty()) return "effGetChunk returned no data";
      // The first restore settles what the chunk means (a plug-in may store
      // stepped values); every later restore must give exactly that.
      scramble();
      if (SetChunk(*main_, bank, saved) == 0) return "effSetChunk refused the plug-in's own chunk";
      const std::vector<float> restored = ParameterValues(*main_);
      if (GetChunk(*main_, bank) != saved) return "effGetChunk after effSetChunk gives different bytes";
      scramble();
      if (SetChunk(*main_, bank, saved) == 0) return "effSetChunk refused its chunk the second time";
      const std::vector<float> again = ParameterValues(*main_);
      for (std::size_t i = 0; i < restored.size(); ++i) {
        if (std::fabs(restored[i] - again[i]) > 1e-6F)
          return "parameter " + std::to_string(i) + " reads " + std::to_string(again[i]) +
                 " right after effSetChunk, but " + std::to_string(restored[i]) + " after the same chunk before";
      }
      return {};
    });
    Check(kind + " chunks truncated, empty, mutated and foreign are survived", [&, bank]() -> Reason {
      main_->Configure(44100.0, 256);
      const std::vector<float> before = ParameterValues(*main_);
      const std::vector<std::uint8_t> saved = GetChunk(*main_, bank);
      if (saved.empty()) return "effGetChunk returned no data";
      std::vector<std::pair<std::string, std::vector<std::uint8_t>>> damaged;
      for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{8}, saved.size() / 2, saved.size() - 1}) {
        const std::size_t keep = std::min(n, saved.size());
        damaged.emplace_back("a chunk cut to " + std::to_string(keep) + " bytes",
                             std::vector<std::uint8_t>(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(keep)));
      }
      std::uniform_int_distribution<std::size_t> at(0, saved.size() - 1);
      std::uniform_int_distribution<int> byte(0, 255);
      for (int m = 0; m < 8 * Strictness(); ++m) {
        std::vector<std::uint8_t> mutated = saved;
        for (int k = 0; k <= m % 4; ++k) mutated[at(random_)] = static_cast<std::uint8_t>(byte(random_));
        damaged.emplace_back("mutated chunk " + std::to_string(m + 1), std::move(mutated));
      }
      std::vector<std::uint8_t> foreign(std::max<std::size_t>(saved.size(), 64));
      for (auto& b : foreign) b = static_cast<std::uint8_t>(byte(random_));
      damaged.emplace_back("another plug-in's chunk", std::move(foreign));

      constexpr int kBadParameter = 4;
      constexpr int kBadOutput = 5;
      for (const auto& [what, bytes] : damaged) {
        // Isolated: a damaged chunk may corrupt memory long before anything crashes.
        std::string happened;
        int outcome = 0;
        const bool survived = RunIsolated([&, bytes = bytes] {
          SetChunk(*main_, bank, bytes);
          int found = 0;
          if (Strictness() >= kStrictDamagedChunkValues) {
            for (const float v : ParameterValues(*main_)) {
              if (!std::isfinite(v) || v < 0.0F || v > 1.0F) found = kBadParameter;
            }
          }
          if (found == 0 && !ProcessBlocks(*main_, BestMode(*main_), 256, 2, nullptr, "").empty()) found = kBadOutput;
          // Replacing the damaged state frees what it built: corruption shows here.
          SetChunk(*main_, bank, saved);
          (void)GetChunk(*main_, bank);
          SetChunk(*main_, !bank, GetChunk(*main_, !bank));
          return found;
        }, outcome, happened);
        if (!survived) return what + " " + happened;
        if (outcome == kBadParameter) return what + " leaves a parameter outside 0..1";
        if (outcome == kBadOutput) return what + " leads to NaN/Inf output";
      }
      if (Strictness() >= kStrictDamagedChunksInARow) {
        // All of them in a row on one instance, as a fuzzing host would.
        std::string happened;
        int ignored = 0;
        if (!RunIsolated([&] {
              for (const auto& entry : damaged) SetChunk(*main_, bank, entry.second);
              SetChunk(*main_, bank, saved);
              (void)ProcessBlocks(*main_, BestMode(*main_), 256, 2, nullptr, "");
              return 0;
            }, ignored, happened)) {
          return "damaged chunks applied one after another: the plug-in " + happened;
        }
      }
      if (SetChunk(*main_, bank, saved) == 0) return "the intact chunk is refused after damaged ones";
      const std::vector<float> after = ParameterValues(*main_);
      for (std::size_t i = 0; i < before.size(); ++i) {
        if (std::fabs(before[i] - after[i]) > 1e-6F) return "the intact chunk no longer restores parameter " + std::to_string(i);
      }
      return {};
    });
  }
  if (Strictness() >= kStrictChunksWhileProcessing) {
    Check("chunk exchange from a second thread while processing", [&]() -> Reason {
      main_->Configure(44100.0, 256);
      const std::vector<std::uint8_t> saved = GetChunk(*main_, false);
      std::atomic<bool> stop{false};
      PluginInstance& plugin = *main_;
      std::thread worker([&plugin, &stop, saved] {
        while (!stop.load(std::memory_order_relaxed)) {
          (void)GetChunk(plugin, false);
          if (!saved.empty()) SetChunk(plugin, false, saved);
          std::this_thread::yield();
        }
      });
      Reason r = ProcessBlocks(plugin, BestMode(plugin), 256, 50 * Strictness(), nullptr, "during chunk exchange");
      stop = true;
      worker.join();
      return r;
    });
  }
}

}  // namespace ombrisk::host::validate
