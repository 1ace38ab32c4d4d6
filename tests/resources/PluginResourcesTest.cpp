// The editor's resources as the plug-in module carries them: on Windows the
// built Ombrisk.dll itself (its .rc), on Linux a table made by the same CMake
// call and file list as Ombrisk.so's. Every artwork file and the font under
// its quoted upper-case name, byte for byte; on Windows also the icon and
// the version record. Built a second time with one file left out
// (OMBRISK_LEFT_OUT), carried by the test program itself: what a test of a
// missing artwork builds on.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ModuleResources.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

struct Embedded {
  const char* type;
  const char* name;
  const char* file;
};

const Embedded kEmbedded[] = {
    {"PNG", "\"LEDON.PNG\"", "ledOn.png"},
    {"PNG", "\"LIUKUANIM.PNG\"", "LiukuAnim.png"},
    {"PNG", "\"FLIPPERANIM.PNG\"", "FlipperAnim.png"},
    {"PNG", "\"NUPPI.PNG\"", "Nuppi.png"},
    {"PNG", "\"NUPIKKAVARJO.PNG\"", "NupikkaVarjo.png"},
    {"PNG", "\"NUPPIOVERLAY.PNG\"", "NuppiOverlay.png"},
    {"PNG", "\"BIASNUPPI.PNG\"", "BIASNUPPI.png"},
    {"JPG", "\"OMBRISKBACKGROUND.JPG\"", "Ombriskbackground.jpg"},
    {"TTF", "\"ROBOTO-REGULAR.TTF\"", "Roboto-Regular.ttf"},
};

#if defined(OMBRISK_LEFT_OUT)
bool Kept(const Embedded& e) { return std::string(e.file) != OMBRISK_LEFT_OUT; }
#else
bool Kept(const Embedded&) { return true; }
#endif

#if defined(_WIN32)
std::string WinePath(std::string path) {
  path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
// Test glue: the built plug-in module, loaded once, or this program.
HMODULE PluginHandle() {
#if defined(OMBRISK_PLUGIN_MODULE)
  static HMODULE module = LoadLibraryA(WinePath(OMBRISK_PLUGIN_MODULE).c_str());
#else
  static HMODULE module = GetModuleHandleA(nullptr);
#endif
  return module;
}
void* Plugin() { return PluginHandle(); }
const std::string kResourceDir = WinePath(OMBRISK_RESOURCE_DIR);
#else
void* Plugin() { return nullptr; }
const std::string kResourceDir = OMBRISK_RESOURCE_DIR;
#endif

std::vector<std::uint8_t> ReadFile(const char* file) {
  std::ifstream in(kResourceDir + "/" + file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PluginResources : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    ASSERT_NE(PluginHandle(), nullptr) << "no module to read";
#endif
  }
};

TEST_F(PluginResources, EveryTypeListsExactlyTheEditorsNames) {
  for (const char* type : {"PNG", "JPG", "TTF"}) {
    std::vector<std::string> names, expected;
    EXPECT_TRUE(fx::platform::ForEachResourceName(Plugin(), type, [&](std::string_view name) {
      names.emplace_back(name);
      return true;
    })) << type;
    for (const Embedded& e : kEmbedded)
      if (std::string(e.type) == type && Kept(e)) expected.emplace_back(e.name);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected) << type;
  }
  // The editor has no SVG artwork.
  EXPECT_FALSE(fx::platform::ForEachResourceName(Plugin(), "SVG", [](std::string_view) { return true; }));
}

TEST_F(PluginResources, EachResourceHoldsItsFileByteForByte) {
  int kept = 0;
  for (const Embedded& e : kEmbedded) {
    const auto data = fx::platform::LoadResourceData(Plugin(), e.type, e.name);
    if (!Kept(e)) {
      EXPECT_TRUE(data.empty()) << e.name << " was left out";
      continue;
    }
    ++kept;
    const auto expected = ReadFile(e.file);
    ASSERT_GT(expected.size(), 100u) << e.file;
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), expected) << e.name;
  }
#if defined(OMBRISK_LEFT_OUT)
  EXPECT_EQ(kept, 8);
#else
  EXPECT_EQ(kept, 9);
#endif
}

#if defined(OMBRISK_PLUGIN_MODULE)
TEST_F(PluginResources, ModuleCarriesItsIconAndVersion) {
  EXPECT_NE(FindResourceA(PluginHandle(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON
  const std::string path = WinePath(OMBRISK_PLUGIN_MODULE);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, (static_cast<DWORD>(OMBRISK_VERSION_MAJOR) << 16) | OMBRISK_VERSION_MINOR);
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(OMBRISK_VERSION_PATCH) << 16);
  EXPECT_EQ(fixed->dwFileType, 2u);  // a DLL
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\ProductName", reinterpret_cast<void**>(&text),
                             &length));
  EXPECT_STREQ(text, "Ombrisk");
}
#endif

}  // namespace
