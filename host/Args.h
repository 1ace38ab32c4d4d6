// Command-line options: positional words, options with values (repeatable)
// and plain flags, each command declaring which it accepts.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace ombrisk::host {

struct Args {
  struct Option {
    std::string name;
    std::string value;
  };

  std::vector<std::string> positional;
  std::vector<Option> values;  // in command-line order
  std::set<std::string> flags;

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  const std::string* Value(const std::string& option) const;  // the last one given
  std::vector<std::string> All(const std::string& option) const;
  // Every option with one of these names, in command-line order: options
  // that act on the same thing (--param, --param-norm) take effect in the
  // order the user wrote them.
  std::vector<Option> InOrder(const std::set<std::string>& names) const;
};

// `--name value` and `--name=value` for options in `withValue`; `--name` for
// `plain`. False and a reason for anything else.
bool ParseArgs(const std::vector<std::string>& words, const std::set<std::string>& withValue,
               const std::set<std::string>& plain, Args& args, std::string& error);

// Whole-string numbers; false for trailing junk, empty text or out of range.
bool ParseDouble(const std::string& text, double& value);
bool ParseInt(const std::string& text, long long& value);

}  // namespace ombrisk::host
