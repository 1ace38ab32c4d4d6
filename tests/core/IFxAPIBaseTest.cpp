#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeGraphicsContext.h"
#include "TestPlugin.h"
#include "TraceCapture.h"

namespace {

using fx::IFxAPIBase;
using testing_support::FakeGraphicsContext;
using testing_support::TestConfig;
using testing_support::TestPlugin;
using testing_support::TraceCapture;

TEST(IFxAPIBase, KeepsTheConfiguration) {
  fx::IFxConfig config = TestConfig();
  const std::string longName(200, 'x');
  config.makerName = longName.c_str();
  TestPlugin p(config);
  EXPECT_EQ(p.NParams(), 7);
  EXPECT_EQ(p.NPresets(), 1);
  EXPECT_STREQ(p.GetPluginName(), "Ombrisk");
  EXPECT_EQ(std::string(p.GetMakerName()), std::string(128, 'x'));
  EXPECT_EQ(p.GetUniqueId(), 0x756A7061);
  EXPECT_EQ(p.GetMakerId(), 0x484C5654);
  EXPECT_EQ(p.GetPluginVersion(), 0x00010000);
  EXPECT_EQ(p.GetHostId(), -1);
  EXPECT_EQ(p.GetHostVersion(), 0);
  EXPECT_STREQ(p.GetAPIName(), "VST2");
  EXPECT_EQ(p.GetEditorWidth(), 1630);
  EXPECT_EQ(p.GetEditorHeight(), 1010);
  EXPECT_EQ(p.GetMinWidth(), 815);  // ordered although given the other way round
  EXPECT_EQ(p.GetMaxWidth(), 3260);
  EXPECT_EQ(p.GetMinHeight(), 505);
  EXPECT_EQ(p.GetMaxHeight(), 2020);
  EXPECT_TRUE(p.HasEditor());
  EXPECT_TRUE(p.HostCanResize());
  EXPECT_FALSE(p.DoesStateChunks());
  EXPECT_STREQ(IFxAPIBase::APIName(7), "WEB");
  EXPECT_STREQ(IFxAPIBase::APIName(8), "");
  EXPECT_STREQ(IFxAPIBase::APIName(-1), "");

  fx::IFxConfig hostile;
  hostile.nParams = -3;
  hostile.nPresets = -1;
  hostile.pluginName = nullptr;
  TestPlugin empty(hostile);
  EXPECT_EQ(empty.NParams(), 0);
  EXPECT_EQ(empty.NPresets(), 0);
  EXPECT_STREQ(empty.GetPluginName(), "");
}

TEST(IFxAPIBase, IdentifiesHostsInTableOrder) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"Cubase VST", 3},          {"WaveLab Elements 10", 32}, {"WaveLab 10", 31}, {"Bitwig Studio", 34},
      {"My Standalone Host", 24}, {"", 0},                      {"Foo", 0},         {"REAPER", 1},
      {"Ableton Live 11", 9},     {"Studio One (PreSonus)", 26}, {"www.example", 35}, {"Blue Cat's VST Host", 44},
      {"Reason Live", 9},  // "live" is tested before "reason"
  };
  for (const auto& c : cases) EXPECT_EQ(IFxAPIBase::IdentifyHost(c.first), c.second) << c.first;
  EXPECT_EQ(IFxAPIBase::IdentifyHost(nullptr), 0);
  // Only the first 255 characters are looked at.
  const std::string padded = std::string(255, ' ') + "reaper";
  EXPECT_EQ(IFxAPIBase::IdentifyHost(padded.c_str()), 0);
  EXPECT_EQ(IFxAPIBase::IdentifyHost(padded.substr(6).c_str()), 1);
}

TEST(IFxAPIBase, SetHostRecordsAndTraces) {
  TraceCapture trace;
  TestPlugin p;
  p.SetHost("Cubase VST", 10 << 16 | 2 << 8 | 3);
  EXPECT_EQ(p.GetHostId(), 3);
  fx::TextBuffer v;
  p.GetHostVersionText(v);
  EXPECT_STREQ(v.Get(), "v10.2.3");
  TestPlugin q;
  q.SetHost("Nowhere DAW", 0);
  q.SetHost(nullptr, 0);
  EXPECT_EQ(trace.TextsOf("fx::IFxAPIBase::SetHost"),
            (std::vector<std::string>{"host_known:Cubase VST:v10.2.3", "host_unknown:Nowhere DAW:v0.0.0",
                                      "host_unknown::v0.0.0"}));
  EXPECT_EQ(trace.Records().back().format, "host_%sknown:%s:%s");
}

// True when text has the shape of pattern, where '9' stands for any digit,
// '+' for either sign and every other character for itself. (std::regex
// would do, at the cost of compiling it into every build of this file.)
bool HasShape(const std::string& text, const std::string& pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool fits = pattern[i] == '9'   ? (c >= '0' && c <= '9')
                      : pattern[i] == '+' ? (c == '+' || c == '-')
                                          : c == pattern[i];
    if (!fits) return false;
  }
  return true;
}

TEST(IFxAPIBase, ConstructionTraceCarriesLocalTimeAndOffset) {
  EXPECT_TRUE(HasShape("Ombrisk:20261208 17:03 -0130", "Ombrisk:99999999 99:99 +9999"));
  EXPECT_FALSE(HasShape("Ombrisk:2026120 17:03 +0100", "Ombrisk:99999999 99:99 +9999"));
  EXPECT_FALSE(HasShape("Ombrisk:20261208 17:0x +0100", "Ombrisk:99999999 99:99 +9999"));
  EXPECT_FALSE(HasShape("Ombrisk:20261208 17:03 =0100", "Ombrisk:99999999 99:99 +9999"));
  TraceCapture trace;
  TestPlugin p;
  const auto texts = trace.TextsOf("fx::IFxAPIBase::IFxAPIBase");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(HasShape(texts[0], "Ombrisk:99999999 99:99 +9999")) << texts[0];
  EXPECT_EQ(texts[0].substr(8), IFxAPIBase::GetConstructionTimestamp());
  EXPECT_EQ(trace.Records().front().format, "%s:%s");
}

// What OnTimerTick is handed when a test ticks by hand.
class HandTimer : public fx::Timer {
 public:
  void Stop() override {}
};

std::tm Tm(int year, int yday, int mon, int mday, int hour, int min) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_yday = yday;
  t.tm_mon = mon;
  t.tm_mday = mday;
  t.tm_hour = hour;
  t.tm_min = min;
  return t;
}

TEST(IFxAPIBase, TimestampOffsetAcrossDaysAndYears) {
  fx::TextBuffer out;
  IFxAPIBase::FormatTimestamp(Tm(2024, 100, 3, 10, 14, 30), Tm(2024, 100, 3, 10, 12, 30), out);
  EXPECT_STREQ(out.Get(), "20240410 14:30 +0200");
  IFxAPIBase::FormatTimestamp(Tm(2024, 101, 3, 11, 1, 0), Tm(2024, 100, 3, 10, 19, 30), out);
  EXPECT_STREQ(out.Get(), "20240411 01:00 +0530");
  IFxAPIBase::FormatTimestamp(Tm(2024, 100, 3, 10, 20, 0), Tm(2024, 101, 3, 11, 1, 0), out);
  EXPECT_STREQ(out.Get(), "20240410 20:00 -0500");
  // Local time already in the new year, universal time still in the old one.
  IFxAPIBase::FormatTimestamp(Tm(2025, 0, 0, 1, 0, 30), Tm(2024, 365, 11, 31, 23, 0), out);
  EXPECT_STREQ(out.Get(), "20250101 00:30 +0130");
  IFxAPIBase::FormatTimestamp(Tm(2024, 365, 11, 31, 22, 0), Tm(2025, 0, 0, 1, 3, 45), out);
  EXPECT_STREQ(out.Get(), "20241231 22:00 -0545");
}

TEST(IFxAPIBaseQueues, WithoutEditorTicksOnlyIdleAndTheQueuesFillThenDrop) {
  TestPlugin p(TestConfig(7, 1, false));
  HandTimer timer;
  for (std::int32_t i = 0; i < 600; ++i) p.QueueParamValueForEditor(i % 7, 1.0, false);
  fx::MidiMessage m;
  for (std::int32_t i = 0; i < 40; ++i) EXPECT_EQ(p.QueueMidiForEditor(m), i < 32);
  p.OnTimerTick(timer);
  EXPECT_EQ(p.log, std::vector<std::string>{"idle"});
  EXPECT_EQ(p.ParamsToEditor().Count(), 512);
  EXPECT_EQ(p.MidiToEditor().Count(), 32);
}

TEST(IFxAPIBaseQueues, FiveHundredTwelveChangesFitBetweenTwoTicks) {
  TestPlugin p;
  HandTimer timer;
  FakeGraphicsContext* g = nullptr;
  p.SetEditorCreateFunction([&] {
    auto made = std::make_unique<FakeGraphicsContext>(1630, 1010, 0.5f);
    made->controls = {{1, {0}, true}};
    g = made.get();
    return made;
  });
  p.OpenEditor(nullptr);
  for (std::int32_t i = 0; i < 513; ++i) p.QueueParamValueForEditor(0, i % 200, false);
  p.QueueParamValueForEditor(0, 0.5, true);  // dropped as well: full
  p.QueueParamValueForEditor(9, 0.5, true);  // no such parameter
  g->applied.clear();
  p.log.clear();
  p.OnTimerTick(timer);
  ASSERT_EQ(g->applied.size(), 512u);
  for (std::size_t i = 0; i < 512; ++i) EXPECT_EQ(g->applied[i].value, static_cast<double>(i % 200) / 200.0) << i;
  EXPECT_EQ(p.LogOf("inEditor 0 Editor Delegate").size(), 512u);
  EXPECT_EQ(p.log.back(), "idle");

  // Normalised values are queued as real values.
  g->applied.clear();
  p.QueueParamValueForEditor(0, 0.25, true);
  EXPECT_EQ(p.ParamsToEditor().Count(), 1);
  IFxAPIBase::ParamChange change;
  ASSERT_TRUE(p.ParamsToEditor().Pop(change));
  EXPECT_EQ(change.value, 50.0);

  // MIDI and system-exclusive messages for the editor.
  fx::MidiMessage m;
  m.status = 0xB0;
  p.QueueMidiForEditor(m);
  const std::uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
  EXPECT_TRUE(p.QueueSysExForEditor({0, 3, bytes}));
  p.log.clear();
  p.OnTimerTick(timer);
  EXPECT_EQ(g->midi, (std::vector<std::pair<std::int32_t, std::uint8_t>>{{0, 0xB0}}));
  EXPECT_EQ(p.log, (std::vector<std::string>{"midi 176", "sysex 3 240", "idle"}));
}

TEST(IFxAPIBaseQueues, ARestoredStateReachesTheEditorAtTheNextTick) {
  TestPlugin p;
  HandTimer timer;
  FakeGraphicsContext* g = nullptr;
  p.SetEditorCreateFunction([&] {
    auto made = std::make_unique<FakeGraphicsContext>(1630, 1010, 0.5f);
    made->controls = {{-1, {0}, false}, {-1, {6}, false}};
    g = made.get();
    return made;
  });
  p.OpenEditor(nullptr);
  p.GetParam(0)->SetValue(100.0);
  // A host may restore state from any thread: the controls are not touched there.
  p.OnStateRestored();
  p.OnStateRestored();
  EXPECT_TRUE(g->applied.empty());
  EXPECT_TRUE(p.LogOf("inEditor").empty());
  p.OnTimerTick(timer);
  EXPECT_EQ(g->applied, (std::vector<FakeGraphicsContext::Applied>{{0, 0.5, 0}, {1, 0.5, 0}}))
      << "two restores between ticks send the values once";
  EXPECT_EQ(p.LogOf("inEditor").size(), 7u);
  g->applied.clear();
  p.OnTimerTick(timer);
  EXPECT_TRUE(g->applied.empty()) << "nothing new to send";
}

TEST(IFxAPIBaseQueues, EditorMidiAndSysExReachTheAudioSide) {
  TestPlugin p;
  fx::MidiMessage m;
  fx::MidiMessage out;
  EXPECT_FALSE(p.PopMidiFromEditor(out));
  for (std::uint8_t i = 0; i < 40; ++i) {
    m.data1 = i;
    p.SendMidiFromEditor(m);
  }
  for (std::uint8_t i = 0; i < 32; ++i) {
    ASSERT_TRUE(p.PopMidiFromEditor(out));
    EXPECT_EQ(out.data1, i);
  }
  EXPECT_FALSE(p.PopMidiFromEditor(out));

  std::vector<std::uint8_t> big(513, 0x11);
  p.SendSysExFromEditor({0, 513, big.data()});  // does not fit: dropped whole
  p.SendSysExFromEditor({0, -1, big.data()});
  big[0] = 0xF0;
  big[511] = 0xF7;
  p.SendSysExFromEditor({7, 512, big.data()});
  p.SendSysExFromEditor({2, 4, nullptr});  // no data: zero bytes
  for (std::int32_t i = 0; i < 5; ++i) p.QueueEditorSysEx({i, 1, big.data()});
  fx::SysExMessage s;
  ASSERT_TRUE(p.PopSysExFromEditor(s));
  EXPECT_EQ(s.offset, 7);
  ASSERT_EQ(s.size, 512);
  EXPECT_EQ(s.data[0], 0xF0);
  EXPECT_EQ(s.data[511], 0xF7);
  ASSERT_TRUE(p.PopSysExFromEditor(s));
  EXPECT_EQ(s.size, 4);
  EXPECT_EQ(s.data[0] | s.data[1] | s.data[2] | s.data[3], 0);
  ASSERT_TRUE(p.PopSysExFromEditor(s));  // capacity 5 holds 4: two of the five fitted
  EXPECT_EQ(s.offset, 0);
  ASSERT_TRUE(p.PopSysExFromEditor(s));
  EXPECT_EQ(s.offset, 1);
  EXPECT_FALSE(p.PopSysExFromEditor(s));
}

TEST(IFxAPIBaseEditorSide, UserEditsReachTheHostInOrder) {
  TestPlugin p;
  TraceCapture trace;
  p.BeginParamGestureFromEditor(1);
  p.SetParamFromEditor(1, 0.25);
  p.EndParamGestureFromEditor(1);
  EXPECT_EQ(p.GetParam(1)->GetValue(), 25.0);
  EXPECT_EQ(p.log, (std::vector<std::string>{"begin 1", "toHost 1 0.250000", "changed 1", "inEditor 1 UI", "end 1"}));
  EXPECT_EQ(trace.TextsOf("fx::IEditorDelegate::OnParamChange"), std::vector<std::string>{"idx:1 src:UI"});
  p.log.clear();
  p.SetParamFromEditor(7, 0.5);
  EXPECT_TRUE(p.log.empty());

  p.PushAllParamsToHost();
  ASSERT_EQ(p.log.size(), 7u);
  EXPECT_EQ(p.log[0], "toHost 0 0.160000");
  EXPECT_EQ(p.log[1], "toHost 1 0.250000");

  p.log.clear();
  EXPECT_TRUE(p.ResizeFromEditor(0, 0, false));
  EXPECT_TRUE(p.ResizeFromEditor(815, 505, true));
  EXPECT_FALSE(p.ResizeFromEditor(0, 505, true));
  EXPECT_EQ(p.log, (std::vector<std::string>{"resizeWindow 815x505", "resizeWindow 0x505"}));
  p.log.clear();
  p.SendMessageFromEditor(3, 4, 5, nullptr);
  EXPECT_EQ(p.log, std::vector<std::string>{"message 3 4 5"});
}

TEST(IFxAPIBase, SmallHooks) {
  TestPlugin p;
  std::vector<std::int32_t> list{42};
  p.ListImportantParams(3, list);
  EXPECT_EQ(list, (std::vector<std::int32_t>{42, 0, 1, 2}));
  list.clear();
  p.ListImportantParams(7, list);
  EXPECT_TRUE(list.empty());
  fx::TextBuffer name("C4");
  EXPECT_FALSE(p.GetMidiNoteName(60, name));
  EXPECT_TRUE(name.Empty());
  EXPECT_EQ(p.GetEditorGraphics(), nullptr);
  std::int32_t r = 1, g = 2, b = 3;
  p.GetTrackColor(r, g, b);
  EXPECT_EQ(r + g + b, 0);
}

}  // namespace
