#include "core/editors/HexEntry.h"

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
  std::string out;
  for (char c : typed) {
    if (hexValue(c) < 0) continue;
    out.push_back(c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return out;
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
