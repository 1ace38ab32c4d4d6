#pragma once
// An X11 layer without a server: one connection's window, GL contexts,
// cursors, sizes and clipboard are records, events are queued by the test,
// every request is counted, and failures can be switched on. The GL
// context model knows three owners: the host's context (current when the
// test starts), ours and nobody's.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/X11Api.h"

namespace fx::x11::test {

class FakeX11Api : public X11Api {
 public:
  // ---- switches and inputs
  bool failOpenDisplay = false;
  // What ShareGroupTextures answers while the display is open.
  fx::igraphics::SharedTextures* shareGroup = nullptr;
  bool failCreateWindow = false;
  bool failMakeCurrent = false;
  float screenScale = 1.0f;
  std::deque<Event> events;
  fx::igraphics::PixelSize parentSize{1000, 700};
  bool parentTakesResize = true;
  std::string clipboardOfOthers;
  // The server exposes our window as it maps it (the parent is viewable).
  bool parentViewable = false;

  // ---- what happened
  bool displayOpen = false;
  std::uint64_t window = 0, parent = 0;
  fx::igraphics::PixelSize windowSize;
  std::string current = "host";  // "host", "ours", "standin" or "none"
  std::vector<std::string> glLog;  // save, ours, standin, none, restore
  int requests = 0;                // X requests other than reading events
  int swaps = 0;
  int swapIntervalsSet = 0;
  int keysPassed = 0;
  std::string cursor = "parent";   // a shape number, "blank" or the parent's
  std::vector<std::pair<std::int32_t, std::int32_t>> warps;
  std::int32_t pointerX = 0, pointerY = 0;
  int windowsCreated = 0, windowsDestroyed = 0, displaysClosed = 0;
  bool clipboardOurs = false;
  std::string answeredWith;

  Event Button(Event::Type type, std::uint32_t button, std::int32_t x, std::int32_t y, std::uint32_t state,
               std::uint32_t time) {
    Event e;
    e.type = type;
    e.button = button;
    e.x = x;
    e.y = y;
    e.state = state;
    e.time = time;
    return e;
  }

  bool OpenDisplay() override {
    if (failOpenDisplay) return false;
    displayOpen = true;
    return true;
  }
  bool DisplayOpen() const override { return displayOpen; }
  std::uint64_t RequestsSent() const override { return static_cast<std::uint64_t>(requests); }
  float ScreenScale() override { return screenScale; }
  bool CreateWindow(std::uint64_t parentId, std::int32_t width, std::int32_t height) override {
    ++requests;
    if (failCreateWindow || !displayOpen) return false;
    parent = parentId;
    window = 0x400001 + static_cast<std::uint64_t>(windowsCreated++);
    windowSize = {width, height};
    if (parentViewable) {
      Event expose;
      expose.type = Event::Type::Exposed;
      events.push_back(expose);
    }
    return true;
  }
  std::uint64_t WindowId() const override { return window; }
  void DestroyWindow() override {
    if (current == "ours" || current == "standin") current = "none";
    if (window) ++windowsDestroyed;
    window = 0;
    parent = 0;
  }
  void CloseDisplay() override {
    if (displayOpen) ++displaysClosed;
    displayOpen = false;
  }

  fx::vg::GlProcLoader GlLoader() override {
    // No GL here: every lookup fails, so no renderer is made.
    return [](const char*, void*) -> fx::vg::GlProc { return nullptr; };
  }
  // No connection outlives the fake: nothing to keep (the real one is
  // tested on a server).
  std::shared_ptr<void> KeepConnection() override { return nullptr; }
  fx::igraphics::SharedTextures* ShareGroupTextures() override { return displayOpen ? shareGroup : nullptr; }
  void SaveCurrentContext() override {
    saved_ = current;
    glLog.push_back("save");
  }
  bool MakeCurrent() override {
    if (!window || failMakeCurrent) return false;
    current = "ours";
    glLog.push_back("ours");
    return true;
  }
  bool MakeCurrentOnStandIn() override {
    if (!displayOpen) return false;
    current = "standin";
    glLog.push_back("standin");
    return true;
  }
  void ReleaseCurrent() override {
    current = "none";
    glLog.push_back("none");
  }
  void RestoreSavedContext() override {
    current = saved_;
    glLog.push_back("restore");
  }
  void SetSwapIntervalZero() override { ++swapIntervalsSet; }
  void SwapBuffers() override {
    ++requests;
    ++swaps;
  }
  bool canCopySubBuffer = false;
  std::vector<std::vector<std::int32_t>> copies;  // x, y, width, height (GL's origin)
  bool CanCopySubBuffer() override { return canCopySubBuffer; }
  void CopySubBuffer(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override {
    ++requests;
    copies.push_back({x, y, width, height});
  }
  void Flush() override {}

  bool NextEvent(Event& event) override {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
  }
  void FocusWindow(std::uint32_t) override { ++requests; }
  void PassKeyToParent(const Event&) override {
    ++requests;
    ++keysPassed;
  }
  void DefineCursor(std::uint32_t shape) override {
    ++requests;
    cursor = std::to_string(shape);
  }
  void DefineBlankCursor() override {
    ++requests;
    cursor = "blank";
  }
  void WarpPointer(std::int32_t x, std::int32_t y) override {
    ++requests;
    warps.emplace_back(x, y);
    pointerX = x;
    pointerY = y;
  }
  bool QueryPointer(std::int32_t& x, std::int32_t& y) override {
    ++requests;
    x = pointerX;
    y = pointerY;
    return window != 0;
  }
  bool GetWindowSize(bool ofParent, fx::igraphics::PixelSize& size) override {
    ++requests;
    if (!window) return false;
    size = ofParent ? parentSize : windowSize;
    return true;
  }
  void ResizeWindow(bool ofParent, std::int32_t width, std::int32_t height) override {
    ++requests;
    if (!ofParent)
      windowSize = {width, height};
    else if (parentTakesResize)
      parentSize = {width, height};
  }
  bool TakeClipboard() override {
    ++requests;
    clipboardOurs = window != 0;
    return clipboardOurs;
  }
  bool ClipboardIsOurs() override {
    ++requests;
    return clipboardOurs;
  }
  bool ReadClipboard(std::string& text, std::int32_t) override {
    ++requests;
    text = clipboardOfOthers;
    return !text.empty();
  }
  void AnswerSelectionRequest(const Event&, const std::string& text) override {
    ++requests;
    answeredWith = text;
  }

 private:
  std::string saved_;
};

}  // namespace fx::x11::test
