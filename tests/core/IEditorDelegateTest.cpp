#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "FakeGraphicsContext.h"
#include "TestPlugin.h"
#include "TraceCapture.h"
#include "core/IEditorDelegate.h"

namespace {

using fx::ChangeSource;
using testing_support::FakeGraphicsContext;
using testing_support::TestPlugin;
using testing_support::TraceCapture;

// The innermost base alone, to see its defaults.
class PlainDelegate : public fx::IEditorDelegate {
 public:
  PlainDelegate() : fx::IEditorDelegate(3) {
    for (std::int32_t i = 0; i < 3; ++i)
      GetParam(i)->InitReal("p", 0.0, 0.0, 10.0, 0.5, "", fx::IParam::ShapeLinear());
  }
  void BeginParamGestureFromEditor(std::int32_t) override {}
  void EndParamGestureFromEditor(std::int32_t) override {}
  void OnParamChangeInEditor(std::int32_t index, ChangeSource source) override {
    log.push_back(std::to_string(index) + " " + fx::ChangeSourceText(source));
  }
  std::vector<std::string> log;
};

// A plug-in whose editor-creation function hands out fakes it keeps track of.
struct EditorFixture : ::testing::Test {
  EditorFixture() {
    plugin.SetEditorCreateFunction([this] {
      auto g = std::make_unique<FakeGraphicsContext>(1630, 1010, 0.5f, &live);
      g->controls = controls;
      last = g.get();
      return g;
    });
  }
  FakeGraphicsContext* Open() {
    plugin.OpenEditor(&parent);
    return last;
  }

  TestPlugin plugin;
  int live = 0;
  int parent = 0;
  FakeGraphicsContext* last = nullptr;
  std::vector<FakeGraphicsContext::Control> controls;
};

TEST(ChangeSource, TraceTexts) {
  const char* expected[] = {"Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown"};
  for (std::int32_t i = 0; i < 7; ++i) EXPECT_STREQ(fx::ChangeSourceText(static_cast<ChangeSource>(i)), expected[i]);
  EXPECT_STREQ(fx::ChangeSourceText(static_cast<ChangeSource>(42)), "Unknown");
  EXPECT_STREQ(fx::ChangeSourceText(static_cast<ChangeSource>(-1)), "Unknown");
}

TEST(IEditorDelegate, DefaultsOfTheInnermostBase) {
  PlainDelegate d;
  EXPECT_EQ(d.NParams(), 3);
  EXPECT_EQ(d.GetParam(3), nullptr);
  EXPECT_EQ(d.GetParam(-1), nullptr);
  EXPECT_EQ(d.GetMinWidth(), 10);
  EXPECT_EQ(d.GetMaxHeight(), 100000);

  d.GetParam(1)->SetValue(5.0);
  EXPECT_EQ(d.OpenEditor(nullptr), nullptr);  // and sends every value
  EXPECT_EQ(d.log, (std::vector<std::string>{"0 Editor Delegate", "1 Editor Delegate", "2 Editor Delegate"}));
  d.log.clear();

  d.SetParamFromEditor(2, 0.25);
  EXPECT_EQ(d.GetParam(2)->GetValue(), 2.5);
  d.SetParamFromEditor(7, 0.25);  // no such parameter: nothing happens
  EXPECT_EQ(d.log, std::vector<std::string>{"2 UI"});

  fx::StateChunk c;
  EXPECT_TRUE(d.WriteEditorState(c));
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(d.ReadEditorState(c, 5), 5);
  EXPECT_FALSE(d.KeyDownFromHost(fx::IKeyPress{}));
  EXPECT_FALSE(d.ResizeFromEditor(10, 10, true));

  d.SetEditorSizeLimits(900, 300, 50, 40);
  EXPECT_EQ(d.GetMinWidth(), 300);
  EXPECT_EQ(d.GetMaxWidth(), 900);
  EXPECT_EQ(d.GetMinHeight(), 40);
  EXPECT_EQ(d.GetMaxHeight(), 50);
}

TEST(IEditorDelegate, OnAllParamsChangedNotifiesEveryParameterInOrder) {
  TestPlugin p;
  TraceCapture trace;
  p.OnAllParamsChanged(ChangeSource::Reset);
  std::vector<std::string> expected;
  for (int i = 0; i < 7; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "changed %d", i);
    expected.emplace_back(text);
    std::snprintf(text, sizeof text, "inEditor %d Reset", i);
    expected.emplace_back(text);
  }
  EXPECT_EQ(p.log, expected);
  const auto texts = trace.TextsOf("fx::IEditorDelegate::OnParamChange");
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[4], "idx:4 src:Reset");
  EXPECT_EQ(trace.Records().back().format, "idx:%i src:%s");
}

TEST_F(EditorFixture, PushParamValueToEditorReachesEveryBoundSlotEvenWithoutEditor) {
  plugin.PushParamValueToEditor(1, 50.0, false);
  EXPECT_EQ(plugin.log, std::vector<std::string>{"inEditor 1 Editor Delegate"});

  controls = {{-1, {-1}, false}, {5, {1}, false}, {6, {0, 1, 1}, false}};
  FakeGraphicsContext* g = Open();
  ASSERT_NE(g, nullptr);
  g->applied.clear();
  plugin.log.clear();
  plugin.PushParamValueToEditor(1, 50.0, false);  // "Wet" 0..100: 0.5 normalised
  EXPECT_EQ(g->applied, (std::vector<FakeGraphicsContext::Applied>{{1, 0.5, 0}, {2, 0.5, 1}, {2, 0.5, 2}}));
  plugin.PushParamValueToEditor(1, 0.25, true);
  EXPECT_EQ(g->applied.back().value, 0.25);
  plugin.PushParamValueToEditor(1, 250.0, false);  // out of range: clamped
  EXPECT_EQ(g->applied.back().value, 1.0);
  EXPECT_EQ(plugin.LogOf("inEditor").size(), 3u);

  g->applied.clear();
  plugin.log.clear();
  plugin.PushParamValueToEditor(7, 0.5, true);
  plugin.PushParamValueToEditor(-1, 0.5, true);
  EXPECT_TRUE(g->applied.empty());
  EXPECT_TRUE(plugin.log.empty());
}

TEST_F(EditorFixture, OpenSendsNothingByItselfAndCloseRemembersTheSize) {
  FakeGraphicsContext* g = Open();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(live, 1);
  EXPECT_TRUE(g->resizes.empty());  // nothing remembered yet
  EXPECT_EQ(g->openParents, std::vector<void*>{&parent});
  // A second open reuses the context.
  EXPECT_EQ(plugin.OpenEditor(&parent), &g->window);
  EXPECT_EQ(live, 1);
  g->ResizeEditor(1200, 800, 0.75f);
  int released = 0;
  g->releasesBeforeClose = &released;
  plugin.CloseEditor();
  EXPECT_EQ(released, 1) << "presses in progress end while the delegate can hear them";
  EXPECT_EQ(live, 0);
  EXPECT_EQ(plugin.GetGraphics(), nullptr);
  EXPECT_EQ(plugin.GetLastEditorSize().width, 1200);
  EXPECT_EQ(plugin.GetLastEditorSize().height, 800);
  EXPECT_EQ(plugin.GetLastEditorSize().scale, 0.75f);
  plugin.CloseEditor();  // nothing open: only the notification
  EXPECT_EQ(plugin.LogOf("closed").size(), 2u);

  FakeGraphicsContext* again = Open();
  ASSERT_EQ(again->resizes.size(), 1u);
  EXPECT_EQ(again->resizes[0].width, 1200);
  EXPECT_EQ(again->resizes[0].height, 800);
  EXPECT_EQ(again->resizes[0].scale, 0.75f);
}

TEST_F(EditorFixture, CloseFromInsideACloseDoesNothing) {
  FakeGraphicsContext* g = Open();
  plugin.closeFromInsideClose = true;
  plugin.CloseEditor();
  EXPECT_EQ(plugin.LogOf("closed").size(), 1u);
  EXPECT_EQ(live, 0);
  EXPECT_FALSE(plugin.IsEditorClosing());
  (void)g;
}

TEST_F(EditorFixture, DestroyingThePluginDeletesAnOpenContext) {
  {
    TestPlugin p;
    p.SetEditorCreateFunction([this] { return std::make_unique<FakeGraphicsContext>(10, 10, 1.0f, &live); });
    p.OpenEditor(nullptr);
    EXPECT_EQ(live, 1);
  }
  EXPECT_EQ(live, 0);
  // What a closing context keeps of the window system stays until the next
  // close hands over its own, and goes with the plug-in.
  std::weak_ptr<void> first, second;
  {
    TestPlugin p;
    int n = 0;
    p.SetEditorCreateFunction([&] {
      auto g = std::make_unique<FakeGraphicsContext>(10, 10, 1.0f, &live);
      g->windowSystem = std::make_shared<int>(n++);
      (n == 1 ? first : second) = g->windowSystem;
      return g;
    });
    p.OpenEditor(&parent);
    p.CloseEditor();
    EXPECT_EQ(live, 0);
    EXPECT_FALSE(first.expired()) << "kept past its context for the next open";
    p.OpenEditor(&parent);
    p.CloseEditor();
    EXPECT_TRUE(first.expired());
    EXPECT_FALSE(second.expired());
  }
  EXPECT_TRUE(second.expired());
  TestPlugin noEditor;
  EXPECT_EQ(noEditor.OpenEditor(&parent), nullptr);  // no creation function
  EXPECT_EQ(noEditor.GetGraphics(), nullptr);
}

TEST_F(EditorFixture, KeysGoToTheContextAtTheMousePosition) {
  fx::IKeyPress key;
  key.vk = 65;
  key.utf8[0] = 'a';
  EXPECT_FALSE(plugin.KeyDownFromHost(key));
  FakeGraphicsContext* g = Open();
  g->mouseX = 12.5f;
  g->mouseY = 3.0f;
  g->handledKey = 65;
  EXPECT_TRUE(plugin.KeyDownFromHost(key));
  key.vk = 66;
  EXPECT_FALSE(plugin.KeyUpFromHost(key));
  EXPECT_EQ(g->keys, (std::vector<std::string>{"down 12.50 3.00 a", "up 12.50 3.00 a"}));
}

TEST_F(EditorFixture, ControlValuesMessagesAndMidiFindTheirControls) {
  controls = {{3, {0}, true}, {4, {}, false}, {9, {}, true}};
  plugin.PushControlValue(3, 0.5);  // closed: nothing
  plugin.PushControlMessage(3, 1, 2, nullptr);
  EXPECT_EQ(plugin.log, std::vector<std::string>{});
  FakeGraphicsContext* g = Open();
  g->applied.clear();
  plugin.PushControlValue(4, 0.75);
  plugin.PushControlValue(99, 0.75);
  EXPECT_EQ(g->applied, (std::vector<FakeGraphicsContext::Applied>{{1, 0.75, 0}}));
  plugin.PushControlMessage(9, 7, 16, nullptr);
  plugin.PushControlMessage(99, 7, 16, nullptr);
  EXPECT_EQ(g->messages, (std::vector<std::vector<std::int32_t>>{{2, 7, 16}}));
  plugin.PushEditorMessage(8, 4, nullptr);
  EXPECT_EQ(plugin.LogOf("message"), std::vector<std::string>{"message 8 -1 4"});

  fx::MidiMessage m;
  m.status = 0x90;
  plugin.PushMidiToEditor(m);
  EXPECT_EQ(g->midi, (std::vector<std::pair<std::int32_t, std::uint8_t>>{{0, 0x90}, {2, 0x90}}));
  EXPECT_EQ(plugin.LogOf("midi"), std::vector<std::string>{"midi 144"});
}

TEST_F(EditorFixture, EditorStateRoundTripsThroughTheChunk) {
  fx::StateChunk c;
  EXPECT_TRUE(plugin.WriteEditorState(c));  // closed, nothing remembered
  EXPECT_EQ(c.Size(), 12);
  FakeGraphicsContext* g = Open();
  g->ResizeEditor(900, 600, 0.6f);
  c.Clear();
  c.PutByte(0xEE);
  EXPECT_TRUE(plugin.WriteEditorState(c));
  ASSERT_EQ(c.Size(), 13);

  TestPlugin other;
  EXPECT_EQ(other.ReadEditorState(c, 1), 13);
  EXPECT_EQ(other.GetLastEditorSize().width, 900);
  EXPECT_EQ(other.GetLastEditorSize().height, 600);
  EXPECT_EQ(other.GetLastEditorSize().scale, 0.6f);

  // With an open editor the context is resized.
  g->resizes.clear();
  EXPECT_EQ(plugin.ReadEditorState(c, 1), 13);
  ASSERT_EQ(g->resizes.size(), 1u);
  EXPECT_EQ(g->resizes[0].width, 900);

  // Fewer than 12 bytes from the position.
  EXPECT_EQ(other.ReadEditorState(c, 2), -1);
  EXPECT_EQ(plugin.ReadEditorState(c, 2), -1);
  EXPECT_EQ(g->resizes.size(), 1u);

  // A zero, negative or non-finite size does not reach the context.
  for (float scale : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
    fx::StateChunk bad;
    bad.PutInt32(900);
    bad.PutInt32(600);
    bad.PutFloat(scale);
    EXPECT_EQ(plugin.ReadEditorState(bad, 0), 12);
  }
  fx::StateChunk negative;
  negative.PutInt32(-900);
  negative.PutInt32(600);
  negative.PutFloat(1.0f);
  EXPECT_EQ(plugin.ReadEditorState(negative, 0), 12);
  EXPECT_EQ(g->resizes.size(), 1u);
}

TEST_F(EditorFixture, ScreenScaleAndLayoutReachTheContext) {
  int layouts = 0;
  plugin.SetLayoutFunction([&](fx::IGraphicsContext& graphics) {
    EXPECT_EQ(&graphics, plugin.GetGraphics());
    ++layouts;
  });
  plugin.SetEditorScreenScale(2.0f);  // closed: nothing
  plugin.RunEditorLayout(nullptr);
  EXPECT_EQ(layouts, 0);
  FakeGraphicsContext* g = Open();
  plugin.SetEditorScreenScale(2.0f);
  EXPECT_EQ(g->screenScales, std::vector<float>{2.0f});
  plugin.RunEditorLayout(g);
  EXPECT_EQ(layouts, 1);
}

}  // namespace
