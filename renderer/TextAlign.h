#pragma once
namespace fx::vg {

// Bits of a text alignment: one horizontal and one vertical.
enum TextAlign : int {
  AlignLeft = 1 << 0,
  AlignCenter = 1 << 1,
  AlignRight = 1 << 2,
  AlignTop = 1 << 3,
  AlignMiddle = 1 << 4,
  AlignBottom = 1 << 5,
  AlignBaseline = 1 << 6,
};

}  // namespace fx::vg
