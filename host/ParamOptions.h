// The --param and --param-norm options that several commands take.
#pragma once

#include <string>

#include "host/Args.h"
#include "host/PluginHost.h"

namespace ombrisk::host {

// Applies every --param NAME_OR_INDEX=TEXT (display text, through
// effString2Parameter) and --param-norm NAME_OR_INDEX=0..1 option in the
// order given. False and a one-line reason at the first one that fails.
bool ApplyParameters(PluginInstance& plugin, const Args& args, std::string& error);

}  // namespace ombrisk::host
