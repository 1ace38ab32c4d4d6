// The module resource store against a real store: the table compiled into
// this program on Linux, a resource-only DLL loaded by the loader on Windows.
// Both hold the same files under the same names (see store/).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ModuleResources.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using fx::platform::ForEachResourceName;
using fx::platform::LoadResourceData;

const std::string kLongName = "\"" + std::string(300, 'A') + ".PNG\"";

#if defined(_WIN32)
// Test glue: the store DLL, loaded once; under wine the build tree is on Z:.
HMODULE StoreModuleHandle() {
  static HMODULE module = [] {
    std::string path = "Z:" OMBRISK_STORE_MODULE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return LoadLibraryA(path.c_str());
  }();
  return module;
}
void* StoreModule() { return StoreModuleHandle(); }
#else
// The table linked into this program answers whatever the handle.
void* StoreModule() { return nullptr; }
#endif

std::vector<std::uint8_t> ReadStoreFile(const char* file) {
  std::ifstream in(std::string(OMBRISK_STORE_DIR) + "/" + file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> NamesOf(const char* type, bool* found = nullptr) {
  std::vector<std::string> names;
  const bool any = ForEachResourceName(StoreModule(), type, [&](std::string_view name) {
    names.emplace_back(name);
    return true;
  });
  if (found) *found = any;
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> Bytes(const char* type, const std::string& name) {
  const auto data = LoadResourceData(StoreModule(), type, name.c_str());
  return {data.begin(), data.end()};
}

class ModuleResources : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    ASSERT_NE(StoreModuleHandle(), nullptr) << "store module not loaded: " << OMBRISK_STORE_MODULE;
#endif
  }
};

TEST_F(ModuleResources, NamesOfATypeAreQuotedUpperCaseFileNames) {
  bool found = false;
  EXPECT_EQ(NamesOf("PNG", &found), (std::vector<std::string>{kLongName, "\"KNOB@2X.PNG\"", "\"LEDON.PNG\""}));
  EXPECT_TRUE(found);
  EXPECT_EQ(NamesOf("JPG"), std::vector<std::string>{"\"BACK.JPG\""});
  EXPECT_EQ(NamesOf("TTF"), std::vector<std::string>{"\"ROBOTO.TTF\""});
  // Types compare as the loader compares them, without regard to case.
  EXPECT_EQ(NamesOf("png"), NamesOf("PNG"));
}

TEST_F(ModuleResources, BytesAreTheFilesBytes) {
  struct Case {
    const char* type;
    std::string name;
    const char* file;
  };
  const Case cases[] = {{"PNG", "\"LEDON.PNG\"", "ledOn.png"},   {"PNG", "\"KNOB@2X.PNG\"", "knob2x.bin"},
                        {"JPG", "\"BACK.JPG\"", "Back.jpg"},     {"TTF", "\"ROBOTO.TTF\"", "Font.ttf"},
                        {"PNG", kLongName, "long.bin"}};
  for (const Case& c : cases) {
    const auto expected = ReadStoreFile(c.file);
    ASSERT_FALSE(expected.empty()) << c.file;
    EXPECT_EQ(Bytes(c.type, c.name), expected) << c.name;
  }
  // The span stays valid: a second lookup gives the same storage.
  const auto first = LoadResourceData(StoreModule(), "PNG", "\"LEDON.PNG\"");
  const auto second = LoadResourceData(StoreModule(), "PNG", "\"LEDON.PNG\"");
  EXPECT_EQ(first.data(), second.data());
}

TEST_F(ModuleResources, NamesMatchWithoutRegardToCaseButWithTheirQuotes) {
  const auto expected = ReadStoreFile("knob2x.bin");
  EXPECT_EQ(Bytes("PNG", "\"Knob@2x.png\""), expected);
  EXPECT_EQ(Bytes("png", "\"knob@2x.PNG\""), expected);
  // The quotes are part of the stored name.
  EXPECT_TRUE(Bytes("PNG", "KNOB@2X.PNG").empty());
  EXPECT_TRUE(Bytes("PNG", "\"KNOB@2X.PNG").empty());
  // The right name under the wrong type is not there.
  EXPECT_TRUE(Bytes("JPG", "\"LEDON.PNG\"").empty());
}

TEST_F(ModuleResources, MissingTypesAndNamesGiveNothing) {
  bool found = true;
  EXPECT_TRUE(NamesOf("SVG", &found).empty());
  EXPECT_FALSE(found);
  EXPECT_FALSE(ForEachResourceName(StoreModule(), "", [](std::string_view) { return true; }));
  EXPECT_TRUE(Bytes("SVG", "\"LEDON.PNG\"").empty());
  EXPECT_TRUE(Bytes("PNG", "\"MISSING.PNG\"").empty());
  EXPECT_TRUE(Bytes("PNG", "").empty());
  EXPECT_TRUE(Bytes("PNG", "\"\"").empty());
  // Null arguments and an empty visitor are answered, not dereferenced.
  EXPECT_FALSE(ForEachResourceName(StoreModule(), nullptr, [](std::string_view) { return true; }));
  EXPECT_FALSE(ForEachResourceName(StoreModule(), "PNG", std::function<bool(std::string_view)>()));
  EXPECT_TRUE(LoadResourceData(StoreModule(), nullptr, "\"LEDON.PNG\"").empty());
  EXPECT_TRUE(LoadResourceData(StoreModule(), "PNG", nullptr).empty());
}

TEST_F(ModuleResources, NumericIdsAreNotNames) {
#if defined(_WIN32)
  // The store DLL does hold PNG number 7 ...
  ASSERT_NE(FindResourceA(StoreModuleHandle(), MAKEINTRESOURCEA(7), "PNG"), nullptr);
#endif
  // ... but neither the walk nor a lookup by the loader's "#7" spelling finds it.
  for (const std::string& name : NamesOf("PNG")) EXPECT_EQ(name.front(), '"') << name;
  EXPECT_EQ(NamesOf("PNG").size(), 3u);
  EXPECT_TRUE(Bytes("PNG", "#7").empty());
  EXPECT_TRUE(Bytes("#7", "\"LEDON.PNG\"").empty());
}

TEST_F(ModuleResources, OverlongNamesAreStoredWholeAndLongLookupsFindNothing) {
  ASSERT_GT(kLongName.size(), 260u);
  const auto names = NamesOf("PNG");
  EXPECT_NE(std::find(names.begin(), names.end(), kLongName), names.end());
  EXPECT_EQ(Bytes("PNG", kLongName), ReadStoreFile("long.bin"));
  // One character more or less is another name.
  EXPECT_TRUE(Bytes("PNG", kLongName.substr(0, kLongName.size() - 1)).empty());
  EXPECT_TRUE(Bytes("PNG", "\"A" + kLongName.substr(1)).empty());
  EXPECT_TRUE(Bytes("PNG", "\"" + std::string(70000, 'B') + ".PNG\"").empty());
}

TEST_F(ModuleResources, AVisitorCanStopTheWalk) {
  int visited = 0;
  EXPECT_TRUE(ForEachResourceName(StoreModule(), "PNG", [&](std::string_view) {
    ++visited;
    return false;
  }));
  EXPECT_EQ(visited, 1);
  // An exception from the visitor stops the walk and does not escape it.
  visited = 0;
  bool answered = false;
  EXPECT_NO_THROW(answered = ForEachResourceName(StoreModule(), "PNG", [&](std::string_view) -> bool {
                    ++visited;
                    throw std::runtime_error("visitor failed");
                  }));
  EXPECT_TRUE(answered);
  EXPECT_EQ(visited, 1);
}

}  // namespace
