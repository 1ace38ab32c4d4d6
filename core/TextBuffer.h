#pragma once
// A growable NUL-terminated text. Set() takes a maximum number of characters
// and cuts longer input, so every text handed on to a host is bounded.

#include <cstddef>
#include <string>
#include <string_view>

namespace fx {

class TextBuffer {
 public:
  TextBuffer() = default;
  explicit TextBuffer(std::string_view text) : text_(text) {}

  void Set(std::string_view text, std::size_t maxChars = std::string::npos) {
    text_.assign(text.substr(0, maxChars));
  }
#if defined(__GNUC__)
  __attribute__((format(printf, 3, 4)))
#endif
  void SetFormatted(std::size_t maxChars, const char* format, ...);

  void Clear() { text_.clear(); }
  const char* Get() const { return text_.c_str(); }
  std::string_view View() const { return text_; }
  std::size_t GetLength() const { return text_.size(); }
  bool Empty() const { return text_.empty(); }

  // Copies into a fixed buffer of `capacity` bytes, terminator included.
  // Returns the number of characters written (without the terminator).
  std::size_t CopyTo(char* dest, std::size_t capacity) const;

 private:
  std::string text_;
};

// Bounded copy of a C text into a fixed buffer, terminator included; a null
// source copies the empty text. Returns the characters written.
std::size_t CopyBounded(char* dest, std::size_t capacity, const char* source);

}  // namespace fx
