#pragma once
// UTF-8 to UTF-16 and back, for the editor's text entry and the Windows
// services. Every malformed UTF-8 sequence (a bad lead byte, a missing
// continuation, an overlong form, a surrogate, a value past U+10FFFF)
// becomes one U+FFFD and the conversion goes on after it, never reading past
// the end; a lone surrogate in UTF-16 becomes U+FFFD as well.

#include <string>
#include <string_view>

namespace fx {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace fx
