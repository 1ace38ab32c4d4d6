#include "host/Commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "host/Args.h"
#include "host/Audio.h"
#include "host/AudioLevels.h"
#include "host/EditOptions.h"
#include "host/EditWindow.h"
#include "host/FileBytes.h"
#include "host/Json.h"
#include "host/ManualTable.h"
#include "host/ParamOptions.h"
#include "host/PluginHost.h"
#include "host/PresetCommands.h"
#include "host/Render.h"
#include "host/Signals.h"
#include "host/Validate.h"

namespace ombrisk::host {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message, int code = kExitFailure) {
  std::cerr << "ombrisk-host: " << message << '\n';
  return code;
}

std::string FourChars(std::int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
    if (c < 32 || c > 126) return {};
    text += c;
  }
  return text;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::vector<std::string> FlagNames(std::int32_t flags) {
  struct Named {
    std::int32_t bit;
    const char* name;
  };
  static constexpr Named kFlags[] = {
      {vst2::effFlagsHasEditor, "HasEditor"},         {vst2::effFlagsCanMono, "CanMono"},
      {vst2::effFlagsCanReplacing, "CanReplacing"},   {vst2::effFlagsProgramChunks, "ProgramChunks"},
      {vst2::effFlagsIsSynth, "IsSynth"},             {vst2::effFlagsNoSoundInStop, "NoSoundInStop"},
      {vst2::effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
  };
  std::vector<std::string> names;
  for (const Named& n : kFlags) {
    if ((flags & n.bit) != 0) names.emplace_back(n.name);
  }
  return names;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? separator : "") + items[i];
  return out;
}

const char* CategoryName(std::intptr_t category) {
  static constexpr const char* kNames[] = {"Unknown",     "Effect",      "Synth",    "Analysis",
                                           "Mastering",   "Spacializer", "RoomFx",   "SurroundFx",
                                           "Restoration", "OfflineProcess", "Shell", "Generator"};
  return category >= 0 && category < 12 ? kNames[category] : "?";
}

std::vector<std::string> ParamPropertyNames(std::int32_t flags) {
  std::vector<std::string> names;
  if (flags & vst2::kVstParameterIsSwitch) names.emplace_back("switch");
  if (flags & vst2::kVstParameterUsesIntegerMinMax) names.emplace_back("integer-range");
  if (flags & vst2::kVstParameterUsesFloatStep) names.emplace_back("float-step");
  if (flags & vst2::kVstParameterUsesIntStep) names.emplace_back("integer-step");
  if (flags & vst2::kVstParameterSupportsDisplayIndex) names.emplace_back("display-index");
  if (flags & vst2::kVstParameterSupportsDisplayCategory) names.emplace_back("category");
  if (flags & vst2::kVstParameterCanRamp) names.emplace_back("can-ramp");
  return names;
}

constexpr const char* kCanDoQueries[] = {
    "sendVstEvents",    "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
    "offline",          "midiProgramNames", "bypass",           "MPE",                 "noRealTime",
    "plugAsChannelInsert", "plugAsSend",    "mixDryWet",        "1in1out",             "1in2out",
    "2in2out",          "2in4out",          "4in4out",          "wantsChannelCountNotifications",
};

std::unique_ptr<PluginInstance> OpenPlugin(const std::string& path, std::string& error) {
  return PluginInstance::Open(path, error);
}

// ---------------------------------------------------------------- info

// 0 means "not said", 1 means "no tail" in this interface.
std::string TailText(std::intptr_t tail) {
  if (tail == 0) return "0 (not reported)";
  if (tail == 1) return "none";
  return std::to_string(tail) + " samples";
}

// Everything `info` shows, asked of the plug-in once and then printed as
// JSON or as text.
struct PluginReport {
  struct Parameter {
    std::string name, label, display;
    float value = 0.0F;
    bool automatable = false;
    bool hasProperties = false;
    vst2::VstParameterProperties properties{};
  };
  struct Pin {
    bool answered = false;
    std::string label;
    std::int32_t flags = 0;
  };
  struct CanDo {
    const char* query;
    std::intptr_t answer;
  };

  std::string path, effectName, vendor, product;
  std::int32_t uniqueId = 0, version = 0, flags = 0, inputs = 0, outputs = 0, latency = 0;
  std::intptr_t vendorVersion = 0, vstVersion = 0, category = 0, tailSize = 0, currentProgram = 0;
  std::int32_t numPrograms = 0;
  std::vector<Parameter> parameters;
  std::vector<std::string> programs;  // at most the first 1024
  std::vector<Pin> pins[2];           // inputs, outputs
  std::vector<CanDo> canDo;
};

PluginReport GatherReport(PluginInstance& plugin, const std::string& path) {
  const vst2::AEffect& e = plugin.Effect();
  PluginReport r;
  r.path = path;
  r.effectName = plugin.Text(vst2::effGetEffectName);
  r.vendor = plugin.Text(vst2::effGetVendorString);
  r.product = plugin.Text(vst2::effGetProductString);
  r.uniqueId = e.uniqueID;
  r.version = e.version;
  r.vendorVersion = plugin.Dispatch(vst2::effGetVendorVersion);
  r.vstVersion = plugin.Dispatch(vst2::effGetVstVersion);
  r.category = plugin.Dispatch(vst2::effGetPlugCategory);
  r.flags = e.flags;
  r.inputs = e.numInputs;
  r.outputs = e.numOutputs;
  r.latency = e.initialDelay;
  r.tailSize = plugin.Dispatch(vst2::effGetTailSize);
  for (std::int32_t i = 0; i < plugin.NumParams(); ++i) {
    PluginReport::Parameter p;
    p.name = plugin.ParamName(i);
    p.label = plugin.ParamLabel(i);
    p.display = plugin.ParamDisplay(i);
    p.value = plugin.GetParameter(i);
    p.automatable = plugin.Dispatch(vst2::effCanBeAutomated, i) != 0;
    p.hasProperties = plugin.Dispatch(vst2::effGetParameterProperties, i, 0, &p.properties) != 0;
    p.properties.label[sizeof p.properties.label - 1] = '\0';
    r.parameters.push_back(std::move(p));
  }
  r.currentProgram = plugin.Dispatch(vst2::effGetProgram);
  r.numPrograms = plugin.NumPrograms();
  for (std::int32_t p = 0; p < std::min(plugin.NumPrograms(), 1024); ++p) {
    std::vector<char> name(1024, '\0');
    plugin.Dispatch(vst2::effGetProgramNameIndexed, p, -1, name.data());
    name.back() = '\0';
    r.programs.emplace_back(name.data());
  }
  for (const bool input : {true, false}) {
    const std::int32_t n = input ? e.numInputs : e.numOutputs;
    for (std::int32_t c = 0; c < n; ++c) {
      vst2::VstPinProperties pin{};
      PluginReport::Pin entry;
      entry.answered =
          plugin.Dispatch(input ? vst2::effGetInputProperties : vst2::effGetOutputProperties, c, 0, &pin) != 0;
      pin.label[sizeof pin.label - 1] = '\0';
      if (entry.answered) {
        entry.label = pin.label;
        entry.flags = pin.flags;
      }
      r.pins[input ? 0 : 1].push_back(std::move(entry));
    }
  }
  for (const char* query : kCanDoQueries) {
    std::string text = query;
    r.canDo.push_back({query, plugin.Dispatch(vst2::effCanDo, 0, 0, text.data())});
  }
  return r;
}

void PrintReportJson(const PluginReport& r, std::ostream& out) {
  JsonWriter json;
  json.BeginObject();
  json.Field("path", r.path);
  json.Field("effectName", r.effectName);
  json.Field("vendor", r.vendor);
  json.Field("product", r.product);
  json.Field("uniqueId", static_cast<long long>(r.uniqueId));
  json.Field("uniqueIdText", FourChars(r.uniqueId));
  json.Field("version", static_cast<long long>(r.version));
  json.Field("vendorVersion", static_cast<long long>(r.vendorVersion));
  json.Field("vstVersion", static_cast<long long>(r.vstVersion));
  json.Field("category", static_cast<long long>(r.category));
  json.Field("categoryName", CategoryName(r.category));
  json.Field("flags", static_cast<long long>(r.flags));
  json.Key("flagNames");
  json.BeginArray();
  for (const std::string& name : FlagNames(r.flags)) json.Value(name);
  json.EndArray();
  json.Field("inputs", static_cast<long long>(r.inputs));
  json.Field("outputs", static_cast<long long>(r.outputs));
  json.Field("latency", static_cast<long long>(r.latency));
  json.Field("tailSize", static_cast<long long>(r.tailSize));

  json.Key("parameters");
  json.BeginArray();
  for (std::size_t i = 0; i < r.parameters.size(); ++i) {
    const PluginReport::Parameter& p = r.parameters[i];
    json.BeginObject();
    json.Field("index", static_cast<long long>(i));
    json.Field("name", p.name);
    json.Field("label", p.label);
    json.Field("display", p.display);
    json.Field("value", static_cast<double>(p.value));
    json.Field("automatable", p.automatable);
    if (p.hasProperties) {
      const vst2::VstParameterProperties& props = p.properties;
      json.Key("properties");
      json.BeginObject();
      json.Field("flags", static_cast<long long>(props.flags));
      json.Key("flagNames");
      json.BeginArray();
      for (const std::string& name : ParamPropertyNames(props.flags)) json.Value(name);
      json.EndArray();
      if (props.flags & vst2::kVstParameterUsesIntegerMinMax) {
        json.Field("minInteger", static_cast<long long>(props.minInteger));
        json.Field("maxInteger", static_cast<long long>(props.maxInteger));
      }
      if (props.flags & vst2::kVstParameterUsesFloatStep) {
        json.Field("stepFloat", static_cast<double>(props.stepFloat));
        json.Field("smallStepFloat", static_cast<double>(props.smallStepFloat));
        json.Field("largeStepFloat", static_cast<double>(props.largeStepFloat));
      }
      json.Field("label", std::string(props.label));
      json.EndObject();
    }
    json.EndObject();
  }
  json.EndArray();

  json.Field("currentProgram", static_cast<long long>(r.currentProgram));
  json.Key("programs");
  json.BeginArray();
  for (const std::string& name : r.programs) json.Value(name);
  json.EndArray();

  for (const bool input : {true, false}) {
    json.Key(input ? "inputPins" : "outputPins");
    json.BeginArray();
    const std::vector<PluginReport::Pin>& pins = r.pins[input ? 0 : 1];
    for (std::size_t c = 0; c < pins.size(); ++c) {
      const PluginReport::Pin& pin = pins[c];
      json.BeginObject();
      json.Field("index", static_cast<long long>(c));
      json.Field("answered", pin.answered);
      json.Field("label", pin.label);
      json.Field("flags", static_cast<long long>(pin.flags));
      json.Field("active", pin.answered && (pin.flags & vst2::kVstPinIsActive) != 0);
      json.Field("stereo", pin.answered && (pin.flags & vst2::kVstPinIsStereo) != 0);
      json.EndObject();
    }
    json.EndArray();
  }

  json.Key("canDo");
  json.BeginObject();
  for (const PluginReport::CanDo& c : r.canDo) json.Field(c.query, static_cast<long long>(c.answer));
  json.EndObject();
  json.EndObject();
  out << json.Text() << '\n';
}

void PrintReportText(const PluginReport& r, std::ostream& out) {
  out << "Plug-in:      " << r.path << '\n'
      << "Name:         " << r.effectName << '\n'
      << "Vendor:       " << r.vendor << '\n'
      << "Product:      " << r.product << '\n';
  const std::string idText = FourChars(r.uniqueId);
  out << "Unique ID:    " << Hex(static_cast<std::uint32_t>(r.uniqueId))
      << (idText.empty() ? "" : " '" + idText + "'") << '\n'
      << "Version:      " << r.version << " (vendor version " << r.vendorVersion << ", VST " << r.vstVersion << ")\n"
      << "Category:     " << CategoryName(r.category) << " (" << r.category << ")\n"
      << "Flags:        " << Hex(static_cast<std::uint32_t>(r.flags)) << ' ' << Join(FlagNames(r.flags), " ") << '\n'
      << "I/O:          " << r.inputs << " in, " << r.outputs << " out\n"
      << "Latency:      " << r.latency << " samples\n"
      << "Tail:         " << TailText(r.tailSize) << '\n'
      << "Parameters:   " << r.parameters.size() << '\n';
  for (std::size_t i = 0; i < r.parameters.size(); ++i) {
    const PluginReport::Parameter& p = r.parameters[i];
    char value[32];
    std::snprintf(value, sizeof value, "%.4f", static_cast<double>(p.value));
    out << "  " << i << ": " << p.name << " = " << p.display;
    if (!p.label.empty()) out << ' ' << p.label;
    out << " [" << value << "]";
    if (!p.automatable) out << " not-automatable";
    if (p.hasProperties) {
      out << " {" << Join(ParamPropertyNames(p.properties.flags), ",");
      if (p.properties.flags & vst2::kVstParameterUsesIntegerMinMax)
        out << " " << p.properties.minInteger << ".." << p.properties.maxInteger;
      out << "}";
    }
    out << '\n';
  }
  out << "Programs:     " << r.numPrograms << " (current " << r.currentProgram << ")\n";
  for (std::size_t p = 0; p < r.programs.size(); ++p) out << "  " << p << ": " << r.programs[p] << '\n';
  for (const bool input : {true, false}) {
    out << (input ? "Input pins:" : "Output pins:") << '\n';
    const std::vector<PluginReport::Pin>& pins = r.pins[input ? 0 : 1];
    for (std::size_t c = 0; c < pins.size(); ++c) {
      const PluginReport::Pin& pin = pins[c];
      if (!pin.answered) {
        out << "  " << c << ": (no answer)\n";
        continue;
      }
      out << "  " << c << ": \"" << pin.label << "\"" << ((pin.flags & vst2::kVstPinIsActive) ? " active" : "")
          << ((pin.flags & vst2::kVstPinIsStereo) ? " stereo" : "") << '\n';
    }
  }
  out << "Can do:";
  for (const PluginReport::CanDo& c : r.canDo) {
    if (c.answer != 0) out << ' ' << c.query << '=' << c.answer;
  }
  out << "\n";
}

int CommandInfo(const Args& args) {
  if (args.positional.size() != 1) return Fail("info needs exactly one PLUGIN", kExitUsage);
  std::string error;
  auto plugin = OpenPlugin(args.positional[0], error);
  if (!plugin) return Fail(error);
  plugin->Configure(44100.0, 512);
  const PluginReport report = GatherReport(*plugin, args.positional[0]);
  if (args.Has("json"))
    PrintReportJson(report, std::cout);
  else
    PrintReportText(report, std::cout);
  return 0;
}

// ---------------------------------------------------------------- parameters

bool LoadChunkFile(PluginInstance& plugin, const std::string& path, bool bank, std::string& error) {
  if (!plugin.HasFlag(vst2::effFlagsProgramChunks)) {
    error = "the plug-in does not exchange state chunks";
    return false;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes, error)) return false;
  if (bytes.empty()) {
    error = path + " is empty";
    return false;
  }
  if (plugin.Dispatch(vst2::effSetChunk, bank ? 0 : 1, static_cast<std::intptr_t>(bytes.size()), bytes.data()) == 0) {
    error = "the plug-in rejected the " + std::string(bank ? "bank" : "program") + " chunk in " + path;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- process

class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  ~ProgressBar() {
    if (enabled_ && shown_) std::cerr << "\r" << std::string(60, ' ') << "\r" << std::flush;
  }
  void Show(double fraction) {
    if (!enabled_) return;
    shown_ = true;
    const int width = 40;
    const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * width);
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), '-') << "] " << static_cast<int>(fraction * 100.0)
              << "%" << std::flush;
  }

 private:
  bool enabled_;
  bool shown_ = false;
};

void PrintLevels(const char* what, const AudioData& audio) {
  const Levels levels = MeasureLevels(audio);
  char crest[32];
  std::snprintf(crest, sizeof crest, "%.2f", levels.CrestDb());
  std::cout << what << ": peak " << FormatDb(levels.peak) << " dBFS, RMS " << FormatDb(levels.rms)
            << " dBFS, crest factor " << crest << " dB";
  if (levels.nonFinite > 0) std::cout << ", " << levels.nonFinite << " NaN/Inf samples";
  std::cout << '\n';
}

bool ParseRateAndBlock(const Args& args, double& rate, std::int32_t& block, std::string& error) {
  if (const std::string* text = args.Value("rate")) {
    if (!ParseDouble(*text, rate) || rate < 1000.0 || rate > 1536000.0) {
      error = "--rate must be a sample rate from 1000 to 1536000 Hz: " + *text;
      return false;
    }
  }
  if (const std::string* text = args.Value("block")) {
    long long n = 0;
    if (!ParseInt(*text, n) || n < 1 || n > 1 << 20) {
      error = "--block must be a whole number from 1 to 1048576: " + *text;
      return false;
    }
    block = static_cast<std::int32_t>(n);
  }
  return true;
}

int CommandProcess(const Args& args) {
  if (args.positional.size() != 3) return Fail("process needs PLUGIN IN OUT", kExitUsage);
  RenderOptions options;
  double rate = 0.0;
  std::string error;
  if (!ParseRateAndBlock(args, rate, options.blockSize, error)) return Fail(error, kExitUsage);
  if (const std::string* mode = args.Value("mode")) {
    if (!ParseProcessMode(*mode, options.mode)) return Fail("--mode must be replacing, double or accumulating", kExitUsage);
  }
  options.offline = args.Has("offline");
  if (args.Has("bank") && !args.Value("chunk")) return Fail("--bank goes with --chunk FILE", kExitUsage);

  AudioData input;
  if (!ReadAudioFile(args.positional[1], input, error)) return Fail(error);
  if (input.NumChannels() == 0) return Fail(args.positional[1] + " holds no audio channels");
  if (rate > 0.0) input.sampleRate = rate;

  auto plugin = OpenPlugin(args.positional[0], error);
  if (!plugin) return Fail(error);
  if (const std::string* chunk = args.Value("chunk")) {
    if (!LoadChunkFile(*plugin, *chunk, args.Has("bank"), error)) return Fail(error);
  }
  if (!ApplyParameters(*plugin, args, error)) return Fail(error);

  ProgressBar bar(StderrIsTerminal() && input.Frames() > static_cast<std::size_t>(input.sampleRate * 20.0));
  options.progress = [&bar](double fraction) { bar.Show(fraction); };
  AudioData output;
  RenderReport report;
  const auto start = std::chrono::steady_clock::now();
  const bool rendered = Render(*plugin, input, output, options, report, error);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  options.progress = nullptr;
  if (!rendered) return Fail(error);
  const bool overFullScale = MeasureLevels(output).peak > 1.0;
  if (overFullScale && output.format != SampleFormat::Float32) output.format = SampleFormat::Float32;
  if (!WriteAudioFile(args.positional[2], output, error)) return Fail(error);

  std::cout << "plug-in: " << plugin->Text(vst2::effGetEffectName) << " (" << plugin->NumInputs() << " in, "
            << plugin->NumOutputs() << " out), " << ProcessModeName(options.mode) << ", block " << options.blockSize
            << ", " << input.sampleRate << " Hz" << (options.offline ? ", offline" : "") << '\n';
  for (std::int32_t i = 0; i < plugin->NumParams(); ++i) {
    std::cout << "  " << plugin->ParamName(i) << " = " << plugin->ParamDisplay(i);
    const std::string label = plugin->ParamLabel(i);
    if (!label.empty()) std::cout << ' ' << label;
    std::cout << '\n';
  }
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "%.3f s of audio in %.3f s", static_cast<double>(input.Frames()) / input.sampleRate,
                elapsed);
  std::cout << "frames: " << input.Frames() << " (" << seconds << "), latency " << report.latency << " removed, tail "
            << report.tailFrames << " added, " << input.NumChannels() << " -> " << report.outputChannels
            << " channels\n";
  PrintLevels("in ", input);
  PrintLevels("out", output);
  if (overFullScale) std::cout << "the output peaks above 0 dBFS: written as 32-bit float so that nothing is clipped\n";
  std::cout << "wrote " << args.positional[2] << '\n';
  return 0;
}

// ---------------------------------------------------------------- chunk

int CommandChunk(const Args& args) {
  if (args.positional.size() != 3 || (args.positional[0] != "get" && args.positional[0] != "set")) {
    return Fail("chunk needs get|set PLUGIN FILE", kExitUsage);
  }
  const bool bank = args.Has("bank");
  const std::string& file = args.positional[2];
  std::string error;
  auto plugin = OpenPlugin(args.positional[1], error);
  if (!plugin) return Fail(error);
  if (!plugin->HasFlag(vst2::effFlagsProgramChunks)) return Fail("the plug-in does not exchange state chunks");
  const char* kind = bank ? "bank" : "program";
  if (args.positional[0] == "get") {
    void* data = nullptr;
    const std::intptr_t size = plugin->Dispatch(vst2::effGetChunk, bank ? 0 : 1, 0, &data);
    if (size <= 0 || data == nullptr) return Fail(std::string("the plug-in gave no ") + kind + " chunk");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) return Fail("cannot write " + file);
    std::cout << "wrote " << size << " bytes of " << kind << " chunk to " << file << '\n';
    return 0;
  }
  if (!LoadChunkFile(*plugin, file, bank, error)) return Fail(error);
  std::cout << "the plug-in accepted the " << kind << " chunk; parameters now:\n";
  for (std::int32_t i = 0; i < plugin->NumParams(); ++i) {
    std::cout << "  " << i << ": " << plugin->ParamName(i) << " = " << plugin->ParamDisplay(i) << ' '
              << plugin->ParamLabel(i) << '\n';
  }
  return 0;
}

// ---------------------------------------------------------------- bench

int CommandBench(const Args& args) {
  if (args.positional.empty() || args.positional.size() > 2) return Fail("bench needs PLUGIN [PLUGIN2]", kExitUsage);
  double rate = 48000.0;
  std::int32_t block = 512;
  double seconds = 10.0;
  long long runs = 5;
  std::string error;
  if (!ParseRateAndBlock(args, rate, block, error)) return Fail(error, kExitUsage);
  if (const std::string* text = args.Value("seconds")) {
    if (!ParseDouble(*text, seconds) || seconds <= 0.0 || seconds > 3600.0) return Fail("--seconds must be from 0 to 3600", kExitUsage);
  }
  if (const std::string* text = args.Value("runs")) {
    if (!ParseInt(*text, runs) || runs < 1 || runs > 101) return Fail("--runs must be from 1 to 101", kExitUsage);
  }
  struct Entry {
    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<BlockBuffers> buffers;
    ProcessMode mode = ProcessMode::Replacing;
    std::vector<double> nsPerSample;
    std::int32_t channels = 1;
  };
  std::vector<Entry> entries;
  for (const std::string& path : args.positional) {
    Entry entry;
    entry.plugin = OpenPlugin(path, error);
    if (!entry.plugin) return Fail(error);
    entry.mode = entry.plugin->CanReplacing() ? ProcessMode::Replacing : ProcessMode::Double;
    if (!ModeSupported(*entry.plugin, entry.mode, error)) return Fail(path + ": " + error);
    entry.plugin->Configure(rate, block);
    entry.plugin->Dispatch(vst2::effStartProcess);
    entry.buffers = std::make_unique<BlockBuffers>(entry.plugin->NumInputs(), entry.plugin->NumOutputs(), block);
    entry.channels = std::max({entry.plugin->NumInputs(), entry.plugin->NumOutputs(), 1});
    entries.push_back(std::move(entry));
  }
  const AudioData noise = WhiteNoise(rate, seconds, 2, 4242);
  const std::size_t frames = noise.Frames();
  using Clock = std::chrono::steady_clock;
  // One warm-up run, then the measured ones; the plug-ins take turns block by block.
  for (long long run = 0; run <= runs; ++run) {
    std::vector<Clock::duration> spent(entries.size(), Clock::duration::zero());
    for (std::size_t pos = 0; pos < frames; pos += static_cast<std::size_t>(block)) {
      const auto n = static_cast<std::int32_t>(std::min<std::size_t>(static_cast<std::size_t>(block), frames - pos));
      for (std::size_t p = 0; p < entries.size(); ++p) {
        Entry& entry = entries[p];
        for (std::size_t c = 0; c < entry.buffers->In().size(); ++c) {
          std::copy_n(noise.channels[c % 2].begin() + static_cast<std::ptrdiff_t>(pos), n, entry.buffers->In()[c].begin());
        }
        const auto t0 = Clock::now();
        entry.buffers->Run(*entry.plugin, entry.mode, n);
        spent[p] += Clock::now() - t0;
      }
    }
    if (run == 0) continue;
    for (std::size_t p = 0; p < entries.size(); ++p) {
      const double ns = std::chrono::duration<double, std::nano>(spent[p]).count();
      entries[p].nsPerSample.push_back(ns / (static_cast<double>(frames) * entries[p].channels));
    }
  }
  std::vector<double> medians;
  for (std::size_t p = 0; p < entries.size(); ++p) {
    Entry& entry = entries[p];
    entry.plugin->Dispatch(vst2::effStopProcess);
    std::vector<double> sorted = entry.nsPerSample;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    medians.push_back(median);
    const double realTime = 1e9 / (median * entry.channels * rate);
    char line[256];
    std::snprintf(line, sizeof line, "%s: %.2f ns per sample per channel, real-time factor %.1f (%d channels, median of %lld runs)",
                  args.positional[p].c_str(), median, realTime, entry.channels, runs);
    std::cout << line << '\n';
  }
  char setup[128];
  std::snprintf(setup, sizeof setup, "%.1f s of noise at %.0f Hz in blocks of %d per run", seconds, rate, block);
  std::cout << setup << '\n';
  if (medians.size() == 2) {
    char ratio[128];
    std::snprintf(ratio, sizeof ratio, "ratio (second / first): %.3f", medians[1] / medians[0]);
    std::cout << ratio << '\n';
  }
  return 0;
}

// ---------------------------------------------------------------- validate

int CommandValidate(const Args& args) {
  if (args.positional.size() != 1) return Fail("validate needs exactly one PLUGIN", kExitUsage);
  ValidateOptions options;
  options.path = args.positional[0];
  if (const std::string* text = args.Value("strictness")) {
    long long n = 0;
    if (!ParseInt(*text, n) || n < 1 || n > 10) return Fail("--strictness must be from 1 to 10", kExitUsage);
    options.strictness = static_cast<int>(n);
  }
  if (const std::string* text = args.Value("seed")) {
    long long n = 0;
    if (!ParseInt(*text, n) || n < 0 || n > 0xFFFFFFFFLL) return Fail("--seed must be a whole number from 0 to 4294967295", kExitUsage);
    options.seed = static_cast<std::uint32_t>(n);
  }
  std::cout << "validating " << options.path << " at strictness " << options.strictness << '\n';
  const ValidateResult result = Validate(options, std::cout);
  std::cout << result.Passed() << " passed, " << result.Failed() << " failed\n";
  if (!result.loaded) std::cerr << "ombrisk-host: " << result.loadError << '\n';
  return result.Failed() == 0 ? 0 : kExitFailure;
}

// ---------------------------------------------------------------- synth and curve

int CommandSynth(const Args& args) {
  if (args.positional.size() != 1) return Fail("synth needs OUT", kExitUsage);
  double rate = 44100.0;
  std::int32_t block = 0;
  double seconds = 9.0;
  std::string error;
  if (!ParseRateAndBlock(args, rate, block, error)) return Fail(error, kExitUsage);
  if (const std::string* text = args.Value("seconds")) {
    if (!ParseDouble(*text, seconds) || seconds < 0.1 || seconds > 600.0) return Fail("--seconds must be from 0.1 to 600", kExitUsage);
  }
  const AudioData audio = SynthesiseTestProgram(rate, seconds);
  if (!WriteAudioFile(args.positional[0], audio, error)) return Fail(error);
  PrintLevels("test program", audio);
  std::cout << "wrote " << args.positional[0] << '\n';
  return 0;
}

int CommandCurve(const Args& args) {
  if (args.positional.size() != 2) return Fail("curve needs PLUGIN OUT.txt", kExitUsage);
  double rate = 44100.0;
  std::int32_t block = 512;
  double peakDb = 6.0;
  std::string error;
  if (!ParseRateAndBlock(args, rate, block, error)) return Fail(error, kExitUsage);
  if (const std::string* text = args.Value("peak")) {
    if (!ParseDouble(*text, peakDb) || peakDb < -60.0 || peakDb > 24.0) return Fail("--peak must be from -60 to 24 dBFS", kExitUsage);
  }
  auto plugin = OpenPlugin(args.positional[0], error);
  if (!plugin) return Fail(error);
  if (!ApplyParameters(*plugin, args, error)) return Fail(error);
  const AudioData input = RisingSine(rate, 1.0, std::pow(10.0, peakDb / 20.0), 2);
  AudioData output;
  RenderReport report;
  RenderOptions options;
  options.blockSize = block;
  options.mode = plugin->CanReplacing() ? ProcessMode::Replacing : ProcessMode::Double;
  options.includeTail = false;
  if (!Render(*plugin, input, output, options, report, error)) return Fail(error);
  std::ofstream out(args.positional[1], std::ios::trunc);
  if (!out) return Fail("cannot create " + args.positional[1]);
  out << "# input output (first channel, one point in four)\n";
  char line[64];
  for (std::size_t i = 0; i < input.Frames(); i += 4) {
    std::snprintf(line, sizeof line, "%.6f %.6f\n", static_cast<double>(input.channels[0][i]),
                  static_cast<double>(output.channels[0][i]));
    out << line;
  }
  out.close();
  if (!out) return Fail("cannot write " + args.positional[1]);
  std::cout << "wrote " << args.positional[1] << '\n';
  return 0;
}

// Text columns (time, then one per channel) for plotting tools.
int CommandDump(const Args& args) {
  if (args.positional.size() != 2) return Fail("dump needs AUDIO OUT.txt", kExitUsage);
  double from = 0.0;
  double to = 1e9;
  if (const std::string* text = args.Value("from")) {
    if (!ParseDouble(*text, from) || from < 0.0) return Fail("--from must be a time in seconds, 0 or more", kExitUsage);
  }
  if (const std::string* text = args.Value("to")) {
    if (!ParseDouble(*text, to) || to <= from) return Fail("--to must be a time in seconds after --from", kExitUsage);
  }
  AudioData audio;
  std::string error;
  if (!ReadAudioFile(args.positional[0], audio, error)) return Fail(error);
  std::ofstream out(args.positional[1], std::ios::trunc);
  if (!out) return Fail("cannot create " + args.positional[1]);
  const auto first = static_cast<std::size_t>(std::min(from * audio.sampleRate, static_cast<double>(audio.Frames())));
  const auto last = static_cast<std::size_t>(std::min(to * audio.sampleRate, static_cast<double>(audio.Frames())));
  char number[32];
  for (std::size_t i = first; i < last; ++i) {
    std::snprintf(number, sizeof number, "%.6f", static_cast<double>(i) / audio.sampleRate);
    out << number;
    for (const auto& channel : audio.channels) {
      std::snprintf(number, sizeof number, " %.6f", static_cast<double>(channel[i]));
      out << number;
    }
    out << '\n';
  }
  out.close();
  if (!out) return Fail("cannot write " + args.positional[1]);
  return 0;
}

// ---------------------------------------------------------------- edit

int CommandEdit(const Args& args) {
  EditOptions options;
  std::string error;
  if (!ParseEditOptions(args, options, error)) return Fail(error, kExitUsage);
  PrepareEditWindows();
  std::vector<std::unique_ptr<PluginInstance>> plugins;
  std::vector<PluginInstance*> shown;
  for (int i = 0; i < options.instances; ++i) {
    auto plugin = OpenPlugin(args.positional[0], error);
    if (!plugin) return Fail(error);
    if (!plugin->HasFlag(vst2::effFlagsHasEditor)) return Fail(args.positional[0] + " has no editor");
    // A plain host: rate, block size and resumed, though no audio runs.
    plugin->Configure(44100.0, 512);
    shown.push_back(plugin.get());
    plugins.push_back(std::move(plugin));
  }
  if (!RunEditWindows(shown, options, std::cout, error)) return Fail(error);
  return 0;
}

// The subcommands: names, options, usage lines and handlers in one table;
// the usage text and the list in the unknown-command error come from it.
struct Subcommand {
  const char* name;
  std::set<std::string> withValue;
  std::set<std::string> plain;
  int (*run)(const Args&);
  const char* usage;  // the line(s) after the name
};

const std::vector<Subcommand>& Subcommands() {
  static const std::vector<Subcommand> kSubcommands = {
      {"info", {}, {"json"}, &CommandInfo, "PLUGIN [--json]"},
      {"process", {"param", "param-norm", "chunk", "rate", "block", "mode"}, {"offline", "bank"}, &CommandProcess,
       "PLUGIN IN OUT [--param NAME_OR_INDEX=TEXT]... [--param-norm NAME_OR_INDEX=0..1]...\n"
       "          [--chunk FILE [--bank]] [--rate HZ] [--block N] [--mode replacing|double|accumulating] [--offline]"},
      {"chunk", {}, {"bank"}, &CommandChunk, "get|set PLUGIN FILE [--bank]"},
      {"bench", {"seconds", "rate", "block", "runs"}, {}, &CommandBench,
       "PLUGIN [PLUGIN2] [--seconds S] [--rate HZ] [--block N] [--runs N]"},
      {"validate", {"strictness", "seed"}, {}, &CommandValidate, "PLUGIN [--strictness 1..10] [--seed N]"},
      {"synth", {"seconds", "rate"}, {}, &CommandSynth, "OUT [--seconds S] [--rate HZ]"},
      {"curve", {"param", "param-norm", "rate", "block", "peak"}, {}, &CommandCurve,
       "PLUGIN OUT.txt [--param ...]... [--param-norm ...]... [--rate HZ] [--peak DBFS]"},
      {"dump", {"from", "to"}, {}, &CommandDump, "AUDIO OUT.txt [--from SECONDS] [--to SECONDS]"},
      {"preset", {"param", "param-norm", "name", "form"}, {}, &CommandPreset,
       "save PLUGIN OUT.fxp [--param NAME_OR_INDEX=TEXT]... [--param-norm NAME_OR_INDEX=0..1]...\n"
       "          [--name NAME] [--form params|chunk]   writes a VST2 preset file of those settings\n"
       "  preset load PLUGIN IN.fxp   loads a preset file into the plug-in and prints the values"},
      {"manual-table", {"notes"}, {}, &CommandManualTable,
       "PLUGIN --notes FILE   the parameter table of the user's manual, in Markdown; FILE holds\n"
       "          one \"Name: what it does\" line per parameter"},
      {"edit", {"screenshot", "after-ms", "instances", "cycles"}, {"stdin"}, &CommandEdit,
       "PLUGIN [--screenshot FILE.png] [--after-ms N] [--instances N] [--cycles N] [--stdin]\n"
       "          opens the editor in a window (Linux/X11) and prints what it automates, a line each,\n"
       "          and when its first frame shows (first-frame I after-start-ms N after-open-ms M);\n"
       "          --after-ms: screenshot (if asked) and quit after N ms; --cycles: open/close N times and\n"
       "          print X window, GLX context, RSS and file counts before and after; --stdin: take\n"
       "          open|close|where [I], count, cycles N [I], screenshot FILE [I], quit lines, and\n"
       "          frames idle|expose|knob[:P] N [I]: N idle calls after nothing, an expose of the whole\n"
       "          editor or a change of parameter P (0), with the frames presented and their CPU cost"},
  };
  return kSubcommands;
}

std::string UsageText() {
  std::string text = "usage: ombrisk-host COMMAND ...\n";
  for (const Subcommand& sub : Subcommands()) text += std::string("  ") + sub.name + " " + sub.usage + "\n";
  return text;
}

// True when the words ask for help (--help or -h). A word that the option
// before it takes as its value (`--param -h`) is that value, as ParseArgs
// reads it.
bool AsksForHelp(const std::vector<std::string>& words, const std::set<std::string>& withValue) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--help" || word == "-h") return true;
    if (word.size() > 2 && word.compare(0, 2, "--") == 0 && word.find('=') == std::string::npos &&
        withValue.count(word.substr(2)) != 0)
      ++i;  // its value follows
  }
  return false;
}

std::string CommandNames() {
  std::string names;
  for (const Subcommand& sub : Subcommands()) names += (names.empty() ? "" : ", ") + std::string(sub.name);
  return names;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    (words.empty() ? std::cerr : std::cout) << UsageText();
    return words.empty() ? kExitUsage : 0;
  }
  const std::string& command = words[0];
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  for (const Subcommand& sub : Subcommands()) {
    if (command != sub.name) continue;
    if (AsksForHelp(rest, sub.withValue)) {
      std::cout << "usage: ombrisk-host " << sub.name << " " << sub.usage << "\n";
      return 0;
    }
    Args args;
    std::string error;
    if (!ParseArgs(rest, sub.withValue, sub.plain, args, error)) return Fail(command + ": " + error, kExitUsage);
    return sub.run(args);
  }
  return Fail("unknown command \"" + command + "\" (commands: " + CommandNames() + ")", kExitUsage);
}

}  // namespace ombrisk::host
