// Draws the editor's artwork with the project's vector renderer on a
// headless GL context and writes the image files the plug-in embeds:
//   ombrisk_artwork OUTPUT_DIR FONT.ttf
// FONT is Roboto Regular (Debian's fonts-roboto-unhinted). To look at the
// result in place, as the editor stacks it:
//   ombrisk_artwork --preview RESOURCE_DIR OUT.png KNOB_VALUE SWITCH_VALUE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/OffscreenGlContext.h"
#include "tools/artwork/Artwork.h"
#include "tools/artwork/ArtworkCanvas.h"
#include "tools/artwork/ImageFiles.h"
#include "tools/artwork/PagePreview.h"

namespace {

using fx::artwork::ArtworkImage;
using fx::artwork::Picture;

bool Draw(fx::vg::Renderer& renderer, int width, int height, const std::function<void(fx::vg::Renderer&)>& paint,
          Picture& out) {
  auto canvas = fx::artwork::ArtworkCanvas::Create(renderer, width, height);
  if (!canvas) return false;
  canvas->Begin();
  paint(renderer);
  out = canvas->End();
  return true;
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "ombrisk_artwork: %s\n", what.c_str());
  return 1;
}

}  // namespace

int Preview(char** argv) {
  auto context = fx::platform::OffscreenGlContext::create();
  if (!context) return Fail("no OpenGL context: " + fx::platform::OffscreenGlContext::lastError());
  auto renderer = fx::vg::Renderer::create(context->loader(), context->loaderUser());
  if (!renderer) return Fail("no renderer: " + fx::vg::Renderer::lastCreateError());
  Picture page;
  const float knob = std::strtof(argv[4], nullptr);
  const int switches = std::atoi(argv[5]) != 0 ? 1 : 0;
  if (!fx::artwork::DrawPagePreview(*renderer, argv[2], knob, switches, page)) return Fail("cannot read the artwork");
  return fx::artwork::WritePng(argv[3], page) ? 0 : Fail(std::string("cannot write ") + argv[3]);
}

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--preview") return Preview(argv);
  if (argc != 3) return Fail("usage: ombrisk_artwork OUTPUT_DIR FONT.ttf");
  const std::string outDir = argv[1];
  std::ifstream fontFile(argv[2], std::ios::binary);
  const std::vector<std::uint8_t> fontData((std::istreambuf_iterator<char>(fontFile)),
                                           std::istreambuf_iterator<char>());
  if (fontData.empty()) return Fail(std::string("cannot read ") + argv[2]);

  auto context = fx::platform::OffscreenGlContext::create();
  if (!context) return Fail("no OpenGL context: " + fx::platform::OffscreenGlContext::lastError());
  auto renderer = fx::vg::Renderer::create(context->loader(), context->loaderUser());
  if (!renderer) return Fail("no renderer: " + fx::vg::Renderer::lastCreateError());
  const int font = renderer->createFontMem("Roboto-Regular", fontData);
  if (font < 0) return Fail("the font cannot be read");

  struct Job {
    const ArtworkImage& image;
    std::function<void(fx::vg::Renderer&)> paint;
  };
  const std::vector<Job> jobs = {
      {fx::artwork::kLampImage, [font](fx::vg::Renderer& r) { fx::artwork::PaintLamp(r, font); }},
      {fx::artwork::kSlideSwitchImage, fx::artwork::PaintSlideSwitch},
      {fx::artwork::kFlipSwitchImage, fx::artwork::PaintFlipSwitch},
      {fx::artwork::kKnobImage, fx::artwork::PaintKnobBody},
      {fx::artwork::kBackgroundImage, [font](fx::vg::Renderer& r) { fx::artwork::PaintBackground(r, font); }},
      {fx::artwork::kKnobShadowImage, fx::artwork::PaintKnobShadow},
      {fx::artwork::kKnobHighlightImage, fx::artwork::PaintKnobHighlight},
      {fx::artwork::kSmallKnobImage, fx::artwork::PaintSmallKnob},
  };
  for (const Job& job : jobs) {
    Picture picture;
    if (!Draw(*renderer, job.image.width, job.image.height, job.paint, picture))
      return Fail(std::string("cannot draw ") + job.image.file);
    const std::string path = outDir + "/" + job.image.file;
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    if (!(jpeg ? fx::artwork::WriteJpeg(path, picture, 92) : fx::artwork::WritePng(path, picture)))
      return Fail("cannot write " + path);
    std::printf("%s %d x %d, %d frame(s)\n", path.c_str(), picture.width, picture.height, job.image.frames);
  }

  std::vector<Picture> icons;
  for (const int size : {16, 24, 32, 48, 64}) {
    Picture picture;
    if (!Draw(*renderer, size, size, [size](fx::vg::Renderer& r) { fx::artwork::PaintIcon(r, size); }, picture))
      return Fail("cannot draw the icon");
    icons.push_back(std::move(picture));
  }
  if (!fx::artwork::WriteIco(outDir + "/Ombrisk.ico", icons)) return Fail("cannot write the icon");
  std::printf("%s/Ombrisk.ico, %zu sizes\n", outDir.c_str(), icons.size());
  return 0;
}
