// Command-line options: positional words, options with values (repeatable)
// and plain flags, each command declaring which it accepts.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ombrisk::host {

struct Args {
  std::vector<std::string> positional;
  std::multimap<std::string, std::string> values;
  std::set<std::string> flags;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  const std::string* Value(const std::string& option) const;  // the last one given
  std::vector<std::string> All(const std::string& option) const;
};

// `--name value` and `--name=value` for options in `withValue`; `--name` for
// `plain`. False and a reason for anything else.
bool ParseArgs(const std::vector<std::string>& words, const std::set<std::string>& withValue,
               const std::set<std::string>& plain, Args& args, std::string& error);

// Whole-string numbers; false for trailing junk, empty text or out of range.
bool ParseDouble(const std::string& text, double& value);
bool ParseInt(const std::string& text, long long& value);

}  // namespace ombrisk::host
