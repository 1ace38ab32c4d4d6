#include "renderer/Utf8Decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fx::vg {
namespace {

std::vector<char32_t> decode(std::string_view s) {
  std::vector<char32_t> out;
  Utf8Decoder d(s);
  char32_t cp = 0;
  while (d.next(cp)) out.push_back(cp);
  return out;
}

constexpr char32_t R = Utf8Decoder::kReplacement;

TEST(Utf8Decoder, DecodesOneToFourByteSequences) {
  EXPECT_EQ(decode("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5"), (std::vector<char32_t>{0x41, 0xE9, 0x20AC, 0x1F3B5}));
  EXPECT_TRUE(decode("").empty());
}

TEST(Utf8Decoder, MalformedBytesBecomeReplacementOneByteAtATime) {
  EXPECT_EQ(decode("\x80"), (std::vector<char32_t>{R}));           // stray continuation
  EXPECT_EQ(decode("\xC3"), (std::vector<char32_t>{R}));           // truncated
  EXPECT_EQ(decode("\xC3" "A"), (std::vector<char32_t>{R, 0x41}));  // continuation missing
  EXPECT_EQ(decode("\xC0\xAF"), (std::vector<char32_t>{R, R}));    // overlong '/'
  EXPECT_EQ(decode("\xED\xA0\x80"), (std::vector<char32_t>{R, R, R}));  // surrogate
  EXPECT_EQ(decode("\xF4\x90\x80\x80"), (std::vector<char32_t>{R, R, R, R}));  // past U+10FFFF
  EXPECT_EQ(decode("\xFF" "b"), (std::vector<char32_t>{R, 0x62}));
}

TEST(Utf8Decoder, EmbeddedNulIsACodePoint) {
  EXPECT_EQ(decode(std::string_view("a\0b", 3)), (std::vector<char32_t>{0x61, 0, 0x62}));
}

}  // namespace
}  // namespace fx::vg
