#pragma once
// Bounds on what one document can make the reader do, so that any input is
// read in bounded time and memory. Content past a bound is dropped and the
// rest of the document is still read; only a document larger than
// kMaxDocumentBytes is refused as a whole.

#include <cstddef>

namespace fx::igraphics::svg {

inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} << 20;
// Element nesting, the root included. Deeper elements are skipped with all
// their content.
inline constexpr int kMaxDepth = 128;
// Path commands of all shapes together (about 28 bytes each in the result).
inline constexpr std::size_t kMaxPathCommands = std::size_t{1} << 19;
inline constexpr std::size_t kMaxShapes = std::size_t{1} << 15;
inline constexpr std::size_t kMaxGradients = 4096;
inline constexpr std::size_t kMaxStopsPerGradient = 256;
// Gradient stops in all paints together: each paint carries its own copy of
// its gradient's stops, so many shapes sharing a long gradient would
// otherwise multiply it. Paints past the bound take their last stop's colour.
inline constexpr std::size_t kMaxPaintStops = std::size_t{1} << 18;
// Gradients reached through href from the one a paint names; also ends cycles.
inline constexpr int kMaxGradientLinks = 16;
// Length of a gradient id. Longer ids name nothing: no gradient takes one,
// and a url() or href with one is ignored, which keeps the paints that every
// element inherits small to copy.
inline constexpr std::size_t kMaxIdLength = 256;
// Attributes of one element; the ones after these are ignored.
inline constexpr std::size_t kMaxAttributes = 256;
// Largest magnitude of a number in the text and of a coordinate, width or
// gradient value in the result. Larger numbers are read as errors; shapes
// whose transformed outline goes past it are dropped.
inline constexpr double kMaxMagnitude = 1e30;

}  // namespace fx::igraphics::svg
