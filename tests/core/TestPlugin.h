#pragma once
// A plug-in object over the host-facing base with the effect's seven
// parameters, recording the notifications and host-facing calls it gets.

#include <cstdint>
#include <string>
#include <vector>

#include "core/IFxAPIBase.h"

namespace testing_support {

inline fx::IFxConfig TestConfig(std::int32_t nParams = 7, std::int32_t nPresets = 1, bool hasEditor = true) {
  fx::IFxConfig c;
  c.nParams = nParams;
  c.nPresets = nPresets;
  c.channelIOString = "1-1 2-2";
  c.pluginName = "Ombrisk";
  c.productName = "Ombrisk";
  c.makerName = "Halvorant";
  c.version = 0x00010000;
  c.uniqueId = 0x756A7061;
  c.makerId = 0x484C5654;
  c.hasEditor = hasEditor;
  c.editorWidth = 1630;
  c.editorHeight = 1010;
  c.minWidth = 3260;  // given in the wrong order on purpose
  c.maxWidth = 815;
  c.minHeight = 505;
  c.maxHeight = 2020;
  c.hostResize = true;
  return c;
}

class TestPlugin : public fx::IFxAPIBase {
 public:
  explicit TestPlugin(const fx::IFxConfig& config = TestConfig()) : fx::IFxAPIBase(config) {
    // The effect's parameters: name, default, max, step, label.
    struct P {
      const char* name;
      double def, max, step;
      const char* label;
    };
    static const P kParams[] = {{"Input Gain", 32.0, 200.0, 0.01, "%"}, {"Wet", 87.0, 100.0, 0.01, "%"},
                                {"Tame", 0.5, 1.0, 0.001, ""},         {"React", 1.0, 1.0, 1.0, ""},
                                {"Bypass", 0.0, 1.0, 1.0, ""},         {"Output Gain", 100.0, 200.0, 0.01, "%"},
                                {"Bias", 0.5, 1.0, 0.001, ""}};
    for (std::int32_t i = 0; i < NParams() && i < 7; ++i) {
      const P& p = kParams[i];
      GetParam(i)->InitReal(p.name, p.def, 0.0, p.max, p.step, p.label, fx::IParam::ShapeLinear());
    }
  }

  void OnParamChanged(std::int32_t index) override { log.push_back("changed " + std::to_string(index)); }
  void OnParamChangeInEditor(std::int32_t index, fx::ChangeSource source) override {
    log.push_back("inEditor " + std::to_string(index) + " " + fx::ChangeSourceText(source));
  }
  void OnEditorClosed() override {
    log.push_back("closed");
    if (closeFromInsideClose) CloseEditor();
  }
  bool OnEditorMessage(std::int32_t messageTag, std::int32_t controlTag, std::int32_t size, const void*) override {
    log.push_back("message " + std::to_string(messageTag) + " " + std::to_string(controlTag) + " " +
                  std::to_string(size));
    return true;
  }
  void OnMidiForEditor(const fx::MidiMessage& m) override { log.push_back("midi " + std::to_string(m.status)); }
  void OnSysExForEditor(const fx::SysExMessage& m) override {
    log.push_back("sysex " + std::to_string(m.size) + " " + std::to_string(m.size > 0 ? m.data[0] : 0));
  }
  void OnPresetsChanged() override { log.push_back("presetsChanged"); }
  void OnIdleTick() override { log.push_back("idle"); }
  bool ResizeEditorWindow(std::int32_t w, std::int32_t h) override {
    log.push_back("resizeWindow " + std::to_string(w) + "x" + std::to_string(h));
    return w > 0;
  }
  void BeginParamGesture(std::int32_t index) override { log.push_back("begin " + std::to_string(index)); }
  void EndParamGesture(std::int32_t index) override { log.push_back("end " + std::to_string(index)); }
  void SendParamValueToHost(std::int32_t index, double normalized) override {
    log.push_back("toHost " + std::to_string(index) + " " + std::to_string(normalized));
  }

  // Entries of the log that start with prefix.
  std::vector<std::string> LogOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& s : log)
      if (s.compare(0, prefix.size(), prefix) == 0) out.push_back(s);
    return out;
  }

  std::vector<std::string> log;
  bool closeFromInsideClose = false;
};

}  // namespace testing_support
