// `ombrisk-host preset save|load`: VST2 preset files (.fxp) written from a
// plug-in's settings and read back into it.
#pragma once

#include "host/Args.h"

namespace ombrisk::host {

// save PLUGIN OUT.fxp [--param ...]... [--param-norm ...]... [--name NAME] [--form params|chunk]
// load PLUGIN IN.fxp
// Exit code 0, 1 on a failure (with one line on stderr), 2 on a usage error.
int CommandPreset(const Args& args);

}  // namespace ombrisk::host
