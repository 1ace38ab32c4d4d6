#pragma once
// A graphics context that records what the delegate asks of it.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/IGraphicsContext.h"

namespace testing_support {

class FakeGraphicsContext : public fx::IGraphicsContext {
 public:
  struct Control {
    std::int32_t tag = -1;
    std::vector<std::int32_t> params;  // parameter per value slot, -1 unbound
    bool wantsMidi = false;
  };
  struct Applied {
    std::int32_t control;
    double value;
    std::int32_t valueIndex;
    bool operator==(const Applied& o) const {
      return control == o.control && value == o.value && valueIndex == o.valueIndex;
    }
  };
  struct Resize {
    std::int32_t width, height;
    float scale;
  };

  FakeGraphicsContext(std::int32_t width, std::int32_t height, float scale, int* liveCount = nullptr)
      : width_(width), height_(height), scale_(scale), liveCount_(liveCount) {
    if (liveCount_) ++*liveCount_;
  }
  ~FakeGraphicsContext() override {
    if (liveCount_) --*liveCount_;
  }

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  float GetDrawScale() const override { return scale_; }
  void ResizeEditor(std::int32_t width, std::int32_t height, float scale) override {
    resizes.push_back({width, height, scale});
    width_ = width;
    height_ = height;
    scale_ = scale;
  }
  void ApplyScreenScale(float scale) override { screenScales.push_back(scale); }
  void* OpenWindow(void* parent) override {
    openParents.push_back(parent);
    return &window;
  }
  void CloseWindow() override { ++closeCount; }
  std::shared_ptr<void> RetainWindowSystem() override { return windowSystem; }
  void ReleaseInput() override {
    if (releasesBeforeClose && closeCount == 0) ++*releasesBeforeClose;
  }
  std::int32_t NControls() const override { return static_cast<std::int32_t>(controls.size()); }
  std::int32_t NControlValues(std::int32_t c) const override {
    return static_cast<std::int32_t>(controls[static_cast<std::size_t>(c)].params.size());
  }
  std::int32_t GetControlParamIdx(std::int32_t c, std::int32_t j) const override {
    return controls[static_cast<std::size_t>(c)].params[static_cast<std::size_t>(j)];
  }
  void ApplyHostValue(std::int32_t c, double normalized, std::int32_t j) override {
    applied.push_back({c, normalized, j});
  }
  std::int32_t FindControlWithTag(std::int32_t tag) const override {
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (controls[i].tag == tag) return static_cast<std::int32_t>(i);
    return -1;
  }
  void SendControlMessage(std::int32_t c, std::int32_t messageTag, std::int32_t size, const void*) override {
    messages.push_back({c, messageTag, size});
  }
  bool ControlWantsMidi(std::int32_t c) const override { return controls[static_cast<std::size_t>(c)].wantsMidi; }
  void SendMidiToControl(std::int32_t c, const fx::MidiMessage& m) override { midi.push_back({c, m.status}); }
  void GetMouseLocation(float& x, float& y) const override {
    x = mouseX;
    y = mouseY;
  }
  bool OnKeyDown(float x, float y, const fx::IKeyPress& key) override { return Key("down", x, y, key); }
  bool OnKeyUp(float x, float y, const fx::IKeyPress& key) override { return Key("up", x, y, key); }

  std::vector<Control> controls;
  std::vector<Applied> applied;
  std::vector<Resize> resizes;
  std::vector<float> screenScales;
  std::vector<void*> openParents;
  std::vector<std::vector<std::int32_t>> messages;  // control, message tag, size
  std::vector<std::pair<std::int32_t, std::uint8_t>> midi;
  std::vector<std::string> keys;
  int closeCount = 0;
  std::shared_ptr<void> windowSystem;  // what RetainWindowSystem hands out
  int* releasesBeforeClose = nullptr;  // counts ReleaseInput calls before CloseWindow
  float mouseX = 0.0f, mouseY = 0.0f;
  std::int32_t handledKey = -1;
  char window = 0;

 private:
  bool Key(const char* what, float x, float y, const fx::IKeyPress& key) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %.2f %.2f %s", what, static_cast<double>(x), static_cast<double>(y), key.utf8);
    keys.emplace_back(text);
    return key.vk == handledKey;
  }

  std::int32_t width_, height_;
  float scale_;
  int* liveCount_;
};

}  // namespace testing_support
