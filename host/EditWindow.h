// The host's own top-level windows that show plug-in editors: sized by
// effEditGetRect, handed to effEditOpen as the parent, idled from the host's
// loop, resized when the editor asks. One implementation per platform (X11
// on Linux); where there is none, RunEditWindows answers an error.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/EditOptions.h"
#include "host/PluginHost.h"

namespace ombrisk::host {

// Before any plug-in is loaded: plug-ins may use the window system from
// threads of their own, which it must know before its first use.
void PrepareEditWindows();

// Opens an editor for each plug-in (all of them have one) and runs until the
// windows are closed, the options' time is up or --stdin says quit. Reports
// go to `out` a line each; false and a one-line reason on failure.
bool RunEditWindows(const std::vector<PluginInstance*>& plugins, const EditOptions& options, std::ostream& out,
                    std::string& error);

}  // namespace ombrisk::host
