// ombrisk-editor-render: draws the Ombrisk editor page off-screen and writes
// it to a PNG file.
//
//   ombrisk-editor-render OUT.png [--scale S] [--param INDEX=VALUE]... [--hover INDEX]
//
// S is the editor's draw scale (0.25 to 1.0; 0.5 is the size the editor
// opens at). VALUE is a normalised parameter value 0..1; INDEX is the
// parameter's number (0 Input Gain, 1 Wet, 2 Tame, 3 React, 4 Bypass,
// 5 Output Gain, 6 Bias) or its name. --hover rests the pointer on that
// parameter's control, so the picture shows its value readout.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EditorPage.h"
#include "effect/Ombrisk.h"
#include "platform/OffscreenGlContext.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: ombrisk-editor-render OUT.png [--scale S] [--param INDEX=VALUE]... [--hover INDEX]\n");
  return 2;
}

bool ParseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

// A parameter by number or name; -1, with a message, when there is none.
std::int32_t FindParameter(ombrisk::page::EditorPage& page, const std::string& name) {
  std::int32_t index = -1;
  double number = 0;
  if (ParseNumber(name.c_str(), number)) {
    if (number >= 0 && number < page.Plugin().NParams()) index = static_cast<std::int32_t>(number);
  } else {
    for (std::int32_t p = 0; p < page.Plugin().NParams(); ++p)
      if (name == page.Plugin().GetParam(p)->GetName()) index = p;
  }
  if (!page.Plugin().GetParam(index)) {
    std::fprintf(stderr, "ombrisk-editor-render: no parameter %s\n", name.c_str());
    return -1;
  }
  return index;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string out;
  ombrisk::page::EditorPage::Options options;
  std::vector<std::pair<std::string, double>> params;
  std::string hover;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--scale" && i + 1 < argc) {
      double s = 0;
      if (!ParseNumber(argv[++i], s) || !(s > 0)) return Usage();
      options.scale = static_cast<float>(s);
    } else if (arg == "--param" && i + 1 < argc) {
      const std::string setting = argv[++i];
      const auto eq = setting.find('=');
      double v = 0;
      if (eq == std::string::npos || !ParseNumber(setting.c_str() + eq + 1, v)) return Usage();
      params.emplace_back(setting.substr(0, eq), v);
    } else if (arg == "--hover" && i + 1 < argc && hover.empty()) {
      hover = argv[++i];
      if (hover.empty()) return Usage();
    } else if (!arg.empty() && arg[0] != '-' && out.empty()) {
      out = arg;
    } else {
      return Usage();
    }
  }
  if (out.empty()) return Usage();

  auto gl = fx::platform::OffscreenGlContext::create();
  if (!gl) {
    std::fprintf(stderr, "ombrisk-editor-render: no OpenGL context: %s\n",
                 fx::platform::OffscreenGlContext::lastError().c_str());
    return 1;
  }
  auto page = ombrisk::page::EditorPage::Create({gl->loader(), gl->loaderUser()}, options);
  if (!page) {
    std::fprintf(stderr, "ombrisk-editor-render: the page cannot be drawn on this OpenGL context\n");
    return 1;
  }
  for (const auto& [name, value] : params) {
    const std::int32_t index = FindParameter(*page, name);
    if (index < 0) return 2;
    page->SetParameter(index, value);
  }
  if (!hover.empty()) {
    const std::int32_t index = FindParameter(*page, hover);
    if (index < 0) return 2;
    if (!page->HoverParameter(index)) {
      std::fprintf(stderr, "ombrisk-editor-render: no control of %s can be reached\n", hover.c_str());
      return 1;
    }
  }
  page->RunFrame();
  const fx::igraphics::PageImage image = page->ReadPage();
  if (!ombrisk::page::WritePng(out, image)) {
    std::fprintf(stderr, "ombrisk-editor-render: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("%s: %d x %d pixels (scale %.2f, %s)\n", out.c_str(), image.width, image.height,
              static_cast<double>(page->Graphics().GetDrawScale()), gl->description().c_str());
  return 0;
}
