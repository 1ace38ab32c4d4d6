// Lookup through the module's real resource table (compiled into this test
// program from the editor's artwork), handed in as the window factory does.

#include <gtest/gtest.h>

#include "platform/ModuleResourceStore.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using namespace fx::igraphics;
using testing_support::FakeEditorDelegate;
using testing_support::RecordingGraphics;

class ModuleStore : public ::testing::Test {
 protected:
  FakeEditorDelegate delegate;
  RecordingGraphics graphics{delegate, 100, 100, 1.0f};
  ModuleStore() { graphics.SetResourceStore(&fx::platform::ModuleResourceStore()); }
};

TEST_F(ModuleStore, ArtworkIsFoundByFileNameInAnyCase) {
  std::string text;
  EXPECT_EQ(graphics.FindResourceLocation("ledOn.png", "png", text), ResourceLocation::ModuleResource);
  EXPECT_EQ(text, "\"LEDON.PNG\"");
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(graphics.ReadResource(ResourceLocation::ModuleResource, "png", text, bytes));
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes[1], 'P');
  EXPECT_EQ(bytes[2], 'N');
  EXPECT_EQ(bytes[3], 'G');
  EXPECT_EQ(graphics.FindResourceLocation("OMBRISKBACKGROUND.JPG", "jpg", text), ResourceLocation::ModuleResource);
  EXPECT_EQ(graphics.FindResourceLocation("Nuppi.png", "png", text), ResourceLocation::NotFound)
      << "not in this program's table";
}

TEST_F(ModuleStore, ThePlainLampIsFoundAtScaleOneForTargetTwo) {
  std::string text;
  std::int32_t scale = 0;
  EXPECT_EQ(graphics.SearchScaledImage("ledOn.png", "png", 2, text, scale), ResourceLocation::ModuleResource);
  EXPECT_EQ(scale, 1);
  EXPECT_EQ(text, "\"LEDON.PNG\"");
}

TEST_F(ModuleStore, TheFontLoadsFromTheTable) {
  EXPECT_TRUE(graphics.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf"));
  const auto calls = graphics.Calls("LoadAPIFont");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0], "LoadAPIFont(Roboto-Regular,0)");
  EXPECT_FALSE(graphics.LoadFontResource("Other", "Other.ttf"));
}

}  // namespace
