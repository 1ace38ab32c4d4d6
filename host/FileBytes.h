#pragma once
// Whole files as bytes, for the host's commands: read (refusing files over a
// size the caller names, before reading them) and written, with the path in
// every error.

#include <cstdint>
#include <string>
#include <vector>

namespace ombrisk::host {

// False with error "cannot open PATH", or "PATH is larger than LIMIT bytes".
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes = UINT64_MAX);
// Creates or replaces the file. False with "cannot create PATH" or "cannot write PATH".
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace ombrisk::host
