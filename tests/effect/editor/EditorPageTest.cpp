// The real editor page, laid out by the effect and drawn by the backend on a
// headless GL context. Expected pixels are computed here from the artwork
// files and the page geometry, never from earlier pictures of the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "GlCallCounter.h"
#include "PageTestSupport.h"
#include "effect/Ombrisk.h"
#include "effect/OmbriskEditor.h"
#include "effect/OmbriskParameters.h"
#include "graphics/controls/IBKnobControl.h"
#include "graphics/controls/IBKnobRotaterControl.h"
#include "graphics/controls/IBSwitchControl.h"
#include "graphics/controls/IBitmapBase.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IValueReadoutControl.h"

namespace ombrisk::page {
namespace {

using fx::igraphics::IBounds;
using fx::igraphics::PageImage;
using test::Colour;
using test::Image;

// The knob comparison: a pixel counts as beyond when any channel differs by
// more than kTolerance; at the right angle at most 0.5 % of the compared
// body pixels may be beyond, at an angle 20 degrees off more than 2 % must be.
// How far a drawn pixel may be from the one computed here, per channel
// (0..255): filtering and premultiplication round differently on the GPU.
constexpr float kTolerance = 6.0f;

struct Artwork {
  Image background = test::LoadArtwork("Ombriskbackground.jpg");
  Image lamp = test::LoadArtwork("ledOn.png");
  Image slide = test::LoadArtwork("LiukuAnim.png");
  Image flip = test::LoadArtwork("FlipperAnim.png");
  Image body = test::LoadArtwork("Nuppi.png");
  Image highlight = test::LoadArtwork("NuppiOverlay.png");
};

const Artwork& Art() {
  static Artwork art;
  return art;
}

class EditorPageTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::SharedGl()) GTEST_SKIP() << "no OpenGL context: " << fx::platform::OffscreenGlContext::lastError();
    ASSERT_FALSE(Art().background.Empty()) << "artwork missing in " << OMBRISK_ARTWORK_DIR;
  }

  static std::unique_ptr<EditorPage> Open(float scale) {
    EditorPage::Options options;
    options.scale = scale;
    auto page = EditorPage::Create(test::View(), options);
    if (page) page->RunFrame();
    return page;
  }
};

// The page pixel (x, y) at scale 1 as straight RGBA.
Colour PagePixel(const PageImage& page, int x, int y) {
  const std::uint8_t* p = page.At(x, y);
  return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]), static_cast<float>(p[3])};
}

float Distance(const Colour& a, const Colour& b) {
  return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b), std::fabs(a.a - b.a)});
}

// A frame of a vertical strip laid at (left, top), layer over `below`.
Colour Layer(const Image& strip, int frames, int frame, int left, int top, int x, int y, const Colour& below) {
  const int fh = strip.height / frames;
  const int u = x - left, v = y - top;
  if (u < 0 || v < 0 || u >= strip.width || v >= fh) return below;
  return test::Over(test::Premultiplied(strip.At(u, v + frame * fh)), below);
}

Colour Background(int x, int y) { return test::Premultiplied(Art().background.At(x, y)); }

struct Comparison {
  int compared = 0;
  int beyond = 0;  // pixels further than the tolerance
};

// Compares a page region at scale 1 with `expected(x, y, out)`, which may decline a pixel.
template <class F>
Comparison Compare(const PageImage& page, const IBounds& region, F expected) {
  Comparison c;
  for (int y = static_cast<int>(region.top); y < static_cast<int>(region.bottom); ++y)
    for (int x = static_cast<int>(region.left); x < static_cast<int>(region.right); ++x) {
      Colour want;
      if (!expected(x, y, want)) continue;
      ++c.compared;
      if (Distance(want, PagePixel(page, x, y)) > kTolerance) ++c.beyond;
    }
  return c;
}

TEST_F(EditorPageTest, PageIsHalfSizeAtScaleHalfAndFullSizeAtScaleOne) {
  auto half = Open(0.5f);
  ASSERT_NE(half, nullptr);
  const PageImage small = half->ReadPage();
  EXPECT_EQ(small.width, 815);
  EXPECT_EQ(small.height, 505);
  half.reset();
  auto full = Open(1.0f);
  ASSERT_NE(full, nullptr);
  const PageImage large = full->ReadPage();
  EXPECT_EQ(large.width, 1630);
  EXPECT_EQ(large.height, 1010);
  // The page is opaque: the background covers it.
  EXPECT_EQ(large.At(5, 5)[3], 255);
  EXPECT_EQ(large.At(1625, 1005)[3], 255);
}

TEST_F(EditorPageTest, LayoutHoldsEighteenControlsAtTheirRectanglesAndRunsOnce) {
  auto page = Open(0.5f);
  ASSERT_NE(page, nullptr);
  fx::igraphics::IGraphics& g = page->Graphics();
  ASSERT_EQ(g.NControls(), 18);
  auto* background = dynamic_cast<fx::igraphics::IBitmapControl*>(g.GetControl(0));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->GetBounds(), IBounds(0, 0, 1630, 1012));
  auto* label = dynamic_cast<fx::igraphics::ITextControl*>(g.GetControl(1));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetLabel(), std::string("v1.0.0 ") + ArchitectureWord() + " VST2");
  // Wider than (1480, 980, 1630, 1010), it is moved in to end 10 units before
  // the corner handle as the handle is at the smallest scale (20 pixels at
  // 0.25: 80 units), vertically centred in that rectangle.
  const IBounds text = label->GetBounds();
  EXPECT_GT(text.W(), 150.0f);
  EXPECT_FLOAT_EQ(text.right, 1630.0f - 80.0f - 10.0f);
  EXPECT_NEAR(text.MH(), 995.0f, 0.5f);
  EXPECT_TRUE(label->GetIgnoreMouse());

  struct Row {
    const char* kind;
    IBounds rect;
    std::int32_t param;
  };
  const Row rows[16] = {
      {"knob", {824, 0, 1630, 935}, 4},      {"rotater", {558, 630, 616, 688}, 6},
      {"switch", {516, 752, 770, 906}, 3},   {"switch", {1339, 354, 1405, 505}, 4},
      {"rotater", {137, 286, 389, 533}, 0},  {"rotater", {137, 683, 389, 930}, 2},
      {"rotater", {891, 683, 1143, 930}, 5}, {"rotater", {1246, 683, 1498, 930}, 1},
      {"rotater", {137, 206, 383, 452}, 0},  {"rotater", {137, 603, 383, 849}, 2},
      {"rotater", {891, 603, 1137, 849}, 5}, {"rotater", {1246, 603, 1492, 849}, 1},
      {"knob", {126, 192, 394, 486}, 0},     {"knob", {126, 590, 394, 884}, 2},
      {"knob", {882, 590, 1150, 884}, 5},    {"knob", {1237, 590, 1505, 884}, 1},
  };
  for (int i = 0; i < 16; ++i) {
    fx::igraphics::IControl* c = g.GetControl(i + 2);
    ASSERT_NE(c, nullptr) << i;
    EXPECT_EQ(c->GetBounds(), rows[i].rect) << "row " << i + 1;
    EXPECT_EQ(c->GetParamIdx(), rows[i].param) << "row " << i + 1;
    const std::string kind = rows[i].kind;
    const bool rotater = dynamic_cast<fx::igraphics::IBKnobRotaterControl*>(c) != nullptr;
    const bool knob = dynamic_cast<fx::igraphics::IBKnobControl*>(c) != nullptr && !rotater;
    const bool isSwitch = dynamic_cast<fx::igraphics::IBSwitchControl*>(c) != nullptr;
    EXPECT_EQ(rotater, kind == "rotater") << "row " << i + 1;
    EXPECT_EQ(knob, kind == "knob") << "row " << i + 1;
    EXPECT_EQ(isSwitch, kind == "switch") << "row " << i + 1;
  }
  // The lamp asked for scale 2 and was loaded at the scale the screen has
  // (1); only the plain file exists, so the strip is the file's size.
  auto* lamp = dynamic_cast<fx::igraphics::IBitmapBase*>(g.GetControl(2));
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->GetStrip().width, 806);
  EXPECT_EQ(lamp->GetStrip().height, 1870);
  EXPECT_EQ(lamp->GetStrip().nFrames, 2);
  ASSERT_NE(lamp->GetStrip().bitmap, nullptr);
  EXPECT_EQ(lamp->GetStrip().bitmap->scale, 1);
  EXPECT_EQ(page->Graphics().NCachedBitmaps(), 8u);  // seven strips and the background, decoded once each
  ASSERT_NE(g.GetCornerResizer(), nullptr);
  EXPECT_EQ(g.GetCornerResizer()->GetBounds(), IBounds(1590, 970, 1630, 1010));
  EXPECT_NE(g.GetTextEntryControl(), nullptr);
  EXPECT_TRUE(g.MouseOverEnabled());
  EXPECT_TRUE(g.TooltipsEnabled());

  fx::igraphics::IControl* first = g.GetControl(2);
  LayoutEditor(g);
  EXPECT_EQ(g.NControls(), 18);
  EXPECT_EQ(g.GetControl(2), first);
}

TEST_F(EditorPageTest, VersionLabelNamesVersionArchitectureAndInterface) {
  EXPECT_EQ(MakeVersionLabel(0x010203, "VST2"), std::string("v1.2.3 ") + ArchitectureWord() + " VST2");
  EXPECT_EQ(MakeVersionLabel(0x00010000, "VST2"), std::string("v1.0.0 ") + ArchitectureWord() + " VST2");
  EXPECT_EQ(MakeVersionLabel(0x0A0B0C, ""), std::string("v10.11.12 ") + ArchitectureWord() + " ");
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_STREQ(ArchitectureWord(), "x86-64");
#elif defined(__i386__) || defined(_M_IX86)
  EXPECT_STREQ(ArchitectureWord(), "x86-32");
#endif
}

// A large knob: its body's rectangle (rows 9-12) and its highlight's corner (rows 13-16).
struct KnobStack {
  std::int32_t param;
  IBounds body;
  int highlightX, highlightY;
};
constexpr KnobStack kKnobs[] = {
    {kInputGain, {137, 206, 383, 452}, 126, 192},
    {kTame, {137, 603, 383, 849}, 126, 590},
    {kOutputGain, {891, 603, 1137, 849}, 882, 590},
    {kWet, {1246, 603, 1492, 849}, 1237, 590},
};

// The knob's body at scale 1 against the body image turned by `degrees`
// about the rectangle's centre, under the static highlight.
void ExpectBodyRotatedBy(const PageImage& page, const KnobStack& knob, float degrees, bool expectMatch) {
  const Image& body = Art().body;
  const Image& hl = Art().highlight;
  const float cx = knob.body.MW(), cy = knob.body.MH();
  const float a = -degrees / 180.0f * std::numbers::pi_v<float>;
  const float c = std::cos(a), s = std::sin(a);
  const Comparison result = Compare(page, knob.body, [&](int x, int y, Colour& want) {
    const float px = x + 0.5f - cx, py = y + 0.5f - cy;
    const float u = c * px - s * py + body.width / 2.0f, v = s * px + c * py + body.height / 2.0f;
    if (!test::SampleOpaque(body, u, v, want)) return false;
    // The highlight lies over it, unrotated.
    want = Layer(hl, 1, 0, knob.highlightX, knob.highlightY, x, y, want);
    return true;
  });
  ASSERT_GT(result.compared, 246 * 246 / 4) << "too few opaque body pixels to compare";
  const double share = static_cast<double>(result.beyond) / result.compared;
  std::printf("parameter %d %s %.1f degrees: %d of %d pixels beyond tolerance\n", knob.param, expectMatch ? "at" : "off", static_cast<double>(degrees), result.beyond, result.compared);
  if (expectMatch)
    EXPECT_LT(share, 0.005) << degrees << " degrees: " << result.beyond << " of " << result.compared;
  else
    EXPECT_GT(share, 0.02) << degrees << " degrees should not match";
}

TEST_F(EditorPageTest, KnobBodyPixelsRotateWithTheParameter) {
  ASSERT_FALSE(Art().body.Empty());
  auto page = Open(1.0f);
  ASSERT_NE(page, nullptr);
  const double values[] = {0.0, 0.25, 0.5, 0.8, 1.0};
  for (int step = 0; step < 5; ++step) {
    // Each knob at a different value in each step.
    for (int k = 0; k < 4; ++k) page->SetParameter(kKnobs[k].param, values[(step + k) % 5]);
    page->RunFrame();
    const PageImage image = page->ReadPage();
    for (int k = 0; k < 4; ++k) {
      const float angle = static_cast<float>(values[(step + k) % 5] * 260.0 - 130.0);
      ExpectBodyRotatedBy(image, kKnobs[k], angle, true);
      ExpectBodyRotatedBy(image, kKnobs[k], angle + 20.0f, false);  // the comparison tells angles apart
    }
  }
}

// Every pixel of `region` not under one of the controls other than those
// listed (and the background) is compared with `expected`.
bool Uncovered(fx::igraphics::IGraphics& g, std::initializer_list<int> allowed, int x, int y) {
  for (int i = 1; i < g.NControls(); ++i) {
    if (std::find(allowed.begin(), allowed.end(), i) != allowed.end()) continue;
    if (g.GetControl(i)->GetBounds().GetPadded(2).Contains(x + 0.5f, y + 0.5f)) return false;
  }
  return !IBounds(1588, 968, 1630, 1010).Contains(x + 0.5f, y + 0.5f);  // the corner handle
}

TEST_F(EditorPageTest, LampShowsItsSecondFrameFromHalfBypassUpwards) {
  auto page = Open(1.0f);
  ASSERT_NE(page, nullptr);
  fx::igraphics::IGraphics& g = page->Graphics();
  for (double v : {0.0, 0.49, 0.5, 1.0}) {
    page->SetParameter(kBypass, v);
    page->RunFrame();
    const PageImage image = page->ReadPage();
    for (int frame : {0, 1}) {
      const Comparison result = Compare(image, IBounds(824, 0, 1630, 935), [&](int x, int y, Colour& want) {
        if (!Uncovered(g, {2}, x, y)) return false;
        want = Layer(Art().lamp, 2, frame, 824, 0, x, y, Background(x, y));
        return true;
      });
      const bool shown = frame == (v >= 0.5 ? 1 : 0);
      ASSERT_GT(result.compared, 100000);
      if (shown)
        EXPECT_LT(result.beyond, result.compared / 200) << "value " << v << " frame " << frame + 1;
      else
        EXPECT_GT(result.beyond, result.compared / 50) << "value " << v << " frame " << frame + 1;
    }
  }
}

TEST_F(EditorPageTest, SwitchesShowTheFrameOfTheirParameter) {
  auto page = Open(1.0f);
  ASSERT_NE(page, nullptr);
  for (double v : {0.0, 1.0}) {
    page->SetParameter(kReact, v);
    page->SetParameter(kBypass, v);
    page->RunFrame();
    const PageImage image = page->ReadPage();
    const int frame = v >= 0.5 ? 1 : 0;
    const Comparison slide = Compare(image, IBounds(516, 752, 770, 906), [&](int x, int y, Colour& want) {
      want = Layer(Art().slide, 2, frame, 516, 752, x, y, Background(x, y));
      return true;
    });
    const Comparison slideOther = Compare(image, IBounds(516, 752, 770, 906), [&](int x, int y, Colour& want) {
      want = Layer(Art().slide, 2, 1 - frame, 516, 752, x, y, Background(x, y));
      return true;
    });
    const Comparison flip = Compare(image, IBounds(1339, 354, 1405, 505), [&](int x, int y, Colour& want) {
      want = Layer(Art().flip, 2, frame, 1339, 354, x, y, Layer(Art().lamp, 2, frame, 824, 0, x, y, Background(x, y)));
      return true;
    });
    const Comparison flipOther = Compare(image, IBounds(1339, 354, 1405, 505), [&](int x, int y, Colour& want) {
      want = Layer(Art().flip, 2, 1 - frame, 1339, 354, x, y, Layer(Art().lamp, 2, frame, 824, 0, x, y, Background(x, y)));
      return true;
    });
    EXPECT_LT(slide.beyond, slide.compared / 200) << v;
    EXPECT_GT(slideOther.beyond, slideOther.compared / 50) << v;
    EXPECT_LT(flip.beyond, flip.compared / 200) << v;
    EXPECT_GT(flipOther.beyond, flipOther.compared / 50) << v;
  }
}

TEST_F(EditorPageTest, VersionLabelLiesWholeInsideThePageAtEverySize) {
  // The label's pixels are those that change when it is hidden. Glyphs are
  // laid out at their size in pixels, so each scale draws the text anew:
  // at every one the whole text, a margin around it, must be on the page,
  // clear of the corner handle, and not cut by the label's own clip.
  for (float scale : {0.25f, 0.5f, 0.555f, 1.0f}) {
    auto page = Open(scale);
    ASSERT_NE(page, nullptr);
    fx::igraphics::IControl* label = page->Graphics().GetControl(1);
    const IBounds bounds = label->GetBounds();
    const PageImage shown = page->ReadPage();
    label->SetHidden(true);
    page->RunFrame();
    const PageImage hidden = page->ReadPage();
    ASSERT_EQ(shown.pixels.size(), hidden.pixels.size());
    int count = 0, left = shown.width, right = -1, top = shown.height, bottom = -1;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x) {
        if (Distance(PagePixel(shown, x, y), PagePixel(hidden, x, y)) <= 24.0f) continue;
        ++count;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    const float s = page->Graphics().GetDrawScale();
    ASSERT_GT(count, scale < 0.3f ? 20 : 60) << "scale " << scale;
    // Whole pixels of the text, in layout units.
    const float l = left / s, r = (right + 1) / s, t = top / s, b = (bottom + 1) / s;
    std::printf("scale %.3f: label text at %.1f..%.1f x %.1f..%.1f units (%d pixels), bounds %.1f..%.1f\n",
                static_cast<double>(scale), static_cast<double>(l), static_cast<double>(r), static_cast<double>(t),
                static_cast<double>(b), count, static_cast<double>(bounds.left), static_cast<double>(bounds.right));
    EXPECT_LE(r + 10.0f, 1630.0f) << "scale " << scale;
    EXPECT_LE(b + 2.0f, 1010.0f) << "scale " << scale;
    // The handle is 20 pixels square in the bottom-right corner at every scale.
    EXPECT_TRUE(right < shown.width - 20 || bottom < shown.height - 20) << "under the corner handle at " << scale;
    // Drawn inside the label's rectangle, and not cut by the clip of its
    // paint (its bounds grown by 0.75, to whole pixels): a pixel column of
    // slack stays on each side.
    const IBounds clip = bounds.GetPadded(0.75f).GetPixelAligned(s);
    EXPECT_GT(left, static_cast<int>(std::lround(clip.left * s))) << "cut on the left at " << scale;
    EXPECT_LT(right + 1, static_cast<int>(std::lround(clip.right * s))) << "cut on the right at " << scale;
    EXPECT_GE(t, clip.top) << scale;
    EXPECT_LE(b, clip.bottom) << scale;
  }
}

// A partial repaint draws the same geometry as a full one, clipped to the
// dirty areas. Software GL gives identical pixels; a hardware driver may
// rasterise a clipped draw a little differently (measured on an NVIDIA H100:
// 1 to 44 pixels, at most 2 in one channel). A seam differs by far more per
// channel: repaint areas moved by two pixels leave 7 to 12 pixels off by 12
// to 16 at the Bias knob.
constexpr int kRepaintChannelSlack = 2;
constexpr std::size_t kRepaintPixelsBeyondExact = 64;

TEST_F(EditorPageTest, PartialRepaintMatchesAFullRepaint) {
  for (float scale : {0.5f, 1.0f}) {
    auto page = Open(scale);
    ASSERT_NE(page, nullptr);
    // Switches and the lamp are flipped from whatever their default is.
    const std::pair<std::int32_t, double> changes[] = {
        {kInputGain, 0.83}, {kBias, 0.2}, {kReact, -1}, {kBypass, -1}, {kWet, 0.37}, {kTame, 0.61}};
    for (auto [index, value] : changes) {
      if (value < 0) value = page->Plugin().GetParam(index)->GetNormalizedValue() < 0.5 ? 1.0 : 0.0;
      const PageImage before = page->ReadPage();
      page->SetParameter(index, value);
      EXPECT_GT(page->RunFrame(), 0);
      const PageImage partial = page->ReadPage();
      page->RepaintAll();
      const PageImage full = page->ReadPage();
      ASSERT_EQ(partial.pixels.size(), full.pixels.size());
      EXPECT_NE(before.pixels, partial.pixels) << "parameter " << index << " changed nothing";
      std::size_t differing = 0;
      int largest = 0;
      for (std::size_t i = 0; i < full.pixels.size(); i += 4) {
        if (std::memcmp(&partial.pixels[i], &full.pixels[i], 4) == 0) continue;
        ++differing;
        for (std::size_t c = i; c < i + 4; ++c)
          largest = std::max(largest, std::abs(int{partial.pixels[c]} - int{full.pixels[c]}));
      }
      EXPECT_LE(largest, kRepaintChannelSlack) << "parameter " << index << " at scale " << scale << ", "
                                               << differing << " pixels differ";
      EXPECT_LE(differing, kRepaintPixelsBeyondExact) << "parameter " << index << " at scale " << scale
                                                      << ", by up to " << largest;
    }
  }
}

TEST_F(EditorPageTest, AnIdleFrameDoesNoGlWork) {
  EditorPage::Options options;
  auto page = EditorPage::Create(GlCallCounter::Wrap(test::View()), options);
  ASSERT_NE(page, nullptr);
  const std::uint64_t start = GlCallCounter::Calls();
  EXPECT_GT(page->RunFrame(), 0);  // the first frame paints the page
  const std::uint64_t painted = GlCallCounter::Calls();
  EXPECT_GT(painted, start);
  EXPECT_EQ(page->RunFrame(), 0);
  EXPECT_EQ(page->RunFrame(), 0);
  EXPECT_EQ(GlCallCounter::Calls(), painted);
  page->SetParameter(kBias, 0.9);
  EXPECT_GT(page->RunFrame(), 0);
  EXPECT_GT(GlCallCounter::Calls(), painted);

  // A readout that is shown and does not change costs nothing either; the
  // frame that takes it away repaints its box alone.
  fx::igraphics::IGraphics& g = page->Graphics();
  fx::igraphics::IValueReadoutControl* readout = g.GetValueReadout();
  ASSERT_NE(readout, nullptr);
  double now = 0.0;
  readout->SetClock([&] { return now; });
  ASSERT_TRUE(page->HoverParameter(kInputGain));
  EXPECT_GT(page->RunFrame(), 0);
  ASSERT_TRUE(readout->IsShown());
  const IBounds box = readout->GetBounds();
  const std::uint64_t shown = GlCallCounter::Calls();
  EXPECT_EQ(page->RunFrame(), 0);
  EXPECT_EQ(page->RunFrame(), 0);
  EXPECT_EQ(GlCallCounter::Calls(), shown);
  page->Unhover();
  page->RunFrame();  // the knob's hover state
  now += readout->GetLingerMs() + 1.0;
  std::vector<IBounds> areas;
  ASSERT_TRUE(g.CollectDirtyAreas(areas));
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], box.GetPadded(fx::igraphics::IGraphics::kDirtyPadding));
  EXPECT_LT(areas[0].W() * areas[0].H(), 0.01f * 1630.0f * 1010.0f) << "a small part of the page";
  const std::uint64_t beforeHide = GlCallCounter::Calls();
  g.PaintAreas(areas);
  EXPECT_GT(GlCallCounter::Calls(), beforeHide);
  const std::uint64_t hidden = GlCallCounter::Calls();
  EXPECT_EQ(page->RunFrame(), 0);
  EXPECT_EQ(GlCallCounter::Calls(), hidden);
}

// ---------------------------------------------------------------- value readout

// What the readout says over each parameter's controls at its default and
// at an extreme: the parameter's name, then its display text and unit as a
// host shows them.
struct ReadoutTexts {
  const char* atDefault;
  double extreme;  // normalised
  const char* atExtreme;
};
constexpr ReadoutTexts kReadoutTexts[kNumParams] = {
    /* kInputGain */ {"Input Gain  32.00 %", 1.0, "Input Gain  200.00 %"},
    /* kWet */ {"Wet  87.00 %", 0.0, "Wet  0.00 %"},
    /* kTame */ {"Tame  0.500", 1.0, "Tame  1.000"},
    /* kReact */ {"React  1", 0.0, "React  0"},
    /* kBypass */ {"Bypass  0", 1.0, "Bypass  1"},
    /* kOutputGain */ {"Output Gain  100.00 %", 0.0, "Output Gain  0.00 %"},
    /* kBias */ {"Bias  0.500", 1.0, "Bias  1.000"},
};

double DefaultOf(EditorPage& page, std::int32_t param) {
  const fx::IParam* p = page.Plugin().GetParam(param);
  return p->NormalizedFromReal(p->GetDefault());
}

// The readout with a clock the test moves.
fx::igraphics::IValueReadoutControl& ReadoutOf(EditorPage& page, double& now) {
  fx::igraphics::IValueReadoutControl* readout = page.Graphics().GetValueReadout();
  EXPECT_NE(readout, nullptr);
  readout->SetClock([&now] { return now; });
  return *readout;
}

TEST_F(EditorPageTest, TheReadoutNamesEveryControlsParameterWithItsValue) {
  auto page = Open(0.5f);
  ASSERT_NE(page, nullptr);
  fx::igraphics::IGraphics& g = page->Graphics();
  double now = 0.0;
  fx::igraphics::IValueReadoutControl& readout = ReadoutOf(*page, now);
  int reached = 0;
  for (int i = 1; i < g.NControls(); ++i) {
    fx::igraphics::IControl* c = g.GetControl(i);
    const std::int32_t param = c->GetParamIdx();
    float x = 0, y = 0;
    if (param < 0 || !page->ReachablePoint(*c, x, y)) continue;  // the label; the bodies lie under their highlights
    ++reached;
    const ReadoutTexts& want = kReadoutTexts[param];
    page->SetParameter(param, DefaultOf(*page, param));
    g.DispatchMouseHover(x, y, {});
    page->RunFrame();
    EXPECT_EQ(readout.GetText(), want.atDefault) << "control " << i;
    page->SetParameter(param, want.extreme);
    page->RunFrame();
    EXPECT_EQ(readout.GetText(), want.atExtreme) << "control " << i;
    page->SetParameter(param, DefaultOf(*page, param));
  }
  // The lamp, the small knob, two switches, and four shadows and highlights.
  EXPECT_EQ(reached, 12);
}

TEST_F(EditorPageTest, TheReadoutLiesInsideThePageAndNeverOverItsControl) {
  for (float scale : {0.25f, 0.5f, 1.0f}) {
    auto page = Open(scale);
    ASSERT_NE(page, nullptr);
    fx::igraphics::IGraphics& g = page->Graphics();
    const float s = g.GetDrawScale();
    double now = 0.0;
    fx::igraphics::IValueReadoutControl& readout = ReadoutOf(*page, now);
    const PageImage without = page->ReadPage();
    for (int i = 2; i < g.NControls(); ++i) {
      fx::igraphics::IControl* c = g.GetControl(i);
      float x = 0, y = 0;
      if (!page->ReachablePoint(*c, x, y)) continue;
      g.DispatchMouseHover(x, y, {});
      page->RunFrame();
      ASSERT_TRUE(readout.IsShown()) << i;
      const IBounds box = readout.GetBounds();
      EXPECT_TRUE(IBounds(8, 8, 1622, 1002).Contains(box)) << "control " << i << " at " << scale;
      EXPECT_FALSE(box.Intersects(c->GetBounds())) << "control " << i << " at " << scale;
      // On the pixels: the control's own area is as it is without the
      // readout, and the box's area is not.
      const PageImage with = page->ReadPage();
      const IBounds own = c->GetBounds();
      int changedOwn = 0, changedBox = 0, boxPixels = 0;
      for (int py = 0; py < with.height; ++py)
        for (int px = 0; px < with.width; ++px) {
          const float lx = (px + 0.5f) / s, ly = (py + 0.5f) / s;
          const bool changed = Distance(PagePixel(with, px, py), PagePixel(without, px, py)) > 2.0f;
          if (own.Contains(lx, ly) && changed) ++changedOwn;
          if (box.Contains(lx, ly)) {
            ++boxPixels;
            if (changed) ++changedBox;
          }
        }
      EXPECT_EQ(changedOwn, 0) << "control " << i << " at " << scale;
      EXPECT_GT(changedBox, boxPixels / 2) << "control " << i << " at " << scale;
      // Gone again before the next control.
      page->Unhover();
      page->RunFrame();
      now += readout.GetLingerMs() + 1.0;
      page->RunFrame();
      ASSERT_FALSE(readout.IsShown());
    }
  }
}

TEST_F(EditorPageTest, TheReadoutGoesShortlyAfterThePointerLeavesAndLeavesNoTrace) {
  auto page = Open(0.5f);
  ASSERT_NE(page, nullptr);
  double now = 0.0;
  fx::igraphics::IValueReadoutControl& readout = ReadoutOf(*page, now);
  const PageImage before = page->ReadPage();
  ASSERT_TRUE(page->HoverParameter(kTame));
  page->RunFrame();
  ASSERT_TRUE(readout.IsShown());
  page->Unhover();
  page->RunFrame();
  EXPECT_TRUE(readout.IsShown()) << "it lingers";
  now += readout.GetLingerMs() - 1.0;
  page->RunFrame();
  EXPECT_TRUE(readout.IsShown());
  now += 2.0;
  EXPECT_GT(page->RunFrame(), 0);
  EXPECT_FALSE(readout.IsShown());
  EXPECT_EQ(page->ReadPage().pixels, before.pixels) << "the page is as it was";
  // Automation with no pointer on the page shows nothing.
  page->SetParameter(kTame, 0.9);
  page->RunFrame();
  EXPECT_FALSE(readout.IsShown());
}

TEST_F(EditorPageTest, KeysTurnTheKnobUnderThePointerAndTheReadoutShowsIt) {
  auto page = Open(0.5f);
  ASSERT_NE(page, nullptr);
  fx::igraphics::IGraphics& g = page->Graphics();
  fx::igraphics::IValueReadoutControl* readout = g.GetValueReadout();
  ASSERT_TRUE(page->HoverParameter(kInputGain));
  float x = 0, y = 0;
  g.GetMouseLocation(x, y);
  const auto key = [](std::int32_t vk, bool shift) {
    fx::IKeyPress k;
    k.vk = vk;
    k.shift = shift;
    return k;
  };
  const std::pair<fx::IKeyPress, const char*> steps[] = {
      {key(38, false), "Input Gain  34.00 %"},  // Up: a hundredth of 0..200 %
      {key(33, false), "Input Gain  54.00 %"},  // Page Up: a tenth
      {key(40, true), "Input Gain  53.80 %"},   // Shift+Down: a thousandth
      {key(34, true), "Input Gain  51.80 %"},   // Shift+Page Down: a hundredth
  };
  for (const auto& [k, text] : steps) {
    EXPECT_TRUE(g.OnKeyDown(x, y, k));
    page->RunFrame();
    EXPECT_EQ(readout->GetText(), text);
    fx::TextBuffer display;
    const fx::IParam* gain = page->Plugin().GetParam(kInputGain);
    gain->FormatValueText(gain->GetValue(), false, display);
    EXPECT_EQ(std::string(display.Get()) + " %", std::string(text).substr(12)) << "the plug-in has the value";
  }
  EXPECT_FALSE(g.OnKeyDown(x, y, key(37, false))) << "Left is not the page's: the host gets it";
}

}  // namespace
}  // namespace ombrisk::page
