#pragma once
// One entry of the renderer's save/restore stack.
#include "renderer/CompositeOperation.h"
#include "renderer/Paint.h"
#include "renderer/StrokeStyle.h"
#include "renderer/TextAlign.h"
#include "renderer/Transform.h"

namespace fx::vg {

struct RendererState {
  CompositeState composite;
  Paint fill = Paint::solid(Color::rgba(1, 1, 1, 1));    // paint transform already in user space
  Paint stroke = Paint::solid(Color::rgba(0, 0, 0, 1));
  StrokeStyle strokeStyle;
  float alpha = 1.0f;
  Transform transform;         // user space to canvas units
  Transform scissorTransform;  // scissor centre space to canvas units
  float scissorExtent[2] = {-1.0f, -1.0f};  // half size; negative: none
  int font = -1;
  float fontSize = 16.0f;
  int textAlign = AlignLeft | AlignBaseline;
};

}  // namespace fx::vg
