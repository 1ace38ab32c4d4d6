#include "RendererFixture.h"

#include <cstdlib>

namespace fx::vg::test {

namespace {
// Kept until the process ends: terminating EGL unloads the driver, whose
// remaining allocations would then show up as leaks without a name.
std::unique_ptr<platform::OffscreenGlContext>& sharedContext() {
  static auto* c = new std::unique_ptr<platform::OffscreenGlContext>();
  return *c;
}
}  // namespace

void RendererFixture::SetUpTestSuite() {
  if (!sharedContext()) sharedContext() = platform::OffscreenGlContext::create();
}

void RendererFixture::TearDownTestSuite() {}

platform::OffscreenGlContext* RendererFixture::context() { return sharedContext().get(); }

std::unique_ptr<Renderer> RendererFixture::makeRenderer() {
  return Renderer::create(context()->loader(), context()->loaderUser());
}

void RendererFixture::SetUp() {
  ASSERT_NE(context(), nullptr) << "no OpenGL context: " << platform::OffscreenGlContext::lastError();
  context()->makeCurrent();
  renderer = makeRenderer();
  ASSERT_NE(renderer, nullptr) << Renderer::lastCreateError();
  canvas = std::make_unique<TestCanvas>(*renderer, 64, 64);
  ASSERT_TRUE(canvas->valid());
}

void RendererFixture::TearDown() {
  canvas.reset();
  renderer.reset();
}

::testing::AssertionResult pixelNear(const TestCanvas& c, int x, int y, Rgba expected, int tolerance) {
  const Rgba got = c.pixel(x, y);
  for (int i = 0; i < 4; ++i) {
    if (std::abs(got[static_cast<std::size_t>(i)] - expected[static_cast<std::size_t>(i)]) > tolerance) {
      return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << got[0] << ", " << got[1]
                                           << ", " << got[2] << ", " << got[3] << "), expected (" << expected[0]
                                           << ", " << expected[1] << ", " << expected[2] << ", " << expected[3]
                                           << ") +- " << tolerance;
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace fx::vg::test
