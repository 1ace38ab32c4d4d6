#pragma once
// Shared set-up of the GL tests: one context for the whole program, a fresh
// renderer and a 64 x 64 canvas per test.
#include <gtest/gtest.h>

#include <memory>

#include "platform/OffscreenGlContext.h"
#include "TestCanvas.h"
#include "renderer/Renderer.h"

namespace fx::vg::test {

class RendererFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static platform::OffscreenGlContext* context();
  std::unique_ptr<Renderer> makeRenderer();

  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<TestCanvas> canvas;
};

// Expects a pixel to match within `tolerance` per channel.
::testing::AssertionResult pixelNear(const TestCanvas& c, int x, int y, Rgba expected, int tolerance = 2);

}  // namespace fx::vg::test
