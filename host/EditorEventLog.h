// What an editor tells the host, one line each on the host's output as it
// happens, so that a script driving the editor sees its gestures:
//   automate INDEX VALUE | begin-edit INDEX | end-edit INDEX | size-window W H
// With more than one instance open each line starts with "I: ". Window size
// requests are checked here and passed on to the window that shows the editor.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "host/PluginHost.h"

namespace ombrisk::host {

class EditorEventLog final : public EditorListener {
 public:
  // `resize` makes the window that size; true when it did.
  using Resize = std::function<bool(std::int32_t width, std::int32_t height)>;

  EditorEventLog(std::ostream& out, std::string prefix, Resize resize);

  // Larger than any screen: a request beyond is refused, not passed on.
  static constexpr std::int32_t kMaxSide = 16384;

  bool SizeWindow(std::int32_t width, std::int32_t height) override;
  void Automate(std::int32_t index, float value) override;
  void BeginEdit(std::int32_t index) override;
  void EndEdit(std::int32_t index) override;

 private:
  void Line(const std::string& text);

  std::ostream& out_;
  std::string prefix_;
  Resize resize_;
};

}  // namespace ombrisk::host
