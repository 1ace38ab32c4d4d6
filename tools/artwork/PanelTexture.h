#pragma once
// The panel's surface as pixels: a dark, slightly cool metal sheet with
// soft mottling, faint horizontal brushing, fine grain and a vignette.
// Computed on the CPU (per-pixel noise) and laid under the vector details.
#include <cstdint>
#include <vector>

namespace fx::artwork {

// Opaque RGBA rows, top first; the same pixels for the same size every run.
std::vector<std::uint8_t> MakePanelTexture(int width, int height);

// A 32-bit hash of a pixel position, for grain that is the same every run.
std::uint32_t PixelHash(std::uint32_t x, std::uint32_t y);

}  // namespace fx::artwork
