// The editor window's rules that need no window: pacing, timer interval,
// scales and opening size, the pen/touch signature, cursor ids, the text
// entry's style and character filter, text conversions, popup menu building
// and font naming, run natively on the fake layer.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "FakeWin32Api.h"
#include "platform/win/FontNameTable.h"
#include "platform/win/FramePacer.h"
#include "platform/win/PopupMenuBuilder.h"
#include "platform/win/TextConversion.h"
#include "platform/win/TextEntryFilter.h"
#include "platform/win/WindowRules.h"
#include "platform/win/WinConstants.h"

// Debian's DejaVu fonts; under Wine the Unix root is drive Z:.
#if defined(_WIN32)
#define FX_FONT_DIR "Z:/usr/share/fonts/truetype/dejavu/"
#else
#define FX_FONT_DIR "/usr/share/fonts/truetype/dejavu/"
#endif

namespace {

using namespace fx::win;
using fx::igraphics::IPopupMenu;
using fx::ParamKind;

// ---------------------------------------------------------------- pacing

TEST(FramePacing, TimerIntervalIsWholeMillisecondsButFifteenBelowTwenty) {
  EXPECT_EQ(FrameTimerInterval(60), 15u);  // 16 is below 20
  EXPECT_EQ(FrameTimerInterval(30), 33u);
  EXPECT_EQ(FrameTimerInterval(50), 20u);
  EXPECT_EQ(FrameTimerInterval(51), 15u);
  EXPECT_EQ(FrameTimerInterval(1), 1000u);
  EXPECT_EQ(FrameTimerInterval(0), 15u);
  EXPECT_EQ(FrameTimerInterval(-5), 15u);
}

TEST(FramePacing, OnlyTheLatestSerialTicksAndALateTickSkipsTheNext) {
  FramePacer pacer;
  const std::uint32_t first = pacer.NextSerial();
  EXPECT_EQ(first, 1u);
  EXPECT_TRUE(pacer.BeginTick(first));
  pacer.EndTick(first);
  EXPECT_EQ(pacer.SkipMark(), 0u);  // nothing posted meanwhile

  // Two frames posted before the tick runs: the stale one is dropped.
  const std::uint32_t stale = pacer.NextSerial();
  const std::uint32_t latest = pacer.NextSerial();
  EXPECT_FALSE(pacer.BeginTick(stale));
  EXPECT_TRUE(pacer.BeginTick(latest));
  // While that tick ran the thread posted another frame: the next is skipped.
  const std::uint32_t during = pacer.NextSerial();
  pacer.EndTick(latest);
  EXPECT_EQ(pacer.SkipMark(), during + 1);
  EXPECT_FALSE(pacer.BeginTick(during));  // mark ahead of current: nothing
  EXPECT_EQ(pacer.SkipMark(), during + 1);
  // Once the serial reaches the mark, the mark clears and ticks run again.
  const std::uint32_t reached = pacer.NextSerial();
  ASSERT_EQ(reached, during + 1);
  EXPECT_TRUE(pacer.BeginTick(reached));
  EXPECT_EQ(pacer.SkipMark(), 0u);
}

// ---------------------------------------------------------------- scale and size

TEST(WindowRules, ScreenScaleOfDpiAndOpeningSizeAt144Dpi) {
  EXPECT_FLOAT_EQ(ScreenScaleForDpi(96), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleForDpi(0), 1.0f);
  EXPECT_FLOAT_EQ(ScreenScaleForDpi(144), 1.5f);
  EXPECT_FLOAT_EQ(ScreenScaleForDpi(192), 2.0f);
  // The page at half scale; at 144 dpi the opening scale truncates to 1.
  const PixelSize at144 = OpeningSize(1630, 1010, 0.5f, static_cast<std::int32_t>(ScreenScaleForDpi(144)));
  EXPECT_EQ(at144.width, 815);
  EXPECT_EQ(at144.height, 505);
  const PixelSize at192 = OpeningSize(1630, 1010, 0.5f, 2);
  EXPECT_EQ(at192.width, 1630);
  EXPECT_EQ(at192.height, 1010);
  // Whole pixels at draw scale first, then the screen factor.
  const PixelSize odd = OpeningSize(101, 51, 0.5f, 2);
  EXPECT_EQ(odd.width, 100);
  EXPECT_EQ(odd.height, 50);
  const PixelSize bad = OpeningSize(100, 100, -1.0f, 0);
  EXPECT_EQ(bad.width, 100);
}

TEST(WindowRules, PenAndTouchSignatureCursorIdsEditStylesAndColours) {
  EXPECT_TRUE(IsPenOrTouchMessage(0xFF515700));
  EXPECT_TRUE(IsPenOrTouchMessage(0xFF515780));
  EXPECT_FALSE(IsPenOrTouchMessage(0xFF515600));
  EXPECT_FALSE(IsPenOrTouchMessage(0));
  EXPECT_FALSE(IsPenOrTouchMessage(0x7F515700));

  EXPECT_EQ(SystemCursorForKind(0), 32512u);
  EXPECT_EQ(SystemCursorForKind(1), 32513u);
  EXPECT_EQ(SystemCursorForKind(5), 32642u);
  EXPECT_EQ(SystemCursorForKind(9), 32646u);
  EXPECT_EQ(SystemCursorForKind(10), 32648u);
  EXPECT_EQ(SystemCursorForKind(13), 32651u);
  EXPECT_EQ(SystemCursorForKind(14), 32512u);
  EXPECT_EQ(SystemCursorForKind(-1), 32512u);

  EXPECT_EQ(TextEntryStyle(0), 0x56000084u);
  EXPECT_EQ(TextEntryStyle(1), 0x56000085u);
  EXPECT_EQ(TextEntryStyle(2), 0x56000086u);
  EXPECT_EQ(TextEntryStyle(7), 0x56000085u);

  EXPECT_EQ(ColourRef(0x12, 0x34, 0x56), 0x563412u);
  EXPECT_EQ(ColourRef(300, -4, 255), 0xFF00FFu);
}

// ---------------------------------------------------------------- text entry

TEST(WindowRules, PixelFormatToSetIsTheChoiceOrItsCopyingTwin) {
  const std::uint32_t exchange = kPixelFormatFlags | kPfdSwapExchange, copy = kPixelFormatFlags | kPfdSwapCopy;
  const std::vector<PixelFormatInfo> formats = {{exchange, 0, 32, 8, 24, 8},
                                                {kPixelFormatFlags, 0, 32, 8, 24, 8},
                                                {copy, 0, 24, 0, 24, 8},
                                                {copy, 0, 32, 8, 24, 8},
                                                {copy, 0, 32, 8, 24, 8}};
  EXPECT_TRUE(SwapsByCopying(formats[3]));
  EXPECT_FALSE(SwapsByCopying(formats[0]));
  EXPECT_FALSE(SwapsByCopying(formats[1]));
  EXPECT_EQ(PixelFormatToSet(formats, 1), 4);  // the first twin
  EXPECT_EQ(PixelFormatToSet(formats, 2), 4);  // no swap method named: still a twin
  EXPECT_EQ(PixelFormatToSet(formats, 3), 3);  // copies already
  EXPECT_EQ(PixelFormatToSet(formats, 5), 5);
  EXPECT_EQ(PixelFormatToSet({formats[0], formats[2]}, 1), 1);  // no twin
  EXPECT_EQ(PixelFormatToSet(formats, 0), 0);  // no choice, none made up
  // Flags that name no swap method: WGL_ARB_pixel_format's answer counts,
  // but not against flags that name one.
  const std::vector<PixelFormatInfo> unnamed = {{kPixelFormatFlags, 0, 32, 8, 24, 8, kWglSwapUndefinedArb},
                                                {exchange, 0, 32, 8, 24, 8, kWglSwapCopyArb},
                                                {kPixelFormatFlags, 0, 32, 8, 24, 8, kWglSwapExchangeArb},
                                                {kPixelFormatFlags, 0, 32, 8, 24, 8, kWglSwapCopyArb}};
  EXPECT_FALSE(SwapsByCopying(unnamed[0]));
  EXPECT_FALSE(SwapsByCopying(unnamed[1]));
  EXPECT_TRUE(SwapsByCopying(unnamed[3]));
  EXPECT_EQ(PixelFormatToSet(unnamed, 1), 4);
  EXPECT_EQ(PixelFormatToSet(unnamed, 3), 4);
  EXPECT_EQ(PixelFormatToSet(formats, 9), 9);
}

TEST(TextEntry, CharacterFilterByParameterKind) {
  for (ParamKind kind : {ParamKind::Boolean, ParamKind::Integer, ParamKind::Enumerated}) {
    EXPECT_TRUE(TextEntryAcceptsForKind(kind, '7'));
    EXPECT_TRUE(TextEntryAcceptsForKind(kind, '-'));
    EXPECT_TRUE(TextEntryAcceptsForKind(kind, '+'));
    EXPECT_TRUE(TextEntryAcceptsForKind(kind, 8));
    EXPECT_FALSE(TextEntryAcceptsForKind(kind, '.'));
    EXPECT_FALSE(TextEntryAcceptsForKind(kind, 'a'));
  }
  EXPECT_TRUE(TextEntryAcceptsForKind(ParamKind::Real, '.'));
  EXPECT_TRUE(TextEntryAcceptsForKind(ParamKind::Real, '0'));
  EXPECT_FALSE(TextEntryAcceptsForKind(ParamKind::Real, 'x'));
  EXPECT_FALSE(TextEntryAcceptsForKind(ParamKind::Real, ' '));
  EXPECT_TRUE(TextEntryAcceptsForKind(ParamKind::None, 'x'));

  fx::IParam real;
  real.InitReal("Gain", 0.0, -12.0, 12.0, 0.01, "dB", fx::IParam::ShapeLinear());
  EXPECT_FALSE(TextEntryAccepts(&real, 'q'));
  EXPECT_TRUE(TextEntryAccepts(&real, '.'));
  EXPECT_TRUE(TextEntryAccepts(nullptr, 'q'));
}

TEST(TextEntry, FileFiltersFromExtensionLists) {
  const FileFilter f = MakeFileFilter("wav aif");
  EXPECT_EQ(f.filter, "*.wav;*.aif");
  EXPECT_EQ(f.defaultExtension, "wav");
  EXPECT_EQ(MakeFileFilter("").filter, "");
  EXPECT_EQ(MakeFileFilter("  fxp ").filter, "*.fxp");
}

// ---------------------------------------------------------------- menus

TEST(PopupMenu, PrefixesAndAmpersands) {
  EXPECT_EQ(MenuItemText("Gain", 0, 1), "Gain");
  EXPECT_EQ(MenuItemText("Gain", 1, 3), "3: Gain");
  EXPECT_EQ(MenuItemText("Gain", 2, 3), "03: Gain");
  EXPECT_EQ(MenuItemText("Gain", 3, 12), "012: Gain");
  EXPECT_EQ(MenuItemText("Rock & Roll", 0, 1), "Rock && Roll");
  EXPECT_EQ(MenuItemText("&&", 2, 1), "01: &&&&");

  test::FakeWin32Api api;
  IPopupMenu menu("", 2);
  menu.AddItem("A&B");
  menu.AddItem("C", IPopupMenu::Item::kChecked);
  menu.AddItem("D", IPopupMenu::Item::kDisabled);
  menu.AddItem("E", IPopupMenu::Item::kTitle);
  menu.AddSeparator();
  std::int32_t offset = 0;
  Handle native = BuildNativeMenu(api, menu, offset);
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(offset, 5);
  const auto& items = api.menus[native];
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "01: A&&B");
  EXPECT_EQ(items[0].item, 0u);
  EXPECT_EQ(items[0].flags, 0u);
  EXPECT_EQ(items[1].text, "02: C");
  EXPECT_EQ(items[1].flags, kMenuChecked);
  EXPECT_EQ(items[2].flags, kMenuGrayed);
  EXPECT_EQ(items[3].flags, kMenuDisabled);
  EXPECT_EQ(items[4].flags, kMenuSeparator);
}

TEST(PopupMenu, SubMenuIdsFollowTheParentsBlockAndMapBack) {
  test::FakeWin32Api api;
  IPopupMenu top;
  top.AddItem("zero");
  IPopupMenu::Item* withSub = top.AddItem("one");
  top.AddItem("two");
  top.AddItem("three");
  auto sub = std::make_unique<IPopupMenu>();
  sub->AddItem("s0");
  sub->AddItem("s1");
  sub->AddItem("s2");
  IPopupMenu* subMenu = sub.get();
  withSub->SetSubmenu(std::move(sub));

  std::int32_t offset = 0;
  Handle native = BuildNativeMenu(api, top, offset);
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(offset, 7);
  const auto& items = api.menus[native];
  EXPECT_EQ(items[0].item, 0u);
  EXPECT_EQ(items[1].flags & kMenuPopup, kMenuPopup);
  EXPECT_EQ(items[2].item, 2u);
  EXPECT_EQ(items[3].item, 3u);
  Handle subNative = reinterpret_cast<Handle>(items[1].item);
  ASSERT_EQ(api.menus[subNative].size(), 3u);
  EXPECT_EQ(api.menus[subNative][0].item, 4u);
  EXPECT_EQ(api.menus[subNative][2].item, 6u);

  std::int32_t index = -1;
  EXPECT_EQ(MenuForCommand(top, 5, index), subMenu);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(MenuForCommand(top, 3, index), &top);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(MenuForCommand(top, 7, index), nullptr);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(MenuForCommand(top, -1, index), nullptr);
}

TEST(PopupMenu, ColumnBreaksEveryColumnCountButNoneFrom160Items) {
  test::FakeWin32Api api;
  IPopupMenu menu;
  menu.SetNColumns(10);
  for (int i = 0; i < 25; ++i) menu.AddItem("x");
  std::int32_t offset = 0;
  Handle native = BuildNativeMenu(api, menu, offset);
  std::vector<int> breaks;
  for (std::size_t i = 0; i < api.menus[native].size(); ++i)
    if (api.menus[native][i].flags & kMenuBarBreak) breaks.push_back(static_cast<int>(i));
  EXPECT_EQ(breaks, (std::vector<int>{10, 20}));

  IPopupMenu big;
  big.SetNColumns(10);
  for (int i = 0; i < 160; ++i) big.AddItem("y");
  offset = 0;
  Handle bigNative = BuildNativeMenu(api, big, offset);
  for (const auto& item : api.menus[bigNative]) EXPECT_EQ(item.flags & kMenuBarBreak, 0u);

  IPopupMenu at159;
  at159.SetNColumns(50);
  for (int i = 0; i < 159; ++i) at159.AddItem("z");
  offset = 0;
  Handle native159 = BuildNativeMenu(api, at159, offset);
  EXPECT_EQ(api.menus[native159][50].flags & kMenuBarBreak, kMenuBarBreak);
}

// ---------------------------------------------------------------- font naming

std::vector<std::uint8_t> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A minimal font: a directory with a name table holding one record.
std::vector<std::uint8_t> TinyFont(std::uint16_t platform, std::uint16_t language, const std::vector<std::uint8_t>& name,
                                   bool withHeadBold) {
  std::vector<std::uint8_t> f;
  const auto u16 = [&f](std::uint32_t v) {
    f.push_back(static_cast<std::uint8_t>(v >> 8));
    f.push_back(static_cast<std::uint8_t>(v));
  };
  const auto u32 = [&u16](std::uint32_t v) {
    u16(v >> 16);
    u16(v & 0xFFFF);
  };
  const std::uint16_t tables = withHeadBold ? 2 : 1;
  u32(0x00010000);
  u16(tables);
  u16(0);
  u16(0);
  u16(0);
  const std::uint32_t dirEnd = 12 + 16u * tables;
  const std::uint32_t nameLength = 6 + 12 + static_cast<std::uint32_t>(name.size());
  u32(0x6E616D65);  // name
  u32(0);
  u32(dirEnd);
  u32(nameLength);
  if (withHeadBold) {
    u32(0x68656164);  // head
    u32(0);
    u32(dirEnd + nameLength);
    u32(54);
  }
  u16(0);
  u16(1);
  u16(18);
  u16(platform);
  u16(platform == 3 ? 1 : 0);
  u16(language);
  u16(1);
  u16(static_cast<std::uint32_t>(name.size()));
  u16(0);
  f.insert(f.end(), name.begin(), name.end());
  if (withHeadBold) {
    std::vector<std::uint8_t> head(54, 0);
    head[45] = 0x03;  // macStyle: bold, italic
    f.insert(f.end(), head.begin(), head.end());
  }
  return f;
}

TEST(FontNaming, FamilyAndStyleBitsFromRealAndMadeFonts) {
  const auto regular = ReadBytes(FX_FONT_DIR "DejaVuSans.ttf");
  const auto bold = ReadBytes(FX_FONT_DIR "DejaVuSans-Bold.ttf");
  const auto oblique = ReadBytes(FX_FONT_DIR "DejaVuSerif-Italic.ttf");
  ASSERT_FALSE(regular.empty());
  FontNaming n;
  ASSERT_TRUE(ReadFontNaming(regular.data(), regular.size(), n));
  EXPECT_EQ(n.family, "DejaVu Sans");
  EXPECT_FALSE(n.bold);
  EXPECT_FALSE(n.italic);
  ASSERT_TRUE(ReadFontNaming(bold.data(), bold.size(), n));
  EXPECT_EQ(n.family, "DejaVu Sans");
  EXPECT_TRUE(n.bold);
  ASSERT_TRUE(ReadFontNaming(oblique.data(), oblique.size(), n));
  EXPECT_EQ(n.family, "DejaVu Serif");
  EXPECT_TRUE(n.italic);

  // Windows records are UTF-16 big-endian; Macintosh ones single bytes.
  const auto win = TinyFont(3, 0x409, {0, 'Q', 0, 'x', 0x00, 0xE9}, false);
  ASSERT_TRUE(ReadFontNaming(win.data(), win.size(), n));
  EXPECT_EQ(n.family, "Qx\xC3\xA9");
  const auto mac = TinyFont(1, 0, {'M', 'a', 'c'}, true);
  ASSERT_TRUE(ReadFontNaming(mac.data(), mac.size(), n));
  EXPECT_EQ(n.family, "Mac");
  EXPECT_TRUE(n.bold);
  EXPECT_TRUE(n.italic);
}

TEST(FontNaming, TruncatedOrBrokenDataIsRefused) {
  const auto win = TinyFont(3, 0x409, {0, 'Q'}, false);
  FontNaming n;
  n.family = "kept";
  for (std::size_t size = 0; size < win.size(); ++size) {
    EXPECT_FALSE(ReadFontNaming(win.data(), size, n)) << size;
  }
  EXPECT_EQ(n.family, "kept");
  EXPECT_FALSE(ReadFontNaming(nullptr, 100, n));
  auto lying = win;
  lying[24] = 0x7F;  // a name table far longer than the data
  EXPECT_FALSE(ReadFontNaming(lying.data(), lying.size(), n));
  // A collection whose first font lies outside the data.
  std::vector<std::uint8_t> ttc = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 1, 0x7F, 0, 0, 0};
  EXPECT_FALSE(ReadFontNaming(ttc.data(), ttc.size(), n));
}

}  // namespace
