// The control tree, resizing and scaling, the drawing built on the backend,
// and the graphics context as the delegate's seam.

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using namespace fx::igraphics;
using testing_support::FakeEditorDelegate;
using testing_support::FakeResourceStore;
using testing_support::RecordingGraphics;

// Logs its notifications into a shared list.
class NoteControl : public IControl {
 public:
  NoteControl(const char* name, std::vector<std::string>& notes, const IBounds& b = {0, 0, 10, 10}, int param = -1)
      : IControl(b, param), name_(name), notes_(notes) {}
  ~NoteControl() override { notes_.push_back(name_ + ":deleted"); }
  void OnSetUp() override { notes_.push_back(name_ + ":SetUp" + (GetUI() && GetDelegate() ? "+wired" : "")); }
  void OnBoundsChanged() override { notes_.push_back(name_ + ":Bounds"); }
  void OnScaleChanged() override { notes_.push_back(name_ + ":Scale"); }
  void OnAdded() override { notes_.push_back(name_ + ":Added"); }
  void Paint(IGraphics&) override { notes_.push_back(name_ + ":Paint"); }

 private:
  std::string name_;
  std::vector<std::string>& notes_;
};

class ControlTree : public ::testing::Test {
 protected:
  FakeEditorDelegate delegate;
  std::vector<std::string> notes;
  RecordingGraphics graphics{delegate, 1630, 1010, 0.5f};
};

TEST_F(ControlTree, AddingWiresAndNotifiesInOrder) {
  IControl* a = graphics.AddControl(std::make_unique<NoteControl>("a", notes), 7, "group");
  EXPECT_EQ(notes, (std::vector<std::string>{"a:SetUp+wired", "a:Bounds", "a:Scale", "a:Added"}));
  EXPECT_EQ(a->GetGroup(), "");
  EXPECT_EQ(graphics.FindControlWithTag(7), 0);
  EXPECT_EQ(graphics.FindControlWithTag(8), -1);
  notes.clear();
  IControl* bg = graphics.AddBackground(std::make_unique<NoteControl>("bg", notes));
  EXPECT_EQ(notes, (std::vector<std::string>{"bg:SetUp+wired", "bg:Bounds", "bg:Scale"})) << "no OnAdded";
  EXPECT_EQ(graphics.GetControl(0), bg);
  EXPECT_EQ(graphics.GetControl(1), a);
  EXPECT_EQ(graphics.FindControlWithTag(7), 1);
  EXPECT_EQ(graphics.AddControl(nullptr), nullptr);
  EXPECT_EQ(graphics.NControls(), 2);
}

TEST_F(ControlTree, ForEachControlVisitsTheListThenTheOverlays) {
  graphics.AddControl(std::make_unique<NoteControl>("a", notes));
  graphics.AddControl(std::make_unique<NoteControl>("b", notes));
  graphics.AddCornerResizer(std::make_unique<ICornerResizerControl>(IBounds{0, 0, 1630, 1010}, 20.0f),
                            ResizeMode::Scale);
  graphics.AddTextEntryControl();
  std::vector<IControl*> seen;
  graphics.ForEachControl([&](IControl& c) { seen.push_back(&c); });
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], graphics.GetControl(0));
  EXPECT_EQ(seen[1], graphics.GetControl(1));
  EXPECT_EQ(seen[2], graphics.GetCornerResizer());
  EXPECT_EQ(seen[3], graphics.GetTextEntryControl());
}

TEST_F(ControlTree, TheFirstCornerResizerStaysAndSitsTwentyPixelsSquare) {
  graphics.AddCornerResizer(std::make_unique<ICornerResizerControl>(IBounds{0, 0, 1630, 1010}, 20.0f),
                            ResizeMode::Scale, true);
  ICornerResizerControl* first = graphics.GetCornerResizer();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetBounds(), (IBounds{1590, 970, 1630, 1010}));
  graphics.AddCornerResizer(std::make_unique<ICornerResizerControl>(IBounds{0, 0, 100, 100}, 5.0f), ResizeMode::Size);
  EXPECT_EQ(graphics.GetCornerResizer(), first);
  EXPECT_EQ(graphics.GetResizeMode(), ResizeMode::Scale);
  // Before it is placed it is a (size - 2)-unit square one unit in from the corner.
  ICornerResizerControl loose(IBounds{0, 0, 100, 50}, 10.0f);
  EXPECT_EQ(loose.GetBounds(), (IBounds{91, 41, 99, 49}));
}

TEST_F(ControlTree, ClearingDeletesEverythingAndForgetsState) {
  graphics.AddControl(std::make_unique<NoteControl>("a", notes));
  graphics.AddTextEntryControl();
  graphics.FindControlAt(5, 5, true, false);
  graphics.HideCursor(true);
  ASSERT_EQ(graphics.NCaptures(), 1);
  graphics.ClearLog();
  graphics.ClearControls();
  EXPECT_EQ(graphics.NControls(), 0);
  EXPECT_EQ(graphics.NCaptures(), 0);
  EXPECT_EQ(graphics.GetTextEntryControl(), nullptr);
  EXPECT_FALSE(graphics.CursorHidden());
  EXPECT_EQ(graphics.Calls("HideMouseCursor"), (std::vector<std::string>{"HideMouseCursor(0,1)"}));
  EXPECT_EQ(notes.back(), "a:deleted");
}

TEST_F(ControlTree, ResizeClampsSkipsNoChangeAndTellsHostPlatformBackendAndLayout) {
  graphics.AddCornerResizer(std::make_unique<ICornerResizerControl>(IBounds{0, 0, 1630, 1010}, 20.0f),
                            ResizeMode::Scale, true);
  graphics.AddControl(std::make_unique<NoteControl>("a", notes));
  graphics.ClearLog();
  notes.clear();
  graphics.ResizeEditor(1630, 1010, 0.5f);
  EXPECT_TRUE(graphics.log.empty());
  EXPECT_TRUE(delegate.events.empty());

  graphics.ResizeEditor(1630, 1010, 3.0f);  // clamps to twice the initial scale
  EXPECT_EQ(graphics.GetDrawScale(), 1.0f);
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Resize(1630,1010,1)", "Layout"}));
  EXPECT_EQ(graphics.Calls("PlatformResize"), (std::vector<std::string>{"PlatformResize(1)"}));
  EXPECT_EQ(graphics.Calls("DrawResize").size(), 1u);
  EXPECT_EQ(notes, (std::vector<std::string>{"a:Bounds"}));
  EXPECT_EQ(graphics.GetCornerResizer()->GetBounds(), (IBounds{1610, 990, 1630, 1010})) << "20 pixels at scale 1";

  delegate.events.clear();
  graphics.ResizeEditor(50, 50000, 0.0001f);  // limits 100..10000, scale 0.25..1
  EXPECT_EQ(graphics.Width(), 100);
  EXPECT_EQ(graphics.Height(), 10000);
  EXPECT_EQ(graphics.GetDrawScale(), 0.25f);
  delegate.events.clear();
  graphics.ResizeEditor(100, 10000, std::nanf(""));
  EXPECT_TRUE(delegate.events.empty()) << "a NaN scale keeps the current one";
  graphics.ResizeEditor(100, 10000, INFINITY);
  EXPECT_EQ(graphics.GetDrawScale(), 1.0f);
  delegate.resizeAnswer = false;
  graphics.ClearLog();
  graphics.ResizeEditor(200, 200, 1.0f);
  EXPECT_EQ(graphics.Calls("PlatformResize"), (std::vector<std::string>{"PlatformResize(0)"}));
}

TEST_F(ControlTree, ScreenScaleResizesTheWindowAndReloadsStripsAtTheNewScale) {
  FakeResourceStore store;
  store.Add("PNG", "knob.png", "IMG 40 80");
  store.Add("PNG", "knob@2x.png", "IMG 80 160");
  graphics.SetResourceStore(&store);
  auto* bitmap = static_cast<IBitmapControl*>(
      graphics.AddControl(std::make_unique<IBitmapControl>(0.0f, 0.0f, graphics.LoadBitmapStrip("knob.png", 2, false, 1))));
  EXPECT_EQ(bitmap->GetStrip().GetScale(), 1);
  graphics.ClearLog();
  graphics.ApplyScreenScale(2.0f);
  EXPECT_EQ(delegate.events.back(), "Resize(1630,1010,1)") << "2 x int(1630 x 0.5)";
  EXPECT_EQ(bitmap->GetStrip().GetScale(), 2);
  EXPECT_EQ(bitmap->GetStrip().width, 40) << "layout size does not depend on the variant";
  EXPECT_EQ(bitmap->GetStrip().height, 80);
  EXPECT_TRUE(bitmap->IsDirty());
  EXPECT_EQ(graphics.Calls("DrawResize").size(), 1u);
  delegate.events.clear();
  for (float bad : {0.0f, -1.0f, std::nanf(""), INFINITY}) graphics.ApplyScreenScale(bad);
  EXPECT_TRUE(delegate.events.empty());
  EXPECT_EQ(graphics.GetScreenScale(), 2.0f);
  graphics.ClearControls();
}

TEST_F(ControlTree, DrawBitmapRotatedTranslatesRotatesDrawsAndRestores) {
  FakeResourceStore store;
  store.Add("PNG", "dial.png", "IMG 40 20");
  graphics.SetResourceStore(&store);
  const IBitmapStrip strip = graphics.LoadBitmapStrip("dial.png", 1, false, 1);
  graphics.ClearLog();
  graphics.DrawBitmapRotated(strip, 100.0f, 50.0f, 90.0f, nullptr);
  const float r = 90.0f / 180.0f * 3.14159265358979323846f;
  const float c = std::cos(r), s = std::sin(r);
  ASSERT_EQ(graphics.transforms.size(), 3u);
  EXPECT_EQ(graphics.transforms[0], (IMatrix{1, 0, 0, 1, 100, 50}));
  EXPECT_EQ(graphics.transforms[1], (IMatrix{c, s, -s, c, 100, 50}));
  EXPECT_EQ(graphics.transforms[2], IMatrix{}) << "the saved identity comes back";
  ASSERT_EQ(graphics.log.size(), 4u);
  EXPECT_EQ(graphics.log[2], "DrawBitmapRegion(dial.png,-20,-10,20,10,0,0,-1)");
  // Inside an outer transform the rotation composes with it.
  graphics.ClearLog();
  graphics.SetTransform(IMatrix{2, 0, 0, 2, 0, 0});
  graphics.DrawBitmapRotated(strip, 10.0f, 0.0f, 0.0f, nullptr);
  ASSERT_EQ(graphics.transforms.size(), 4u);
  EXPECT_EQ(graphics.transforms[1], (IMatrix{2, 0, 0, 2, 20, 0}));
  EXPECT_EQ(graphics.transforms[3], (IMatrix{2, 0, 0, 2, 0, 0}));
  // Nothing drawn for an empty strip or a non-finite centre or angle.
  graphics.ClearLog();
  graphics.DrawBitmapRotated(IBitmapStrip{}, 1, 1, 0, nullptr);
  graphics.DrawBitmapRotated(strip, std::nanf(""), 1, 0, nullptr);
  graphics.DrawBitmapRotated(strip, 1, 1, INFINITY, nullptr);
  EXPECT_TRUE(graphics.log.empty());
}

TEST_F(ControlTree, ShapesArePathsFilledWithASolidColour) {
  const IBlendMode half{0, 0.5f};
  graphics.FillTriangleShape({255, 9, 8, 7}, 0, 10, 10, 0, 10, 10, &half);
  graphics.FillCircleShape({255, 1, 1, 1}, 5, 6, 2, nullptr);
  EXPECT_EQ(graphics.log, (std::vector<std::string>{"PathReset()", "PathMove(0,10)", "PathAddLine(10,0)",
                                                    "PathAddLine(10,10)", "PathCloseShape()",
                                                    "PathFillWith(0,255,9,8,7,0,0.5)", "PathReset()",
                                                    "PathAddArc(5,6,2,0,360,0)", "PathCloseShape()",
                                                    "PathFillWith(0,255,1,1,1,0,-1)"}));
  graphics.ClearLog();
  graphics.FillRectangle({255, 0, 0, 0}, IBounds{5, 5, 5, 9}, nullptr);
  graphics.FillRectangle({255, 0, 0, 0}, IBounds{9, 9, 1, 1}, nullptr);
  graphics.FillRectangle({255, 0, 0, 0}, IBounds{0, 0, std::nanf(""), 1}, nullptr);
  graphics.FillCircleShape({255, 1, 1, 1}, 5, 6, -2, nullptr);
  graphics.FillTriangleShape({255, 9, 8, 7}, 0, INFINITY, 10, 0, 10, 10, nullptr);
  EXPECT_TRUE(graphics.log.empty());
}

TEST_F(ControlTree, ConstructionRepairsSizesRatesAndScalesThatCannotWork) {
  RecordingGraphics odd(delegate, -5, 0, 0.0f);
  EXPECT_EQ(odd.Width(), 1);
  EXPECT_EQ(odd.Height(), 1);
  EXPECT_EQ(odd.GetDrawScale(), 1.0f);
  EXPECT_EQ(odd.GetMinScale(), 0.5f);
  EXPECT_EQ(odd.GetMaxScale(), 2.0f);
  IGraphics plain(delegate, 10, 10, -3, std::nanf(""));
  EXPECT_EQ(plain.FPS(), 1);
  EXPECT_EQ(plain.GetDrawScale(), 1.0f);
  // The defaults of the seams: nothing drawn, nothing opened, failures.
  EXPECT_STREQ(plain.GetDrawingAPIStr(), "none");
  EXPECT_EQ(plain.OpenWindow(nullptr), nullptr);
  EXPECT_FALSE(plain.BitmapExtSupported("a.png"));
  EXPECT_EQ(plain.LoadAPIBitmap("a.png", 1, ResourceLocation::FilePath, "a.png"), nullptr);
  EXPECT_EQ(plain.CreateAPIBitmap(4, 4, 1, 1.0f), nullptr);
  IPopupMenu menu;
  menu.AddItem("x");
  EXPECT_EQ(plain.CreatePlatformPopupMenu(menu, IBounds{}), nullptr);
  std::string text = "kept?";
  EXPECT_FALSE(plain.GetTextFromClipboard(text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(plain.SetTextInClipboard("x"));
  EXPECT_FALSE(plain.OpenURL("https://example.org", "", nullptr, nullptr));
  EXPECT_FALSE(plain.PromptForColour(*std::make_unique<IArgb>(), "", {}));
  std::string file = "name", dir = "dir";
  plain.PromptForFile(file, dir, 0, "png");
  EXPECT_EQ(file, "") << "cancelled";
  EXPECT_FALSE(plain.MultiTouchAvailable());
  IBounds r{1, 2, 3, 4};
  EXPECT_EQ(plain.MeasureString(ITextStyle{}, "abc", r), 0.0f);
  EXPECT_EQ(r, (IBounds{1, 2, 3, 4}));
}

TEST_F(ControlTree, TheDelegateOwnsTheContextAndReachesItsControls) {
  FakeEditorDelegate owner;
  IControl* knob = nullptr;
  owner.SetEditorCreateFunction([&]() -> std::unique_ptr<fx::IGraphicsContext> {
    auto g = std::make_unique<RecordingGraphics>(owner, 300, 200, 1.0f);
    knob = g->AddControl(std::make_unique<NoteControl>("k", notes, IBounds{0, 0, 10, 10}, 2));
    return g;
  });
  owner.OpenEditor(nullptr);
  ASSERT_NE(knob, nullptr);
  owner.PushParamValueToEditor(2, 0.75, true);
  EXPECT_EQ(knob->GetValue(), 0.75);
  EXPECT_EQ(owner.GetGraphics()->NControlValues(0), 1);
  EXPECT_EQ(owner.GetGraphics()->GetControlParamIdx(0, 0), 2);
  // Positions and value slots outside the lists are safe.
  EXPECT_EQ(owner.GetGraphics()->NControlValues(5), 0);
  EXPECT_EQ(owner.GetGraphics()->GetControlParamIdx(0, 3), -1);
  EXPECT_EQ(owner.GetGraphics()->GetControlParamIdx(-1, 0), -1);
  owner.GetGraphics()->ApplyHostValue(9, 0.5, 0);
  owner.GetGraphics()->ApplyHostValue(0, 0.5, 4);
  EXPECT_EQ(knob->GetValue(), 0.75);
  owner.CloseEditor();
  EXPECT_EQ(owner.GetLastEditorSize().width, 300);
  EXPECT_EQ(notes.back(), "k:deleted");
}

}  // namespace
