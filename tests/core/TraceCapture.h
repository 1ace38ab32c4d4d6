#pragma once
// Installs a trace sink for the lifetime of the object and keeps every line.

#include <string>
#include <vector>

namespace testing_support {

struct TraceRecord {
  std::string name;
  int line;
  std::string format;
  std::string text;
};

class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  const std::vector<TraceRecord>& Records() const { return records_; }
  // Texts of the records with this qualified name, in order.
  std::vector<std::string> TextsOf(const std::string& name) const;

 private:
  std::vector<TraceRecord> records_;
};

}  // namespace testing_support
