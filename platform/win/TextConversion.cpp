#include "platform/win/TextConversion.h"

#include <sstream>

namespace fx::win {

FileFilter MakeFileFilter(const std::string& extensions) {
  FileFilter result;
  std::istringstream words(extensions);
  std::string ext;
  while (words >> ext) {
    if (!result.filter.empty()) result.filter += ';';
    result.filter += "*." + ext;
    if (result.defaultExtension.empty()) result.defaultExtension = ext;
  }
  return result;
}

}  // namespace fx::win
