// Text placement and measurement, predicted from the font's own tables.
#include <cmath>
#include <numbers>

#include "FontFile.h"
#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

class TextTest : public RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    if (HasFatalFailure()) return;
    sansData = readFile(fontPath("DejaVuSans.ttf"));
    monoData = readFile(fontPath("DejaVuSansMono.ttf"));
    ASSERT_FALSE(sansData.empty()) << OMBRISK_TEST_FONT;
    ASSERT_FALSE(monoData.empty());
    sans = renderer->createFontMem("sans", sansData);
    mono = renderer->createFontMem("mono", monoData);
    ASSERT_GE(sans, 0);
    ASSERT_GE(mono, 0);
    sansMetrics = readMetrics(sansData);
    monoMetrics = readMetrics(monoData);
    ASSERT_GT(sansMetrics.unitsPerEm, 0);
  }
  struct Ink {
    int minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1;
    double cx = 0, cy = 0, total = 0;
  };
  Ink ink(int x0 = 0, int x1 = 64) const {
    Ink k;
    for (int y = 0; y < 64; ++y)
      for (int x = x0; x < x1; ++x) {
        const int a = canvas->alpha(x, y);
        if (a == 0) continue;
        k.minX = std::min(k.minX, x);
        k.maxX = std::max(k.maxX, x);
        k.minY = std::min(k.minY, y);
        k.maxY = std::max(k.maxY, y);
        k.cx += (x + 0.5) * a;
        k.cy += (y + 0.5) * a;
        k.total += a;
      }
    if (k.total > 0) {
      k.cx /= k.total;
      k.cy /= k.total;
    }
    return k;
  }
  std::vector<std::uint8_t> sansData, monoData;
  int sans = -1, mono = -1;
  FontMetrics sansMetrics, monoMetrics;
};

TEST_F(TextTest, MonospaceAdvanceIsCharactersTimesAdvance) {
  renderer->fontFace(mono);
  renderer->fontSize(20);
  TextBounds b;
  const float width = renderer->textBounds(3, 40, "Hello, world", &b);
  const double expected = 12.0 * monoMetrics.advanceWidthMax * 20.0 / monoMetrics.unitsPerEm;
  EXPECT_NEAR(width, expected, 1e-3);
  EXPECT_NEAR(b.minX, 3.0, 1e-4);
  EXPECT_NEAR(b.maxX, 3.0 + expected, 1e-3);
}

TEST_F(TextTest, LineBoxComesFromAscenderAndDescender) {
  renderer->fontFace(sans);
  renderer->fontSize(32);
  const double k = 32.0 / sansMetrics.unitsPerEm;
  const double asc = sansMetrics.ascender * k, desc = sansMetrics.descender * k;
  TextBounds b;
  renderer->textBounds(0, 50, "Ag", &b);  // baseline by default
  EXPECT_NEAR(b.minY, 50 - asc, 1e-3);
  EXPECT_NEAR(b.maxY, 50 - desc, 1e-3);
  float a = 0, d = 0, h = 0;
  ASSERT_TRUE(renderer->textMetrics(&a, &d, &h));
  EXPECT_NEAR(a, asc, 1e-3);
  EXPECT_NEAR(d, desc, 1e-3);
  EXPECT_GE(h, a - d);
}

TEST_F(TextTest, AlignmentMovesTheBoxToTheAnchor) {
  renderer->fontFace(sans);
  renderer->fontSize(24);
  TextBounds left, centre, right, top, middle, bottom;
  const float w = renderer->textBounds(40, 30, "Ombrisk", &left);
  renderer->textAlign(AlignCenter | AlignTop);
  renderer->textBounds(40, 30, "Ombrisk", &centre);
  top = centre;
  renderer->textAlign(AlignRight | AlignMiddle);
  renderer->textBounds(40, 30, "Ombrisk", &right);
  middle = right;
  renderer->textAlign(AlignLeft | AlignBottom);
  renderer->textBounds(40, 30, "Ombrisk", &bottom);
  EXPECT_NEAR(left.minX, 40, 1e-4);
  EXPECT_NEAR(centre.minX, 40 - w / 2, 1e-3);
  EXPECT_NEAR(centre.maxX, 40 + w / 2, 1e-3);
  EXPECT_NEAR(right.maxX, 40, 1e-3);
  EXPECT_NEAR(top.minY, 30, 1e-3);
  EXPECT_NEAR((middle.minY + middle.maxY) / 2, 30, 1e-3);
  EXPECT_NEAR(bottom.maxY, 30, 1e-3);
}

TEST_F(TextTest, MeasureScalesLinearlyAndRepeats) {
  renderer->fontFace(sans);
  renderer->fontSize(10);
  const float one = renderer->textBounds(0, 0, "i", nullptr);
  const float four = renderer->textBounds(0, 0, "iiii", nullptr);
  renderer->fontSize(30);
  const float big = renderer->textBounds(0, 0, "iiii", nullptr);
  EXPECT_GT(one, 0.0f);
  EXPECT_NEAR(four, 4 * one, 1e-4);
  EXPECT_NEAR(big, 3 * four, 1e-3);
  EXPECT_EQ(renderer->textBounds(0, 0, "", nullptr), 0.0f);
}

TEST_F(TextTest, GlyphSitsOnTheBaselineUpToCapHeight) {
  canvas->begin();  // a frame starts from the default state
  renderer->fontFace(sans);
  renderer->fontSize(40);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  const float end = renderer->text(10, 50, "H");
  canvas->end();
  const Ink k = ink();
  ASSERT_GT(k.total, 0);
  // DejaVu Sans keeps no capital height in its OS/2 table (version 1); its
  // capitals are 1493 units tall.
  const int capUnits = sansMetrics.capHeight > 0 ? sansMetrics.capHeight : 1493;
  const double cap = capUnits * 40.0 / sansMetrics.unitsPerEm;
  EXPECT_EQ(k.maxY, 49);  // the last row above the baseline at y = 50
  EXPECT_NEAR(k.minY, 50 - cap, 1.5);
  EXPECT_GE(k.minX, 10);
  EXPECT_LT(k.maxX, end);
  // Red ink only, premultiplied.
  const Rgba p = canvas->pixel((k.minX + k.maxX) / 2, 40);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[0], p[3]);
}

TEST_F(TextTest, CentredGlyphIsCentredOnTheAnchor) {
  canvas->begin();
  renderer->fontFace(sans);
  renderer->fontSize(40);
  renderer->textAlign(AlignCenter | AlignBaseline);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->text(32, 50, "H");  // H is symmetric about its advance
  canvas->end();
  EXPECT_NEAR(ink().cx, 32.0, 0.75);
}

TEST_F(TextTest, RotationTurnsTheLine) {
  canvas->begin();
  renderer->fontFace(sans);
  renderer->fontSize(12);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->translate(32, 4);
  renderer->rotate(std::numbers::pi_v<float> / 2);
  renderer->textAlign(AlignLeft | AlignMiddle);
  const float w = renderer->textBounds(0, 0, "HHHH", nullptr);
  renderer->text(0, 0, "HHHH");
  canvas->end();
  const Ink k = ink();
  ASSERT_GT(k.total, 0);
  // Runs downwards from y = 4 for its advance, centred on x = 32.
  EXPECT_GT(k.maxY - k.minY, 3 * (k.maxX - k.minX));
  EXPECT_NEAR(k.maxY + 1, 4 + w, 2.0);
  EXPECT_NEAR(k.cx, 32.0, 1.0);
}

TEST_F(TextTest, InvalidUtf8DrawsReplacementsWithoutHarm) {
  renderer->fontFace(sans);
  renderer->fontSize(16);
  const float clean = renderer->textBounds(0, 0, "ab", nullptr);
  const float broken = renderer->textBounds(0, 0, "a\xC3\x28\xFF" "b", nullptr);
  EXPECT_GT(broken, clean);  // replacement glyphs take room
  canvas->begin();
  renderer->fontFace(sans);
  renderer->fontSize(16);
  renderer->text(2, 30, "\xE2\x82\xAC\xF0\x28\x8C\xBC\xED\xA0\x80");
  canvas->end();
  EXPECT_GT(canvas->coverage(), 0.0);
}

TEST_F(TextTest, AtlasGrowthKeepsEarlierGlyphs) {
  canvas->begin();
  renderer->fontFace(sans);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->fontSize(20);
  renderer->text(4, 30, "Ra");
  // Large glyphs off the canvas fill the first 256 x 256 atlas many times over.
  for (int size = 60; size < 200; size += 7) {
    renderer->fontSize(static_cast<float>(size));
    renderer->text(1000, 1000, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  }
  renderer->fontSize(20);
  renderer->text(36, 30, "Ra");
  canvas->end();
  int w = 0, h = 0;
  ASSERT_TRUE(renderer->atlasSize(w, h));
  EXPECT_GT(w * h, 256 * 256);  // it did grow
  // Both words were drawn from the same texels: identical ink, 32 pixels apart.
  double diff = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 32; ++x) diff += std::abs(canvas->alpha(x, y) - canvas->alpha(x + 32, y));
  EXPECT_GT(canvas->coverage(0, 0, 32, 64), 20.0);
  EXPECT_EQ(diff, 0.0);
}

TEST_F(TextTest, FontsAreFoundByName) {
  EXPECT_EQ(renderer->findFont("sans"), sans);
  EXPECT_EQ(renderer->findFont("mono"), mono);
  EXPECT_EQ(renderer->findFont("serif"), -1);
}

}  // namespace
}  // namespace fx::vg::test
