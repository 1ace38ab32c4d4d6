#include <gtest/gtest.h>

#include <cstring>

#include "core/TextBuffer.h"

namespace {

TEST(TextBuffer, SetCutsAtTheMaximumAndFormatsLongTexts) {
  fx::TextBuffer t;
  t.Set("Input Gain", 5);
  EXPECT_STREQ(t.Get(), "Input");
  t.SetFormatted(1000, "%0300d", 7);  // longer than the formatter's local buffer
  EXPECT_EQ(t.GetLength(), 300u);
  EXPECT_EQ(t.View().back(), '7');
  t.SetFormatted(4, "%s", "abcdefgh");
  EXPECT_STREQ(t.Get(), "abcd");
}

TEST(TextBuffer, BoundedCopiesNeverPassTheCapacity) {
  char buffer[12];
  std::memset(buffer, 'X', sizeof buffer);
  // 8 bytes of room, the rest are canaries.
  EXPECT_EQ(fx::CopyBounded(buffer, 8, "Output Gain"), 7u);
  EXPECT_STREQ(buffer, "Output ");
  for (int i = 8; i < 12; ++i) EXPECT_EQ(buffer[i], 'X');
  EXPECT_EQ(fx::CopyBounded(buffer, 8, nullptr), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(fx::CopyBounded(buffer, 0, "abc"), 0u);
  EXPECT_EQ(buffer[1], 'u');  // untouched with no room at all
  EXPECT_EQ(fx::CopyBounded(nullptr, 8, "abc"), 0u);
}

}  // namespace
