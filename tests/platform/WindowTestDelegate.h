#pragma once
// The editor delegate the window tests open their editors for: two
// parameters, and a record of gestures (begin i, end -1 - i), resize
// requests (always refused, so the window grows its parent), layouts and
// opens.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "core/IGEditorDelegate.h"

namespace fx::test {

class WindowTestDelegate : public fx::IGEditorDelegate {
 public:
  WindowTestDelegate() : fx::IGEditorDelegate(2) {
    GetParam(0)->InitReal("Gain", 0.0, -12.0, 12.0, 0.01, "dB", fx::IParam::ShapeLinear());
    GetParam(1)->InitReal("Mix", 50.0, 0.0, 100.0, 0.1, "%", fx::IParam::ShapeLinear());
  }
  void BeginParamGestureFromEditor(std::int32_t i) override { gestures.push_back(i); }
  void EndParamGestureFromEditor(std::int32_t i) override { gestures.push_back(-1 - i); }
  void OnEditorOpened() override {
    ++opened;
    fx::IGEditorDelegate::OnEditorOpened();
  }
  void RunEditorLayout(fx::IGraphicsContext* g) override {
    ++layouts;
    fx::IGEditorDelegate::RunEditorLayout(g);
  }
  bool ResizeFromEditor(std::int32_t w, std::int32_t h, bool) override {
    resizes.push_back({w, h});
    return false;
  }
  // Begin and end alternate per parameter and every begin has its end.
  bool Balanced() const {
    std::map<std::int32_t, int> open;
    for (std::int32_t g : gestures) {
      int& n = open[g >= 0 ? g : -1 - g];
      n += g >= 0 ? 1 : -1;
      if (n < 0 || n > 1) return false;
    }
    for (const auto& [param, n] : open)
      if (n != 0) return false;
    return true;
  }
  std::vector<std::int32_t> gestures;
  std::vector<std::pair<std::int32_t, std::int32_t>> resizes;
  int opened = 0;
  int layouts = 0;
};

}  // namespace fx::test
