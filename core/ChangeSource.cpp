#include "core/ChangeSource.h"

namespace fx {

const char* ChangeSourceText(ChangeSource source) {
  switch (source) {
    case ChangeSource::Reset: return "Reset";
    case ChangeSource::Host: return "Host";
    case ChangeSource::Preset: return "Preset";
    case ChangeSource::UI: return "UI";
    case ChangeSource::Delegate: return "Editor Delegate";
    case ChangeSource::Recompile: return "Recompile";
    case ChangeSource::Unknown: break;
  }
  return "Unknown";
}

}  // namespace fx
