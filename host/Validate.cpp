#include "host/Validate.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <thread>

#include "host/Platform.h"
#include "host/PluginHost.h"
#include "host/Render.h"

namespace ombrisk::host {
namespace {

using Reason = std::string;  // empty: the check passed

struct Scan {
  std::size_t nonFinite = 0;
  std::size_t subnormal = 0;
};

Scan ScanOutputs(BlockBuffers& buffers, std::int32_t frames) {
  Scan scan;
  for (const auto& channel : buffers.Out()) {
    for (std::int32_t i = 0; i < frames; ++i) {
      const float s = channel[static_cast<std::size_t>(i)];
      if (!std::isfinite(s)) ++scan.nonFinite;
      else if (std::fpclassify(s) == FP_SUBNORMAL) ++scan.subnormal;
    }
  }
  return scan;
}

Reason NonFiniteReason(const Scan& scan, const std::string& where) {
  if (scan.nonFinite == 0) return {};
  return std::to_string(scan.nonFinite) + " NaN/Inf output samples " + where;
}

class Suite {
 public:
  Suite(const ValidateOptions& options, std::ostream& log, ValidateResult& result)
      : options_(options), log_(log), result_(result), random_(options.seed) {}

  bool Run();

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
  int S() const { return options_.strictness; }

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

void Suite::Check(const std::string& name, const Body& body) {
  log_ << name << " ... " << std::flush;
  const Reason reason = body();
  CheckResult check{name, reason.empty(), reason};
  log_ << (check.passed ? "PASS" : "FAIL");
  if (!check.passed) log_ << ": " << reason;
  log_ << '\n' << std::flush;
  result_.checks.push_back(std::move(check));
}

std::unique_ptr<PluginInstance> Suite::NewInstance(Reason& reason) {
  std::string error;
  auto instance = PluginInstance::Create(module_, error);
  if (!instance) reason = error;
  return instance;
}

void Suite::FillNoise(BlockBuffers& buffers, float amplitude) {
  std::uniform_real_distribution<float> dist(-amplitude, amplitude);
  for (auto& channel : buffers.In()) {
    for (float& s : channel) s = dist(random_);
  }
}

Reason Suite::ProcessBlocks(PluginInstance& plugin, ProcessMode mode, std::int32_t frames, int blocks,
                            const std::function<void(BlockBuffers&)>& fill, const std::string& where) {
  BlockBuffers buffers(plugin.NumInputs(), plugin.NumOutputs(), frames);
  Scan total;
  for (int b = 0; b < blocks; ++b) {
    if (fill) fill(buffers);
    else FillNoise(buffers, 0.5F);
    if (mode == ProcessMode::Accumulating) buffers.FillOutputs(0.0F);
    buffers.Run(plugin, mode, frames);
    const Scan scan = ScanOutputs(buffers, frames);
    total.nonFinite += scan.nonFinite;
  }
  return NonFiniteReason(total, where);
}

bool Suite::Run() {
  std::string error;
  module_ = PluginModule::Load(options_.path, error);
  if (!module_) {
    result_.loadError = error;
    return false;
  }
  main_ = PluginInstance::Create(module_, error);
  if (!main_) {
    result_.loadError = error;
    return false;
  }
  result_.loaded = true;
  CheckRecord();
  CheckOpenClose();
  CheckTexts();
  CheckParameters();
  CheckDispatcherRobustness();
  CheckRatesAndBlocks();
  CheckBlockIrregularities();
  CheckModes();
  CheckSpecialInputs();
  CheckLifecycle();
  CheckAutomationThread();
  CheckChunks();
  CheckPrograms();
  CheckEvents();
  CheckHostCalls();
  main_.reset();
  return true;
}

void Suite::CheckRecord() {
  Check("effect record is consistent", [&]() -> Reason {
    const vst2::AEffect& e = main_->Effect();
    if (e.getParameter == nullptr || e.setParameter == nullptr) return "parameter callbacks are null";
    if (main_->HasFlag(vst2::effFlagsCanReplacing) && e.processReplacing == nullptr)
      return "claims replacing processing but processReplacing is null";
    if (main_->HasFlag(vst2::effFlagsCanDoubleReplacing) && e.processDoubleReplacing == nullptr)
      return "claims double processing but processDoubleReplacing is null";
    if (!main_->CanReplacing() && !main_->CanDouble()) return "offers neither replacing nor double processing";
    if (e.initialDelay < 0) return "negative initialDelay " + std::to_string(e.initialDelay);
    if (e.numInputs == 0 && e.numOutputs == 0) return "has no audio inputs and no audio outputs";
    return {};
  });
}

void Suite::CheckOpenClose() {
  const int rounds = 2 * S();
  Check("open, process and close " + std::to_string(rounds) + " times", [&]() -> Reason {
    for (int i = 0; i < rounds; ++i) {
      Reason reason;
      auto instance = NewInstance(reason);
      if (!instance) return "round " + std::to_string(i + 1) + ": " + reason;
      instance->Configure(44100.0, 512);
      reason = ProcessBlocks(*instance, BestMode(*instance), 512, 2, nullptr, "after a fresh open");
      if (!reason.empty()) return reason;
    }
    return {};
  });
  Check("two instances live at once, closed in creation order", [&]() -> Reason {
    Reason reason;
    auto a = NewInstance(reason);
    auto b = a ? NewInstance(reason) : nullptr;
    if (!a || !b) return reason;
    a->Configure(48000.0, 256);
    b->Configure(44100.0, 128);
    reason = ProcessBlocks(*a, BestMode(*a), 256, 2, nullptr, "from the first instance");
    if (reason.empty()) reason = ProcessBlocks(*b, BestMode(*b), 128, 2, nullptr, "from the second instance");
    a.reset();
    if (reason.empty()) reason = ProcessBlocks(*b, BestMode(*b), 128, 2, nullptr, "after the first closed");
    return reason;
  });
  Check("effOpen twice, suspend without resume, close", [&]() -> Reason {
    Reason reason;
    auto instance = NewInstance(reason);
    if (!instance) return reason;
    instance->Dispatch(vst2::effOpen);
    instance->Dispatch(vst2::effMainsChanged, 0, 0);
    return {};
  });
}

// A text answer must end within the buffer a host gives; hosts give small ones.
Reason BoundedText(PluginInstance& plugin, std::int32_t opcode, std::int32_t index, const std::string& what) {
  // Canary bytes behind an empty string: a plug-in that writes nothing passes,
  // one that writes without a terminator leaves the canary visible.
  std::vector<char> buffer(512, '\x55');
  buffer[0] = '\0';
  plugin.Dispatch(opcode, index, 0, buffer.data());
  const auto end = std::find(buffer.begin(), buffer.begin() + 256, '\0');
  if (end == buffer.begin() + 256) return what + " is not terminated within 256 bytes";
  return {};
}

void Suite::CheckTexts() {
  Check("name, vendor and product texts are terminated", [&]() -> Reason {
    Reason r = BoundedText(*main_, vst2::effGetEffectName, 0, "effect name");
    if (r.empty()) r = BoundedText(*main_, vst2::effGetVendorString, 0, "vendor string");
    if (r.empty()) r = BoundedText(*main_, vst2::effGetProductString, 0, "product string");
    if (r.empty()) r = BoundedText(*main_, vst2::effGetProgramName, 0, "program name");
    return r;
  });
  Check("parameter names, labels and display texts are terminated", [&]() -> Reason {
    const std::int32_t n = std::min(main_->NumParams(), 1024);
    for (std::int32_t i = 0; i < n; ++i) {
      const std::string at = " of parameter " + std::to_string(i);
      Reason r = BoundedText(*main_, vst2::effGetParamName, i, "name" + at);
      if (r.empty()) r = BoundedText(*main_, vst2::effGetParamLabel, i, "label" + at);
      if (r.empty()) r = BoundedText(*main_, vst2::effGetParamDisplay, i, "display text" + at);
      if (!r.empty()) return r;
    }
    return {};
  });
}

void Suite::CheckParameters() {
  const std::int32_t n = std::min(main_->NumParams(), 1024);
  Check("parameter values stay within 0..1 when set to 0, 1 and between", [&]() -> Reason {
    for (std::int32_t i = 0; i < n; ++i) {
      const float original = main_->GetParameter(i);
      if (!std::isfinite(original) || original < 0.0F || original > 1.0F)
        return "parameter " + std::to_string(i) + " reads " + std::to_string(original);
      for (const float v : {0.0F, 1.0F, 0.5F, 0.25F, 0.999F}) {
        main_->SetParameter(i, v);
        const float back = main_->GetParameter(i);
        if (!std::isfinite(back) || back < 0.0F || back > 1.0F)
          return "parameter " + std::to_string(i) + " set to " + std::to_string(v) + " reads " + std::to_string(back);
      }
      main_->SetParameter(i, original);
    }
    return {};
  });
  Check("display texts follow parameter changes without harm", [&]() -> Reason {
    for (std::int32_t i = 0; i < n; ++i) {
      const float original = main_->GetParameter(i);
      for (const float v : {0.0F, 1.0F}) {
        main_->SetParameter(i, v);
        Reason r = BoundedText(*main_, vst2::effGetParamDisplay, i, "display text of parameter " + std::to_string(i));
        if (!r.empty()) return r;
      }
      main_->SetParameter(i, original);
    }
    return {};
  });
  Check("parameter properties are sane", [&]() -> Reason {
    for (std::int32_t i = 0; i < n; ++i) {
      vst2::VstParameterProperties props{};
      if (main_->Dispatch(vst2::effGetParameterProperties, i, 0, &props) == 0) continue;
      if ((props.flags & vst2::kVstParameterUsesIntegerMinMax) != 0 && props.minInteger > props.maxInteger)
        return "parameter " + std::to_string(i) + " has integer minimum above maximum";
      if ((props.flags & vst2::kVstParameterUsesFloatStep) != 0 &&
          !(std::isfinite(props.stepFloat) && std::isfinite(props.smallStepFloat) && std::isfinite(props.largeStepFloat)))
        return "parameter " + std::to_string(i) + " has non-finite float steps";
      if (std::find(std::begin(props.label), std::end(props.label), '\0') == std::end(props.label))
        return "parameter " + std::to_string(i) + " property label is not terminated";
    }
    return {};
  });
  if (S() >= 6) {
    Check("parameters survive values outside 0..1 and NaN", [&]() -> Reason {
      for (std::int32_t i = 0; i < n; ++i) {
        const float original = main_->GetParameter(i);
        for (const float v : {-0.5F, 1.5F, std::numeric_limits<float>::quiet_NaN()}) {
          main_->SetParameter(i, v);
          const float back = main_->GetParameter(i);
          if (!std::isfinite(back)) return "parameter " + std::to_string(i) + " reads NaN/Inf after a bad value";
        }
        main_->SetParameter(i, original);
      }
      main_->Configure(44100.0, 256);
      return ProcessBlocks(*main_, BestMode(*main_), 256, 4, nullptr, "after bad parameter values");
    });
  }
}

// Each probe runs isolated where the platform allows, so that one crashing
// opcode is reported by name instead of ending the run.
Reason Probe(const std::string& what, const std::function<void()>& call) {
  std::string happened;
  int result = 0;
  if (RunIsolated([&] { call(); return 0; }, result, happened)) return {};
  return what + " " + happened;
}

void Suite::CheckDispatcherRobustness() {
  struct Named {
    std::int32_t opcode;
    const char* name;
  };
  Check("opcodes with null pointers where a plug-in must cope", [&]() -> Reason {
    // The interface gives a null pointer a meaning for these: "leave this
    // direction alone", "no data".
    static constexpr Named kMeaningfulNull[] = {
        {vst2::effSetSpeakerArrangement, "effSetSpeakerArrangement"},
        {vst2::effGetSpeakerArrangement, "effGetSpeakerArrangement"},
        {vst2::effSetChunk, "effSetChunk"}};
    // Hosts always pass a buffer to these; coping with null is defensive
    // programming, asked for at strictness 7 and up.
    static constexpr Named kDefensiveNull[] = {
        {vst2::effSetProgramName, "effSetProgramName"}, {vst2::effGetProgramName, "effGetProgramName"},
        {vst2::effEditGetRect, "effEditGetRect"}, {vst2::effGetChunk, "effGetChunk"},
        {vst2::effProcessEvents, "effProcessEvents"},
        {vst2::effString2Parameter, "effString2Parameter"}, {vst2::effGetProgramNameIndexed, "effGetProgramNameIndexed"},
        {vst2::effGetInputProperties, "effGetInputProperties"}, {vst2::effGetOutputProperties, "effGetOutputProperties"},
        {vst2::effGetEffectName, "effGetEffectName"},
        {vst2::effGetVendorString, "effGetVendorString"}, {vst2::effGetProductString, "effGetProductString"},
        {vst2::effCanDo, "effCanDo"}, {vst2::effGetMidiKeyName, "effGetMidiKeyName"}};
    std::string failures;
    const auto probe = [&](const Named& op) {
      const Reason r = Probe(std::string(op.name) + " with a null pointer",
                             [&] { main_->Dispatch(op.opcode, 0, 0, nullptr, 0.0F); });
      if (!r.empty()) failures += (failures.empty() ? "" : "; ") + r;
    };
    for (const Named& op : kMeaningfulNull) probe(op);
    if (S() >= 7) {
      for (const Named& op : kDefensiveNull) probe(op);
    }
    return failures;
  });
  Check("opcodes with out-of-range indexes", [&]() -> Reason {
    const std::int32_t np = main_->NumParams();
    std::string failures;
    const auto note = [&failures](const Reason& r) {
      if (!r.empty()) failures += (failures.empty() ? "" : "; ") + r;
    };
    static constexpr Named kParamOps[] = {{vst2::effGetParamLabel, "effGetParamLabel"},
                                          {vst2::effGetParamDisplay, "effGetParamDisplay"},
                                          {vst2::effGetParamName, "effGetParamName"},
                                          {vst2::effCanBeAutomated, "effCanBeAutomated"},
                                          {vst2::effString2Parameter, "effString2Parameter"},
                                          {vst2::effGetParameterProperties, "effGetParameterProperties"}};
    for (const std::int32_t index : {-1, np, np + 100}) {
      for (const Named& op : kParamOps) {
        note(Probe(std::string(op.name) + " for parameter " + std::to_string(index), [&] {
          std::vector<char> text(512, '\0');
          std::memcpy(text.data(), "0.5", 4);
          main_->Dispatch(op.opcode, index, 0, text.data());
        }));
      }
    }
    for (const std::int32_t index : {-1, main_->NumPrograms(), main_->NumPrograms() + 100}) {
      note(Probe("effGetProgramNameIndexed for program " + std::to_string(index), [&] {
        std::vector<char> text(512, '\0');
        main_->Dispatch(vst2::effGetProgramNameIndexed, index, -1, text.data());
      }));
    }
    for (const std::int32_t index : {-1, std::max(main_->NumInputs(), main_->NumOutputs()) + 100}) {
      note(Probe("pin properties for channel " + std::to_string(index), [&] {
        vst2::VstPinProperties pin{};
        main_->Dispatch(vst2::effGetInputProperties, index, 0, &pin);
        main_->Dispatch(vst2::effGetOutputProperties, index, 0, &pin);
      }));
    }
    if (S() >= 4) {
      // Hosts call the parameter callbacks with whatever index they hold.
      for (const std::int32_t index : {-1, np}) {
        note(Probe("getParameter/setParameter for parameter " + std::to_string(index), [&] {
          volatile float value = main_->GetParameter(index);
          (void)value;
          main_->SetParameter(index, 0.5F);
        }));
      }
    }
    return failures;
  });
  Check("unknown opcodes are answered with 0", [&]() -> Reason {
    std::vector<char> scratch(512, '\0');
    for (std::int32_t op = 80; op < 80 + 10 * S(); ++op) {
      int nonZero = 0;
      std::string happened;
      if (!RunIsolated([&] { return main_->Dispatch(op, 0, 0, scratch.data()) != 0 ? 1 : 0; }, nonZero, happened))
        return "opcode " + std::to_string(op) + " " + happened;
      if (nonZero != 0) return "opcode " + std::to_string(op) + " answered non-zero";
    }
    return {};
  });
}

void Suite::CheckRatesAndBlocks() {
  std::vector<double> rates = {44100.0, 48000.0, 96000.0};
  if (S() >= 2) rates = {11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 384000.0};
  if (S() >= 5) rates.insert(rates.begin() + 4, {32000.0, 64000.0, 176400.0});
  std::vector<std::int32_t> blocks = {1, 64, 512, 8192};
  if (S() >= 3) blocks = {1, 2, 3, 7, 32, 64, 100, 128, 441, 512, 1000, 1024, 2048, 4096, 8192};
  std::sort(rates.begin(), rates.end());
  const double seconds = 0.02 * S();
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
    for (int b = 0; b < 20 * S(); ++b) {
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
  if (main_->CanAccumulate() && main_->CanReplacing() && S() >= 3) {
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
    if (subnormal > 0 && S() >= 6) return std::to_string(subnormal) + " subnormal output samples after a second of silence";
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
    if (!during.empty() && S() >= 8) return during;
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
    Reason r = ProcessBlocks(plugin, BestMode(plugin), 256, 100 * S(), nullptr, "during automation");
    stop = true;
    automation.join();
    if (r.empty() && badReads.load() > 0) r = std::to_string(badReads.load()) + " parameter reads outside 0..1";
    return r;
  });
}

std::vector<std::uint8_t> GetChunk(PluginInstance& plugin, bool bank) {
  void* data = nullptr;
  const std::intptr_t size = plugin.Dispatch(vst2::effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return {bytes, bytes + size};
}

std::intptr_t SetChunk(PluginInstance& plugin, bool bank, std::vector<std::uint8_t> bytes) {
  // The plug-in gets its own copy each time, as a host reading a project would give it.
  if (bytes.empty()) {
    std::uint8_t dummy = 0;
    return plugin.Dispatch(vst2::effSetChunk, bank ? 0 : 1, 0, &dummy);
  }
  return plugin.Dispatch(vst2::effSetChunk, bank ? 0 : 1, static_cast<std::intptr_t>(bytes.size()), bytes.data());
}

std::vector<float> ParameterValues(PluginInstance& plugin) {
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
      for (int m = 0; m < 8 * S(); ++m) {
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
          if (S() >= 6) {  // trusting a damaged chunk's values is tolerated below 6
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
      if (S() >= 8) {
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
  if (S() >= 4) {
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
      Reason r = ProcessBlocks(plugin, BestMode(plugin), 256, 50 * S(), nullptr, "during chunk exchange");
      stop = true;
      worker.join();
      return r;
    });
  }
}

void Suite::CheckPrograms() {
  if (main_->NumPrograms() <= 1) return;
  Check("program changes keep the current program and names", [&]() -> Reason {
    const std::int32_t n = std::min(main_->NumPrograms(), 128);
    for (std::int32_t p = 0; p < n; ++p) {
      main_->Dispatch(vst2::effSetProgram, 0, p);
      const std::intptr_t current = main_->Dispatch(vst2::effGetProgram);
      if (current != p) return "after effSetProgram " + std::to_string(p) + " the current program is " + std::to_string(current);
      Reason r = BoundedText(*main_, vst2::effGetProgramName, 0, "name of program " + std::to_string(p));
      if (!r.empty()) return r;
    }
    main_->Dispatch(vst2::effSetProgram, 0, 0);
    return {};
  });
}

void Suite::CheckEvents() {
  Check("MIDI and sysex events, and empty event lists", [&]() -> Reason {
    main_->Configure(44100.0, 512);
    vst2::VstMidiEvent note{};
    note.type = vst2::kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 10;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    char dump[] = {static_cast<char>(0xF0), 0x7D, 0x01, 0x02, static_cast<char>(0xF7)};
    vst2::VstMidiSysexEvent sysex{};
    sysex.type = vst2::kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.dumpBytes = sizeof dump;
    sysex.sysexDump = dump;
    vst2::VstEvents events{};
    events.numEvents = 2;
    events.events[0] = reinterpret_cast<vst2::VstEvent*>(&note);
    events.events[1] = reinterpret_cast<vst2::VstEvent*>(&sysex);
    main_->Dispatch(vst2::effProcessEvents, 0, 0, &events);
    Reason r = ProcessBlocks(*main_, BestMode(*main_), 512, 4, nullptr, "after MIDI events");
    vst2::VstEvents empty{};
    main_->Dispatch(vst2::effProcessEvents, 0, 0, &empty);
    if (r.empty()) r = ProcessBlocks(*main_, BestMode(*main_), 512, 2, nullptr, "after an empty event list");
    return r;
  });
}

void Suite::CheckHostCalls() {
  Check("host calls from the plug-in are well-formed", [&]() -> Reason {
    const HostCallbackCounters& c = main_->Counters();
    if (c.automateBadIndex.load() > 0)
      return std::to_string(c.automateBadIndex.load()) + " audioMasterAutomate calls with an invalid parameter index";
    return {};
  });
}

}  // namespace

int ValidateResult::Passed() const {
  return static_cast<int>(std::count_if(checks.begin(), checks.end(), [](const CheckResult& c) { return c.passed; }));
}

int ValidateResult::Failed() const { return static_cast<int>(checks.size()) - Passed() + (loaded ? 0 : 1); }

const CheckResult* ValidateResult::Find(const std::string& name) const {
  for (const CheckResult& c : checks) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

ValidateResult Validate(const ValidateOptions& options, std::ostream& log) {
  ValidateResult result;
  Suite suite(options, log, result);
  if (!suite.Run()) log << "load ... FAIL: " << result.loadError << '\n';
  return result;
}

}  // namespace ombrisk::host
