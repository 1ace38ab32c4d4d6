#pragma once
// An editor delegate with the effect's seven parameters (0..1, unstepped
// unless a test changes them) that records what the editor tells the host:
// gesture begin and end, parameter sets, window resizes and layout runs.

#include <cstdio>
#include <string>
#include <vector>

#include "core/IGEditorDelegate.h"

namespace testing_support {

class FakeEditorDelegate : public fx::IGEditorDelegate {
 public:
  FakeEditorDelegate() : fx::IGEditorDelegate(7) {
    const char* names[] = {"Input Gain", "Wet", "Tame", "React", "Bypass", "Output Gain", "Bias"};
    for (int i = 0; i < 7; ++i) GetParam(i)->InitReal(names[i], 0.0, 0.0, 1.0, 0.001, "", fx::IParam::ShapeLinear());
    SetEditorSizeLimits(100, 10000, 100, 10000);
  }

  void BeginParamGestureFromEditor(std::int32_t index) override { Log("Begin(%d)", index); }
  void EndParamGestureFromEditor(std::int32_t index) override { Log("End(%d)", index); }
  void SetParamFromEditor(std::int32_t index, double normalized) override {
    Log("Set(%d,%.6f)", index, normalized);
    fx::IGEditorDelegate::SetParamFromEditor(index, normalized);
  }
  bool ResizeFromEditor(std::int32_t width, std::int32_t height, bool needsPlatformResize) override {
    Log("Resize(%d,%d,%d)", width, height, needsPlatformResize ? 1 : 0);
    return resizeAnswer;
  }
  void RunEditorLayout(fx::IGraphicsContext* graphics) override {
    Log("Layout");
    fx::IGEditorDelegate::RunEditorLayout(graphics);
  }

  // Events whose text starts with prefix.
  std::vector<std::string> Filter(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : events)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }

  std::vector<std::string> events;
  bool resizeAnswer = true;

 private:
  template <typename... Args>
  void Log(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    events.emplace_back(text);
  }
};

}  // namespace testing_support
