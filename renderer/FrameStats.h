#pragma once
namespace fx::vg {

// What the last frame cost the GL: draw calls, state changes (every state
// setting call issued: program, buffers, attributes, blend, stencil, colour
// mask, texture bindings, uniform uploads) and vertices uploaded.
struct FrameStats {
  int drawCalls = 0;
  int stateChanges = 0;
  int vertices = 0;
};

}  // namespace fx::vg
