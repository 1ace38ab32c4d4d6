#include "host/EditOptions.h"

#include <sstream>
#include <vector>

namespace ombrisk::host {
namespace {

constexpr int kMaxInstances = 8;
constexpr long long kMaxAfterMs = 3600LL * 1000;
constexpr int kMaxCycles = 100000;
constexpr int kMaxFrames = 100000;

bool ParseBounded(const std::string& text, long long low, long long high, long long& value) {
  return ParseInt(text, value) && value >= low && value <= high;
}

}  // namespace

bool ParseEditOptions(const Args& args, EditOptions& options, std::string& error) {
  options = EditOptions{};
  if (args.positional.size() != 1) {
    error = "edit needs exactly one PLUGIN";
    return false;
  }
  long long n = 0;
  if (const std::string* text = args.Value("instances")) {
    if (!ParseBounded(*text, 1, kMaxInstances, n)) {
      error = "--instances must be from 1 to " + std::to_string(kMaxInstances);
      return false;
    }
    options.instances = static_cast<int>(n);
  }
  if (const std::string* text = args.Value("after-ms")) {
    if (!ParseBounded(*text, 0, kMaxAfterMs, n)) {
      error = "--after-ms must be from 0 to " + std::to_string(kMaxAfterMs);
      return false;
    }
    options.afterMs = n;
  }
  if (const std::string* text = args.Value("screenshot")) {
    if (text->empty()) {
      error = "--screenshot needs a file name";
      return false;
    }
    options.screenshot = *text;
    // A picture of a window that has not drawn yet tells nothing: default to a second.
    if (options.afterMs < 0) options.afterMs = 1000;
  }
  if (const std::string* text = args.Value("cycles")) {
    if (!ParseBounded(*text, 1, kMaxCycles, n)) {
      error = "--cycles must be from 1 to " + std::to_string(kMaxCycles);
      return false;
    }
    options.cycles = static_cast<int>(n);
  }
  options.commands = args.Has("stdin");
  if (options.cycles > 0 && (!options.screenshot.empty() || options.commands)) {
    error = "--cycles runs on its own, without --screenshot or --stdin";
    return false;
  }
  return true;
}

bool ParseEditCommand(const std::string& line, int instances, EditCommand& command, std::string& error) {
  command = EditCommand{};
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  if (words.empty()) {
    error = "empty command";
    return false;
  }
  struct Named {
    const char* name;
    EditCommand::Kind kind;
    std::size_t needed;  // words after the name before the optional instance
  };
  static constexpr Named kCommands[] = {
      {"open", EditCommand::Kind::Open, 0},     {"close", EditCommand::Kind::Close, 0},
      {"where", EditCommand::Kind::Where, 0},   {"count", EditCommand::Kind::Count, 0},
      {"cycles", EditCommand::Kind::Cycles, 1}, {"screenshot", EditCommand::Kind::Screenshot, 1},
      {"frames", EditCommand::Kind::Frames, 2}, {"quit", EditCommand::Kind::Quit, 0},
  };
  const Named* found = nullptr;
  for (const Named& c : kCommands) {
    if (words[0] == c.name) found = &c;
  }
  if (found == nullptr) {
    error = "unknown command \"" + words[0] + "\"";
    return false;
  }
  const bool takesInstance = found->kind != EditCommand::Kind::Count && found->kind != EditCommand::Kind::Quit;
  const std::size_t most = 1 + found->needed + (takesInstance ? 1 : 0);
  if (words.size() < 1 + found->needed || words.size() > most) {
    error = words[0] + ": wrong number of words";
    return false;
  }
  command.kind = found->kind;
  long long n = 0;
  if (found->kind == EditCommand::Kind::Cycles) {
    if (!ParseBounded(words[1], 1, kMaxCycles, n)) {
      error = "cycles: the count must be from 1 to " + std::to_string(kMaxCycles);
      return false;
    }
    command.count = static_cast<int>(n);
  }
  if (found->kind == EditCommand::Kind::Screenshot) command.file = words[1];
  if (found->kind == EditCommand::Kind::Frames) {
    const std::string& mode = words[1];
    if (mode == "idle") {
      command.frameMode = EditCommand::FrameMode::Idle;
    } else if (mode == "expose") {
      command.frameMode = EditCommand::FrameMode::ExposeAll;
    } else if (mode == "knob") {
      command.frameMode = EditCommand::FrameMode::Knob;
    } else if (mode.rfind("knob:", 0) == 0 && ParseBounded(mode.substr(5), 0, kMaxFrameParam, n)) {
      command.frameMode = EditCommand::FrameMode::Knob;
      command.param = static_cast<int>(n);
    } else {
      error = "frames: the mode is idle, expose, knob or knob:P (P from 0 to " + std::to_string(kMaxFrameParam) +
              "), not \"" + mode + "\"";
      return false;
    }
    if (!ParseBounded(words[2], 1, kMaxFrames, n)) {
      error = "frames: the count must be from 1 to " + std::to_string(kMaxFrames);
      return false;
    }
    command.count = static_cast<int>(n);
  }
  if (words.size() == most && takesInstance) {
    if (!ParseBounded(words.back(), 0, instances - 1, n)) {
      error = words[0] + ": no instance " + words.back();
      return false;
    }
    command.instance = static_cast<int>(n);
  }
  return true;
}

}  // namespace ombrisk::host
