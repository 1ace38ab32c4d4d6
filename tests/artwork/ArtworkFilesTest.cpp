// The committed artwork in resources/: the sizes and frame counts the
// editor's layout needs, and the properties that make the page work (a knob
// that is transparent outside its disc with its pointer up, a lamp whose
// first frame is dark and second lit, switches whose frames differ).

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/artwork/ImageFiles.h"

namespace {

using fx::artwork::Picture;

Picture Load(const char* file) { return fx::artwork::ReadImage(std::string(OMBRISK_RESOURCE_DIR) + "/" + file); }

std::array<int, 4> Px(const Picture& p, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x);
  const std::uint8_t* q = &p.rgba[at * 4];
  return {q[0], q[1], q[2], q[3]};
}

int Luma(const std::array<int, 4>& c) { return (c[0] * 3 + c[1] * 6 + c[2]) / 10; }

// Mean luminance of the opaque-ish pixels on a ring, from `fromDeg` to `toDeg` (0 = up).
double RingLuma(const Picture& p, float cx, float cy, float radius, float fromDeg, float toDeg) {
  double sum = 0;
  int n = 0;
  for (float d = fromDeg; d <= toDeg; d += 1.0f) {
    const float a = d * 3.14159265f / 180.0f;
    sum += Luma(Px(p, static_cast<int>(cx + std::sin(a) * radius), static_cast<int>(cy - std::cos(a) * radius)));
    ++n;
  }
  return sum / n;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ArtworkFiles, EveryImageHasTheSizeTheLayoutNeeds) {
  struct Need {
    const char* file;
    int width, height, frames;
  };
  const Need needs[] = {{"ledOn.png", 806, 1870, 2},        {"LiukuAnim.png", 254, 308, 2},
                        {"FlipperAnim.png", 66, 302, 2},    {"Nuppi.png", 246, 246, 1},
                        {"Ombriskbackground.jpg", 1630, 1012, 1}, {"NupikkaVarjo.png", 252, 247, 1},
                        {"NuppiOverlay.png", 268, 294, 1},  {"BIASNUPPI.png", 58, 58, 1}};
  for (const Need& n : needs) {
    const Picture p = Load(n.file);
    EXPECT_EQ(p.width, n.width) << n.file;
    EXPECT_EQ(p.height, n.height) << n.file;
    EXPECT_EQ(p.height % n.frames, 0) << n.file;
  }
}

TEST(ArtworkFiles, KnobBodiesAreDiscsWithThePointerStraightUp) {
  struct Knob {
    const char* file;
    float centre, pointerRadius, faceRadius;
  };
  for (const Knob& k : {Knob{"Nuppi.png", 123.0f, 70.0f, 60.0f}, Knob{"BIASNUPPI.png", 29.0f, 14.0f, 10.0f}}) {
    const Picture p = Load(k.file);
    ASSERT_GT(p.width, 0) << k.file;
    const int last = p.width - 1;
    // Transparent outside the disc, opaque inside: it turns over the panel.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}})
      EXPECT_EQ(Px(p, x, y)[3], 0) << k.file << " corner " << x << "," << y;
    const int c = static_cast<int>(k.centre);
    EXPECT_EQ(Px(p, c, c)[3], 255) << k.file;
    // The pointer: bright straight above the centre, nowhere else on that ring.
    const double up = RingLuma(p, k.centre, k.centre, k.pointerRadius, -1.0f, 1.0f);
    for (const float away : {90.0f, 180.0f, 270.0f})
      EXPECT_GT(up, RingLuma(p, k.centre, k.centre, k.pointerRadius, away - 1.0f, away + 1.0f) + 60.0) << k.file;
    // The body's light is the same all round (it turns with the knob): away
    // from the pointer, quarters of the face ring agree.
    const double right = RingLuma(p, k.centre, k.centre, k.faceRadius, 60.0f, 120.0f);
    const double left = RingLuma(p, k.centre, k.centre, k.faceRadius, 240.0f, 300.0f);
    const double down = RingLuma(p, k.centre, k.centre, k.faceRadius, 150.0f, 210.0f);
    EXPECT_NEAR(right, left, 8.0) << k.file;
    EXPECT_NEAR(right, down, 8.0) << k.file;
  }
}

TEST(ArtworkFiles, ShadowIsSoftBlackAndHighlightTranslucent) {
  const Picture shadow = Load("NupikkaVarjo.png");
  ASSERT_GT(shadow.width, 0);
  const auto centre = Px(shadow, shadow.width / 2, shadow.height / 2);
  EXPECT_GT(centre[3], 80);
  EXPECT_LT(Luma(centre), 10);
  EXPECT_EQ(Px(shadow, 0, 0)[3], 0);
  // Soft: alpha falls off gradually towards the edge.
  const int mid = Px(shadow, shadow.width / 2 + 95, shadow.height / 2)[3];
  EXPECT_GT(mid, 0);
  EXPECT_LT(mid, centre[3]);

  const Picture highlight = Load("NuppiOverlay.png");
  ASSERT_GT(highlight.width, 0);
  int maxAlpha = 0;
  for (std::size_t i = 3; i < highlight.rgba.size(); i += 4) maxAlpha = std::max<int>(maxAlpha, highlight.rgba[i]);
  EXPECT_GT(maxAlpha, 30);
  EXPECT_LT(maxAlpha, 200) << "the highlight must let the knob show through";
  // Over the knob's centre (11 in, 14 down from the body's corner) it adds light.
  EXPECT_GT(Px(highlight, 134, 137)[3], 0);
}

TEST(ArtworkFiles, LampIsDarkInItsFirstFrameAndGlowsInItsSecond) {
  const Picture lamp = Load("ledOn.png");
  ASSERT_EQ(lamp.height, 1870);
  const int frame = lamp.height / 2;
  auto covered = [&](int top) {
    long n = 0;
    for (int y = top; y < top + frame; ++y)
      for (int x = 0; x < lamp.width; ++x) n += Px(lamp, x, y)[3] > 8 ? 1 : 0;
    return n;
  };
  const long area = static_cast<long>(lamp.width) * frame;
  EXPECT_LT(covered(0), area / 100) << "the unlit frame must leave the panel visible";
  EXPECT_GT(covered(frame), area / 5) << "the lit frame spills light over the panel";
  // The jewel (page 1372, 262 = image 548, 262): dark glass, then burning.
  const auto off = Px(lamp, 548, 262 + 8), on = Px(lamp, 548, frame + 262 + 8);
  EXPECT_EQ(off[3], 255);
  EXPECT_LT(Luma(off), 90);
  EXPECT_GT(on[0], 200);
  EXPECT_GT(on[0], on[2] + 60);
}

TEST(ArtworkFiles, SwitchFramesShowTheTwoPositions) {
  const Picture slide = Load("LiukuAnim.png");
  ASSERT_EQ(slide.height, 308);
  // The cap (bright metal) sits left in the first frame and right in the second.
  const int capY = 77;
  EXPECT_GT(Luma(Px(slide, 40, capY)), Luma(Px(slide, 214, capY)) + 60);
  EXPECT_GT(Luma(Px(slide, 214, 154 + capY)), Luma(Px(slide, 40, 154 + capY)) + 60);

  const Picture flip = Load("FlipperAnim.png");
  ASSERT_EQ(flip.height, 302);
  // The lever's ball tip: below the nut in the first frame, above it in the second.
  const int cx = 33, cy = 75;
  EXPECT_EQ(Px(flip, cx, cy + 57)[3], 255);
  EXPECT_LT(Px(flip, cx, cy - 57)[3], 255);
  EXPECT_EQ(Px(flip, cx, 151 + cy - 57)[3], 255);
  EXPECT_LT(Px(flip, cx, 151 + cy + 57)[3], 255);
}

TEST(ArtworkFiles, PanelIsDarkWithLightLabelsWhereTheLayoutPutsThem) {
  const Picture panel = Load("Ombriskbackground.jpg");
  ASSERT_EQ(panel.width, 1630);
  auto brightest = [&](int x0, int y0, int x1, int y1) {
    int best = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) best = std::max(best, Luma(Px(panel, x, y)));
    return best;
  };
  // Plain panel: dark. Label above each large knob (bodies at x 137, 891,
  // 1246; y 206, 603) and the name at the top: light lettering.
  EXPECT_LT(brightest(600, 560, 640, 580), 90);
  EXPECT_GT(brightest(137, 130, 383, 170), 170) << "INPUT GAIN";
  EXPECT_GT(brightest(137, 527, 383, 567), 170) << "TAME";
  EXPECT_GT(brightest(891, 527, 1137, 567), 170) << "OUTPUT GAIN";
  EXPECT_GT(brightest(1246, 527, 1492, 567), 170) << "WET";
  EXPECT_GT(brightest(540, 60, 1090, 160), 170) << "OMBRISK";
  // The version label's corner stays dark so that white text reads on it.
  EXPECT_LT(brightest(1490, 985, 1620, 1005), 110);
}

TEST(ArtworkFiles, FontIsDebiansRobotoWithItsLicence) {
  const auto shipped = ReadBytes(std::string(OMBRISK_RESOURCE_DIR) + "/Roboto-Regular.ttf");
  ASSERT_GT(shipped.size(), 1000u);
  EXPECT_EQ(shipped, ReadBytes(OMBRISK_ROBOTO_FONT));
  const auto licence = ReadBytes(std::string(OMBRISK_RESOURCE_DIR) + "/Roboto-LICENSE.txt");
  const std::string text(licence.begin(), licence.end());
  EXPECT_NE(text.find("Apache License"), std::string::npos);
  EXPECT_NE(text.find("Version 2.0"), std::string::npos);
}

}  // namespace
