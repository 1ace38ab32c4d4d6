#pragma once
// VST2 preset files (.fxp): one program, either as the normalised value of
// every parameter ('FxCk', which every host can load into any plug-in) or as
// the plug-in's own opaque program chunk ('FPCh', for plug-ins that declare
// effFlagsProgramChunks). All numbers in the file are big-endian.
//
// Layout: 'CcnK', the byte count of everything after that count, the form
// ('FxCk' or 'FPCh'), format version 1, the plug-in's unique id, its version,
// the parameter count, the program name in 28 bytes (NUL-terminated when
// shorter); then the values as 32-bit floats ('FxCk') or a 32-bit chunk size
// and the chunk's bytes ('FPCh').
//
// ReadFxp checks everything a hostile or truncated file can get wrong and
// answers false with a one-line reason; it never reads outside the bytes
// given. It does not check the plug-in id: the caller compares it with the
// plug-in it loads into.

#include <cstdint>
#include <string>
#include <vector>

namespace ombrisk::host {

struct FxpProgram {
  enum class Form { Params, Chunk };

  static constexpr std::size_t kHeaderSize = 56;  // up to and including the name
  static constexpr std::size_t kNameSize = 28;    // with its NUL: 27 characters

  Form form = Form::Params;
  std::int32_t pluginId = 0;
  std::int32_t pluginVersion = 0;
  std::string name;                 // longer names are cut to 27 characters
  std::vector<float> params;        // Params form: normalised, 0..1
  std::vector<std::uint8_t> chunk;  // Chunk form
  std::int32_t chunkParamCount = 0; // Chunk form: the count written in the header
};

std::vector<std::uint8_t> WriteFxp(const FxpProgram& program);
bool ReadFxp(const std::vector<std::uint8_t>& bytes, FxpProgram& program, std::string& error);

// 'ujpa' for 0x756A7061; a hexadecimal number when not four printable characters.
std::string FourCharText(std::int32_t id);

}  // namespace ombrisk::host
