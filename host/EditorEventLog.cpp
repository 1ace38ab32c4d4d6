#include "host/EditorEventLog.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace ombrisk::host {

EditorEventLog::EditorEventLog(std::ostream& out, std::string prefix, Resize resize)
    : out_(out), prefix_(std::move(prefix)), resize_(std::move(resize)) {}

void EditorEventLog::Line(const std::string& text) {
  // Flushed line by line: the reader is a script waiting for this very line.
  out_ << prefix_ << text << std::endl;
}

bool EditorEventLog::SizeWindow(std::int32_t width, std::int32_t height) {
  const bool sane = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
  const bool done = sane && resize_ && resize_(width, height);
  Line("size-window " + std::to_string(width) + " " + std::to_string(height) + (done ? "" : " refused"));
  return done;
}

void EditorEventLog::Automate(std::int32_t index, float value) {
  char text[64];
  if (std::isfinite(value))
    std::snprintf(text, sizeof text, "automate %d %.6f", static_cast<int>(index), static_cast<double>(value));
  else
    std::snprintf(text, sizeof text, "automate %d %s", static_cast<int>(index), std::isnan(value) ? "nan" : "inf");
  Line(text);
}

void EditorEventLog::BeginEdit(std::int32_t index) { Line("begin-edit " + std::to_string(index)); }

void EditorEventLog::EndEdit(std::int32_t index) { Line("end-edit " + std::to_string(index)); }

}  // namespace ombrisk::host
