#include <gtest/gtest.h>

#include <cstring>

#include "core/TextBuffer.h"
#include "core/Utf16Conversion.h"

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

TEST(Utf16Conversion, RoundTripsAndMalformedSequencesBecomeOneReplacementEach) {
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z";  // a é € 🎵 z
  const std::u16string units = fx::Utf8ToUtf16(text);
  EXPECT_EQ(units, std::u16string(u"a\u00e9\u20ac\U0001F3B5z"));
  EXPECT_EQ(fx::Utf16ToUtf8(units), text);
  EXPECT_EQ(fx::Utf8ToUtf16("\xFF" "a\xC3"), (std::u16string{u'\uFFFD', u'a', u'\uFFFD'}));
  EXPECT_EQ(fx::Utf8ToUtf16("\xE2\x82"), std::u16string(u"\ufffd\ufffd")) << "cut short at the end";
  EXPECT_EQ(fx::Utf8ToUtf16("\xC0\x80"), std::u16string(1, u'\uFFFD')) << "overlong";
  EXPECT_EQ(fx::Utf8ToUtf16("\xED\xA0\x80"), std::u16string(1, u'\uFFFD')) << "surrogate";
  EXPECT_EQ(fx::Utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string(1, u'\uFFFD')) << "past U+10FFFF";
  EXPECT_EQ(fx::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(fx::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xDC00))), "\xEF\xBF\xBD");
  EXPECT_TRUE(fx::Utf8ToUtf16("").empty());
}

}  // namespace
