#pragma once
// Files the host tests write and read back: a path in GoogleTest's temporary
// folder, and a whole file's bytes (empty when it cannot be read).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ombrisk::host {

inline std::string Temp(const char* name) { return ::testing::TempDir() + name; }

inline std::vector<std::uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace ombrisk::host
