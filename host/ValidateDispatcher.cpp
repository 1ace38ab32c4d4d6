// Validation of the effect record, texts, parameters, dispatcher robustness,
// programs, events and the calls the plug-in makes to its host.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "host/Platform.h"
#include "host/ValidateSuite.h"

namespace ombrisk::host::validate {
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
  const int rounds = 2 * Strictness();
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
static Reason BoundedText(PluginInstance& plugin, std::int32_t opcode, std::int32_t index, const std::string& what) {
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
  if (Strictness() >= kStrictBadParameterValues) {
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
static Reason Probe(const std::string& what, const std::function<void()>& call) {
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
    if (Strictness() >= kStrictDefensiveNulls) {
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
    if (Strictness() >= kStrictBadParameterIndexes) {
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
    for (std::int32_t op = 80; op < 80 + 10 * Strictness(); ++op) {
      int nonZero = 0;
      std::string happened;
      if (!RunIsolated([&] { return main_->Dispatch(op, 0, 0, scratch.data()) != 0 ? 1 : 0; }, nonZero, happened))
        return "opcode " + std::to_string(op) + " " + happened;
      if (nonZero != 0) return "opcode " + std::to_string(op) + " answered non-zero";
    }
    return {};
  });
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

}  // namespace ombrisk::host::validate
