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
#include "host/ValidateSuite.h"

namespace ombrisk::host {
namespace validate {

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

}  // namespace validate

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
  validate::Suite suite(options, log, result);
  if (!suite.Run()) log << "load ... FAIL: " << result.loadError << '\n';
  return result;
}

}  // namespace ombrisk::host
