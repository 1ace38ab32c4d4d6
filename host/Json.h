// A minimal JSON writer for `info --json`: commas and escaping handled here.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace ombrisk::host {

class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(const std::string& key) {
    Separate();
    Quote(key);
    text_ += ':';
    afterKey_ = true;
  }
  void Value(const std::string& value) {
    Separate();
    Quote(value);
  }
  void Value(const char* value) { Value(std::string(value)); }
  void Value(long long value) {
    Separate();
    text_ += std::to_string(value);
  }
  void Value(double value) {
    Separate();
    if (!std::isfinite(value)) {
      text_ += "null";
      return;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.9g", value);
    text_ += number;
  }
  void Value(bool value) {
    Separate();
    text_ += value ? "true" : "false";
  }
  template <typename T>
  void Field(const std::string& key, T value) {
    Key(key);
    Value(value);
  }
  const std::string& Text() const { return text_; }

 private:
  void Open(char bracket) {
    Separate();
    text_ += bracket;
    first_.push_back(true);
  }
  void Close(char bracket) {
    text_ += bracket;
    if (!first_.empty()) first_.pop_back();
  }
  void Separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_.empty()) {
      if (!first_.back()) text_ += ',';
      first_.back() = false;
    }
  }
  void Quote(const std::string& s) {
    text_ += '"';
    for (const char c : s) {
      const auto u = static_cast<unsigned char>(c);
      switch (c) {
        case '"': text_ += "\\\""; break;
        case '\\': text_ += "\\\\"; break;
        case '\n': text_ += "\\n"; break;
        case '\r': text_ += "\\r"; break;
        case '\t': text_ += "\\t"; break;
        default:
          if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            text_ += escaped;
          } else {
            text_ += c;
          }
      }
    }
    text_ += '"';
  }

  std::string text_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

}  // namespace ombrisk::host
