#include "host/FxpFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace ombrisk::host {
namespace {

constexpr std::uint32_t FourCc(const char (&text)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}

constexpr std::uint32_t kFileMagic = FourCc("CcnK");
constexpr std::uint32_t kParamsMagic = FourCc("FxCk");
constexpr std::uint32_t kChunkMagic = FourCc("FPCh");
constexpr std::uint32_t kParamsBankMagic = FourCc("FxBk");
constexpr std::uint32_t kChunkBankMagic = FourCc("FBCh");
constexpr std::int32_t kFormatVersion = 1;
// Far more than any plug-in has; keeps a hostile count from asking for gigabytes.
constexpr std::uint32_t kMaxParams = 1u << 20;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at) {
  return (static_cast<std::uint32_t>(in[at]) << 24) | (static_cast<std::uint32_t>(in[at + 1]) << 16) |
         (static_cast<std::uint32_t>(in[at + 2]) << 8) | static_cast<std::uint32_t>(in[at + 3]);
}

std::string Count(std::size_t n, const char* unit) { return std::to_string(n) + " " + unit + (n == 1 ? "" : "s"); }

}  // namespace

std::string FourCharText(std::int32_t id) {
  const auto v = static_cast<std::uint32_t>(id);
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<char>((v >> shift) & 0xFF);
    if (c < 32 || c > 126) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", v);
      return hex;
    }
    text += c;
  }
  return "'" + text + "'";
}

std::vector<std::uint8_t> WriteFxp(const FxpProgram& program) {
  const bool chunk = program.form == FxpProgram::Form::Chunk;
  const std::size_t body = chunk ? 4 + program.chunk.size() : 4 * program.params.size();
  std::vector<std::uint8_t> out;
  out.reserve(FxpProgram::kHeaderSize + body);
  PutU32(out, kFileMagic);
  PutU32(out, static_cast<std::uint32_t>(FxpProgram::kHeaderSize - 8 + body));
  PutU32(out, chunk ? kChunkMagic : kParamsMagic);
  PutU32(out, kFormatVersion);
  PutU32(out, static_cast<std::uint32_t>(program.pluginId));
  PutU32(out, static_cast<std::uint32_t>(program.pluginVersion));
  PutU32(out, static_cast<std::uint32_t>(chunk ? program.chunkParamCount
                                               : static_cast<std::int32_t>(program.params.size())));
  char name[FxpProgram::kNameSize] = {};
  std::memcpy(name, program.name.data(), std::min(program.name.size(), FxpProgram::kNameSize - 1));
  out.insert(out.end(), name, name + sizeof name);
  if (chunk) {
    PutU32(out, static_cast<std::uint32_t>(program.chunk.size()));
    out.insert(out.end(), program.chunk.begin(), program.chunk.end());
  } else {
    for (const float v : program.params) {
      std::uint32_t bits = 0;
      std::memcpy(&bits, &v, sizeof bits);
      PutU32(out, bits);
    }
  }
  return out;
}

bool ReadFxp(const std::vector<std::uint8_t>& bytes, FxpProgram& program, std::string& error) {
  const std::size_t size = bytes.size();
  if (size < 4 || GetU32(bytes, 0) != kFileMagic) {
    error = "not a VST2 preset file (it does not start with 'CcnK')";
    return false;
  }
  if (size < FxpProgram::kHeaderSize) {
    error = "truncated preset: the header needs " + Count(FxpProgram::kHeaderSize, "byte") + ", the file has " +
            std::to_string(size);
    return false;
  }
  const std::uint32_t form = GetU32(bytes, 8);
  if (form == kParamsBankMagic || form == kChunkBankMagic) {
    error = "this is a bank of presets (.fxb), not a single preset (.fxp)";
    return false;
  }
  if (form != kParamsMagic && form != kChunkMagic) {
    error = "unknown preset form " + FourCharText(static_cast<std::int32_t>(form)) + " (expected 'FxCk' or 'FPCh')";
    return false;
  }
  const std::uint32_t declared = GetU32(bytes, 4);
  if (declared > size - 8) {
    error = "truncated preset: the header announces " + Count(static_cast<std::size_t>(declared) + 8, "byte") +
            ", the file has " + std::to_string(size);
    return false;
  }
  const std::size_t end = static_cast<std::size_t>(declared) + 8;  // bytes after it are ignored
  if (end < FxpProgram::kHeaderSize) {
    error = "bad preset: the byte count " + std::to_string(declared) + " is smaller than the header";
    return false;
  }
  const auto version = static_cast<std::int32_t>(GetU32(bytes, 12));
  if (version != kFormatVersion) {
    error = "unsupported preset format version " + std::to_string(version) + " (expected 1)";
    return false;
  }
  FxpProgram read;
  read.form = form == kChunkMagic ? FxpProgram::Form::Chunk : FxpProgram::Form::Params;
  read.pluginId = static_cast<std::int32_t>(GetU32(bytes, 16));
  read.pluginVersion = static_cast<std::int32_t>(GetU32(bytes, 20));
  const std::uint32_t count = GetU32(bytes, 24);
  if (count > kMaxParams) {
    error = "bad preset: parameter count " + std::to_string(static_cast<std::int32_t>(count)) + " is out of range";
    return false;
  }
  const auto* name = reinterpret_cast<const char*>(bytes.data() + 28);
  read.name.assign(name, std::find(name, name + FxpProgram::kNameSize - 1, '\0'));

  std::size_t at = FxpProgram::kHeaderSize;
  if (read.form == FxpProgram::Form::Params) {
    if (end - at < 4 * static_cast<std::size_t>(count)) {
      error = "truncated preset: " + Count(count, "parameter value") + " need " +
              std::to_string(4 * static_cast<std::size_t>(count)) + " bytes, " + std::to_string(end - at) + " follow";
      return false;
    }
    read.params.resize(count);
    for (std::uint32_t i = 0; i < count; ++i, at += 4) {
      const std::uint32_t bits = GetU32(bytes, at);
      float v = 0.0F;
      std::memcpy(&v, &bits, sizeof v);
      if (!(v >= 0.0F && v <= 1.0F)) {  // NaN fails too
        error = "bad preset: the value of parameter " + std::to_string(i) + " is not in 0..1";
        return false;
      }
      read.params[i] = v;
    }
  } else {
    read.chunkParamCount = static_cast<std::int32_t>(count);
    if (end - at < 4) {
      error = "truncated preset: the chunk size is missing";
      return false;
    }
    const std::uint32_t chunkSize = GetU32(bytes, at);
    at += 4;
    if (chunkSize > end - at) {
      error = "truncated preset: the chunk announces " + Count(chunkSize, "byte") + ", " + std::to_string(end - at) +
              " follow";
      return false;
    }
    if (chunkSize == 0) {
      error = "bad preset: the chunk is empty";
      return false;
    }
    read.chunk.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + chunkSize));
  }
  program = std::move(read);
  return true;
}

}  // namespace ombrisk::host
