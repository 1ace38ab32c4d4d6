#include "host/ManualTable.h"

#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <vector>

#include "host/PluginHost.h"

namespace ombrisk::host {
namespace {

std::string TrimLine(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A table cell: a '|' would end the cell early.
std::string Cell(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

int FailTable(const std::string& message, int code) {
  std::cerr << "ombrisk-host: manual-table: " << message << '\n';
  return code;
}

}  // namespace

bool ParseParameterNotes(const std::string& text, std::map<std::string, std::string>& notes, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  notes.clear();
  while (std::getline(in, line)) {
    ++number;
    const std::string trimmed = TrimLine(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const std::size_t colon = trimmed.find(':');
    const std::string name = colon == std::string::npos ? std::string() : TrimLine(trimmed.substr(0, colon));
    const std::string note = colon == std::string::npos ? std::string() : TrimLine(trimmed.substr(colon + 1));
    if (name.empty() || note.empty()) {
      error = "line " + std::to_string(number) + " is not \"Name: what it does\"";
      return false;
    }
    if (!notes.emplace(name, note).second) {
      error = "line " + std::to_string(number) + " describes \"" + name + "\" a second time";
      return false;
    }
  }
  return true;
}

int CommandManualTable(const Args& args) {
  const std::string* notesPath = args.Value("notes");
  if (args.positional.size() != 1 || notesPath == nullptr) return FailTable("needs PLUGIN --notes FILE", 2);
  std::ifstream file(*notesPath);
  if (!file) return FailTable("cannot open " + *notesPath, 1);
  std::stringstream text;
  text << file.rdbuf();
  std::map<std::string, std::string> notes;
  std::string error;
  if (!ParseParameterNotes(text.str(), notes, error)) return FailTable(*notesPath + ": " + error, 1);

  auto plugin = PluginInstance::Open(args.positional[0], error);
  if (!plugin) return FailTable(error, 1);
  std::ostringstream table;
  table << "| Parameter | Range | Default | Unit | What it does |\n"
        << "|---|---|---|---|---|\n";
  std::set<std::string> described;
  for (std::int32_t i = 0; i < plugin->NumParams(); ++i) {
    const std::string name = plugin->ParamName(i);
    const auto note = notes.find(name);
    if (note == notes.end()) return FailTable(*notesPath + " has no line for the parameter \"" + name + "\"", 1);
    described.insert(name);
    // The fresh instance's value is the default; the ends of the range are
    // what the plug-in displays at 0 and 1.
    const std::string label = plugin->ParamLabel(i);
    const std::string byDefault = plugin->ParamDisplay(i);
    const float value = plugin->GetParameter(i);
    plugin->SetParameter(i, 0.0F);
    const std::string low = plugin->ParamDisplay(i);
    plugin->SetParameter(i, 1.0F);
    const std::string high = plugin->ParamDisplay(i);
    plugin->SetParameter(i, value);
    table << "| " << Cell(name) << " | " << Cell(low) << " to " << Cell(high) << " | " << Cell(byDefault) << " | "
          << (label.empty() ? "–" : Cell(label)) << " | " << Cell(note->second) << " |\n";
  }
  for (const auto& [name, note] : notes) {
    if (described.count(name) == 0)
      return FailTable(*notesPath + " describes \"" + name + "\", which the plug-in does not have", 1);
  }
  std::cout << table.str();
  return 0;
}

}  // namespace ombrisk::host
