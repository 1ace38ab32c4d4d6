#include "platform/win/TextEntryFilter.h"

namespace fx::win {

bool TextEntryAccepts(const IParam* param, std::uint32_t character) {
  return !param || TextEntryAcceptsForKind(param->GetKind(), character);
}

bool TextEntryAcceptsForKind(ParamKind kind, std::uint32_t character) {
  if (character == 8) return true;
  const bool digitOrSign = (character >= '0' && character <= '9') || character == '-' || character == '+';
  switch (kind) {
    case ParamKind::Boolean:
    case ParamKind::Integer:
    case ParamKind::Enumerated:
      return digitOrSign;
    case ParamKind::Real:
      return digitOrSign || character == '.';
    default:
      return true;
  }
}

}  // namespace fx::win
