#pragma once
// Text conversions the Win32 services need, without the system: the file
// dialog's filter made from a space-separated extension list. UTF-8 and
// UTF-16 convert through the framework's one conversion.

#include <string>

#include "core/Utf16Conversion.h"

namespace fx::win {

struct FileFilter {
  std::string filter;            // "*.a;*.b"
  std::string defaultExtension;  // "a"
};
FileFilter MakeFileFilter(const std::string& extensions);

}  // namespace fx::win
