#pragma once
// An SVG document as the SVG cache holds it: its name and the document read
// from its bytes once, at load. The cache only ever holds documents that
// were read; one that could not be read is not kept (see IGraphics::LoadSvg).

#include <string>

#include "graphics/svg/SvgImage.h"

namespace fx::igraphics {

class SvgDocument {
 public:
  SvgDocument(std::string name, svg::SvgImage image) : name_(std::move(name)), image_(std::move(image)) {}

  const std::string& GetName() const { return name_; }
  const svg::SvgImage& GetImage() const { return image_; }

 private:
  std::string name_;
  svg::SvgImage image_;
};

}  // namespace fx::igraphics
