#include "core/editors/HexEntry.h"

#include "core/progfile/ProtectionInput.h"

namespace kt90 {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string filterHexDigits(std::string_view typed) {
  return filterEntryText(typed, EntryMode::Hexadecimal, typed.size());
}

std::uint32_t parseHexDigits(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = hexValue(c);
    if (digit >= 0) value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace kt90
