#include "graphics/svg/SvgReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/svg/SvgBasicShapes.h"
#include "graphics/svg/SvgGradient.h"
#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/SvgNumber.h"
#include "graphics/svg/SvgPathBuilder.h"
#include "graphics/svg/SvgPathParser.h"
#include "graphics/svg/SvgStyle.h"
#include "graphics/svg/SvgTransform.h"
#include "graphics/svg/XmlTokenizer.h"

namespace fx::igraphics::svg {
namespace {

using Token = XmlTokenizer::Token;

// Elements are matched by local name, so "svg:path" is a path.
std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// One open element: what its children inherit.
struct Frame {
  std::string_view name;
  SvgStyle style;
  SvgMatrix transform;
  double opacity = 1.0;  // product of the element's and its groups' opacity
  bool draws = true;     // false inside defs, unknown elements, display:none
  int gradient = -1;     // the gradient whose stops are children here
};

// A url() paint waiting for all gradients to be read.
struct PendingPaint {
  std::size_t shape = 0;
  bool stroke = false;
  SvgPaintSpec spec;
  IArgb currentColour;
  SvgBounds bounds;
  SvgMatrix transform;
};

bool ParseViewBox(std::string_view text, SvgImage& image) {
  double v[4] = {};
  std::size_t pos = 0;
  SkipSpace(text, pos);
  for (double& d : v) {
    if (!ScanNumber(text, pos, d)) return false;
    SkipCommaSpace(text, pos);
  }
  if (pos != text.size() || !(v[2] > 0.0) || !(v[3] > 0.0)) return false;
  image.viewBoxX = static_cast<float>(v[0]);
  image.viewBoxY = static_cast<float>(v[1]);
  image.viewBoxWidth = static_cast<float>(v[2]);
  image.viewBoxHeight = static_cast<float>(v[3]);
  image.hasViewBox = true;
  return true;
}

void ParseAspectRatio(std::string_view text, SvgImage& image) {
  using Align = SvgImage::Align;
  struct Name {
    std::string_view text;
    Align align;
  };
  constexpr Name kAligns[] = {{"none", Align::None},         {"xMinYMin", Align::XMinYMin}, {"xMidYMin", Align::XMidYMin},
                              {"xMaxYMin", Align::XMaxYMin}, {"xMinYMid", Align::XMinYMid}, {"xMidYMid", Align::XMidYMid},
                              {"xMaxYMid", Align::XMaxYMid}, {"xMinYMax", Align::XMinYMax}, {"xMidYMax", Align::XMidYMax},
                              {"xMaxYMax", Align::XMaxYMax}};
  std::size_t pos = 0;
  auto word = [&]() {
    SkipSpace(text, pos);
    const std::size_t start = pos;
    while (pos < text.size() && !IsSvgSpace(text[pos])) ++pos;
    return text.substr(start, pos - start);
  };
  std::string_view w = word();
  if (w == "defer") w = word();
  for (const Name& n : kAligns) {
    if (n.text != w) continue;
    const std::string_view mode = word();
    if (!word().empty()) return;
    if (mode.empty() || mode == "meet") {
      image.meetOrSlice = SvgImage::MeetOrSlice::Meet;
    } else if (mode == "slice") {
      image.meetOrSlice = SvgImage::MeetOrSlice::Slice;
    } else {
      return;
    }
    image.align = n.align;
    return;
  }
}

class Reader {
 public:
  explicit Reader(SvgImage& image) : image_(image) {}

  bool Read(std::string_view text, std::string& error);

 private:
  bool ReadRoot(const std::vector<XmlAttribute>& attributes);
  Frame OpenElement(std::string_view name, const std::vector<XmlAttribute>& attributes, const Frame& parent);
  void AddShape(std::string_view element, const std::vector<XmlAttribute>& attributes, const Frame& frame);
  SvgPaint MakePaint(const SvgPaintSpec& spec, double opacity, const Frame& frame, bool stroke,
                     const SvgBounds& bounds);
  void ResolvePending();
  double Diagonal() const { return std::sqrt((viewportWidth_ * viewportWidth_ + viewportHeight_ * viewportHeight_) / 2.0); }

  SvgImage& image_;
  SvgGradientTable gradients_;
  std::vector<PendingPaint> pending_;
  std::size_t budget_ = kMaxPathCommands;
  std::size_t stopBudget_ = kMaxPaintStops;
  double viewportWidth_ = 0.0, viewportHeight_ = 0.0;
};

bool Reader::ReadRoot(const std::vector<XmlAttribute>& attributes) {
  const std::string_view* viewBox = FindAttribute(attributes, "viewBox");
  if (viewBox != nullptr) ParseViewBox(*viewBox, image_);
  if (const std::string_view* par = FindAttribute(attributes, "preserveAspectRatio")) ParseAspectRatio(*par, image_);
  // Percentages and missing sizes fall back to the view box.
  auto size = [&](std::string_view name, float fallback) {
    const std::string_view* text = FindAttribute(attributes, name);
    SvgLength l;
    if (text == nullptr || !ParseLength(*text, l) || l.percent || !(l.value >= 0.0) || l.value > kMaxMagnitude)
      return fallback;
    return static_cast<float>(l.value);
  };
  image_.width = size("width", image_.viewBoxWidth);
  image_.height = size("height", image_.viewBoxHeight);
  viewportWidth_ = static_cast<double>(image_.hasViewBox ? image_.viewBoxWidth : image_.width);
  viewportHeight_ = static_cast<double>(image_.hasViewBox ? image_.viewBoxHeight : image_.height);
  return true;
}

Frame Reader::OpenElement(std::string_view name, const std::vector<XmlAttribute>& attributes, const Frame& parent) {
  Frame f;
  f.name = name;
  f.style = parent.style.ForChild();
  f.transform = parent.transform;
  f.draws = parent.draws;
  const std::string_view element = LocalName(name);
  const std::string_view* style = nullptr;
  for (const XmlAttribute& a : attributes) {
    if (a.name == "style") {
      style = &a.value;
    } else if (a.name == "transform") {
      SvgMatrix m;
      if (ParseTransform(a.value, m)) f.transform = parent.transform * m;
    } else {
      f.style.Apply(a.name, a.value, Diagonal());
    }
  }
  if (style != nullptr) f.style.ApplyDeclarations(*style, Diagonal());
  f.opacity = parent.opacity * f.style.opacity;
  if (f.style.displayNone) f.draws = false;

  if (element == "g" || element == "a") return f;
  if (element == "svg") {  // nested: its position, not its own viewport
    double nx = 0.0, ny = 0.0;
    if (const std::string_view* t = FindAttribute(attributes, "x")) ParseLength(*t, viewportWidth_, nx);
    if (const std::string_view* t = FindAttribute(attributes, "y")) ParseLength(*t, viewportHeight_, ny);
    f.transform = f.transform * SvgMatrix::Translation(nx, ny);
    return f;
  }
  f.draws = false;  // no element below draws its children
  if (element == "linearGradient" || element == "radialGradient") {
    const std::string_view* id = FindAttribute(attributes, "id");
    f.gradient = gradients_.Add(id != nullptr ? *id : std::string_view{}, element == "radialGradient");
    if (f.gradient >= 0) {
      SvgGradientDef& def = gradients_.At(f.gradient);
      for (const XmlAttribute& a : attributes) def.ReadAttribute(a.name, a.value);
    }
  } else if (element == "stop") {
    if (parent.gradient >= 0) {
      IArgb c = f.style.stopColourIsCurrent ? f.style.colour : f.style.stopColour;
      c.a = static_cast<std::int32_t>(std::lround(c.a * f.style.stopOpacity));
      const std::string_view* offset = FindAttribute(attributes, "offset");
      gradients_.At(parent.gradient).AddStop(offset != nullptr ? *offset : "0", c);
    }
  } else if (parent.draws && !f.style.displayNone && f.style.visible) {
    AddShape(element, attributes, f);
  }
  return f;
}

SvgPaint Reader::MakePaint(const SvgPaintSpec& spec, double opacity, const Frame& frame, bool stroke,
                           const SvgBounds& bounds) {
  SvgPaint p;
  p.opacity = static_cast<float>(std::clamp(opacity, 0.0, 1.0));
  switch (spec.kind) {
    case SvgPaintSpec::Kind::None:
      break;
    case SvgPaintSpec::Kind::Colour:
      p.kind = SvgPaint::Kind::Colour;
      p.colour = spec.colour;
      break;
    case SvgPaintSpec::Kind::CurrentColour:
      p.kind = SvgPaint::Kind::Colour;
      p.colour = frame.style.colour;
      break;
    case SvgPaintSpec::Kind::Url:
      pending_.push_back({image_.shapes.size(), stroke, spec, frame.style.colour, bounds, frame.transform});
      break;
  }
  return p;
}

void Reader::AddShape(std::string_view element, const std::vector<XmlAttribute>& attributes, const Frame& frame) {
  if (image_.shapes.size() >= kMaxShapes) return;
  SvgShape shape;
  SvgPathBuilder builder(frame.transform, shape.path, budget_);
  if (element == "path") {
    if (const std::string_view* d = FindAttribute(attributes, "d")) ParsePathData(*d, builder);
  } else if (!BuildBasicShape(element, attributes, viewportWidth_, viewportHeight_, builder)) {
    return;  // not a shape
  }
  // Moves and closes alone paint nothing.
  const bool draws = std::any_of(shape.path.begin(), shape.path.end(), [](const SvgPathCommand& c) {
    return c.kind == SvgPathCommand::Kind::Line || c.kind == SvgPathCommand::Kind::Cubic;
  });
  if (!draws || builder.OutOfRange()) return;
  const SvgStyle& s = frame.style;
  const double strokeWidth = s.strokeWidth * std::sqrt(std::fabs(frame.transform.Determinant()));
  const bool stroked = strokeWidth > 0.0 && strokeWidth <= kMaxMagnitude;
  shape.strokeWidth = stroked ? static_cast<float>(strokeWidth) : 0.0f;
  shape.cap = s.cap;
  shape.join = s.join;
  shape.miterLimit = static_cast<float>(s.miterLimit > kMaxMagnitude ? kMaxMagnitude : s.miterLimit);
  shape.fillRule = s.fillRule;
  shape.fill = MakePaint(s.fill, s.fillOpacity * frame.opacity, frame, false, builder.Bounds());
  shape.stroke = stroked ? MakePaint(s.stroke, s.strokeOpacity * frame.opacity, frame, true, builder.Bounds()) : SvgPaint{};
  image_.shapes.push_back(std::move(shape));
}

void Reader::ResolvePending() {
  for (const PendingPaint& p : pending_) {
    SvgShape& shape = image_.shapes[p.shape];
    SvgPaint& paint = p.stroke ? shape.stroke : shape.fill;
    if (gradients_.Resolve(p.spec.url, p.bounds, p.transform, viewportWidth_, viewportHeight_, paint)) {
      if (paint.stops.size() <= stopBudget_) {
        stopBudget_ -= paint.stops.size();
      } else {
        SvgPaint solid;
        solid.kind = SvgPaint::Kind::Colour;
        solid.colour = paint.stops.back().colour;
        solid.opacity = paint.opacity;
        paint = solid;
      }
      continue;
    }
    switch (p.spec.fallback) {
      case SvgPaintSpec::Kind::Colour:
        paint.kind = SvgPaint::Kind::Colour;
        paint.colour = p.spec.fallbackColour;
        break;
      case SvgPaintSpec::Kind::CurrentColour:
        paint.kind = SvgPaint::Kind::Colour;
        paint.colour = p.currentColour;
        break;
      default:
        paint.kind = SvgPaint::Kind::None;
        break;
    }
  }
  std::erase_if(image_.shapes, [](const SvgShape& s) {
    return s.fill.kind == SvgPaint::Kind::None && s.stroke.kind == SvgPaint::Kind::None;
  });
}

bool Reader::Read(std::string_view text, std::string& error) {
  if (text.size() > kMaxDocumentBytes) {
    error = "document larger than " + std::to_string(kMaxDocumentBytes >> 20) + " MB";
    return false;
  }
  XmlTokenizer tokens(text);
  std::vector<Frame> stack;
  bool rootSeen = false;
  int skipped = 0;  // open elements below the depth bound
  for (;;) {
    const Token t = tokens.Next();
    if (t == Token::Error) {
      error = tokens.ErrorText();
      return false;
    }
    if (t == Token::End) {
      if (!rootSeen) {
        error = "no svg element";
        return false;
      }
      error = "unexpected end of text inside <" + std::string(stack.back().name) + ">";
      return false;
    }
    if (t == Token::EndElement) {
      if (skipped > 0) {
        --skipped;
        continue;
      }
      if (stack.empty()) {
        error = "end tag </" + std::string(tokens.Name()) + "> before any element";
        return false;
      }
      if (tokens.Name() != stack.back().name) {
        error = "end tag </" + std::string(tokens.Name()) + "> does not close <" + std::string(stack.back().name) + ">";
        return false;
      }
      stack.pop_back();
      if (stack.empty()) break;  // whatever follows the root is not read
      continue;
    }
    // A start tag.
    if (!rootSeen) {
      if (LocalName(tokens.Name()) != "svg") {
        error = "not an SVG document: the root element is <" + std::string(tokens.Name()) + ">";
        return false;
      }
      rootSeen = true;
      ReadRoot(tokens.Attributes());
      Frame root = OpenElement(tokens.Name(), tokens.Attributes(), Frame{});
      root.transform = SvgMatrix{};
      if (tokens.SelfClosing()) break;
      stack.push_back(std::move(root));
      continue;
    }
    if (skipped > 0 || static_cast<int>(stack.size()) >= kMaxDepth) {
      if (!tokens.SelfClosing()) ++skipped;
      continue;
    }
    Frame f = OpenElement(tokens.Name(), tokens.Attributes(), stack.back());
    if (!tokens.SelfClosing()) stack.push_back(std::move(f));
  }
  ResolvePending();
  return true;
}

}  // namespace

bool ReadSvg(std::string_view text, SvgImage& out, std::string* error) {
  SvgImage image;
  std::string reason;
  Reader reader(image);
  if (!reader.Read(text, reason)) {
    out = SvgImage{};
    if (error != nullptr) *error = reason;
    return false;
  }
  out = std::move(image);
  if (error != nullptr) error->clear();
  return true;
}

}  // namespace fx::igraphics::svg
