#pragma once
// Text conversions the Win32 services need, without the system: UTF-8 to
// UTF-16 and back (invalid sequences become U+FFFD), and the file dialog's
// filter made from a space-separated extension list.

#include <string>

namespace fx::win {

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

struct FileFilter {
  std::string filter;            // "*.a;*.b"
  std::string defaultExtension;  // "a"
};
FileFilter MakeFileFilter(const std::string& extensions);

}  // namespace fx::win
