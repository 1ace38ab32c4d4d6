// The X11 editor window's rules, without an X server.

#include <gtest/gtest.h>

#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/IGraphics.h"
#include "platform/linux/X11WindowRules.h"

namespace {

using namespace fx::x11;
namespace ig = fx::igraphics;

TEST(X11ScreenScale, ReadsXftDpiFromTheResourceText) {
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t96\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 1.5f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi: 192"), 2.0f);  // last line without newline
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t120.0\r\n"), 1.25f);
}

TEST(X11ScreenScale, UnusableTextsGiveOne) {
  EXPECT_FLOAT_EQ(ScreenScaleFromResources(nullptr), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources(""), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xcursor.size:\t48\n"), 1.0f);
  // A longer resource name that starts the same is not Xft.dpi.
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpiScale:\t192\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\tlarge\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t144x\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t0\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t-96\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\tnan\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\t1e9\n"), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("Xft.dpi:\n"), 1.0f);
  // Only whole lines count: a value inside another line is not read.
  EXPECT_FLOAT_EQ(ScreenScaleFromResources("comment Xft.dpi:\t192\n"), 1.0f);
}

TEST(X11Keys, KeySymbolsMapToVirtualKeys) {
  EXPECT_EQ(VirtualKeyForKeysym(XK_a), 'A');
  EXPECT_EQ(VirtualKeyForKeysym(XK_Z), 'Z');
  EXPECT_EQ(VirtualKeyForKeysym(XK_7), '7');
  EXPECT_EQ(VirtualKeyForKeysym(XK_F1), 0x70);
  EXPECT_EQ(VirtualKeyForKeysym(XK_F12), 0x7B);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_0), 0x60);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_9), 0x69);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Return), 0x0D);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_Enter), 0x0D);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Escape), 0x1B);
  EXPECT_EQ(VirtualKeyForKeysym(XK_BackSpace), 0x08);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Tab), 0x09);
  EXPECT_EQ(VirtualKeyForKeysym(XK_space), 0x20);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Left), 0x25);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Up), 0x26);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Right), 0x27);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Down), 0x28);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_Left), 0x25);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Delete), 0x2E);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Home), 0x24);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Next), 0x22);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Shift_R), 0x10);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Control_L), 0x11);
  EXPECT_EQ(VirtualKeyForKeysym(XK_Alt_L), 0x12);
  EXPECT_EQ(VirtualKeyForKeysym(XK_minus), 0xBD);
  EXPECT_EQ(VirtualKeyForKeysym(XK_equal), 0xBB);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_Add), 0x6B);
  EXPECT_EQ(VirtualKeyForKeysym(XK_KP_Subtract), 0x6D);
  EXPECT_EQ(VirtualKeyForKeysym(XK_period), 0xBE);
  // Keys without a virtual key.
  EXPECT_EQ(VirtualKeyForKeysym(0), 0);
  EXPECT_EQ(VirtualKeyForKeysym(XK_eacute), 0);
  EXPECT_EQ(VirtualKeyForKeysym(0xFFFFFFFFu), 0);
}

TEST(X11Keys, KeyRecordCarriesCharacterAndModifiers) {
  fx::IKeyPress k = KeyPressFromLookup(XK_a, "a", 1, 0);
  EXPECT_EQ(k.vk, 'A');
  EXPECT_STREQ(k.utf8, "a");
  EXPECT_FALSE(k.shift || k.ctrl || k.alt);

  k = KeyPressFromLookup(XK_A, "A", 1, kShiftMask);
  EXPECT_EQ(k.vk, 'A');
  EXPECT_STREQ(k.utf8, "A");
  EXPECT_TRUE(k.shift);

  // Control-a types the control character 1: no character in the record.
  k = KeyPressFromLookup(XK_a, "\x01", 1, kControlMask | kMod1Mask);
  EXPECT_EQ(k.vk, 'A');
  EXPECT_STREQ(k.utf8, "");
  EXPECT_TRUE(k.ctrl);
  EXPECT_TRUE(k.alt);

  // Latin-1 e-acute becomes UTF-8.
  const char eacute[] = {static_cast<char>(0xE9), 0};
  k = KeyPressFromLookup(XK_eacute, eacute, 1, 0);
  EXPECT_EQ(k.vk, 0);
  EXPECT_STREQ(k.utf8, "\xC3\xA9");

  k = KeyPressFromLookup(XK_Return, "\r", 1, 0);
  EXPECT_EQ(k.vk, 0x0D);
  EXPECT_STREQ(k.utf8, "");
  k = KeyPressFromLookup(XK_Left, nullptr, 0, 0);
  EXPECT_EQ(k.vk, 0x25);
  EXPECT_STREQ(k.utf8, "");
  k = KeyPressFromLookup(XK_b, "bc", 2, 0);
  EXPECT_STREQ(k.utf8, "");
  k = KeyPressFromLookup(XK_b, "b", -1, 0);
  EXPECT_STREQ(k.utf8, "");
  k = KeyPressFromLookup(XK_Delete, "\x7f", 1, 0);
  EXPECT_STREQ(k.utf8, "");
}

TEST(X11Cursors, EveryKindHasItsFontCursor) {
  EXPECT_EQ(FontCursorShapeForKind(ig::kArrowCursor), static_cast<std::uint32_t>(XC_left_ptr));
  EXPECT_EQ(FontCursorShapeForKind(ig::kIBeamCursor), static_cast<std::uint32_t>(XC_xterm));
  EXPECT_EQ(FontCursorShapeForKind(ig::kWaitCursor), static_cast<std::uint32_t>(XC_watch));
  EXPECT_EQ(FontCursorShapeForKind(ig::kCrossCursor), static_cast<std::uint32_t>(XC_crosshair));
  EXPECT_EQ(FontCursorShapeForKind(ig::kUpArrowCursor), static_cast<std::uint32_t>(XC_sb_up_arrow));
  EXPECT_EQ(FontCursorShapeForKind(ig::kSizeNWSECursor), static_cast<std::uint32_t>(XC_bottom_right_corner));
  EXPECT_EQ(FontCursorShapeForKind(ig::kSizeNESWCursor), static_cast<std::uint32_t>(XC_bottom_left_corner));
  EXPECT_EQ(FontCursorShapeForKind(ig::kSizeWECursor), static_cast<std::uint32_t>(XC_sb_h_double_arrow));
  EXPECT_EQ(FontCursorShapeForKind(ig::kSizeNSCursor), static_cast<std::uint32_t>(XC_sb_v_double_arrow));
  EXPECT_EQ(FontCursorShapeForKind(ig::kSizeAllCursor), static_cast<std::uint32_t>(XC_fleur));
  EXPECT_EQ(FontCursorShapeForKind(ig::kNoCursor), static_cast<std::uint32_t>(XC_X_cursor));
  EXPECT_EQ(FontCursorShapeForKind(ig::kHandCursor), static_cast<std::uint32_t>(XC_hand2));
  EXPECT_EQ(FontCursorShapeForKind(ig::kAppStartingCursor), static_cast<std::uint32_t>(XC_watch));
  EXPECT_EQ(FontCursorShapeForKind(ig::kHelpCursor), static_cast<std::uint32_t>(XC_question_arrow));
  EXPECT_EQ(FontCursorShapeForKind(-1), static_cast<std::uint32_t>(XC_left_ptr));
  EXPECT_EQ(FontCursorShapeForKind(999), static_cast<std::uint32_t>(XC_left_ptr));
}

TEST(X11Selection, OwnerAnswersTheTextTargets) {
  const std::string text = "Gain 3 dB";
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::Targets, text), SelectionAnswer::TargetList);
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::Utf8String, text), SelectionAnswer::Utf8Text);
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::Text, text), SelectionAnswer::Utf8Text);
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::String, text), SelectionAnswer::Latin1Text);
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::Other, text), SelectionAnswer::Refuse);
}

TEST(X11Selection, NoOwnerOrUnrepresentableTextIsRefused) {
  EXPECT_EQ(AnswerSelectionRequest(false, SelectionTarget::Utf8String, "x"), SelectionAnswer::Refuse);
  EXPECT_EQ(AnswerSelectionRequest(false, SelectionTarget::Targets, "x"), SelectionAnswer::Refuse);
  // U+20AC (euro) has no Latin-1 form, but UTF8_STRING carries it.
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::String, "5 \xE2\x82\xAC"), SelectionAnswer::Refuse);
  EXPECT_EQ(AnswerSelectionRequest(true, SelectionTarget::Utf8String, "5 \xE2\x82\xAC"), SelectionAnswer::Utf8Text);
}

TEST(X11Selection, Latin1Conversion) {
  std::string out = "stale";
  ASSERT_TRUE(Latin1FromUtf8("caf\xC3\xA9 \xC2\xB0", out));
  EXPECT_EQ(out, "caf\xE9 \xB0");
  ASSERT_TRUE(Latin1FromUtf8("", out));
  EXPECT_EQ(out, "");
  out = "stale";
  EXPECT_FALSE(Latin1FromUtf8("\xE2\x82\xAC", out));  // above U+00FF
  EXPECT_EQ(out, "");
  EXPECT_FALSE(Latin1FromUtf8("\xC3", out));          // cut short
  EXPECT_FALSE(Latin1FromUtf8("\xC3\x41", out));      // bad continuation
  EXPECT_FALSE(Latin1FromUtf8("\xFF", out));          // not UTF-8
}

}  // namespace
