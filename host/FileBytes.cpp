#include "host/FileBytes.h"

#include <fstream>
#include <iterator>

namespace ombrisk::host {

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes) {
  bytes.clear();
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size < 0) {
    error = "cannot read " + path;
    return false;
  }
  if (static_cast<std::uint64_t>(size) > maxBytes) {
    error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  in.seekg(0);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = "cannot create " + path;
    return false;
  }
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace ombrisk::host
