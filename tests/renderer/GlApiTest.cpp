// Entry points come only through the loader: what it lacks is reported.
#include "renderer/GlApi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "renderer/Renderer.h"

namespace fx::vg {
namespace {

void placeholder() {}

struct Names {
  std::set<std::string> asked;
  bool knowsCoreFbo = true;
  std::string refuse;
};

GlProc lookup(const char* name, void* user) {
  auto* names = static_cast<Names*>(user);
  names->asked.insert(name);
  const std::string n(name);
  if (n == names->refuse) return nullptr;
  const bool fbo = n.find("buffer") != std::string::npos && n.find("Framebuffer") != std::string::npos;
  if (!names->knowsCoreFbo && (fbo || n.find("Renderbuffer") != std::string::npos) &&
      n.substr(n.size() - 3) != "EXT")
    return nullptr;
  return &placeholder;
}

TEST(GlApi, LoadsEveryEntryPointByName) {
  Names names;
  GlApi api;
  EXPECT_TRUE(api.load(&lookup, &names));
  EXPECT_EQ(api.missing, nullptr);
  EXPECT_TRUE(names.asked.count("glCreateShader"));
  EXPECT_TRUE(names.asked.count("glStencilOpSeparate"));
  EXPECT_TRUE(names.asked.count("glGenFramebuffers"));
  EXPECT_NE(api.DrawArrays, nullptr);
}

TEST(GlApi, FallsBackToExtensionNamesForFrameBuffers) {
  Names names;
  names.knowsCoreFbo = false;
  GlApi api;
  EXPECT_TRUE(api.load(&lookup, &names));
  EXPECT_TRUE(names.asked.count("glGenFramebuffersEXT"));
  EXPECT_TRUE(names.asked.count("glRenderbufferStorageEXT"));
}

TEST(GlApi, ReportsTheFirstMissingName) {
  Names names;
  names.refuse = "glUniform4fv";
  GlApi api;
  EXPECT_FALSE(api.load(&lookup, &names));
  ASSERT_NE(api.missing, nullptr);
  EXPECT_STREQ(api.missing, "glUniform4fv");
  EXPECT_FALSE(GlApi{}.load(nullptr, nullptr));
}

TEST(GlApi, RendererRefusesAContextWithoutOpenGl2) {
  Names names;
  names.refuse = "glCreateShader";
  EXPECT_EQ(Renderer::create(&lookup, &names), nullptr);
  EXPECT_NE(Renderer::lastCreateError().find("glCreateShader"), std::string::npos);
}

}  // namespace
}  // namespace fx::vg
