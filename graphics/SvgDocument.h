#pragma once
// An SVG document as the SVG cache holds it: its name and its source bytes.
// Parsing it into paths is the drawing side's business; the cache only
// guarantees each document is read once and shared.

#include <cstdint>
#include <string>
#include <vector>

namespace fx::igraphics {

class SvgDocument {
 public:
  SvgDocument(std::string name, std::vector<std::uint8_t> source)
      : name_(std::move(name)), source_(std::move(source)) {}

  const std::string& GetName() const { return name_; }
  const std::vector<std::uint8_t>& GetSource() const { return source_; }

 private:
  std::string name_;
  std::vector<std::uint8_t> source_;
};

}  // namespace fx::igraphics
