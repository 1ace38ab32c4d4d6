// GL objects go when their owners do; bad requests are refused by value.
#include <cstdlib>
#include <iostream>
#include <limits>
#include <memory>

#include "FontFile.h"
#include "RendererFixture.h"
#include "renderer/FrameBufferImage.h"
#include "renderer/SharedPrograms.h"

namespace fx::vg::test {
namespace {

class ResourceTest : public RendererFixture {};

TEST_F(ResourceTest, DeletedImageReleasesItsTexture) {
  const std::vector<std::uint8_t> px(16 * 16 * 4, 200);
  const int image = renderer->createImageRGBA(16, 16, 0, px);
  ASSERT_NE(image, 0);
  const GLuint name = renderer->textureName(image);
  const GlApi& gl = renderer->gl();
  EXPECT_TRUE(gl.IsTexture(name));
  EXPECT_TRUE(renderer->deleteImage(image));
  EXPECT_FALSE(gl.IsTexture(name));
  EXPECT_FALSE(renderer->deleteImage(image));
  int w = 0, h = 0;
  EXPECT_FALSE(renderer->imageSize(image, w, h));
}

// A share group's texture: drawn through an image of a renderer that did
// not make it, which neither deletes nor changes it; an image handed over
// to the group stays drawable, and neither deleteImage nor the renderer's
// end deletes its texture.
TEST_F(ResourceTest, LentAndHandedOverTexturesAreDrawnButNeverDeletedByTheRenderer) {
  std::vector<std::uint8_t> px(2 * 2 * 4, 0);
  for (std::size_t i = 0; i < px.size(); i += 4) px[i + 1] = px[i + 3] = 255;  // green
  auto maker = makeRenderer();
  ASSERT_NE(maker, nullptr);
  const int made = maker->createImageRGBA(2, 2, ImageNearest, px);
  ASSERT_NE(made, 0);
  const GLuint name = maker->disownImage(made);
  ASSERT_NE(name, 0u);
  EXPECT_EQ(maker->textureName(made), name) << "still drawable by its maker";
  EXPECT_EQ(maker->disownImage(made), 0u) << "handed over once";
  EXPECT_EQ(maker->disownImage(9999), 0u);
  EXPECT_TRUE(maker->deleteImage(made));
  const GlApi& gl = renderer->gl();
  EXPECT_TRUE(gl.IsTexture(name)) << "the group's texture outlives its maker's image";

  const int lent = renderer->createImageFromTexture(name, 2, 2, ImageNearest);
  ASSERT_NE(lent, 0);
  EXPECT_EQ(renderer->createImageFromTexture(0, 2, 2, 0), 0);
  EXPECT_EQ(renderer->createImageFromTexture(name, 0, 2, 0), 0);
  int w = 0, h = 0;
  ASSERT_TRUE(renderer->imageSize(lent, w, h));
  EXPECT_EQ(w, 2);
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(0, 0, 64, 64, 0, lent, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 64, 64);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 40, 40, {0, 255, 0, 255}));
  EXPECT_FALSE(renderer->updateImage(lent, px)) << "the group's picture is not one renderer's to change";
  EXPECT_EQ(renderer->disownImage(lent), 0u) << "nor to give";
  const int another = renderer->createImageFromTexture(name, 2, 2, 0);
  EXPECT_TRUE(renderer->deleteImage(lent));
  EXPECT_TRUE(gl.IsTexture(name));
  // A renderer going with a lent and a handed-over image leaves both textures.
  const int own = maker->createImageRGBA(2, 2, 0, px);
  const GLuint ownName = maker->disownImage(own);
  ASSERT_NE(maker->createImageFromTexture(name, 2, 2, 0), 0);
  maker.reset();
  EXPECT_TRUE(gl.IsTexture(name));
  EXPECT_TRUE(gl.IsTexture(ownName));
  EXPECT_TRUE(renderer->deleteImage(another));
  EXPECT_TRUE(gl.IsTexture(name));
  gl.DeleteTextures(1, &name);
  gl.DeleteTextures(1, &ownName);
}

// Renderers of one share group use one program per variant: the first
// compiles it, the others use it, each sends its own uniforms every frame
// (alternating frames of two renderers keep their own colours), and the
// programs go with the last renderer of the group.
TEST_F(ResourceTest, RenderersOfAShareGroupUseOneProgramWhichTheLastDeletes) {
  SharedPrograms programs;
  auto first = Renderer::create(context()->loader(), context()->loaderUser(), &programs);
  auto second = Renderer::create(context()->loader(), context()->loaderUser(), &programs);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(programs.Users(), 2);
  const GLuint program = first->programName();
  ASSERT_NE(program, 0u);
  EXPECT_EQ(second->programName(), program);
  EXPECT_NE(renderer->programName(), program) << "a renderer outside the group has its own";
  EXPECT_EQ(programs.Size(), 1);
  // Each canvas goes before its renderer: it deletes its frame buffer through the renderer's GL.
  auto canvasA = std::make_unique<TestCanvas>(*first, 16, 16);
  auto canvasB = std::make_unique<TestCanvas>(*second, 16, 16);
  TestCanvas& a = *canvasA;
  TestCanvas& b = *canvasB;
  auto fillWith = [](Renderer& r, TestCanvas& c, Color colour) {
    c.begin();
    r.fillColor(colour);
    r.beginPath();
    r.rect(0, 0, 16, 16);
    r.fill();
    c.end();
  };
  for (int round = 0; round < 2; ++round) {
    fillWith(*first, a, Color::rgba(1, 0, 0, 1));
    fillWith(*second, b, Color::rgba(0, 0, 1, 1));
    EXPECT_TRUE(pixelNear(a, 8, 8, {255, 0, 0, 255}));
    EXPECT_TRUE(pixelNear(b, 8, 8, {0, 0, 255, 255}));
  }
  // A scissor on pixel edges is the GL box alone: no other variant. A soft
  // one (off the pixel grid) builds another, once for both.
  const std::int32_t unclipped = programs.Size();
  a.begin();
  first->scissor(0, 0, 8, 8);
  first->beginPath();
  first->rect(0, 0, 16, 16);
  first->fill();
  a.end();
  EXPECT_EQ(programs.Size(), unclipped);
  a.begin();
  first->scissor(0, 0, 8.5f, 8);
  first->beginPath();
  first->rect(0, 0, 16, 16);
  first->fill();
  a.end();
  const std::int32_t variants = programs.Size();
  EXPECT_GT(variants, unclipped);
  b.begin();
  second->scissor(0, 0, 8.5f, 8);
  second->beginPath();
  second->rect(0, 0, 16, 16);
  second->fill();
  b.end();
  EXPECT_EQ(programs.Size(), variants);
  const GlApi& gl = renderer->gl();
  canvasA.reset();
  first.reset();
  EXPECT_TRUE(gl.IsProgram(program)) << "the other renderer still draws with it";
  fillWith(*second, b, Color::rgba(0, 1, 0, 1));
  EXPECT_TRUE(pixelNear(b, 8, 8, {0, 255, 0, 255}));
  canvasB.reset();
  second.reset();
  EXPECT_FALSE(gl.IsProgram(program));
  EXPECT_EQ(programs.Size(), 0);
  EXPECT_EQ(programs.Users(), 0);
}

TEST_F(ResourceTest, UpdateReplacesPixels) {
  std::vector<std::uint8_t> px(2 * 2 * 4, 0);
  const int image = renderer->createImageRGBA(2, 2, ImageNearest, px);
  for (std::size_t i = 0; i < px.size(); i += 4) px[i] = px[i + 3] = 255;
  ASSERT_TRUE(renderer->updateImage(image, px));
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(0, 0, 64, 64, 0, image, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 64, 64);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 40, 40, {255, 0, 0, 255}));
  EXPECT_FALSE(renderer->updateImage(image, std::span<const std::uint8_t>(px.data(), 4)));
  EXPECT_FALSE(renderer->updateImage(9999, px));
}

TEST_F(ResourceTest, FrameBufferReleasesEverything) {
  auto fb = FrameBufferImage::create(*renderer, 32, 32);
  ASSERT_NE(fb, nullptr);
  const GLuint f = fb->framebuffer(), r = fb->renderbuffer(), t = renderer->textureName(fb->image());
  const GlApi& gl = renderer->gl();
  EXPECT_TRUE(gl.IsFramebuffer(f));
  EXPECT_TRUE(gl.IsRenderbuffer(r));
  EXPECT_TRUE(gl.IsTexture(t));
  fb.reset();
  EXPECT_FALSE(gl.IsFramebuffer(f));
  EXPECT_FALSE(gl.IsRenderbuffer(r));
  EXPECT_FALSE(gl.IsTexture(t));
}

TEST_F(ResourceTest, RendererReleasesProgramBufferAndTextures) {
  auto other = makeRenderer();
  ASSERT_NE(other, nullptr);
  const auto font = readFile(fontPath("DejaVuSans.ttf"));
  const std::vector<std::uint8_t> px(4 * 4 * 4, 255);
  const int image = other->createImageRGBA(4, 4, 0, px);
  {
    TestCanvas c(*other, 32, 32);  // gone before its renderer
    const int sans = other->createFontMem("sans", font);
    c.begin();
    other->fontFace(sans);
    other->beginPath();
    other->rect(0, 0, 10, 10);
    other->fill();
    other->text(2, 20, "x");
    c.end();
  }
  const GLuint program = other->programName(), buffer = other->bufferName(), texture = other->textureName(image),
               atlas = other->atlasTextureName();
  const GlApi& gl = renderer->gl();
  ASSERT_TRUE(gl.IsProgram(program));
  ASSERT_TRUE(gl.IsBuffer(buffer));
  ASSERT_TRUE(gl.IsTexture(texture));
  ASSERT_TRUE(gl.IsTexture(atlas));
  other.reset();
  EXPECT_FALSE(gl.IsProgram(program));
  EXPECT_FALSE(gl.IsBuffer(buffer));
  EXPECT_FALSE(gl.IsTexture(texture));
  EXPECT_FALSE(gl.IsTexture(atlas));
}

TEST_F(ResourceTest, RefusesBadImageSizes) {
  const std::vector<std::uint8_t> px(64, 255);
  EXPECT_EQ(renderer->createImageRGBA(0, 4, 0, px), 0);
  EXPECT_EQ(renderer->createImageRGBA(4, 0, 0, px), 0);
  EXPECT_EQ(renderer->createImageRGBA(-4, -4, 0, px), 0);
  EXPECT_EQ(renderer->createImageRGBA(5, 5, 0, px), 0);  // 100 bytes needed, 64 given
  EXPECT_EQ(renderer->createImageRGBA(4, 4, 0, {}), 0);
  EXPECT_EQ(renderer->createImageEmpty(100000, 100000, 0), 0);
  EXPECT_EQ(renderer->createImageEmpty(std::numeric_limits<int>::max(), 1, 0), 0);
  EXPECT_EQ(renderer->createImageEmpty(1 << 20, 1, 0), 0);
  EXPECT_EQ(FrameBufferImage::create(*renderer, 0, 0), nullptr);
  EXPECT_EQ(FrameBufferImage::create(*renderer, 1 << 20, 1 << 20), nullptr);
  EXPECT_NE(renderer->createImageRGBA(4, 4, 0, px), 0);
}

TEST_F(ResourceTest, RefusesMissingAndCorruptFonts) {
  const auto font = readFile(fontPath("DejaVuSans.ttf"));
  ASSERT_GT(font.size(), 1000u);
  EXPECT_EQ(renderer->createFontMem("empty", {}), -1);
  std::vector<std::uint8_t> garbage(5000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 % 251);
  EXPECT_EQ(renderer->createFontMem("garbage", garbage), -1);
  // Truncated: the table directory points past the end.
  EXPECT_EQ(renderer->createFontMem("cut", std::span(font.data(), font.size() / 2)), -1);
  EXPECT_EQ(renderer->createFontMem("header", std::span(font.data(), 12)), -1);
  // A directory claiming a table far beyond the data.
  std::vector<std::uint8_t> lying(font);
  lying[12 + 8] = 0x7f;
  EXPECT_EQ(renderer->createFontMem("lying", lying), -1);
  const int ok = renderer->createFontMem("sans", font);
  EXPECT_GE(ok, 0);
  EXPECT_TRUE(renderer->deleteFont(ok));
  EXPECT_FALSE(renderer->deleteFont(ok));
  EXPECT_EQ(renderer->findFont("sans"), -1);
  // Text with a deleted or unknown font draws nothing.
  canvas->begin();
  renderer->fontFace(ok);
  renderer->text(5, 30, "nothing");
  renderer->fontFace(12345);
  renderer->text(5, 30, "nothing");
  canvas->end();
  EXPECT_EQ(canvas->coverage(), 0.0);

  // Shared bytes are checked the same way, and held rather than copied:
  // they live while the font does and measure as a copy does.
  EXPECT_EQ(renderer->createFontShared("none", nullptr), -1);
  EXPECT_EQ(renderer->createFontShared("lying", std::make_shared<const std::vector<std::uint8_t>>(lying)), -1);
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(font);
  const int shared = renderer->createFontShared("shared", bytes);
  const int copied = renderer->createFontMem("copied", font);
  ASSERT_GE(shared, 0);
  ASSERT_GE(copied, 0);
  EXPECT_EQ(bytes.use_count(), 2);
  const auto width = [&](int face) {
    renderer->fontFace(face);
    renderer->fontSize(20);
    return renderer->textBounds(0, 0, "Input Gain", nullptr);
  };
  EXPECT_GT(width(shared), 0.0f);
  EXPECT_EQ(width(shared), width(copied));
  EXPECT_TRUE(renderer->deleteFont(shared));
  EXPECT_EQ(bytes.use_count(), 1);
}

}  // namespace
}  // namespace fx::vg::test

namespace fx::vg::test {
namespace {

TEST_F(ResourceTest, ContextOffersOpenGl2) {
  const GlApi& gl = renderer->gl();
  const auto* version = reinterpret_cast<const char*>(gl.GetString(gl::kVersion));
  const auto* name = reinterpret_cast<const char*>(gl.GetString(gl::kRenderer));
  ASSERT_NE(version, nullptr);
  std::cout << "[ info     ] " << context()->description() << ": OpenGL " << version << " on "
            << (name ? name : "?") << "\n";
  EXPECT_GE(std::atoi(version), 2);
}

}  // namespace
}  // namespace fx::vg::test
