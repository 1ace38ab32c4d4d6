#include "host/PresetCommands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "host/FileBytes.h"
#include "host/FxpFile.h"
#include "host/ParamOptions.h"
#include "host/PluginHost.h"
#include "vst2/VstInterface.h"

namespace ombrisk::host {
namespace {

constexpr int kPresetFailure = 1;
constexpr int kPresetUsage = 2;

int FailPreset(const std::string& message, int code = kPresetFailure) {
  std::cerr << "ombrisk-host: preset: " << message << '\n';
  return code;
}

// The file name without folder and extension: the preset's name when --name is not given.
std::string Stem(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string stem = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  return stem;
}

// Files larger than this are not presets: refused before they are read.
constexpr std::uint64_t kMaxPresetFile = 64 << 20;

int Save(const Args& args) {
  const std::string& pluginPath = args.positional[1];
  const std::string& outPath = args.positional[2];
  FxpProgram program;
  if (const std::string* form = args.Value("form")) {
    if (*form == "chunk")
      program.form = FxpProgram::Form::Chunk;
    else if (*form != "params")
      return FailPreset("--form must be params or chunk", kPresetUsage);
  }
  program.name = args.Value("name") ? *args.Value("name") : Stem(outPath);
  if (program.name.empty()) return FailPreset("the preset needs a name (--name)", kPresetUsage);
  if (program.name.size() > FxpProgram::kNameSize - 1)
    return FailPreset("the name \"" + program.name + "\" is longer than 27 characters, which is all a preset file holds",
                kPresetUsage);

  std::string error;
  auto plugin = PluginInstance::Open(pluginPath, error);
  if (!plugin) return FailPreset(error);
  if (!ApplyParameters(*plugin, args, error)) return FailPreset(error);
  program.pluginId = plugin->Effect().uniqueID;
  program.pluginVersion = plugin->Effect().version;
  if (program.form == FxpProgram::Form::Chunk) {
    // Hosts hand chunk presets only to plug-ins that declare chunks.
    if (!plugin->HasFlag(vst2::effFlagsProgramChunks))
      return FailPreset("the plug-in does not exchange state chunks: save with --form params");
    void* data = nullptr;
    const std::intptr_t size = plugin->Dispatch(vst2::effGetChunk, 1, 0, &data);
    if (size <= 0 || data == nullptr) return FailPreset("the plug-in returned no program chunk");
    const auto* first = static_cast<const std::uint8_t*>(data);
    program.chunk.assign(first, first + size);
    program.chunkParamCount = plugin->NumParams();
  } else {
    for (std::int32_t i = 0; i < plugin->NumParams(); ++i) program.params.push_back(plugin->GetParameter(i));
  }
  if (!WriteFileBytes(outPath, WriteFxp(program), error)) return FailPreset(error);
  std::cout << "wrote " << outPath << ": \"" << program.name << "\" for " << FourCharText(program.pluginId) << ", "
            << (program.form == FxpProgram::Form::Chunk ? "program chunk of " + std::to_string(program.chunk.size()) +
                                                              " bytes"
                                                        : std::to_string(program.params.size()) + " parameters")
            << '\n';
  return 0;
}

int Load(const Args& args) {
  const std::string& pluginPath = args.positional[1];
  const std::string& inPath = args.positional[2];
  std::vector<std::uint8_t> bytes;
  FxpProgram program;
  std::string error;
  if (!ReadFileBytes(inPath, bytes, error, kMaxPresetFile)) return FailPreset(error);
  if (!ReadFxp(bytes, program, error)) return FailPreset(inPath + ": " + error);

  auto plugin = PluginInstance::Open(pluginPath, error);
  if (!plugin) return FailPreset(error);
  const std::int32_t id = plugin->Effect().uniqueID;
  if (program.pluginId != id)
    return FailPreset(inPath + " is a preset for the plug-in " + FourCharText(program.pluginId) + ", not for " +
                FourCharText(id));
  if (program.form == FxpProgram::Form::Chunk) {
    if (!plugin->HasFlag(vst2::effFlagsProgramChunks))
      return FailPreset(inPath + " holds a program chunk, and the plug-in does not exchange state chunks");
    if (plugin->Dispatch(vst2::effSetChunk, 1, static_cast<std::intptr_t>(program.chunk.size()),
                         program.chunk.data()) == 0)
      return FailPreset("the plug-in rejected the program chunk in " + inPath);
  } else {
    if (static_cast<std::int32_t>(program.params.size()) != plugin->NumParams())
      return FailPreset(inPath + " holds " + std::to_string(program.params.size()) + " parameter values, the plug-in has " +
                  std::to_string(plugin->NumParams()));
    for (std::size_t i = 0; i < program.params.size(); ++i)
      plugin->SetParameter(static_cast<std::int32_t>(i), program.params[i]);
  }
  std::cout << "Preset \"" << program.name << "\" for " << FourCharText(program.pluginId) << " ("
            << (program.form == FxpProgram::Form::Chunk ? "program chunk" : "parameter values") << ")\n";
  for (std::int32_t i = 0; i < plugin->NumParams(); ++i) {
    std::string label = plugin->ParamLabel(i);
    char value[32];
    std::snprintf(value, sizeof value, "%.6f", static_cast<double>(plugin->GetParameter(i)));
    std::cout << "  " << i << ": " << plugin->ParamName(i) << " = " << plugin->ParamDisplay(i)
              << (label.empty() ? "" : " " + label) << " [" << value << "]\n";
  }
  return 0;
}

}  // namespace

int CommandPreset(const Args& args) {
  if (args.positional.size() == 3 && args.positional[0] == "save") return Save(args);
  if (args.positional.size() == 3 && args.positional[0] == "load") {
    if (!args.values.empty()) return FailPreset("load takes no options", kPresetUsage);
    return Load(args);
  }
  return FailPreset("use: preset save PLUGIN OUT.fxp [--param NAME=VALUE]... [--name NAME] | preset load PLUGIN IN.fxp",
              kPresetUsage);
}

}  // namespace ombrisk::host
