#include "TraceCapture.h"

#include "core/Trace.h"

namespace testing_support {

TraceCapture::TraceCapture() {
  fx::SetTraceSink(
      [](void* context, const char* name, int line, const char* format, const char* text) {
        static_cast<TraceCapture*>(context)->records_.push_back({name, line, format, text});
      },
      this);
}

TraceCapture::~TraceCapture() { fx::SetTraceSink(nullptr, nullptr); }

std::vector<std::string> TraceCapture::TextsOf(const std::string& name) const {
  std::vector<std::string> texts;
  for (const TraceRecord& r : records_)
    if (r.name == name) texts.push_back(r.text);
  return texts;
}

}  // namespace testing_support
