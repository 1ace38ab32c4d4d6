// The subcommands of ombrisk-host.
#pragma once

#include <string>
#include <vector>

namespace ombrisk::host {

// Runs one command line (without the program name); returns the exit code.
int RunCommandLine(const std::vector<std::string>& words);

}  // namespace ombrisk::host
