// The frame cycle: which areas a frame repaints and how they are reduced,
// aligned and painted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>
#include <cstdint>

#include "graphics/controls/IControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using fx::igraphics::IBounds;
using fx::igraphics::IControl;
using fx::igraphics::IGraphics;
using testing_support::FakeEditorDelegate;
using testing_support::RecordingGraphics;

// A control that paints one rectangle of its bounds and counts its paints.
class BoxControl : public IControl {
 public:
  explicit BoxControl(const IBounds& b, int param = -1) : IControl(b, param) {}
  void Paint(IGraphics& g) override {
    ++paints;
    g.FillRectangle({255, 1, 2, 3}, bounds_, &blend_);
  }
  int paints = 0;
};

// How many areas cover each pixel of a 512 x 512 grid (the random areas stay
// inside it at every scale used). Reduced areas already lie on the grid,
// where rounding is exact and floor or ceil could be off by one in float.
std::vector<std::uint8_t> Coverage(const std::vector<IBounds>& areas, float s, bool aligned = false) {
  constexpr long kSide = 512;
  std::vector<std::uint8_t> grid(kSide * kSide, 0);
  for (const IBounds& a : areas) {
    if (!(a.right > a.left && a.bottom > a.top)) continue;
    const auto down = [&](float v) { return aligned ? std::lround(v * s) : static_cast<long>(std::floor(v * s)); };
    const auto up = [&](float v) { return aligned ? std::lround(v * s) : static_cast<long>(std::ceil(v * s)); };
    const long x0 = std::max(down(a.left), 0L), x1 = std::min(up(a.right), kSide);
    const long y0 = std::max(down(a.top), 0L), y1 = std::min(up(a.bottom), kSide);
    for (long y = y0; y < y1; ++y)
      for (long x = x0; x < x1; ++x) {
        std::uint8_t& cell = grid[static_cast<std::size_t>(y * kSide + x)];
        if (aligned)
          ++cell;
        else
          cell = 1;
      }
  }
  return grid;
}

bool OnPixelGrid(float v, float s) {
  const double p = static_cast<double>(v) * static_cast<double>(s);
  return std::fabs(p - std::round(p)) < 1e-3;
}

TEST(DirtyAreaReduction, RandomSetsKeepTheirPixelsWithoutOverlapAndAligned) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> position(0.0f, 90.0f), size(-5.0f, 40.0f);
  std::uniform_int_distribution<int> count(1, 12), snap(0, 3);
  const float scales[] = {0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 3.0f};
  int checkedSets = 0;
  for (int round = 0; round < 250; ++round) {
    std::vector<IBounds> areas;
    const int n = count(random);
    for (int i = 0; i < n; ++i) {
      float l = position(random), t = position(random);
      // Some areas share edges exactly, as neighbouring controls do.
      if (snap(random) == 0) l = std::round(l / 10.0f) * 10.0f, t = std::round(t / 10.0f) * 10.0f;
      float w = size(random), h = size(random);
      if (snap(random) == 1) w = std::round(w / 10.0f) * 10.0f;
      areas.push_back({l, t, l + w, t + h});
    }
    for (float s : scales) {
      const std::vector<IBounds> reduced = IGraphics::ReduceDirtyAreas(areas, s);
      // Every pixel of the input covered exactly once, no other pixel covered.
      if (Coverage(reduced, s, true) != Coverage(areas, s)) {
        for (const IBounds& a : areas) std::cout << "in  " << a.left << " " << a.top << " " << a.right << " " << a.bottom << "\n";
        for (const IBounds& a : reduced) std::cout << "out " << a.left << " " << a.top << " " << a.right << " " << a.bottom << "\n";
      }
      ASSERT_TRUE(Coverage(reduced, s, true) == Coverage(areas, s)) << "round " << round << " scale " << s;
      for (std::size_t i = 0; i < reduced.size(); ++i) {
        const IBounds& a = reduced[i];
        EXPECT_FALSE(a.Empty());
        EXPECT_TRUE(OnPixelGrid(a.left, s) && OnPixelGrid(a.top, s) && OnPixelGrid(a.right, s) &&
                    OnPixelGrid(a.bottom, s))
            << a.left << "," << a.top << "," << a.right << "," << a.bottom << " at " << s;
        for (std::size_t j = i + 1; j < reduced.size(); ++j)
          ASSERT_TRUE(a.Intersect(reduced[j]).Empty()) << "round " << round << " scale " << s;
      }
      ++checkedSets;
    }
  }
  EXPECT_EQ(checkedSets, 250 * 6);
}

TEST(DirtyAreaReduction, ContainedAndStackedAreasCollapse) {
  // A inside B goes; two stacked areas with the same sides merge into one.
  const auto inside = IGraphics::ReduceDirtyAreas({{10, 10, 20, 20}, {0, 0, 50, 50}}, 1.0f);
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0], (IBounds{0, 0, 50, 50}));
  const auto stacked = IGraphics::ReduceDirtyAreas({{0, 0, 10, 10}, {0, 10, 10, 30}, {0, 25, 10, 40}}, 1.0f);
  ASSERT_EQ(stacked.size(), 1u);
  EXPECT_EQ(stacked[0], (IBounds{0, 0, 10, 40}));
}

TEST(DirtyAreaReduction, TheSmallerOfTwoOverlappingAreasGivesWay) {
  // A knob's shadow, body and highlight in list order: the highlight keeps
  // its whole rectangle, the body inside it goes, the shadow keeps its strip
  // below it.
  const auto reduced = IGraphics::ReduceDirtyAreas({{136, 284, 390, 534}, {136, 204, 384, 454}, {124, 190, 396, 488}}, 0.5f);
  ASSERT_EQ(reduced.size(), 2u);
  EXPECT_EQ(reduced[0], (IBounds{124, 190, 396, 488}));
  EXPECT_EQ(reduced[1], (IBounds{136, 488, 390, 534}));
}

TEST(DirtyAreaReduction, AreasWhoseBoxHoldsLittleMoreArePaintedAsTheBox) {
  // The knob's two pieces: their box holds 0.9 % more.
  std::vector<IBounds> knob = IGraphics::ReduceDirtyAreas({{136, 284, 390, 534}, {136, 204, 384, 454}, {124, 190, 396, 488}}, 0.5f);
  IGraphics::UniteWhereCheap(knob);
  ASSERT_EQ(knob.size(), 1u);
  EXPECT_EQ(knob[0], (IBounds{124, 190, 396, 534}));
  // Two knobs far apart, and an L whose box holds 2/7 more: kept.
  std::vector<IBounds> apart{{0, 0, 10, 10}, {100, 0, 110, 10}};
  IGraphics::UniteWhereCheap(apart);
  EXPECT_EQ(apart.size(), 2u);
  std::vector<IBounds> corner{{0, 0, 30, 20}, {0, 20, 10, 30}};
  IGraphics::UniteWhereCheap(corner);
  EXPECT_EQ(corner.size(), 2u);
  // An eighth more at most: 600 + 200 in a box of 900 is united.
  std::vector<IBounds> eighth{{0, 0, 30, 20}, {0, 20, 20, 30}};
  IGraphics::UniteWhereCheap(eighth);
  ASSERT_EQ(eighth.size(), 1u);
  EXPECT_EQ(eighth[0], (IBounds{0, 0, 30, 30}));
  std::vector<IBounds> none;
  IGraphics::UniteWhereCheap(none);
  EXPECT_TRUE(none.empty());
}

TEST(DirtyAreaReduction, BadRectanglesAndScalesGiveNothing) {
  const float nan = std::nanf("");
  const float inf = INFINITY;
  EXPECT_TRUE(IGraphics::ReduceDirtyAreas({{nan, 0, 10, 10}, {0, 0, inf, 10}, {5, 5, 5, 9}, {9, 9, 1, 1}}, 1.0f)
                  .empty());
  EXPECT_TRUE(IGraphics::ReduceDirtyAreas({{0, 0, 10, 10}}, 0.0f).empty());
  EXPECT_TRUE(IGraphics::ReduceDirtyAreas({{0, 0, 10, 10}}, nan).empty());
  EXPECT_TRUE(IGraphics::ReduceDirtyAreas({{0, 0, 10, 10}}, -2.0f).empty());
  EXPECT_EQ(IGraphics::ReduceDirtyAreas({{0, 0, 10, 10}}, 1.0f).size(), 1u);
}

class FrameCycle : public ::testing::Test {
 protected:
  FakeEditorDelegate delegate;
  RecordingGraphics graphics{delegate, 200, 100, 0.5f};
};

TEST_F(FrameCycle, AChangedControlIsRepaintedInAPaddedPixelAlignedArea) {
  auto* background = static_cast<BoxControl*>(graphics.AddBackground(std::make_unique<BoxControl>(IBounds{0, 0, 200, 100})));
  auto* box = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{10.2f, 20, 30, 40})));
  std::vector<IBounds> areas;
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));  // new controls start dirty
  areas.clear();
  EXPECT_FALSE(graphics.CollectDirtyAreas(areas)) << "collecting marks every control clean";

  box->SetHighlighted(true);
  box->MarkDirty(false, -1);
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (IBounds{10.2f - 0.75f, 19.25f, 30.75f, 40.75f}));
  EXPECT_FALSE(box->IsDirty());

  graphics.ClearLog();
  graphics.PaintAreas(areas);
  // At 0.5 pixels per unit the area grows to whole pixels: 2-unit steps.
  ASSERT_EQ(graphics.clips.size(), 2u);
  EXPECT_EQ(graphics.clips[0], (IBounds{8, 18, 32, 42})) << "background clipped to the area";
  EXPECT_EQ(graphics.clips[1], (IBounds{8, 18, 32, 42}));
  EXPECT_EQ(background->paints, 1);
  EXPECT_EQ(box->paints, 1);
  EXPECT_EQ(graphics.log.front(), "BeginFrame()");
  EXPECT_EQ(graphics.log.back(), "EndFrame()");
}

TEST_F(FrameCycle, EachPaintStartsFromIdentityWithACleanPathAndItsClip) {
  graphics.AddControl(std::make_unique<BoxControl>(IBounds{0, 0, 10, 10}));
  graphics.ClearLog();
  graphics.PaintAreas({{0, 0, 10, 10}});
  const std::vector<std::string> expected = {
      "BeginFrame()",         "PathTransform(1,0,0,1,0,0)", "PathReset()",       "ClipToArea(0,0,10,10)",
      "PathReset()",          "PathMove(0,0)",              "PathAddLine(10,0)", "PathAddLine(10,10)",
      "PathAddLine(0,10)",    "PathCloseShape()",           "PathFillWith(0,255,1,2,3,0,1)",
      "EndFrame()"};
  EXPECT_EQ(graphics.log, expected);
}

TEST_F(FrameCycle, HiddenControlsAreSkippedExceptTheFirst) {
  auto* first = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{0, 0, 50, 50})));
  auto* second = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{0, 0, 50, 50})));
  first->SetHidden(true);
  second->SetHidden(true);
  graphics.PaintAreas({{0, 0, 50, 50}});
  EXPECT_EQ(first->paints, 1);
  EXPECT_EQ(second->paints, 0);
}

TEST_F(FrameCycle, ControlsOutsideTheAreasAndEmptyListsPaintNothing) {
  auto* far = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{150, 80, 160, 90})));
  graphics.ClearLog();
  graphics.PaintAreas({});
  EXPECT_TRUE(graphics.log.empty());
  graphics.PaintAreas({{0, 0, 20, 20}});
  EXPECT_EQ(far->paints, 0);
  EXPECT_EQ(graphics.Calls("ClipToArea").size(), 0u);
}

TEST_F(FrameCycle, PaintUnionPaintsOneBoundingArea) {
  graphics.SetPaintUnion(true);
  auto* box = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{0, 0, 100, 100})));
  graphics.PaintAreas({{0, 0, 10, 10}, {50, 50, 61, 61}});
  EXPECT_EQ(box->paints, 1);
  ASSERT_EQ(graphics.clips.size(), 1u);
  EXPECT_EQ(graphics.clips[0], (IBounds{0, 0, 62, 62}));
}

TEST_F(FrameCycle, AnimationsRunAndKeepTheirControlDirtyUntilFinished) {
  auto* box = static_cast<BoxControl*>(graphics.AddControl(std::make_unique<BoxControl>(IBounds{0, 0, 10, 10})));
  std::vector<IBounds> areas;
  graphics.CollectDirtyAreas(areas);
  int runs = 0, ends = 0;
  box->SetAnimationEndFunction([&](IControl&) { ++ends; });
  box->SetAnimation([&](IControl& c) {
    if (++runs == 2) c.FinishAnimation();
  });
  areas.clear();
  EXPECT_TRUE(graphics.CollectDirtyAreas(areas));
  areas.clear();
  EXPECT_TRUE(graphics.CollectDirtyAreas(areas)) << "finishing marks it dirty once more";
  areas.clear();
  EXPECT_FALSE(graphics.CollectDirtyAreas(areas));
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(ends, 1);
}

// A box that counts how often a frame asks whether it needs redrawing.
class CountedBox : public BoxControl {
 public:
  using BoxControl::BoxControl;
  bool NeedsRedraw() const override {
    ++asked;
    return BoxControl::NeedsRedraw();
  }
  mutable int asked = 0;
};

TEST_F(FrameCycle, ChecksWithNothingMarkedLookAtNoControlAndAnyMarkOrAnimationIsStillSeen) {
  auto* a = static_cast<CountedBox*>(graphics.AddControl(std::make_unique<CountedBox>(IBounds{0, 0, 10, 10}, 0)));
  auto* b = static_cast<CountedBox*>(graphics.AddControl(std::make_unique<CountedBox>(IBounds{50, 50, 60, 60})));
  std::vector<IBounds> areas;
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));
  EXPECT_EQ(areas.size(), 2u);
  const auto idleChecks = [&](int n) {
    a->asked = b->asked = 0;
    int found = 0;
    for (int i = 0; i < n; ++i) {
      areas.clear();
      found += graphics.CollectDirtyAreas(areas) ? 1 : 0;
    }
    return found;
  };
  EXPECT_EQ(idleChecks(20), 0);
  EXPECT_EQ(a->asked + b->asked, 0) << "an idle check walks no control";

  // A host value, a user mark, hiding: each is found at the next check, alone.
  a->ApplyHostValue(0.5, 0);
  areas.clear();
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (IBounds{-0.75f, -0.75f, 10.75f, 10.75f}));
  EXPECT_EQ(idleChecks(5), 0);
  EXPECT_EQ(a->asked + b->asked, 0);
  b->SetHidden(true);
  areas.clear();
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (IBounds{49.25f, 49.25f, 60.75f, 60.75f}));

  // An animation keeps every check walking until it ends, then none does.
  int runs = 0;
  a->SetAnimation([&](IControl& c) {
    if (++runs == 3) c.FinishAnimation();
  });
  EXPECT_EQ(idleChecks(3), 3);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(idleChecks(5), 0);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(a->asked + b->asked, 0);

  // A control added later starts dirty and is found.
  graphics.AddControl(std::make_unique<BoxControl>(IBounds{100, 0, 110, 10}));
  areas.clear();
  ASSERT_TRUE(graphics.CollectDirtyAreas(areas));
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (IBounds{99.25f, -0.75f, 110.75f, 10.75f}));
}

TEST_F(FrameCycle, FrameTimesFillARingOfAHundred) {
  EXPECT_EQ(graphics.GetFrameTimes(), nullptr);
  graphics.ShowFrameRateDisplay(true);
  std::vector<IBounds> areas;
  for (int i = 0; i < 3; ++i) graphics.CollectDirtyAreas(areas);
  const std::vector<float>* times = graphics.GetFrameTimes();
  ASSERT_NE(times, nullptr);
  ASSERT_EQ(times->size(), 100u);
  EXPECT_EQ((*times)[0], 0.0f) << "the first frame has no predecessor; writing starts at position 1";
  EXPECT_GE((*times)[1], 0.0f);
  EXPECT_GE((*times)[2], 0.0f);
  EXPECT_EQ((*times)[3], 0.0f);
}

}  // namespace
