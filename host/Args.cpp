#include "host/Args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace ombrisk::host {

const std::string* Args::Value(const std::string& option) const {
  const std::string* last = nullptr;
  for (const Option& o : values)
    if (o.name == option) last = &o.value;
  return last;
}

std::vector<std::string> Args::All(const std::string& option) const {
  std::vector<std::string> all;
  for (const Option& o : values)
    if (o.name == option) all.push_back(o.value);
  return all;
}

std::vector<Args::Option> Args::InOrder(const std::set<std::string>& names) const {
  std::vector<Option> chosen;
  for (const Option& o : values)
    if (names.count(o.name) != 0) chosen.push_back(o);
  return chosen;
}

bool ParseArgs(const std::vector<std::string>& words, const std::set<std::string>& withValue,
               const std::set<std::string>& plain, Args& args, std::string& error) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
      args.positional.push_back(word);
      continue;
    }
    std::string name = word.substr(2);
    std::string value;
    bool inlineValue = false;
    if (const auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inlineValue = true;
    }
    if (withValue.count(name) != 0) {
      if (!inlineValue) {
        if (i + 1 >= words.size()) {
          error = "option --" + name + " needs a value";
          return false;
        }
        value = words[++i];
      }
      args.values.push_back({name, value});
    } else if (plain.count(name) != 0 && !inlineValue) {
      args.flags.insert(name);
    } else {
      error = "unknown option --" + name;
      return false;
    }
  }
  return true;
}

bool ParseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool ParseInt(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno == ERANGE) return false;
  value = v;
  return true;
}

}  // namespace ombrisk::host
