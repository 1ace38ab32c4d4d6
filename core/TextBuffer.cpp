#include "core/TextBuffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace fx {

void TextBuffer::SetFormatted(std::size_t maxChars, const char* format, ...) {
  char local[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(local, sizeof local, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(copy);
    text_.clear();
    return;
  }
  if (static_cast<std::size_t>(needed) < sizeof local) {
    text_.assign(local, static_cast<std::size_t>(needed));
  } else {
    text_.resize(static_cast<std::size_t>(needed));
    std::vsnprintf(text_.data(), text_.size() + 1, format, copy);
  }
  va_end(copy);
  if (text_.size() > maxChars) text_.resize(maxChars);
}

std::size_t TextBuffer::CopyTo(char* dest, std::size_t capacity) const {
  return CopyBounded(dest, capacity, text_.c_str());
}

std::size_t CopyBounded(char* dest, std::size_t capacity, const char* source) {
  if (!dest || capacity == 0) return 0;
  std::size_t n = 0;
  if (source) {
    while (n + 1 < capacity && source[n] != '\0') {
      dest[n] = source[n];
      ++n;
    }
  }
  dest[n] = '\0';
  return n;
}

}  // namespace fx
