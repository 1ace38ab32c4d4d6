// A build whose resource table leaves out the knob body image and the font:
// the page still builds and draws, the body controls are empty and the
// version label draws no text. Nothing crashes.
#include <gtest/gtest.h>

#include "PageTestSupport.h"
#include "effect/OmbriskParameters.h"
#include "graphics/controls/IControl.h"

namespace ombrisk::page {
namespace {

using fx::igraphics::IBounds;

TEST(MissingArtwork, EmptyStripsAndNoTextNeverACrash) {
  if (!test::SharedGl()) GTEST_SKIP() << "no OpenGL context";
  const test::Image background = test::LoadArtwork("Ombriskbackground.jpg");
  ASSERT_FALSE(background.Empty());
  EditorPage::Options options;
  options.scale = 1.0f;
  auto page = EditorPage::Create(test::View(), options);
  ASSERT_NE(page, nullptr);
  fx::igraphics::IGraphics& g = page->Graphics();
  ASSERT_EQ(g.NControls(), 18);
  // Rows 9-12 (the bodies) are zero-size rectangles at their corners.
  const float corners[4][2] = {{137, 206}, {137, 603}, {891, 603}, {1246, 603}};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(g.GetControl(10 + i)->GetBounds(), IBounds(corners[i][0], corners[i][1], corners[i][0], corners[i][1]));
  // The others still have their artwork.
  EXPECT_EQ(g.GetControl(14)->GetBounds(), IBounds(126, 192, 394, 486));

  page->SetParameter(kInputGain, 0.9);
  page->RunFrame();
  page->RepaintAll();
  const fx::igraphics::PageImage image = page->ReadPage();
  ASSERT_EQ(image.width, 1630);
  // No text: the label's corner shows only the background (the corner
  // handle's faint triangle aside).
  int differing = 0;
  for (int y = 950; y < 1010; ++y)
    for (int x = 1380; x < 1588; ++x) {
      const std::uint8_t* p = image.At(x, y);
      const std::uint8_t* b = background.At(x, y);
      for (int k = 0; k < 3; ++k) differing += std::abs(p[k] - b[k]) > 8 ? 1 : 0;
    }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace ombrisk::page
