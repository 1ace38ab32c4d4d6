// The robustness suite of `ombrisk-host validate`.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace ombrisk::host {

struct ValidateOptions {
  std::string path;
  int strictness = 5;  // 1 (quick) .. 10 (thorough and unforgiving)
  std::uint32_t seed = 1;
};

struct CheckResult {
  std::string name;
  bool passed = false;
  std::string detail;  // why it failed
};

struct ValidateResult {
  bool loaded = false;  // false: the plug-in could not be opened at all
  std::string loadError;
  std::vector<CheckResult> checks;
  int Passed() const;
  int Failed() const;
  const CheckResult* Find(const std::string& name) const;
};

// Runs every check, printing one line per check to `log` as it goes.
ValidateResult Validate(const ValidateOptions& options, std::ostream& log);

}  // namespace ombrisk::host
