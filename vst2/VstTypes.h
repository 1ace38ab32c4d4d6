// Basic vocabulary shared by every VST2 declaration: the calling convention of
// the callbacks, string-buffer lengths and the magic numbers.
#pragma once

#include <cstddef>
#include <cstdint>

// Hosts call plug-ins (and plug-ins call hosts) with the C calling convention;
// on 32-bit Windows that has to be spelled out because compilers may default
// to another one for some translation units.
#if defined(_WIN32)
#define OMBRISK_VSTCALL __cdecl
#else
#define OMBRISK_VSTCALL
#endif

namespace vst2 {

// Four characters packed big-endian into one 32-bit number.
constexpr std::int32_t FourCharCode(char a, char b, char c, char d) noexcept {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

inline constexpr std::int32_t kEffectMagic = FourCharCode('V', 's', 't', 'P');
inline constexpr std::int32_t kEffectIdentifyAnswer = FourCharCode('N', 'v', 'E', 'f');
inline constexpr std::int32_t kVstVersion = 2400;

static_assert(kEffectMagic == 0x56737450);
static_assert(kEffectIdentifyAnswer == 0x4E764566);

// Lengths that the interface documents for the host's text buffers, terminator
// included. Real hosts often pass larger buffers, but never rely on it.
inline constexpr std::size_t kVstMaxProgNameLen = 24;
inline constexpr std::size_t kVstMaxParamStrLen = 8;
inline constexpr std::size_t kVstMaxVendorStrLen = 64;
inline constexpr std::size_t kVstMaxProductStrLen = 64;
inline constexpr std::size_t kVstMaxEffectNameLen = 32;
inline constexpr std::size_t kVstMaxNameLen = 64;
inline constexpr std::size_t kVstMaxLabelLen = 64;
inline constexpr std::size_t kVstMaxShortLabelLen = 8;
inline constexpr std::size_t kVstMaxCategLabelLen = 24;

}  // namespace vst2
