#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "core/StateChunk.h"

namespace {

using fx::StateChunk;

std::vector<int> Bytes(const StateChunk& c) { return std::vector<int>(c.Data(), c.Data() + c.Size()); }

TEST(StateChunk, WritesLittleEndianWithoutPadding) {
  StateChunk c;
  ASSERT_TRUE(c.PutInt32(fx::ChunkMagic));
  ASSERT_TRUE(c.PutInt32(-2));
  ASSERT_TRUE(c.PutByte(0xAB));
  ASSERT_TRUE(c.PutDouble(1.0));
  ASSERT_TRUE(c.PutFloat(-2.0f));
  ASSERT_TRUE(c.PutText("ab"));
  EXPECT_EQ(Bytes(c), (std::vector<int>{0x74, 0x66, 0x66, 0x70, 0xFE, 0xFF, 0xFF, 0xFF, 0xAB, 0, 0, 0, 0, 0, 0,
                                        0xF0, 0x3F, 0, 0, 0, 0xC0, 2, 0, 0, 0, 'a', 'b'}));

  std::int32_t i = 0;
  std::uint8_t b = 0;
  double d = 0.0;
  float f = 0.0f;
  std::string t;
  std::int32_t pos = c.GetInt32(i, 0);
  pos = c.GetInt32(i, pos);
  EXPECT_EQ(i, -2);
  pos = c.GetByte(b, pos);
  EXPECT_EQ(b, 0xAB);
  pos = c.GetDouble(d, pos);
  EXPECT_EQ(d, 1.0);
  pos = c.GetFloat(f, pos);
  EXPECT_EQ(f, -2.0f);
  pos = c.GetText(t, pos);
  EXPECT_EQ(t, "ab");
  EXPECT_EQ(pos, c.Size());
}

TEST(StateChunk, ReadsOutsideTheChunkFailAndLeaveTheTargetAlone) {
  StateChunk c;
  c.PutInt32(7);
  std::int32_t i = 99;
  double d = 5.0;
  std::uint8_t b = 3;
  EXPECT_EQ(c.GetInt32(i, 1), -1);
  EXPECT_EQ(c.GetInt32(i, -1), -1);
  EXPECT_EQ(c.GetInt32(i, INT_MAX), -1);
  EXPECT_EQ(c.GetDouble(d, 0), -1);
  EXPECT_EQ(c.GetByte(b, 4), -1);
  EXPECT_EQ(c.GetBytes(nullptr, 1, 0), -1);
  EXPECT_EQ(i, 99);
  EXPECT_EQ(d, 5.0);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(c.GetInt32(i, 0), 4);
  EXPECT_EQ(i, 7);
}

TEST(StateChunk, HostileTextLengthsNeverReadPastTheEnd) {
  const std::int32_t lengths[] = {-1, -4, INT_MIN, 3, 100, INT_MAX, INT_MAX - 3};
  for (std::int32_t n : lengths) {
    StateChunk c;
    c.PutInt32(n);
    c.PutBytes("xy", 2);  // fewer bytes than any positive length above asks for
    std::string t = "kept";
    EXPECT_EQ(c.GetText(t, 0), -1) << n;
    EXPECT_EQ(t, "kept") << n;
  }
  StateChunk empty;
  empty.PutInt32(0);
  std::string t = "kept";
  EXPECT_EQ(empty.GetText(t, 0), 4);
  EXPECT_EQ(t, "");
}

TEST(StateChunk, ResizeZeroesAndRefusesNegativeSizes) {
  StateChunk c;
  c.PutInt32(-1);
  EXPECT_TRUE(c.Resize(6));
  EXPECT_EQ(Bytes(c), (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
  EXPECT_FALSE(c.Resize(-1));
  EXPECT_EQ(c.Size(), 6);
  EXPECT_FALSE(c.PutBytes(nullptr, 3));
  EXPECT_FALSE(c.PutBytes("abc", -3));
  EXPECT_EQ(c.Size(), 6);
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
}

}  // namespace
