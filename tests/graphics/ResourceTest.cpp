// Resource lookup and loading: module names, files, resolution variants,
// the bitmap, SVG and font caches, and bad names and data.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "graphics/ResourceCaches.h"
#include "graphics/SvgDocument.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using namespace fx::igraphics;
using testing_support::FakeEditorDelegate;
using testing_support::FakeResourceStore;
using testing_support::RecordingGraphics;

class Resources : public ::testing::Test {
 protected:
  void Use(FakeResourceStore& s) { graphics->SetResourceStore(&s); }
  // Scale at which a name is found for a target, 0 when not found.
  int FoundScale(FakeResourceStore& s, const char* name, int target) {
    Use(s);
    std::string text;
    std::int32_t scale = 0;
    return graphics->SearchScaledImage(name, "png", target, text, scale) == ResourceLocation::NotFound ? 0 : scale;
  }

  FakeEditorDelegate delegate;
  FakeResourceStore store;
  std::unique_ptr<RecordingGraphics> graphics = std::make_unique<RecordingGraphics>(delegate, 100, 100, 1.0f);
};

TEST_F(Resources, ModuleNamesMatchWithoutQuotesOrCase) {
  store.Add("PNG", "ledOn.png", "IMG 1 1");
  store.AddStored("PNG", "\"", "short");
  store.AddStored("PNG", "", "empty");
  Use(store);
  std::string text;
  EXPECT_EQ(graphics->FindResourceLocation("LEDon.PNG", "png", text), ResourceLocation::ModuleResource);
  EXPECT_EQ(text, "\"LEDON.PNG\"");
  EXPECT_EQ(graphics->FindResourceLocation("ledOn.png", "jpg", text), ResourceLocation::NotFound) << "wrong type";
  EXPECT_EQ(text, "");
  EXPECT_EQ(graphics->FindResourceLocation("", "png", text), ResourceLocation::NotFound);
  EXPECT_EQ(graphics->FindResourceLocation(nullptr, "png", text), ResourceLocation::NotFound);
  EXPECT_EQ(graphics->FindResourceLocation("ledOn.png", nullptr, text), ResourceLocation::NotFound);
  const std::string longName = std::string(300, 'a') + ".png";
  EXPECT_EQ(graphics->FindResourceLocation(longName.c_str(), "png", text), ResourceLocation::NotFound);
  EXPECT_FALSE(graphics->LoadBitmapStrip(longName.c_str(), 1, false, 1).IsValid());
}

TEST_F(Resources, FilesAreFoundByPathWhenTheModuleHasNoSuchName) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "ombrisk_gcore_file.png";
  {
    std::ofstream out(file, std::ios::binary);
    out << "IMG 12 30";
  }
  Use(store);
  std::string text;
  EXPECT_EQ(graphics->FindResourceLocation(file.string().c_str(), "png", text), ResourceLocation::FilePath);
  EXPECT_EQ(text, file.string());
  const IBitmapStrip strip = graphics->LoadBitmapStrip(file.string().c_str(), 3, false, 1);
  EXPECT_TRUE(strip.IsValid());
  EXPECT_EQ(strip.FrameHeight(), 10);
  std::filesystem::remove(file);
  EXPECT_EQ(graphics->FindResourceLocation(file.string().c_str(), "png", text), ResourceLocation::NotFound);
  const std::string directory = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(graphics->FindResourceLocation(directory.c_str(), "png", text), ResourceLocation::NotFound);
}

TEST_F(Resources, ResolutionVariantsAreTriedTargetFirstThenThreeTwoOne) {
  FakeResourceStore oneAndThree, oneAndTwo, onlyOne, onlyFour, none;
  oneAndThree.Add("PNG", "k.png", "IMG 1 1");
  oneAndThree.Add("PNG", "k@3x.png", "IMG 3 3");
  oneAndTwo.Add("PNG", "k.png", "IMG 1 1");
  oneAndTwo.Add("PNG", "k@2x.png", "IMG 2 2");
  onlyOne.Add("PNG", "k.png", "IMG 1 1");
  onlyFour.Add("PNG", "k@4x.png", "IMG 4 4");
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", 1), 1);
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", 2), 3) << "2, then 3 before 1";
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", 3), 3);
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", 4), 3);
  EXPECT_EQ(FoundScale(oneAndTwo, "k.png", 1), 1);
  EXPECT_EQ(FoundScale(oneAndTwo, "k.png", 2), 2);
  EXPECT_EQ(FoundScale(oneAndTwo, "k.png", 3), 2) << "3, then 2 before 1";
  EXPECT_EQ(FoundScale(oneAndTwo, "k.png", 4), 2);
  for (int target = 1; target <= 4; ++target) EXPECT_EQ(FoundScale(onlyOne, "k.png", target), 1);
  EXPECT_EQ(FoundScale(onlyFour, "k.png", 4), 4);
  EXPECT_EQ(FoundScale(onlyFour, "k.png", 3), 0) << "4 is only tried as the target";
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", 0), 0);
  EXPECT_EQ(FoundScale(oneAndThree, "k.png", -2), 0);
  EXPECT_EQ(FoundScale(none, "k.png", 2), 0);
  // One lookup per candidate: target 2 with only the plain file tries three.
  onlyOne.enumerations = 0;
  EXPECT_EQ(FoundScale(onlyOne, "k.png", 2), 1);
  EXPECT_EQ(onlyOne.enumerations, 3);
  // A dot in a directory is no extension.
  FakeResourceStore dotted;
  dotted.Add("PNG", "dir.v2/k@2x", "IMG 2 2");
  EXPECT_EQ(FoundScale(dotted, "dir.v2/k", 2), 2);
}

TEST_F(Resources, ThePlainLampAtTargetTwoMeasuresItsPixelSize) {
  store.Add("PNG", "ledOn.png", "IMG 806 1870");
  Use(store);
  const IBitmapStrip strip = graphics->LoadBitmapStrip("ledOn.png", 2, false, 2);
  ASSERT_TRUE(strip.IsValid());
  EXPECT_EQ(strip.width, 806);
  EXPECT_EQ(strip.height, 1870);
  EXPECT_EQ(strip.nFrames, 2);
  EXPECT_EQ(strip.FrameHeight(), 935);
  EXPECT_EQ(strip.GetScale(), 1);
  EXPECT_EQ(strip.resourceName, "ledOn.png");
  EXPECT_EQ(graphics->Calls("LoadAPIBitmap"), (std::vector<std::string>{"LoadAPIBitmap(ledOn.png,1,2,\"LEDON.PNG\")"}));
}

TEST_F(Resources, AStripLoadedTwiceIsDecodedOnce) {
  store.Add("PNG", "Nuppi.png", "IMG 246 246");
  store.Add("PNG", "Nuppi@2x.png", "IMG 492 492");
  Use(store);
  const IBitmapStrip a = graphics->LoadBitmapStrip("Nuppi.png", 1, false, 2);
  const IBitmapStrip b = graphics->LoadBitmapStrip("Nuppi.png", 1, false, 2);
  EXPECT_EQ(graphics->decodes, 1);
  EXPECT_EQ(a.bitmap, b.bitmap);
  EXPECT_EQ(a.width, 246) << "a 2x file of twice the size gives the same layout size";
  const IBitmapStrip plain = graphics->LoadBitmapStrip("Nuppi.png", 1, false, 1);
  EXPECT_EQ(graphics->decodes, 2);
  EXPECT_NE(plain.bitmap, a.bitmap);
  EXPECT_EQ(plain.width, 246);
  // A second context shares the process-wide cache.
  FakeEditorDelegate otherDelegate;
  RecordingGraphics other(otherDelegate, 10, 10, 1.0f);
  other.SetResourceStore(&store);
  EXPECT_EQ(other.LoadBitmapStrip("Nuppi.png", 1, false, 2).bitmap, a.bitmap);
  EXPECT_EQ(other.decodes, 0);
  EXPECT_EQ(CacheUsers(), 2);
  // When the last context goes the cache empties.
  graphics.reset();
  EXPECT_EQ(other.LoadBitmapStrip("Nuppi.png", 1, false, 1).bitmap, plain.bitmap);
  EXPECT_EQ(other.decodes, 0);
}

TEST_F(Resources, TheLastContextEmptiesTheCaches) {
  store.Add("PNG", "a.png", "IMG 2 2");
  Use(store);
  graphics->LoadBitmapStrip("a.png", 1, false, 1);
  graphics.reset();
  EXPECT_EQ(CacheUsers(), 0);
  EXPECT_FALSE(CachesLive()) << "the caches go with their last user, bitmaps and all";
  graphics = std::make_unique<RecordingGraphics>(delegate, 100, 100, 1.0f);
  Use(store);
  graphics->LoadBitmapStrip("a.png", 1, false, 1);
  EXPECT_EQ(graphics->decodes, 1);
}

TEST_F(Resources, CorruptMissingAndRefusedImagesGiveEmptyStrips) {
  store.Add("PNG", "broken.png", "\x89PNG garbage");
  store.Add("PNG", "zero.png", "IMG 0 5");
  store.Add("PNG", "empty.png", "");
  store.Add("GIF", "anim.gif", "IMG 5 5");
  Use(store);
  for (const char* name : {"broken.png", "zero.png", "empty.png", "anim.gif", "missing.png", "", "noext"}) {
    const IBitmapStrip strip = graphics->LoadBitmapStrip(name, 2, false, 1);
    EXPECT_FALSE(strip.IsValid()) << name;
    EXPECT_EQ(strip.bitmap, nullptr) << name;
    EXPECT_EQ(strip.width, 0) << name;
    EXPECT_EQ(strip.nFrames, 0) << name;
    EXPECT_EQ(strip.resourceName, "") << name;
  }
  EXPECT_EQ(graphics->decodes, 3) << "the gif is refused before decoding";
  EXPECT_FALSE(graphics->LoadBitmapStrip(nullptr, 1, false, 1).IsValid());
  EXPECT_FALSE(graphics->LoadBitmapStrip("broken.png", 1, false, -1).IsValid());
  graphics->LoadBitmapStrip("broken.png", 1, false, 1);
  EXPECT_EQ(graphics->decodes, 4) << "a failure is not cached";
  // Frame counts below one count as one.
  store.Add("PNG", "ok.png", "IMG 8 8");
  EXPECT_EQ(graphics->LoadBitmapStrip("ok.png", 0, false, 1).nFrames, 1);
  EXPECT_EQ(graphics->LoadBitmapStrip("ok.png", -4, true, 1).FrameWidth(), 8);
}

TEST_F(Resources, TargetScaleZeroIsTheScreenScaleRoundedUp) {
  store.Add("JPG", "bg.jpg", "IMG 10 10");
  store.Add("JPG", "bg@2x.jpg", "IMG 20 20");
  Use(store);
  graphics->ApplyScreenScale(1.25f);
  EXPECT_EQ(graphics->LoadBitmapStrip("bg.jpg", 1, false, 0).GetScale(), 2);
}

TEST_F(Resources, CacheKeysAreFnv1aOfNameAndScale) {
  EXPECT_EQ(Fnv1a(""), 2166136261u);
  EXPECT_EQ(Fnv1a("a"), 0xe40c292cu);
  EXPECT_EQ(Fnv1a("foobar"), 0xbf9cf968u);
  EXPECT_EQ(BitmapCacheKeyText("Nuppi.png", 2.0), "Nuppi.png-2.0x");
  EXPECT_EQ(BitmapCacheKeyText(nullptr, 1.0), "-1.0x");
  BitmapCache cache;
  std::lock_guard<std::mutex> lock(cache.Lock());
  APIBitmap* added = cache.Add("x.png", 1.0, std::make_unique<APIBitmap>(1, 2, 2, 1, 1.0f));
  EXPECT_EQ(cache.Find("x.png", 1.0), added);
  EXPECT_EQ(cache.Find("X.png", 1.0), nullptr) << "names are exact";
  EXPECT_EQ(cache.Find("x.png", 2.0), nullptr);
  EXPECT_EQ(cache.Add(nullptr, 1.0, std::make_unique<APIBitmap>()), nullptr);
  EXPECT_EQ(cache.Add("y.png", 1.0, nullptr), nullptr);
}

TEST_F(Resources, FontsLoadFromTheirFileIntoTheBackend) {
  const std::string ttf("\x00\x01\x00\x00\x00\x0a\x00\x80\x00\x03\x00\x20", 12);
  store.Add("TTF", "Roboto-Regular.ttf", ttf + "rest");
  store.Add("TTF", "bad.ttf", "not a font at all");
  store.Add("TTF", "tiny.ttf", "true");
  Use(store);
  EXPECT_TRUE(graphics->LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf"));
  EXPECT_EQ(graphics->Calls("LoadAPIFont"), (std::vector<std::string>{"LoadAPIFont(Roboto-Regular,16)"}));
  EXPECT_FALSE(graphics->LoadFontResource("Bad", "bad.ttf"));
  EXPECT_FALSE(graphics->LoadFontResource("Tiny", "tiny.ttf"));
  EXPECT_FALSE(graphics->LoadFontResource("Missing", "missing.ttf"));
  EXPECT_FALSE(graphics->LoadFontResource("", "Roboto-Regular.ttf"));
  EXPECT_FALSE(graphics->LoadFontResource(nullptr, "Roboto-Regular.ttf"));
  EXPECT_FALSE(graphics->LoadFontResource("System", "Arial", 0)) << "no system fonts by default";
  EXPECT_EQ(graphics->Calls("LoadAPIFont").size(), 1u) << "bad data never reaches the backend";
  graphics->apiFontAnswer = false;
  EXPECT_FALSE(graphics->LoadFontResource("Refused", "Roboto-Regular.ttf"));
}

TEST_F(Resources, SvgDocumentsAreReadOnceAndShared) {
  store.Add("SVG", "logo.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'><rect width='5' height='4'/></svg>");
  Use(store);
  const ISvg a = graphics->LoadSvg("logo.svg");
  ASSERT_TRUE(a.IsValid());
  EXPECT_EQ(a.document->GetName(), "logo.svg");
  const svg::SvgImage& image = a.document->GetImage();
  EXPECT_EQ(image.width, 20.0f);
  EXPECT_EQ(image.height, 10.0f);
  ASSERT_EQ(image.shapes.size(), 1u) << "parsed at load";
  EXPECT_FALSE(image.shapes[0].path.empty());
  const int reads = store.reads;
  EXPECT_EQ(graphics->LoadSvg("logo.svg").document, a.document);
  EXPECT_EQ(store.reads, reads);
  EXPECT_FALSE(graphics->LoadSvg("missing.svg").IsValid());
  EXPECT_FALSE(graphics->LoadSvg("").IsValid());
  EXPECT_FALSE(graphics->LoadSvg(nullptr).IsValid());
}

TEST_F(Resources, SvgDocumentsThatCannotBeReadGiveEmptyHandlesAndAreNotCached) {
  store.Add("SVG", "broken.svg", "this is not a document");
  store.Add("SVG", "empty.svg", "");
  Use(store);
  EXPECT_FALSE(graphics->LoadSvg("broken.svg").IsValid());
  EXPECT_FALSE(graphics->LoadSvg("empty.svg").IsValid());
  EXPECT_EQ(SharedSvgCache().Find("broken.svg", 1.0), nullptr);
  // Not cached: the next load reads the store again.
  const int reads = store.reads;
  EXPECT_FALSE(graphics->LoadSvg("broken.svg").IsValid());
  EXPECT_GT(store.reads, reads);
  // ... and finds the document once it can be read.
  FakeResourceStore fixed;
  fixed.Add("SVG", "broken.svg", "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 4 4'/>");
  Use(fixed);
  const ISvg now = graphics->LoadSvg("broken.svg");
  ASSERT_TRUE(now.IsValid());
  EXPECT_TRUE(now.document->GetImage().hasViewBox);
  EXPECT_EQ(SharedSvgCache().Find("broken.svg", 1.0), now.document);
}

TEST_F(Resources, ReadingALocationThatHoldsNothingFails) {
  Use(store);
  std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_FALSE(graphics->ReadResource(ResourceLocation::NotFound, "png", "x", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(graphics->ReadResource(ResourceLocation::ModuleResource, "png", "\"NONE.PNG\"", bytes));
  EXPECT_FALSE(graphics->ReadResource(ResourceLocation::ModuleResource, nullptr, "\"NONE.PNG\"", bytes));
  EXPECT_FALSE(graphics->ReadResource(ResourceLocation::FilePath, "png", "/nonexistent/ombrisk.png", bytes));
}

}  // namespace
