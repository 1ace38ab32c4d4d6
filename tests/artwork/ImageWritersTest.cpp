// The generator's writers: the .ico container byte by byte, the alpha
// conversion of read-back pixels, and PNG/JPEG files that read back.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/artwork/ArtworkCanvas.h"
#include "tools/artwork/ImageFiles.h"

namespace {

using fx::artwork::Picture;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
unsigned Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

Picture Square(int side) {
  Picture p;
  p.width = p.height = side;
  p.rgba.assign(static_cast<std::size_t>(side) * side * 4, 0);
  return p;
}

TEST(IcoFile, DirectoryAndBitmapsAreLaidOutAsWindowsReadsThem) {
  Picture small = Square(16), big = Square(256);
  // Top-left pixel of the small icon: opaque red; the rest stays transparent.
  small.rgba[0] = 255;
  small.rgba[3] = 255;
  const auto ico = fx::artwork::EncodeIco({small, big});
  ASSERT_FALSE(ico.empty());
  EXPECT_EQ(Le16(ico, 0), 0u);
  EXPECT_EQ(Le16(ico, 2), 1u);  // icon, not cursor
  EXPECT_EQ(Le16(ico, 4), 2u);
  // Entry 0: 16 x 16; entry 1: 256 written as 0.
  EXPECT_EQ(ico[6], 16);
  EXPECT_EQ(ico[22], 0);
  EXPECT_EQ(Le16(ico, 6 + 6), 32u);  // bits per pixel
  const std::uint32_t size0 = Le32(ico, 6 + 8), offset0 = Le32(ico, 6 + 12);
  const std::uint32_t size1 = Le32(ico, 22 + 8), offset1 = Le32(ico, 22 + 12);
  EXPECT_EQ(offset0, 6u + 2 * 16);
  EXPECT_EQ(offset1, offset0 + size0);
  EXPECT_EQ(offset1 + size1, ico.size());
  // 40-byte header, 16 x 16 colour + 16 rows of 4 mask bytes.
  EXPECT_EQ(size0, 40u + 16 * 16 * 4 + 16 * 4);
  EXPECT_EQ(Le32(ico, offset0 + 4), 16u);
  EXPECT_EQ(Le32(ico, offset0 + 8), 32u);  // colour and mask stacked
  // Rows run bottom up, BGRA: the top-left pixel is in the last row.
  const std::size_t topLeft = offset0 + 40 + 15 * 16 * 4;
  EXPECT_EQ(ico[topLeft + 0], 0);    // blue
  EXPECT_EQ(ico[topLeft + 2], 255);  // red
  EXPECT_EQ(ico[topLeft + 3], 255);  // alpha
  // Mask: set for transparent pixels, clear for the opaque one.
  const std::size_t mask = offset0 + 40 + 16 * 16 * 4;
  EXPECT_EQ(ico[mask + 15 * 4], 0x7f);   // top row, first pixel opaque
  EXPECT_EQ(ico[mask], 0xff);            // bottom row, all transparent
}

TEST(IcoFile, MalformedPicturesGiveNoFile) {
  Picture wide = Square(16);
  wide.width = 32;
  wide.rgba.resize(32 * 16 * 4);
  EXPECT_TRUE(fx::artwork::EncodeIco({wide}).empty());
  EXPECT_TRUE(fx::artwork::EncodeIco({Square(512)}).empty());
  Picture shortData = Square(16);
  shortData.rgba.resize(10);
  EXPECT_TRUE(fx::artwork::EncodeIco({shortData}).empty());
  EXPECT_TRUE(fx::artwork::EncodeIco({}).empty());
  EXPECT_FALSE(fx::artwork::WriteIco("/nonexistent-dir/x.ico", {Square(16)}));
}

TEST(IcoFile, CommittedIconHoldsItsSizes) {
  std::FILE* f = std::fopen(OMBRISK_RESOURCE_DIR "/Ombrisk.ico", "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> ico;
  for (int c; (c = std::fgetc(f)) != EOF;) ico.push_back(static_cast<std::uint8_t>(c));
  std::fclose(f);
  ASSERT_GT(ico.size(), 6u);
  const unsigned count = Le16(ico, 4);
  ASSERT_GE(count, 3u);
  std::vector<int> sides;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * i;
    sides.push_back(ico[e] == 0 ? 256 : ico[e]);
    EXPECT_LE(Le32(ico, e + 12) + Le32(ico, e + 8), ico.size());
  }
  EXPECT_NE(std::find(sides.begin(), sides.end(), 16), sides.end());
  EXPECT_NE(std::find(sides.begin(), sides.end(), 32), sides.end());
}

TEST(Unpremultiply, RestoresStraightColourAndClearsTransparentPixels) {
  std::vector<std::uint8_t> px = {128, 64, 0, 128,  // half alpha
                                  255, 255, 255, 255, 7, 9, 11, 0, 200, 10, 10, 100};
  fx::artwork::Unpremultiply(px);
  EXPECT_EQ(px[0], 255);
  EXPECT_EQ(px[1], 128);
  EXPECT_EQ(px[2], 0);
  EXPECT_EQ(px[3], 128);
  EXPECT_EQ(px[4], 255);
  // Alpha 0: colour is meaningless, written as 0 so files compress and
  // filtering does not bleed it.
  EXPECT_EQ(px[8], 0);
  EXPECT_EQ(px[10], 0);
  // Premultiplied colour above alpha (bad input) is clamped, not wrapped.
  EXPECT_EQ(px[12], 255);
  EXPECT_EQ(px[13], 26);
}

TEST(ImageFiles, PngKeepsEveryPixelAndJpegKeepsTheSize) {
  Picture p;
  p.width = 5;
  p.height = 3;
  for (int i = 0; i < 15; ++i)
    p.rgba.insert(p.rgba.end(), {static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(255 - i), 7,
                                 static_cast<std::uint8_t>(i * 10 + 5)});
  const std::string dir = ::testing::TempDir();
  ASSERT_TRUE(fx::artwork::WritePng(dir + "/artwork-test.png", p));
  const Picture back = fx::artwork::ReadImage(dir + "/artwork-test.png");
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.rgba, p.rgba);
  ASSERT_TRUE(fx::artwork::WriteJpeg(dir + "/artwork-test.jpg", p, 90));
  const Picture jpeg = fx::artwork::ReadImage(dir + "/artwork-test.jpg");
  EXPECT_EQ(jpeg.width, 5);
  EXPECT_EQ(jpeg.height, 3);
  Picture bad = p;
  bad.rgba.pop_back();
  EXPECT_FALSE(fx::artwork::WritePng(dir + "/artwork-bad.png", bad));
  EXPECT_TRUE(fx::artwork::ReadImage(dir + "/does-not-exist.png").rgba.empty());
  std::remove((dir + "/artwork-test.png").c_str());
  std::remove((dir + "/artwork-test.jpg").c_str());
}

}  // namespace
