#include "core/editors/HexEntry.h"

#include "core/progfile/ProtectionInput.h"
#include "core/text/HexDigit.h"

namespace kt90 {

std::string filterHexDigits(std::string_view typed) {
  return filterEntryText(typed, EntryMode::Hexadecimal, typed.size());
}

std::uint32_t parseHexDigits(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = hexDigitValue(c);
    if (digit >= 0) value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace kt90
