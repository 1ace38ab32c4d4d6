#pragma once
// An SVG document as the SVG cache holds it: its name, the document read
// from its bytes once, at load, and its shapes prepared for drawing (split
// into subpaths, windings and patterns worked out) so that drawing only
// calls path operations. The cache only ever holds documents that were
// read; one that could not be read is not kept (see IGraphics::LoadSvg).

#include <string>
#include <vector>

#include "graphics/svg/SvgDrawing.h"
#include "graphics/svg/SvgImage.h"

namespace fx::igraphics {

class SvgDocument {
 public:
  SvgDocument(std::string name, svg::SvgImage image)
      : name_(std::move(name)), image_(std::move(image)), drawShapes_(svg::PrepareShapes(image_)) {}

  const std::string& GetName() const { return name_; }
  const svg::SvgImage& GetImage() const { return image_; }
  const std::vector<svg::SvgDrawShape>& GetDrawShapes() const { return drawShapes_; }

 private:
  std::string name_;
  svg::SvgImage image_;
  std::vector<svg::SvgDrawShape> drawShapes_;
};

}  // namespace fx::igraphics
