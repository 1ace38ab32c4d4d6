#pragma once
// A picture of the whole editor page put together from the artwork files the
// way the editor stacks them, for looking at the artwork in place: knobs
// turned to `knobValue`, switches and lamp at `switchValue` (0 or 1).
#include <string>

#include "renderer/Renderer.h"
#include "tools/artwork/ArtworkCanvas.h"

namespace fx::artwork {

// False when an artwork file is missing or cannot be decoded.
bool DrawPagePreview(vg::Renderer& r, const std::string& resourceDir, float knobValue, int switchValue,
                     Picture& out);

}  // namespace fx::artwork
