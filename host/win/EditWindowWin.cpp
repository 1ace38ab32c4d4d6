// No editor windows in the Windows build of the command-line host: editors
// there are tested with their own test host.
#include "host/EditWindow.h"

namespace ombrisk::host {

void PrepareEditWindows() {}

bool RunEditWindows(const std::vector<PluginInstance*>&, const EditOptions&, std::ostream&, std::string& error) {
  error = "edit is not available in the Windows build of ombrisk-host (Linux/X11 only)";
  return false;
}

}  // namespace ombrisk::host
