// The validation suite's internals, shared by its files: Validate.cpp (the
// suite itself and the result), ValidateDispatcher.cpp (the effect record,
// texts, parameters, dispatcher robustness, programs, events, host calls),
// ValidateAudio.cpp (rates, blocks, modes, special inputs, lifecycle,
// automation) and ValidateState.cpp (chunks).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>

#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/Validate.h"

namespace ombrisk::host::validate {

// What each strictness level adds to the one below it. Every level also
// scales the counts of blocks, open/close rounds, mutated chunks and unknown
// opcodes in proportion to the level.
//
//   level  adds
//   1      every check once, at 44.1 and 48 kHz, with regular block sizes
//   2      sample rates from 11.025 to 384 kHz
//   3      irregular block sizes (1, 3, 7, 441, ...); accumulating processing
//   4      getParameter/setParameter with bad indexes; chunk exchange from a
//          second thread while processing
//   5      the uncommon rates 32, 64 and 176.4 kHz
//   6      parameters must survive values outside 0..1 and NaN; no subnormal
//          output after a second of silence; a damaged chunk must not leave
//          a parameter outside 0..1
//   7      null pointers even to opcodes that no host calls without a buffer
//   8      no NaN/Inf output even while the input is NaN/Inf; damaged chunks
//          applied one after another on one instance
//   9, 10  nothing new: longer runs only
inline constexpr int kStrictMoreRates = 2;
inline constexpr int kStrictIrregularBlocks = 3;
inline constexpr int kStrictAccumulating = 3;
inline constexpr int kStrictBadParameterIndexes = 4;
inline constexpr int kStrictChunksWhileProcessing = 4;
inline constexpr int kStrictUncommonRates = 5;
inline constexpr int kStrictBadParameterValues = 6;
inline constexpr int kStrictNoSubnormals = 6;
inline constexpr int kStrictDamagedChunkValues = 6;
inline constexpr int kStrictDefensiveNulls = 7;
inline constexpr int kStrictCleanDuringBadInput = 8;
inline constexpr int kStrictDamagedChunksInARow = 8;

using Reason = std::string;  // empty: the check passed

struct Scan {
  std::size_t nonFinite = 0;
  std::size_t subnormal = 0;
};

// Counts the non-finite and subnormal samples of the outputs' first frames.
Scan ScanOutputs(BlockBuffers& buffers, std::int32_t frames);
// Empty when nothing was non-finite, else "N NaN/Inf output samples <where>".
Reason NonFiniteReason(const Scan& scan, const std::string& where);

class Suite {
 public:
  Suite(const ValidateOptions& options, std::ostream& log, ValidateResult& result)
      : options_(options), log_(log), result_(result), random_(options.seed) {}

  bool Run();

  // The checks by area: the effect record and dispatcher (ValidateDispatcher.cpp),
  // audio processing (ValidateAudio.cpp), state chunks (ValidateState.cpp).
 private:
  using Body = std::function<Reason()>;
  void Check(const std::string& name, const Body& body);
  std::unique_ptr<PluginInstance> NewInstance(Reason& reason);
  void FillNoise(BlockBuffers& buffers, float amplitude);
  // Runs `blocks` blocks of `frames` noise (or whatever `fill` puts in) and checks the outputs.
  Reason ProcessBlocks(PluginInstance& plugin, ProcessMode mode, std::int32_t frames, int blocks,
                       const std::function<void(BlockBuffers&)>& fill, const std::string& where);
  ProcessMode BestMode(const PluginInstance& plugin) const {
    return plugin.CanReplacing() ? ProcessMode::Replacing : ProcessMode::Double;
  }
  // The level asked for; also scales counts of blocks, rounds and mutations.
  int Strictness() const { return options_.strictness; }

  void CheckRecord();
  void CheckOpenClose();
  void CheckTexts();
  void CheckParameters();
  void CheckDispatcherRobustness();
  void CheckRatesAndBlocks();
  void CheckBlockIrregularities();
  void CheckModes();
  void CheckSpecialInputs();
  void CheckLifecycle();
  void CheckAutomationThread();
  void CheckChunks();
  void CheckPrograms();
  void CheckEvents();
  void CheckHostCalls();

  const ValidateOptions& options_;
  std::ostream& log_;
  ValidateResult& result_;
  std::mt19937 random_;
  std::shared_ptr<PluginModule> module_;
  std::unique_ptr<PluginInstance> main_;
};

}  // namespace ombrisk::host::validate
